#include "platform/ui/PictureBox.h"

#include "platform/core/AppError.h"
#include "platform/ui/PaintBox.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QFile>
#include <QGuiApplication>
#include <QPaintDevice>
#include <QPainter>
#include <QPalette>
#include <sys/stat.h>

namespace {

// A paint box is a picture to a screen reader, not an empty pane.
QAccessibleInterface* paintBoxAccessible(const QString&, QObject* object) {
    auto* box = dynamic_cast<PaintBox*>(object);
    // QAccessible owns the interfaces that factories make.
    return box ? new QAccessibleWidget(box, QAccessible::Graphic) : nullptr;
}

} // namespace

namespace PictureBox {

void describe(QWidget& box, const QString& fileName) {
    // Installed before the first box asks for its interface, which the name change below does.
    static const bool installed = (QAccessible::installFactory(paintBoxAccessible), true);
    Q_UNUSED(installed);
    const QString name = QStringLiteral("Obrazek sytuacji");
    const QString description = fileName.isEmpty() ? QStringLiteral("brak obrazka") : fileName;
    // Each change is an event a screen reader hears: only real changes are sent.
    if (box.accessibleName() != name)
        box.setAccessibleName(name);
    if (box.accessibleDescription() != description)
        box.setAccessibleDescription(description);
}

QColor buttonFace() {
    return QGuiApplication::palette().color(QPalette::Button);
}

void fill(QPainter& painter) {
    painter.fillRect(QRect(0, 0, Size, Size), buttonFace());
}

QRect destination(int width, int height) {
    const int halfW = width / 2;
    const int halfH = height / 2;
    return QRect(Size / 2 - halfW, Size / 2 - halfH, 2 * halfW, 2 * halfH);
}

void drawCentred(QPainter& painter, const Bitmap& bitmap) {
    const QRect target = destination(bitmap.width(), bitmap.height());
    if (bitmap.isEmpty() || target.isEmpty())
        return;
    painter.save();
    painter.setClipRect(QRect(0, 0, Size, Size), Qt::IntersectClip);
    painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
    painter.drawImage(target, bitmap.image(), bitmap.image().rect());
    painter.restore();
}

void repaintFile(QPainter& painter, const QString& path) {
    try {
        drawCentred(painter, Bitmap::load(path));
    } catch (const AppError&) {
    }
}

bool Shown::identify(const QString& path, Identity& identity) {
    struct stat st {};
    if (path.isEmpty() || ::stat(QFile::encodeName(path).constData(), &st) != 0 ||
        !S_ISREG(st.st_mode))
        return false;
    identity.path = path;
    identity.size = st.st_size;
    identity.mtimeNs = std::int64_t(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
    identity.ctimeNs = std::int64_t(st.st_ctim.tv_sec) * 1000000000 + st.st_ctim.tv_nsec;
    identity.inode = st.st_ino;
    return true;
}

void Shown::keep(const Identity& identity, qreal ratio) {
    // The identity is taken before the load, so a file changed while it loads counts as
    // changed at the next repaint. A file that cannot be read is kept as drawing nothing
    // until it changes.
    identity_ = identity;
    ratio_ = ratio;
    kept_ = true;
    drawn_ = QImage();
    ++loads_;
    const Bitmap bitmap = Bitmap::load(identity.path);
    QImage drawn(QSize(Size, Size) * ratio, QImage::Format_ARGB32_Premultiplied);
    drawn.setDevicePixelRatio(ratio);
    drawn.fill(Qt::transparent);
    QPainter painter(&drawn);
    drawCentred(painter, bitmap);
    painter.end();
    drawn_ = std::move(drawn);
}

void Shown::load(const QString& path) {
    Identity identity;
    // The same file, unchanged and drawn before, was read without an error then.
    if (identify(path, identity) && kept_ && identity_ == identity && !drawn_.isNull())
        return;
    if (identity.path.isEmpty()) {
        // Bitmap::load gives the error the user has always seen for this file.
        clear();
        Bitmap::load(path);
        identity.path = path;
    }
    try {
        keep(identity, ratio_);
    } catch (const AppError&) {
        clear();
        throw;
    }
}

void Shown::repaint(QPainter& painter, const QString& path) {
    Identity identity;
    if (!identify(path, identity))
        return;
    const qreal ratio = painter.device() ? painter.device()->devicePixelRatioF() : 1;
    if (!kept_ || identity_ != identity || ratio_ != ratio) {
        try {
            keep(identity, ratio);
        } catch (const AppError&) {
            return;
        }
    }
    if (!drawn_.isNull())
        painter.drawImage(QPointF(0, 0), drawn_);
}

void Shown::clear() {
    kept_ = false;
    drawn_ = QImage();
    identity_ = {};
}

} // namespace PictureBox
