#include "platform/ui/SoundControl.h"

#include "platform/core/AppError.h"

#include <QHBoxLayout>
#include <QIcon>
#include <QPainter>
#include <QPixmap>
#include <QPolygonF>
#include <QPushButton>

namespace {

enum class Glyph { Play, Stop, Prev };

constexpr int GlyphSize = 9;

QPixmap glyphPixmap(Glyph glyph, const QColor& colour) {
    QPixmap pixmap(GlyphSize, GlyphSize);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(colour);
    const qreal s = GlyphSize;
    switch (glyph) {
    case Glyph::Play:
        painter.drawPolygon(QPolygonF{{1.5, 0}, {s - 1, s / 2}, {1.5, s}});
        break;
    case Glyph::Stop:
        painter.drawRect(QRectF(1, 1, s - 2, s - 2));
        break;
    case Glyph::Prev:
        painter.drawRect(QRectF(0.5, 0, 2, s));
        painter.drawPolygon(QPolygonF{{s - 0.5, 0}, {3, s / 2}, {s - 0.5, s}});
        break;
    }
    return pixmap;
}

// A button of the bar: `name` is its object name and tool tip, as the platform's media bar
// names its buttons; a screen reader, which cannot see the glyph, says `spoken`.
QPushButton* makeButton(const QString& name, Glyph glyph, const QString& spoken,
                        const QString& description, QWidget* parent) {
    auto* button = new QPushButton(parent);
    button->setObjectName(name);
    button->setToolTip(name);
    button->setAccessibleName(spoken);
    button->setAccessibleDescription(description);
    button->setFocusPolicy(Qt::TabFocus);
    QIcon icon;
    icon.addPixmap(glyphPixmap(glyph, Qt::black), QIcon::Normal);
    icon.addPixmap(glyphPixmap(glyph, Qt::darkGray), QIcon::Disabled);
    button->setIcon(icon);
    button->setIconSize(QSize(GlyphSize, GlyphSize));
    // The owner sets the control's size; the buttons share it whatever their style asks for.
    button->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Ignored);
    return button;
}

} // namespace

SoundControl::SoundControl(std::unique_ptr<SoundDevice> device, QWidget* parent)
    : QWidget(parent), device_(std::move(device)),
      play_(makeButton(QStringLiteral("Play"), Glyph::Play, QStringLiteral("Odtwórz dźwięk"),
                       QStringLiteral("Gra dźwięk sytuacji od miejsca, w którym stoi"), this)),
      stop_(makeButton(QStringLiteral("Stop"), Glyph::Stop, QStringLiteral("Zatrzymaj dźwięk"),
                       QStringLiteral("Zatrzymuje dźwięk; Odtwórz gra dalej od tego miejsca"),
                       this)),
      prev_(makeButton(QStringLiteral("Prev"), Glyph::Prev, QStringLiteral("Dźwięk od początku"),
                       QStringLiteral("Cofa dźwięk na początek i zatrzymuje go"), this)) {
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    for (QPushButton* button : {play_, stop_, prev_})
        layout->addWidget(button);
    connect(device_.get(), &SoundDevice::stateChanged, this, &SoundControl::updateButtons);
    connect(play_, &QPushButton::clicked, this, &SoundControl::play);
    connect(stop_, &QPushButton::clicked, this, &SoundControl::stop);
    connect(prev_, &QPushButton::clicked, this, &SoundControl::prev);
    updateButtons();
}

SoundControl::~SoundControl() {
    // The device may still report a change while it closes; the buttons need not hear it.
    disconnect(device_.get(), nullptr, this, nullptr);
    device_.reset();
}

void SoundControl::open() {
    close();
    try {
        device_->open(fileName_, deviceType_);
    } catch (const AppError&) {
        updateButtons();
        throw;
    }
    updateButtons();
}

void SoundControl::close() {
    if (isOpen())
        device_->close();
    updateButtons();
}

void SoundControl::play() {
    device_->play();
    updateButtons();
}

void SoundControl::stop() {
    device_->stop();
    updateButtons();
}

void SoundControl::prev() {
    device_->rewind();
    updateButtons();
}

SoundDevice::State SoundControl::state() const {
    return device_->state();
}

// Each button is enabled on its own, so disabling the whole control and
// enabling it again brings back exactly this set.
void SoundControl::updateButtons() {
    const SoundDevice::State s = state();
    play_->setEnabled(s == SoundDevice::State::Stopped);
    stop_->setEnabled(s == SoundDevice::State::Playing);
    prev_->setEnabled(s != SoundDevice::State::Closed);
}
