#pragma once
// The media file chooser TFoPliki: lists the scenario's pictures or sounds to attach one.

#include "common/ObEdKrok.h"
#include "common/Records.h"

#include <QDialog>
#include <QString>
#include <cstdint>
#include <functional>

class MessageBoxes;
class QLabel;
class QListWidget;
class QPushButton;
class SoundControl;

class TFoPliki : public QDialog {
    Q_OBJECT

public:
    // What the chooser works on: the editor window as a whole, its current situation, its
    // media labels and sound control. The editor window owns all of them.
    struct Editor {
        QWidget& window;
        TKrok& krok;
        TRekordKroku& rekord;  // the situation record buffer that saving writes
        const QString& folder; // the scenario folder, ending in "/"
        QLabel& LaBmp;
        QLabel& LaWAV;
        SoundControl& MPwav;
        std::function<void()> paintPicture; // redraws the picture box at once
    };

    // Picture mode lists "Obrazki/", sound mode "Dzwieki/"; the mode stays after the chooser
    // hides, until the next opening sets it.
    enum class Mode : std::uint8_t { Pictures = 0, Sounds = 1 };

    // The longest picture or sound name that a situation can hold.
    static constexpr int MaxNameLength = 20;
    static const QString NameTooLongMessage;

    TFoPliki(MessageBoxes& boxes, Editor editor);

    QListWidget* FLBPliki;
    QPushButton* BitBtn1;
    QPushButton* BuNic;
    QPushButton* BBCancel;

    Mode mode() const { return mode_; }
    // The folder and file pattern whose files the list shows.
    const QString& mask() const { return mask_; }

public slots:
    // "Otwórz &Bmp." (false) or "Otwórz &Wav." (true) of the editor window.
    void openFor(bool sounds);

protected:
    void hideEvent(QHideEvent* event) override;

private slots:
    void FormHide();
    void BitBtn1Click();
    void BuNicClick();

private:
    void readList();

    MessageBoxes& boxes_;
    Editor editor_;
    Mode mode_ = Mode::Pictures;
    QString mask_;
    bool hidingItself_ = false;
};
