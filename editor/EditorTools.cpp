#include "EditorTools.h"

#include "CheckWindow.h"
#include "ui/MessageBoxes.h"

EditorTools::EditorTools(QWidget* owner, MessageBoxes& boxes, RecordFileFactory& files)
    : owner_(owner), boxes_(boxes), files_(files) {}

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
    (void)current;
    showIn(check_);
}

void EditorTools::showMap(const QString& situationFilePath, std::int32_t current) {
    read(situationFilePath);
    if (check_ && check_->isVisible())
        check_->showReport(*report_);
    (void)current;
}

bool EditorTools::anyShown() const {
    return check_ && check_->isVisible();
}

void EditorTools::refresh(const QString& situationFilePath, std::int32_t current) {
    if (!anyShown())
        return;
    read(situationFilePath);
    if (check_ && check_->isVisible())
        check_->showReport(*report_);
    (void)current;
}

void EditorTools::setCurrent(std::int32_t current) {
    (void)current;
}

void EditorTools::closeAll() {
    if (check_)
        check_->close();
    snapshot_.reset();
    report_.reset();
}
