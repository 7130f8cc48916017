#include "editor/MapWindow.h"

#include "editor/MapSvg.h"
#include "platform/core/AppError.h"
#include "platform/core/OutputFiles.h"
#include "platform/ui/Guarded.h"
#include "platform/ui/MessageBoxes.h"

#include <QApplication>
#include <QBuffer>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontMetricsF>
#include <QGraphicsPathItem>
#include <QGraphicsScene>
#include <QGraphicsSimpleTextItem>
#include <QGraphicsView>
#include <QHBoxLayout>
#include <QImage>
#include <QLabel>
#include <QLineF>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QShortcut>
#include <QSpinBox>
#include <QVBoxLayout>
#include <QWheelEvent>
#include <QtMath>

namespace {

constexpr double kZoomStep = 1.25;
constexpr double kMinScale = 0.02;
constexpr double kMaxScale = 8.0;
constexpr double kPadding = 6.0;
constexpr double kArrowLength = 8.0;
// The PNG is drawn at twice the map's size unless that would pass this many pixels.
constexpr double kMaxPngPixels = 64.0 * 1024 * 1024;
constexpr int kMaxPngSide = 32000;
const QColor kEdgeColour(0x40, 0x40, 0x40);
const QColor kCurrentOutline(0x10, 0x30, 0xa0);

QFont labelFont() {
    QFont font = QApplication::font();
    font.setPixelSize(MapWindow::LabelPixels);
    return font;
}
QFont smallFont() {
    QFont font = QApplication::font();
    font.setPixelSize(10);
    return font;
}

// A box holds its label and, in its top right corner, its type letter.
QSizeF boxSize(const QString& label) {
    const QFontMetricsF metrics(labelFont());
    const QFontMetricsF small(smallFont());
    return {metrics.horizontalAdvance(label) + 3 * kPadding + small.horizontalAdvance(u'W'),
            metrics.height() + 2 * kPadding};
}

// The busy cursor while a layout runs in its child process.
class BusyCursor {
public:
    BusyCursor() { QGuiApplication::setOverrideCursor(Qt::WaitCursor); }
    ~BusyCursor() { QGuiApplication::restoreOverrideCursor(); }
    BusyCursor(const BusyCursor&) = delete;
    BusyCursor& operator=(const BusyCursor&) = delete;
};

QPen outline(bool current) {
    return current ? QPen(kCurrentOutline, 3) : QPen(Qt::black, 1);
}

QString legendText() {
    QString text;
    for (MapRole role : {MapRole::Start, MapRole::Ending, MapRole::Normal, MapRole::Warning,
                         MapRole::Unreachable, MapRole::Error}) {
        text += QStringLiteral("<span style=\"background-color:%1\">&nbsp;&nbsp;&nbsp;&nbsp;"
                               "</span>&nbsp;%2&nbsp;&nbsp; ")
                    .arg(mapRoleColour(role).name(), mapRoleName(role).toHtmlEscaped());
    }
    return text + QStringLiteral("grube obramowanie: bieżąca sytuacja");
}

// Writes the map's bytes the one way the kit writes files; a refusal or a failure names the
// file and the reason.
void writeAll(const QString& path, const QByteArray& bytes) {
    try {
        OutputFiles::writeOutput(path, bytes);
    } catch (const AppError& e) {
        throw AppError(
            AppError::Other,
            QStringLiteral("Nie można zapisać mapy w pliku %1\n%2").arg(path, e.message()));
    }
}

} // namespace

MapWindow::MapWindow(MessageBoxes& boxes, QWidget* parent, FileChooser chooser)
    : QWidget(parent, Qt::Window), boxes_(boxes), chooser_(std::move(chooser)),
      scene_(new QGraphicsScene(this)) {
    setObjectName(QStringLiteral("MapWindow"));
    setWindowTitle(QStringLiteral("Mapa scenariusza"));
    resize(900, 640);
    if (!chooser_) {
        chooser_ = [this](const QString& proposed) {
            QString filter;
            QString path =
                QFileDialog::getSaveFileName(this, QStringLiteral("Zapisz mapę"), proposed,
                                             QStringLiteral("SVG (*.svg);;PNG (*.png)"), &filter);
            if (!path.isEmpty() && QFileInfo(path).suffix().isEmpty())
                path += filter.startsWith(QStringLiteral("PNG")) ? QStringLiteral(".png")
                                                                 : QStringLiteral(".svg");
            return path;
        };
    }

    // A label's accessible name is its text, so a label is described instead of named.
    const auto named = [](auto* control, const char* name, const QString& accessible) {
        control->setObjectName(QString::fromLatin1(name));
        if (qobject_cast<QLabel*>(control))
            control->setAccessibleDescription(accessible);
        else
            control->setAccessibleName(accessible);
        return control;
    };
    stepsLabel =
        named(new QLabel(QStringLiteral("Kroki:"), this), "stepsLabel", QStringLiteral("Kroki"));
    steps = named(new QSpinBox(this), "steps", QStringLiteral("Kroki od bieżącej sytuacji"));
    steps->setRange(1, 10);
    steps->setValue(MapRequest::DefaultSteps);
    stepsLabel->setBuddy(steps);
    zoomIn =
        named(new QPushButton(QStringLiteral("+"), this), "zoomIn", QStringLiteral("Powiększ"));
    zoomOut =
        named(new QPushButton(QStringLiteral("-"), this), "zoomOut", QStringLiteral("Pomniejsz"));
    fit = named(new QPushButton(QStringLiteral("Dopasuj"), this), "fit",
                QStringLiteral("Dopasuj mapę do okna"));
    save = named(new QPushButton(QStringLiteral("Zapisz jako SVG/PNG"), this), "save",
                 QStringLiteral("Zapisz mapę jako SVG lub PNG"));
    info = named(new QLabel(this), "info", QStringLiteral("Co pokazuje mapa"));
    info->setTextFormat(Qt::PlainText);
    // Long texts wrap rather than widen the window past the screen.
    info->setWordWrap(true);
    view = named(new QGraphicsView(scene_, this), "view", QStringLiteral("Mapa"));
    view->setRenderHint(QPainter::Antialiasing);
    view->setDragMode(QGraphicsView::ScrollHandDrag);
    view->setTransformationAnchor(QGraphicsView::AnchorUnderMouse);
    view->setBackgroundBrush(Qt::white);
    view->viewport()->installEventFilter(this);
    view->viewport()->setAccessibleName(QStringLiteral("Mapa"));
    view->setAccessibleDescription(QStringLiteral(
        "Ramki sytuacji i strzałki dróg; kliknięcie ramki przechodzi do jej sytuacji"));
    legend = named(new QLabel(legendText(), this), "legend", QStringLiteral("Legenda kolorów"));
    legend->setTextFormat(Qt::RichText);
    legend->setWordWrap(true);

    auto* tools = new QHBoxLayout;
    tools->addWidget(stepsLabel);
    tools->addWidget(steps);
    tools->addWidget(zoomIn);
    tools->addWidget(zoomOut);
    tools->addWidget(fit);
    tools->addWidget(save);
    tools->addWidget(info, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(tools);
    layout->addWidget(view, 1);
    layout->addWidget(legend);

    connect(zoomIn, &QPushButton::clicked, this, [this] { zoom(kZoomStep); });
    connect(zoomOut, &QPushButton::clicked, this, [this] { zoom(1 / kZoomStep); });
    connect(fit, &QPushButton::clicked, this, [this] { fitMap(); });
    connect(save, &QPushButton::clicked, this, [this] { guarded(boxes_, [this] { saveAs(); }); });
    connect(steps, &QSpinBox::valueChanged, this, [this](int value) {
        request_.steps = value;
        if (scenario_ && request_.scope == MapRequest::Scope::Neighbourhood)
            guarded(boxes_, [this] { relayout(); });
    });
    const auto key = [this](const char* sequence, auto action) {
        auto* shortcut = new QShortcut(QKeySequence(QString::fromLatin1(sequence)), this);
        shortcut->setContext(Qt::WidgetWithChildrenShortcut);
        connect(shortcut, &QShortcut::activated, this, action);
    };
    key("+", [this] { zoom(kZoomStep); });
    key("=", [this] { zoom(kZoomStep); });
    key("-", [this] { zoom(1 / kZoomStep); });
    key("0", [this] { fitMap(); });
}

MapWindow::~MapWindow() = default;

void MapWindow::showScenario(std::shared_ptr<const ScenarioSnapshot> snapshot,
                             std::shared_ptr<const CheckReport> report, std::int32_t current) {
    scenario_.reset();
    layout_ = {};
    draw();
    if (!snapshot)
        return;
    guarded(boxes_, [&] {
        scenario_ = std::make_unique<MapScenario>(std::move(snapshot), report.get());
        request_.scope = MapRequest::defaultScope(scenario_->size());
        request_.current = current;
        request_.nodeLimit = MapRequest::DefaultNodeLimit;
        request_.labelSize = boxSize;
        relayout();
    });
}

void MapWindow::setCurrent(std::int32_t k) {
    if (!scenario_)
        return;
    request_.current = k;
    if (request_.scope == MapRequest::Scope::Neighbourhood)
        guarded(boxes_, [this] { relayout(); });
    else
        highlight(k);
}

QAbstractGraphicsShapeItem* MapWindow::box(std::int32_t k) const {
    const int i = layout_.indexOf(k);
    return i < 0 ? nullptr : boxItems_[std::size_t(i)];
}

void MapWindow::relayout() {
    const BusyCursor busy;
    layout_ = {};
    draw();
    info->clear();
    MapShown shown;
    try {
        shown = layoutMapInTime(*scenario_, request_, deadlines_);
    } catch (const AppError&) {
        // A neighbourhood that fails can still be tried with fewer steps.
        if (request_.scope == MapRequest::Scope::Neighbourhood)
            showSteps();
        throw;
    }
    showSteps();
    layout_ = std::move(shown.layout);
    draw();
    info->setText(shown.info);
    highlight(request_.current);
    keepOnScreen();
}

// "Kroki" only for a neighbourhood.
void MapWindow::showSteps() {
    const bool whole = request_.scope == MapRequest::Scope::Whole;
    stepsLabel->setVisible(!whole);
    steps->setVisible(!whole);
}

void MapWindow::draw() {
    scene_->clear();
    boxItems_.clear();
    const QFont font = labelFont();
    const QFont small = smallFont();
    for (const MapEdge& edge : layout_.edges) {
        scene_->addPath(edge.path, QPen(kEdgeColour, 1.2));
        // The arrowhead points along the line from the spline's end to its tip.
        QLineF along(edge.path.currentPosition(), edge.arrowTip);
        if (along.length() < 1)
            along = QLineF(edge.path.pointAtPercent(0.9), edge.arrowTip);
        along.setLength(kArrowLength);
        const QLineF back(edge.arrowTip, edge.arrowTip - (along.p2() - along.p1()));
        QLineF left = back;
        left.setAngle(back.angle() + 25);
        QLineF right = back;
        right.setAngle(back.angle() - 25);
        scene_->addPolygon(QPolygonF({edge.arrowTip, left.p2(), right.p2()}), QPen(kEdgeColour),
                           QBrush(kEdgeColour));
        auto* number = scene_->addSimpleText(QString::number(edge.choice), small);
        number->setPos(edge.labelPos - number->boundingRect().center());
    }
    boxItems_.reserve(layout_.nodes.size());
    for (const MapNode& node : layout_.nodes) {
        const QRectF rect(node.centre - QPointF(node.size.width(), node.size.height()) / 2,
                          node.size);
        QPainterPath shape;
        shape.addRoundedRect(rect, 6, 6);
        auto* item = scene_->addPath(shape, outline(node.current), mapRoleColour(node.role));
        item->setData(0, node.situation);
        item->setToolTip(node.label);
        auto* text = new QGraphicsSimpleTextItem(node.label, item);
        text->setFont(font);
        text->setPos(rect.left() + kPadding, rect.center().y() - text->boundingRect().height() / 2);
        auto* letter = new QGraphicsSimpleTextItem(node.typeLetter, item);
        letter->setFont(small);
        letter->setPos(rect.right() - kPadding / 2 - letter->boundingRect().width(),
                       rect.top() + 1);
        boxItems_.push_back(item);
    }
    scene_->setSceneRect(layout_.bounds.adjusted(-20, -20, 20, 20));
}

void MapWindow::highlight(std::int32_t k) {
    for (std::size_t i = 0; i < layout_.nodes.size(); ++i) {
        MapNode& node = layout_.nodes[i];
        node.current = node.situation == k;
        boxItems_[i]->setPen(outline(node.current));
    }
    if (QAbstractGraphicsShapeItem* item = box(k)) {
        view->centerOn(item);
        view->ensureVisible(item, 10, 10);
    }
}

void MapWindow::zoom(double factor) {
    const double scale = view->transform().m11();
    factor = std::clamp(scale * factor, kMinScale, kMaxScale) / scale;
    view->scale(factor, factor);
}

// The whole map when it can be read so; else as wide as the window, but neither below the least
// zoom nor above the map's own size, and the map scrolls. The current situation stays in view.
void MapWindow::fitMap() {
    const QRectF map = scene_->sceneRect();
    const QSizeF room = view->maximumViewportSize();
    if (map.isEmpty() || room.isEmpty())
        return;
    const double across = room.width() / map.width();
    double scale = std::min(across, room.height() / map.height());
    if (scale < LeastFitZoom) {
        // Fitted to the width, the vertical scroll bar takes a part of it.
        const double narrower =
            (room.width() - view->verticalScrollBar()->sizeHint().width()) / map.width();
        scale = std::clamp(narrower, LeastFitZoom, 1.0);
    }
    scale = std::clamp(scale, kMinScale, kMaxScale);
    view->setTransform(QTransform::fromScale(scale, scale));
    if (QAbstractGraphicsShapeItem* item = box(request_.current))
        view->centerOn(item);
}

void MapWindow::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    keepOnScreen();
}

// Shrinks the window to the available area of its screen (without the panels) and moves it
// into it, its frame included; the frame's size is known once the window is shown.
void MapWindow::keepOnScreen() {
    const QScreen* on = screen();
    if (on == nullptr || isMaximized() || isFullScreen())
        return;
    const QRect area = on->availableGeometry();
    const QSize frame = frameGeometry().size() - geometry().size();
    const QSize most = (area.size() - frame).expandedTo(minimumSizeHint());
    if (width() > most.width() || height() > most.height())
        resize(size().boundedTo(most));
    QRect placed = frameGeometry();
    placed.moveLeft(
        std::max(area.left(), std::min(placed.left(), area.right() - placed.width() + 1)));
    placed.moveTop(
        std::max(area.top(), std::min(placed.top(), area.bottom() - placed.height() + 1)));
    if (placed.topLeft() != frameGeometry().topLeft())
        move(placed.topLeft());
}

bool MapWindow::eventFilter(QObject* watched, QEvent* event) {
    if (watched != view->viewport())
        return QWidget::eventFilter(watched, event);
    if (event->type() == QEvent::Wheel) {
        auto* wheel = static_cast<QWheelEvent*>(event);
        if (wheel->modifiers() & Qt::ControlModifier) {
            zoom(std::pow(kZoomStep, wheel->angleDelta().y() / 120.0));
            return true;
        }
    } else if (event->type() == QEvent::MouseButtonPress) {
        pressedAt_ = static_cast<QMouseEvent*>(event)->position().toPoint();
    } else if (event->type() == QEvent::MouseButtonRelease) {
        // A release near its press is a click; farther away it ended a drag that panned.
        const QPoint at = static_cast<QMouseEvent*>(event)->position().toPoint();
        if ((at - pressedAt_).manhattanLength() < QApplication::startDragDistance()) {
            for (QGraphicsItem* item : view->items(at)) {
                while (item->parentItem() != nullptr)
                    item = item->parentItem();
                if (item->data(0).isValid()) {
                    emit situationClicked(item->data(0).toInt());
                    break;
                }
            }
        }
    }
    return false;
}

void MapWindow::saveAs() {
    if (!scenario_)
        return;
    const QString path = chooser_(proposedFileName());
    if (path.isEmpty())
        return;
    if (QFileInfo(path).suffix().compare(QStringLiteral("png"), Qt::CaseInsensitive) == 0)
        savePng(path);
    else
        saveSvg(path);
}

QString MapWindow::proposedFileName() const {
    const QString scenario = scenario_ ? scenario_->snapshot().situationFilePath : QString();
    if (scenario.isEmpty())
        return QStringLiteral("mapa.svg");
    const QFileInfo file(scenario);
    return file.dir().filePath(file.completeBaseName() + QStringLiteral("-mapa.svg"));
}

// The items the window draws, so that the file shows what the window shows.
void MapWindow::saveSvg(const QString& path) const {
    writeAll(path, sceneSvg(*scene_, scene_->sceneRect()));
}

void MapWindow::savePng(const QString& path) const {
    const QRectF source = scene_->sceneRect();
    double scale = 2;
    const double pixels = source.width() * source.height() * scale * scale;
    if (pixels > kMaxPngPixels)
        scale *= std::sqrt(kMaxPngPixels / pixels);
    scale = std::min(scale, kMaxPngSide / std::max(source.width(), source.height()));
    QImage image(qCeil(source.width() * scale), qCeil(source.height() * scale),
                 QImage::Format_RGB32);
    if (image.isNull())
        throw AppError(AppError::Other, QStringLiteral("Za mało pamięci na obraz mapy"));
    image.fill(Qt::white);
    {
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        scene_->render(&painter, QRectF(image.rect()), source);
    }
    QByteArray png;
    QBuffer buffer(&png);
    if (!buffer.open(QIODevice::WriteOnly) || !image.save(&buffer, "PNG"))
        throw AppError(AppError::Other,
                       QStringLiteral("Nie można zapisać mapy w pliku %1").arg(path));
    writeAll(path, png);
}
