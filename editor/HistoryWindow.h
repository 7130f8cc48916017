#pragma once
// The window HistoryWindow ("Historia"): the kept versions of the scenario, each compared with it.

#include "authoring/ScenarioSnapshot.h"
#include "authoring/VersionStore.h"
#include "platform/core/RecordFile.h"

#include <QHash>
#include <QString>
#include <QWidget>
#include <optional>
#include <vector>

class FileOpenDialog;
class MessageBoxes;
class QLabel;
class QPlainTextEdit;
class QPushButton;
class QStandardItemModel;
class QTimer;
class QTreeView;

// Lists the versions of the open scenario that the version store kept, newest first, each with
// what the scenario as its files hold it now added, changed and removed since that version.
// The chosen version is shown as a coloured line diff against the present scenario; it can be
// saved as a copy elsewhere, and "Przywróć" asks the editor to bring it back (the editor keeps
// the present state and restores; the window never writes the scenario's own files).
class HistoryWindow : public QWidget {
    Q_OBJECT

public:
    // `saveCopyDialog`: asks where "Zapisz kopię jako…" writes.
    HistoryWindow(QWidget* parent, MessageBoxes& boxes, RecordFileFactory& files,
                  VersionStore& store, FileOpenDialog& saveCopyDialog);

    // The scenario whose versions are listed (empty: none, the list and the diff empty). Lists
    // anew. Throws AppError when the versions cannot be listed or the scenario cannot be read.
    void setScenario(const QString& situationFilePath);
    // The scenario or its versions changed (a save, a restore): lists anew, keeps the chosen
    // version chosen when it is still there. Throws AppError as setScenario does.
    void refresh();
    // The id of the chosen version; empty when none is chosen.
    QString chosenId() const;

signals:
    // "Przywróć" confirmed by the author on version `id`.
    void restoreRequested(const QString& id);

private:
    void buildControls();
    // Reads the present scenario and the versions and lists them, choosing `keepChosen` again
    // when it is still there.
    void list(const QString& keepChosen);
    // Fills the next row's "Zmiany" cell still waiting for its summary; stops the timer when
    // none waits.
    void fillNextSummary();
    // The summary of version `row` (read as `version`, nothing when it cannot be), from the
    // cache or computed and cached, put into its "Zmiany" cell.
    QString summaryOf(int row, const std::optional<ScenarioSnapshot>& version);
    // The chosen version's summary line and diff, or nothing when none is chosen.
    void showChosen();
    void BuPrzywrocClick();
    void BuZapiszKopieClick();
    int chosenRow() const;
    QString localTime(int row) const;

    QTreeView* TVWersje;
    QStandardItemModel* wersje;
    QLabel* LaBrak;
    QLabel* LaWersja;
    QPlainTextEdit* PTRoznice;
    QPushButton* BuPrzywroc;
    QPushButton* BuZapiszKopie;
    QPushButton* BuZamknij;
    QTimer* filler_;

    MessageBoxes& boxes_;
    RecordFileFactory& files_;
    VersionStore& store_;
    FileOpenDialog& saveCopyDialog_;
    QString path_;
    std::vector<VersionInfo> versions_;
    // The scenario as its files hold it now, and its text once a diff needed it.
    ScenarioSnapshot now_;
    std::optional<QString> nowText_;
    // Summaries by version id, valid while the present scenario is `now_`.
    QHash<QString, QString> summaries_;
    int nextToFill_ = 0;
};
