#include "editor/MapSvg.h"

#include <QFontInfo>
#include <QFontMetricsF>
#include <QGraphicsPathItem>
#include <QGraphicsPolygonItem>
#include <QGraphicsScene>
#include <QGraphicsSimpleTextItem>
#include <QPen>
#include <QXmlStreamWriter>

namespace {

QString number(double value) {
    return QString::number(value, 'g', 8);
}

QString points(const QPolygonF& polygon) {
    QStringList all;
    all.reserve(polygon.size());
    for (const QPointF& p : polygon)
        all << number(p.x()) + u',' + number(p.y());
    return all.join(u' ');
}

// Moves, lines and cubic curves, the elements a QPainterPath is made of.
QString pathData(const QPainterPath& path) {
    QString d;
    for (int i = 0; i < path.elementCount(); ++i) {
        const QPainterPath::Element e = path.elementAt(i);
        if (e.type == QPainterPath::MoveToElement)
            d += u'M';
        else if (e.type == QPainterPath::LineToElement)
            d += u'L';
        else if (e.type == QPainterPath::CurveToElement)
            d += u'C';
        else
            d += u' ';
        d += number(e.x) + u' ' + number(e.y);
    }
    return d;
}

// A name may hold any character but XML holds no control characters.
QString xmlSafe(const QString& text) {
    QString safe = text;
    for (QChar& c : safe) {
        if (c.unicode() < 0x20 || c == QChar(0xfffe) || c == QChar(0xffff))
            c = u'?';
    }
    return safe;
}

void paint(QXmlStreamWriter& out, const QAbstractGraphicsShapeItem& item) {
    const QPen pen = item.pen();
    const QBrush brush = item.brush();
    out.writeAttribute(QStringLiteral("fill"), brush.style() == Qt::NoBrush ? QStringLiteral("none")
                                                                            : brush.color().name());
    out.writeAttribute(QStringLiteral("stroke"),
                       pen.style() == Qt::NoPen ? QStringLiteral("none") : pen.color().name());
    out.writeAttribute(QStringLiteral("stroke-width"), number(pen.widthF()));
}

void write(QXmlStreamWriter& out, const QGraphicsItem& item) {
    const QTransform toScene = item.sceneTransform();
    const bool situation = item.data(0).isValid();
    if (situation) {
        out.writeStartElement(QStringLiteral("g"));
        out.writeAttribute(QStringLiteral("class"), QStringLiteral("situation"));
        out.writeAttribute(QStringLiteral("id"), u's' + QString::number(item.data(0).toInt()));
    }
    if (const auto* path = qgraphicsitem_cast<const QGraphicsPathItem*>(&item)) {
        out.writeEmptyElement(QStringLiteral("path"));
        out.writeAttribute(QStringLiteral("d"), pathData(toScene.map(path->path())));
        paint(out, *path);
    } else if (const auto* polygon = qgraphicsitem_cast<const QGraphicsPolygonItem*>(&item)) {
        out.writeEmptyElement(QStringLiteral("polygon"));
        out.writeAttribute(QStringLiteral("points"), points(toScene.map(polygon->polygon())));
        paint(out, *polygon);
    } else if (const auto* text = qgraphicsitem_cast<const QGraphicsSimpleTextItem*>(&item)) {
        // An item's text hangs from its top left corner; SVG's stands on its baseline.
        const QPointF at = toScene.map(QPointF(0, QFontMetricsF(text->font()).ascent()));
        out.writeStartElement(QStringLiteral("text"));
        out.writeAttribute(QStringLiteral("x"), number(at.x()));
        out.writeAttribute(QStringLiteral("y"), number(at.y()));
        // The family the window found for its font, else any sans-serif one, as the window's.
        out.writeAttribute(
            QStringLiteral("font-family"),
            QStringLiteral("'%1', sans-serif").arg(QFontInfo(text->font()).family()));
        out.writeAttribute(QStringLiteral("font-size"), number(text->font().pixelSize()));
        out.writeAttribute(QStringLiteral("fill"), text->brush().color().name());
        out.writeAttribute(QStringLiteral("xml:space"), QStringLiteral("preserve"));
        out.writeCharacters(xmlSafe(text->text()));
        out.writeEndElement();
    }
    for (const QGraphicsItem* child : item.childItems())
        write(out, *child);
    if (situation)
        out.writeEndElement();
}

} // namespace

QByteArray sceneSvg(const QGraphicsScene& scene, const QRectF& source) {
    QByteArray svg;
    QXmlStreamWriter out(&svg);
    out.setAutoFormatting(true);
    out.writeStartDocument();
    out.writeStartElement(QStringLiteral("svg"));
    out.writeDefaultNamespace(QStringLiteral("http://www.w3.org/2000/svg"));
    out.writeAttribute(QStringLiteral("width"), number(source.width()));
    out.writeAttribute(QStringLiteral("height"), number(source.height()));
    out.writeAttribute(QStringLiteral("viewBox"),
                       QStringList{number(source.x()), number(source.y()), number(source.width()),
                                   number(source.height())}
                           .join(u' '));
    out.writeEmptyElement(QStringLiteral("rect"));
    out.writeAttribute(QStringLiteral("x"), number(source.x()));
    out.writeAttribute(QStringLiteral("y"), number(source.y()));
    out.writeAttribute(QStringLiteral("width"), number(source.width()));
    out.writeAttribute(QStringLiteral("height"), number(source.height()));
    out.writeAttribute(QStringLiteral("fill"), QStringLiteral("#ffffff"));
    // In the order they are drawn: roads first, their arrowheads and numbers, then the boxes.
    for (const QGraphicsItem* item : scene.items(Qt::AscendingOrder)) {
        if (item->parentItem() == nullptr)
            write(out, *item);
    }
    out.writeEndElement();
    out.writeEndDocument();
    return svg;
}
