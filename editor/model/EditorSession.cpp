#include "editor/model/EditorSession.h"

#include "common/Restructure.h"
#include "common/ScenarioFiles.h"
#include "platform/core/AppError.h"

#include <QStringList>
#include <algorithm>

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

// "7 „Studnia”" as the questions name a situation.
QString named(std::int32_t k, const std::vector<TRekordKroku>& rekordy) {
    return QStringLiteral("%1 „%2”").arg(k).arg(rekordy[std::size_t(k)].Nazwa.text());
}

// The situations other than n with a road into n, named, in number order.
QStringList roadsInto(std::int32_t n, const std::vector<TRekordKroku>& rekordy) {
    QStringList from;
    for (std::int32_t k = 0; k < std::int32_t(rekordy.size()); ++k) {
        const TRekordKroku& r = rekordy[std::size_t(k)];
        if (k != n && (r.Krok_Wybrany1.get() == n || r.Krok_Wybrany2.get() == n ||
                       r.Krok_Wybrany3.get() == n || r.Krok_Wybrany4.get() == n))
            from.append(named(k, rekordy));
    }
    return from;
}

} // namespace

EditorSession::EditorSession(RecordFileFactory& files, EditorView& view, RewriteScenario rewrite)
    : view_(view), files_(files), rewrite_(std::move(rewrite)), state_(files) {}

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
    reopen();
}

void EditorSession::reopen() {
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

// --- restructuring -----------------------------------------------------------------------------

bool EditorSession::restructure(const Restructure& change) {
    // The numbers the author chose from belong to the files open; others may mean another
    // situation.
    if (state_.filesReplaced()) {
        offerReopen();
        return false;
    }
    if (!autoSave())
        return false;
    if (state_.readOnly())
        throw AppError(AppError::AccessDenied);
    std::optional<std::int32_t> shown;
    QString refusal;
    rewrite_(state_.situationFilePath(),
             [&](std::vector<TRekordKroku>& rekordy, std::vector<TRekordListy>& listy) {
                 try {
                     shown = change(rekordy, listy);
                 } catch (const AppError& e) {
                     refusal = e.message();
                 }
                 return shown.has_value();
             });
    if (!refusal.isEmpty()) {
        refusal[0] = refusal[0].toUpper();
        view_.message(refusal);
    }
    if (!shown)
        return false;
    reopen();
    // An open that was given up leaves the old files open.
    if (state_.filesReplaced() || *shown >= state_.count())
        return false;
    state_.goTo(*shown);
    return true;
}

bool EditorSession::deleteSituation(std::int32_t k) {
    return restructure([&](std::vector<TRekordKroku>& rekordy,
                           std::vector<TRekordListy>& listy) -> std::optional<std::int32_t> {
        const QStringList from = roadsInto(k, rekordy);
        const QString asked =
            k >= 0 && k < std::int32_t(rekordy.size()) ? named(k, rekordy) : QString();
        // Refused before the author is asked; nothing is written until the answer is "Tak".
        ::deleteSituation(rekordy, listy, k);
        const QString roads =
            from.isEmpty()
                ? QStringLiteral("Nie prowadzi do niej żadna droga.")
                : QStringLiteral("Prowadzą do niej drogi z: %1. Te drogi poprowadzą do sytuacji 0 "
                                 "(domyślny koniec).")
                      .arg(from.join(QStringLiteral(", ")));
        if (!view_.question(QStringLiteral("Usunąć sytuację %1?\n\n%2").arg(asked, roads)))
            return std::nullopt;
        return std::min(k, std::int32_t(rekordy.size()) - 1);
    });
}

bool EditorSession::moveSituation(std::int32_t k, Direction direction) {
    const bool down = direction == Direction::Down;
    const std::int32_t to = down ? k + 1 : k - 1;
    return restructure([&](std::vector<TRekordKroku>& rekordy,
                           std::vector<TRekordListy>& listy) -> std::optional<std::int32_t> {
        if (down && k == std::int32_t(rekordy.size()) - 1)
            throw AppError(AppError::Other,
                           QStringLiteral("sytuacja %1 jest ostatnia; nie można jej przesunąć "
                                          "niżej")
                               .arg(k));
        ::moveSituation(rekordy, listy, k, to);
        return to;
    });
}

bool EditorSession::duplicateSituation(std::int32_t k) {
    return restructure([&](std::vector<TRekordKroku>& rekordy,
                           std::vector<TRekordListy>& listy) -> std::optional<std::int32_t> {
        return ::duplicateSituation(rekordy, listy, k);
    });
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
