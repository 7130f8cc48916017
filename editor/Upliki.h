#pragma once
// The media file chooser TFoPliki: lists the scenario's pictures or sounds to attach one.

#include "common/MediaFiles.h"
#include "common/Records.h"

#include <QDialog>
#include <QString>

class MessageBoxes;
class QListWidget;
class QPushButton;

// The chooser lists the picture or sound files of a scenario folder and answers by signal:
// it never reaches into the editor's state.
class TFoPliki : public QDialog {
    Q_OBJECT

public:
    // Picture mode lists "Obrazki/", sound mode "Dzwieki/"; the mode stays after the chooser
    // hides, until the next opening sets it.
    using Mode = MediaKind;

    // The longest picture or sound name that a situation can hold.
    static constexpr int MaxNameLength = decltype(TRekordKroku::Bmp)::Capacity;
    static const QString NameTooLongMessage;

    explicit TFoPliki(MessageBoxes& boxes);

    Mode mode() const { return mode_; }
    // The folder and file pattern whose files the list shows.
    const QString& mask() const { return mask_; }

public slots:
    // Shows the chooser over the files of `mode` in the scenario folder `folder` (ending in
    // "/"), read afresh.
    void openFor(TFoPliki::Mode mode, const QString& folder);

signals:
    // "OK" with a file selected (its name), or the no-file button (an empty name).
    void mediaChosen(TFoPliki::Mode mode, const QString& name);
    // The chooser has hidden itself, whichever way it was closed.
    void closed();

protected:
    void hideEvent(QHideEvent* event) override;

private slots:
    void FormHide();
    void BitBtn1Click();
    void BuNicClick();

private:
    QListWidget* FLBPliki;
    QPushButton* BitBtn1;
    QPushButton* BuNic;
    QPushButton* BBCancel;
    void readList();
    // Names the list and the no-file button, for a screen reader, after the files listed.
    void nameForMode(Mode mode);

    MessageBoxes& boxes_;
    Mode mode_ = Mode::Pictures;
    QString mask_;
    bool hidingItself_ = false;
};
