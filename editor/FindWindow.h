#pragma once
// The window FindWindow ("Szukaj"): a text found across the scenario, and replaced everywhere.

#include "common/FindReplace.h"
#include "platform/core/RecordFile.h"

#include <QString>
#include <QWidget>
#include <cstdint>

class MessageBoxes;
struct ScenarioSnapshot;
class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QStandardItemModel;
class QTreeView;

// Lists every occurrence of a text in the names, descriptions and choices of the scenario as
// its files hold it (situation, field, the words around it). Enter or a double click on a hit
// asks the editor for a jump to its situation; "Zamień wszystko" asks the editor to replace,
// which then tells the window what it did. Reading the files fails with AppError: the window's
// own buttons show it in the error box, and calls from the editor throw it to the caller.
class FindWindow : public QWidget {
    Q_OBJECT

public:
    FindWindow(QWidget* parent, MessageBoxes& boxes, RecordFileFactory& files);

    // The scenario to search from now on (empty: none open, the results go). When a search was
    // made, searches again. Throws AppError when the scenario cannot be read.
    void setScenario(const QString& situationFilePath);
    // Reads the scenario anew and lists the hits of the text in "Szukaj:". Throws AppError when
    // the scenario cannot be read.
    void search();
    // After the editor replaced: tells how many were replaced in how many situations, lists
    // the refused situations with their reasons in a message, and searches again. Throws
    // AppError when the scenario cannot be read.
    void showReplaced(const ReplaceResult& result);
    SearchOptions options() const;

protected:
    void showEvent(QShowEvent* event) override;

signals:
    void jumpRequested(std::int32_t situation);
    void replaceAllRequested(const QString& needle, const QString& replacement,
                             SearchOptions options);

private:
    void buildControls();
    // Lists the hits in the scenario read into `snapshot` (left empty when nothing is searched).
    void list(ScenarioSnapshot& snapshot);
    void BuSzukajClick();
    void BuZamienWszystkoClick();

    QLineEdit* ESzukaj;
    QLineEdit* EZamien;
    QCheckBox* CBWielkosc;
    QCheckBox* CBZnaki;
    QPushButton* BuSzukaj;
    QPushButton* BuZamienWszystko;
    QPushButton* BuZamknij;
    QTreeView* TVWyniki;
    QStandardItemModel* wyniki;
    QLabel* LaWynik;

    MessageBoxes& boxes_;
    RecordFileFactory& files_;
    QString path_;
    bool searched_ = false;
};
