#include "editor/Upliki.h"

#include "common/Cp1250.h"
#include "platform/core/FileSystem.h"
#include "platform/ui/Controls.h"
#include "platform/ui/MessageBoxes.h"
#include "platform/ui/WindowFrame.h"

#include <QHideEvent>
#include <QIcon>
#include <QLabel>
#include <QListWidget>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QStyledItemDelegate>

const QString TFoPliki::NameTooLongMessage =
    QStringLiteral("Nazwa pliku jest za dluga (najwyzej 20 znakow)");

namespace {

QString noFileCaption(MediaKind mode) {
    return mode == MediaKind::Sounds ? MediaFiles::NoSoundCaption : MediaFiles::NoPictureCaption;
}

constexpr int kItemHeight = 15;
constexpr int kGlyphSize = 14;

// Every entry of the file list is one line of 15 pixels.
class FixedHeightDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        QSize size = QStyledItemDelegate::sizeHint(option, index);
        size.setHeight(kItemHeight);
        return size;
    }
};

enum class Glyph { Ok, Cancel };

// The glyphs of the OK and Cancel buttons: a green tick and a red cross.
QIcon glyphIcon(Glyph glyph) {
    const auto draw = [glyph](const QColor& colour) {
        QPixmap pixmap(kGlyphSize, kGlyphSize);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(QPen(colour, 2.5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        const qreal s = kGlyphSize;
        if (glyph == Glyph::Ok) {
            painter.drawPolyline(QPolygonF{{1.5, s * 0.55}, {s * 0.4, s - 2.0}, {s - 1.5, 2.0}});
        } else {
            painter.drawLine(QPointF(2.5, 2.5), QPointF(s - 2.5, s - 2.5));
            painter.drawLine(QPointF(s - 2.5, 2.5), QPointF(2.5, s - 2.5));
        }
        return pixmap;
    };
    QIcon icon;
    icon.addPixmap(draw(glyph == Glyph::Ok ? QColor(0, 128, 0) : QColor(192, 0, 0)), QIcon::Normal);
    icon.addPixmap(draw(Qt::darkGray), QIcon::Disabled);
    return icon;
}

QPushButton* glyphButton(QWidget* parent, const char* name, const QString& caption,
                         const QRect& geometry, Glyph glyph) {
    QPushButton* button = Controls::button(parent, name, caption, geometry, Controls::times(13));
    button->setIcon(glyphIcon(glyph));
    button->setIconSize(QSize(kGlyphSize, kGlyphSize));
    return button;
}

} // namespace

TFoPliki::TFoPliki(MessageBoxes& boxes) : boxes_(boxes) {
    setObjectName(QStringLiteral("FoPliki"));
    setWindowTitle(QStringLiteral("Wybor pliku"));
    WindowFrame::makeFixed(this, 205, 141);
    const QFont f13 = Controls::times(13);
    setFont(f13);

    FLBPliki = Controls::make<QListWidget>(this, "FLBPliki", {8, 4, 193, 97}, f13);
    FLBPliki->setSelectionMode(QAbstractItemView::SingleSelection);
    FLBPliki->setUniformItemSizes(true);
    FLBPliki->setItemDelegate(new FixedHeightDelegate(FLBPliki));

    BitBtn1 = glyphButton(this, "BitBtn1", QStringLiteral("OK"), {6, 108, 67, 29}, Glyph::Ok);
    BitBtn1->setDefault(true);
    BuNic = Controls::button(this, "BuNic", MediaFiles::NoPictureCaption, {80, 108, 49, 29}, f13);
    BBCancel =
        glyphButton(this, "BBCancel", QStringLiteral("Cancel"), {136, 108, 65, 29}, Glyph::Cancel);
    // The cancel glyph stands right of its caption.
    BBCancel->setLayoutDirection(Qt::RightToLeft);

    BitBtn1->setAccessibleDescription(QStringLiteral("Dołącza wybrany plik do sytuacji"));
    BBCancel->setAccessibleDescription(QStringLiteral("Zamyka okno bez zmian"));
    nameForMode(mode_);

    setTabOrder(FLBPliki, BitBtn1);
    setTabOrder(BitBtn1, BuNic);
    setTabOrder(BuNic, BBCancel);

    connect(BitBtn1, &QPushButton::clicked, this, &TFoPliki::BitBtn1Click);
    connect(BuNic, &QPushButton::clicked, this, &TFoPliki::BuNicClick);
    connect(BBCancel, &QPushButton::clicked, this, &TFoPliki::FormHide);
}

void TFoPliki::openFor(TFoPliki::Mode mode, const QString& folder) {
    show();
    raise();
    activateWindow();
    // The folder is read at every opening: a file copied into it while the editor runs is
    // listed, and no selection of an earlier opening can be stored by a stray Enter.
    mask_ = MediaFiles::folderOf(mode, folder) + MediaFiles::maskOf(mode);
    readList();
    BuNic->setText(noFileCaption(mode));
    nameForMode(mode);
    mode_ = mode;
}

void TFoPliki::nameForMode(Mode mode) {
    const bool sounds = mode == Mode::Sounds;
    FLBPliki->setAccessibleName(sounds ? QStringLiteral("Pliki dźwięków")
                                       : QStringLiteral("Pliki obrazków"));
    FLBPliki->setAccessibleDescription(sounds ? QStringLiteral("Folder Dzwieki scenariusza")
                                              : QStringLiteral("Folder Obrazki scenariusza"));
    // The caption "?.BMP" or "?.WAV" says little when spoken.
    BuNic->setAccessibleName(sounds ? QStringLiteral("Bez dźwięku")
                                    : QStringLiteral("Bez obrazka"));
    BuNic->setAccessibleDescription(sounds ? QStringLiteral("Usuwa dźwięk sytuacji")
                                           : QStringLiteral("Usuwa obrazek sytuacji"));
}

void TFoPliki::readList() {
    const qsizetype slash = mask_.lastIndexOf(u'/');
    FLBPliki->clear();
    FLBPliki->addItems(FileSystem::listFiles(mask_.left(slash + 1), mask_.mid(slash + 1)));
    FLBPliki->clearSelection();
}

// Closing the chooser in any way (Esc, the close box, Alt+F4, OK, BuNic) hides it, and every
// hiding ends in FormHide. FormHide's own hiding must not run it a second time.
void TFoPliki::hideEvent(QHideEvent* event) {
    QDialog::hideEvent(event);
    if (!event->spontaneous() && !hidingItself_)
        FormHide();
}

void TFoPliki::FormHide() {
    if (isVisible()) {
        hidingItself_ = true;
        hide();
        hidingItself_ = false;
    }
    emit closed();
}

void TFoPliki::BitBtn1Click() {
    const QList<QListWidgetItem*> selected = FLBPliki->selectedItems();
    if (!selected.isEmpty()) {
        const QString name = selected.first()->text();
        // A name cut to fit would name a file that is not there.
        if (Cp1250::encode(name).size() > MaxNameLength) {
            boxes_.message(NameTooLongMessage);
            return;
        }
        emit mediaChosen(mode_, name);
    }
    hide();
}

void TFoPliki::BuNicClick() {
    emit mediaChosen(mode_, QString());
    hide();
}
