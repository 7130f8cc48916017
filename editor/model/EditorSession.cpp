#include "editor/model/EditorSession.h"

#include "common/ScenarioFiles.h"
#include "platform/core/AppError.h"

const QString EditorSession::UnsavedBeforePlayMessage =
    QStringLiteral("Sytuacja ma niezapisane zmiany. Zapisz ją albo przywróć, zanim zagrasz od "
                   "niej (lub włącz Auto zapisywanie).");
const QString EditorSession::PlayerFailedMessage =
    QStringLiteral("Nie udało się uruchomić gry (programu Zozozarov).");

namespace {

// Calls the view's progress for the lists' rebuild; none when the view shows none.
ScenarioState::Progress progressOf(ReadProgress* progress) {
    if (!progress)
        return {};
    return
        [progress](std::int64_t read, std::int64_t total) { return progress->step(read, total); };
}

} // namespace

EditorSession::EditorSession(RecordFileFactory& files, EditorView& view)
    : view_(view), files_(files), state_(files) {}

// --- opening ------------------------------------------------------------------------------------

void EditorSession::open(const QString& path) {
    // With one file of the pair missing, nothing is opened, created or closed: the file that
    // is there keeps its situations.
    const ScenarioState::OnDisk onDisk = ScenarioState::onDisk(path);
    if (onDisk == ScenarioState::OnDisk::OnlySituationFile ||
        onDisk == ScenarioState::OnDisk::OnlyListFile) {
        const QString missing =
            onDisk == ScenarioState::OnDisk::OnlySituationFile ? listFilePath(path) : path;
        view_.message(
            QStringLiteral("Brak pliku \"%1\" - scenariusz nie zostal otwarty").arg(missing));
        return;
    }
    const bool creating = onDisk == ScenarioState::OnDisk::Neither;
    if (!autoSave())
        return;
    ScenarioState next(files_);
    next.bind(path);
    ScenarioList list;
    Opened opened = Opened::Dropped;
    try {
        opened = openBeside(next, creating, list);
    } catch (...) {
        next.release();
        stopped(path, creating);
        throw;
    }
    if (opened == Opened::Dropped)
        return;
    view_.beforeSwitch(); // a failure here keeps the scenario open before
    try {
        state_.close();
    } catch (...) {
        next.release();
        stopped(path, creating);
        throw;
    }
    state_ = std::move(next);
    if (opened == Opened::Shown)
        view_.showList(list);
    view_.showOpened(path, creating, opened == Opened::Shown);
}

EditorSession::Opened EditorSession::openBeside(ScenarioState& next, bool creating,
                                                ScenarioList& list) {
    const std::unique_ptr<ReadProgress> progress = view_.readProgress(true);
    if (creating) {
        next.createNew();
        next.OdswiezSpis(list);
        next.goTo(1);
        return Opened::Shown;
    }
    next.openExisting();
    if (!next.unfitJournal().isEmpty())
        view_.message(next.unfitJournal());
    if (next.tooLarge()) {
        next.release();
        view_.message(ScenarioState::TooLargeMessage +
                      QStringLiteral(" - scenariusz nie zostal otwarty"));
        return Opened::Dropped;
    }
    if (const std::optional<ScenarioState::OutOfStep> found = next.outOfStep()) {
        if (!view_.question(next.outOfStepQuestion(*found))) {
            next.release();
            return Opened::Dropped;
        }
        next.repair(*found);
    }
    if (next.situationFileEmpty())
        return Opened::Empty;
    next.goTo(1);
    if (!next.OdswiezSpis(list, progressOf(progress.get()))) {
        next.release();
        return Opened::Dropped;
    }
    return Opened::Shown;
}

void EditorSession::stopped(const QString& path, bool creating) {
    // An open that failed leaves nothing open for writing: a save fails as on a file that is
    // not open, and writes no byte.
    state_.reset(path);
    view_.showOpenFailed(path, creating);
}

void EditorSession::offerReopen() {
    if (!view_.question(
            ScenarioPair::ReplacedMessage +
            QStringLiteral(".\n\nOtworzyć scenariusz ponownie? Wpisane pola zostaną zastąpione "
                           "tym, co jest teraz w plikach.")))
        return;
    reopening_ = true;
    const struct Reopened {
        bool& flag;
        ~Reopened() { flag = false; }
    } reopened{reopening_};
    open(state_.situationFilePath());
}

// --- saving -------------------------------------------------------------------------------------

bool EditorSession::ZapiszSytuacje() {
    // A save into files no longer in the folder would be lost without a word.
    if (state_.filesReplaced()) {
        offerReopen();
        return false;
    }
    ScenarioList list;
    // The lists are shown however the rebuild ends, also with what a failed one read.
    const struct Shown {
        EditorView& view;
        const ScenarioList& list;
        ~Shown() { view.showList(list); }
    } shown{view_, list};
    const std::unique_ptr<ReadProgress> progress = view_.readProgress(false);
    const QString refusal = state_.save(view_.fields(), list, progressOf(progress.get()));
    if (!refusal.isEmpty()) {
        view_.message(refusal);
        return false;
    }
    markSaved();
    view_.showSaved(state_.situationFilePath(), state_.numer());
    return true;
}

bool EditorSession::save() {
    if (!ZapiszSytuacje())
        return false;
    state_.endNewSituation();
    return true;
}

bool EditorSession::autoSave() {
    return reopening_ || !view_.autoSaving() || ZapiszSytuacje();
}

bool EditorSession::playFromHere(const StartPlayer& startPlayer) {
    const bool saving = view_.autoSaving();
    if (saving) {
        if (!save())
            return false;
    } else if (hasUnsavedEdits()) {
        view_.message(UnsavedBeforePlayMessage);
        return false;
    }
    if (!startPlayer || !startPlayer(state_.situationFilePath(), state_.numer()))
        view_.message(PlayerFailedMessage);
    return saving;
}

bool EditorSession::close() {
    if (!autoSave())
        return false;
    state_.close();
    return true;
}

// --- unsaved changes ----------------------------------------------------------------------------

bool EditorSession::hasUnsavedEdits() const {
    return state_.newSituation() || view_.fields() != savedFields_ ||
           state_.krok().Bmp.text() != savedPicture_ || state_.krok().Wav.text() != savedSound_;
}

void EditorSession::markSaved() {
    savedFields_ = view_.fields();
    savedPicture_ = state_.krok().Bmp.text();
    savedSound_ = state_.krok().Wav.text();
}
