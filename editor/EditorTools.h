#pragma once
// The editor's tool windows: the check of the scenario and its map, kept up to date.

#include "authoring/ScenarioCheck.h"
#include "editor/CheckWindow.h"
#include "platform/core/RecordFile.h"

#include "common/FindReplace.h"
#include "platform/ui/FileDialog.h"

#include <QObject>
#include <QPointer>
#include <QString>

#include <cstdint>
#include <memory>

class FindWindow;
class HistoryWindow;
class MapWindow;
class MessageBoxes;
class QWidget;
class VersionStore;

// Opens the check and map windows on the scenario the editor has open and refreshes the
// open ones after every save; each reads the saved scenario anew from its files. A finding
// or a node chosen in them asks the editor for a jump.
class EditorTools : public QObject {
    Q_OBJECT

public:
    // `versions`: where "Historia" finds the scenario's versions.
    EditorTools(QWidget* owner, MessageBoxes& boxes, RecordFileFactory& files,
                VersionStore& versions);
    ~EditorTools() override;

    // Checks the scenario and shows the check window (or the map window) with the result.
    // Throws AppError when the scenario cannot be read.
    void showCheck(const QString& situationFilePath, std::int32_t current);
    void showMap(const QString& situationFilePath, std::int32_t current);
    // Shows "Szukaj" on the scenario. Throws AppError when the scenario cannot be read.
    void showFind(const QString& situationFilePath);
    // Shows "Historia" on the scenario. Throws AppError when the scenario or its versions
    // cannot be read.
    void showHistory(const QString& situationFilePath);
    // The scenario changed on disk (a save) or another was opened: the open windows show it
    // anew. Throws AppError when the scenario cannot be read.
    void refresh(const QString& situationFilePath, std::int32_t current);
    // The editor shows another situation.
    void setCurrent(std::int32_t current);
    // No scenario is open any more: the windows close.
    void closeAll();

    CheckWindow* checkWindow() const { return check_; }
    MapWindow* mapWindow() const;
    FindWindow* findWindow() const;
    HistoryWindow* historyWindow() const;

signals:
    void jumpRequested(std::int32_t situation);
    // "Zamień wszystko" in "Szukaj".
    void replaceRequested(const QString& needle, const QString& replacement, SearchOptions options);
    // "Przywróć" in "Historia", confirmed.
    void restoreRequested(const QString& id);

private:
    bool anyShown() const;
    void read(const QString& situationFilePath);
    void showIn(QWidget* window);

    QWidget* owner_;
    MessageBoxes& boxes_;
    RecordFileFactory& files_;
    QPointer<CheckWindow> check_;
    QPointer<MapWindow> map_;
    QPointer<FindWindow> find_;
    QPointer<HistoryWindow> history_;
    VersionStore& versions_;
    // Where "Zapisz kopię jako…" in "Historia" writes.
    QtFileOpenDialog copyDialog_{
        {QStringLiteral("Zapisz kopię wersji jako"), QStringLiteral("Kro"), false, false, true}};
    std::shared_ptr<const ScenarioSnapshot> snapshot_;
    std::shared_ptr<const CheckReport> report_;
};
