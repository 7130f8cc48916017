#include "editor/EditorTools.h"

#include "editor/CheckWindow.h"
#include "editor/FindWindow.h"
#include "editor/HistoryWindow.h"
#include "editor/MapWindow.h"
#include "platform/ui/MessageBoxes.h"

EditorTools::EditorTools(QWidget* owner, MessageBoxes& boxes, RecordFileFactory& files,
                         VersionStore& versions)
    : owner_(owner), boxes_(boxes), files_(files), versions_(versions) {}

EditorTools::~EditorTools() = default;

void EditorTools::read(const QString& situationFilePath) {
    auto snapshot = std::make_shared<ScenarioSnapshot>(readSnapshot(files_, situationFilePath));
    report_ = std::make_shared<const CheckReport>(checkScenario(*snapshot));
    snapshot_ = std::move(snapshot);
}

void EditorTools::showIn(QWidget* window) {
    window->show();
    window->raise();
    window->activateWindow();
}

void EditorTools::showCheck(const QString& situationFilePath, std::int32_t current) {
    read(situationFilePath);
    if (!check_) {
        // A window of its own that the editor window owns: it closes with the editor.
        check_ = new CheckWindow(owner_);
        connect(check_, &CheckWindow::situationChosen, this, &EditorTools::jumpRequested);
    }
    check_->showReport(*report_);
    if (map_ && map_->isVisible())
        map_->showScenario(snapshot_, report_, current);
    showIn(check_);
}

void EditorTools::showMap(const QString& situationFilePath, std::int32_t current) {
    read(situationFilePath);
    if (!map_) {
        map_ = new MapWindow(boxes_, owner_);
        connect(map_, &MapWindow::situationClicked, this, &EditorTools::jumpRequested);
    }
    map_->showScenario(snapshot_, report_, current);
    if (check_ && check_->isVisible())
        check_->showReport(*report_);
    showIn(map_);
}

void EditorTools::showFind(const QString& situationFilePath) {
    if (!find_) {
        find_ = new FindWindow(owner_, boxes_, files_);
        connect(find_, &FindWindow::jumpRequested, this, &EditorTools::jumpRequested);
        connect(find_, &FindWindow::replaceAllRequested, this, &EditorTools::replaceRequested);
    }
    find_->setScenario(situationFilePath);
    showIn(find_);
}

void EditorTools::showHistory(const QString& situationFilePath) {
    if (!history_) {
        history_ = new HistoryWindow(owner_, boxes_, files_, versions_, copyDialog_);
        connect(history_, &HistoryWindow::restoreRequested, this, &EditorTools::restoreRequested);
    }
    history_->setScenario(situationFilePath);
    showIn(history_);
}

bool EditorTools::anyShown() const {
    return (check_ && check_->isVisible()) || (map_ && map_->isVisible());
}

void EditorTools::refresh(const QString& situationFilePath, std::int32_t current) {
    if (find_ && find_->isVisible())
        find_->setScenario(situationFilePath);
    if (history_ && history_->isVisible())
        history_->setScenario(situationFilePath);
    if (!anyShown())
        return;
    read(situationFilePath);
    if (check_ && check_->isVisible())
        check_->showReport(*report_);
    if (map_ && map_->isVisible())
        map_->showScenario(snapshot_, report_, current);
}

void EditorTools::setCurrent(std::int32_t current) {
    if (map_ && map_->isVisible())
        map_->setCurrent(current);
}

void EditorTools::closeAll() {
    if (check_)
        check_->close();
    if (map_)
        map_->close();
    if (find_)
        find_->close();
    if (history_)
        history_->close();
    snapshot_.reset();
    report_.reset();
}

FindWindow* EditorTools::findWindow() const {
    return find_;
}

HistoryWindow* EditorTools::historyWindow() const {
    return history_;
}

MapWindow* EditorTools::mapWindow() const {
    return map_;
}
