#include "editor/model/EditorSession.h"

#include "common/Restructure.h"
#include "common/ScenarioFiles.h"
#include "platform/core/AppError.h"

#include <QStringList>
#include <algorithm>
#include <cstring>

const QString EditorSession::UnsavedBeforePlayMessage =
    QStringLiteral("Sytuacja ma niezapisane zmiany. Zapisz ją albo przywróć, zanim zagrasz od "
                   "niej (lub włącz Auto zapisywanie).");
const QString EditorSession::PlayerFailedMessage =
    QStringLiteral("Nie udało się uruchomić gry (programu Zozozarov).");

namespace {

// Whether two vectors of records hold the same bytes.
template <typename Record>
bool sameBytes(const std::vector<Record>& a, const std::vector<Record>& b) {
    return a.size() == b.size() &&
           (a.empty() || std::memcmp(a.data(), b.data(), a.size() * sizeof(Record)) == 0);
}

// Calls the view's progress for the lists' rebuild; none when the view shows none.
ScenarioState::Progress progressOf(ReadProgress* progress) {
    if (!progress)
        return {};
    return
        [progress](std::int64_t read, std::int64_t total) { return progress->step(read, total); };
}

// The lists are shown however their rebuild ends, also with what a failed one read.
struct ShownAtEnd {
    EditorView& view;
    const ScenarioList& list;
    ~ShownAtEnd() { view.showList(list); }
};

// "7 „Studnia”" as the questions name a situation.
QString named(std::int32_t k, const std::vector<TRekordKroku>& rekordy) {
    return QStringLiteral("%1 „%2”").arg(k).arg(rekordy[std::size_t(k)].Nazwa.text());
}

} // namespace

EditorSession::EditorSession(RecordFileFactory& files, EditorView& view, RewriteScenario rewrite,
                             VersionSchedule versions)
    : view_(view), files_(files), rewrite_(std::move(rewrite)), versions_(std::move(versions)),
      state_(files) {}

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
    // A failure here keeps the scenario open before.
    view_.beforeSwitch(reopening_ && path == state_.situationFilePath());
    try {
        state_.close();
    } catch (...) {
        next.release();
        stopped(path, creating);
        throw;
    }
    if (!reopening_ || path != state_.situationFilePath()) {
        history_.clear();
        restored_ = nullptr;
        versions_.startSession();
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
    const ShownAtEnd shown{view_, list};
    const std::unique_ptr<ReadProgress> progress = view_.readProgress(false);
    const bool appended = state_.newSituation();
    if (hasUnsavedEdits())
        keepVersionBeforeSave();
    const QString refusal = state_.save(view_.fields(), list, progressOf(progress.get()));
    if (!refusal.isEmpty()) {
        view_.message(refusal);
        return false;
    }
    // A save that wrote what the files held changed nothing to undo.
    const ScenarioState::Written& written = state_.lastWrite();
    if (written.before != written.after)
        keep(new SaveStep(QStringLiteral("%1 sytuacji %2 „%3”")
                              .arg(appended ? QStringLiteral("dodanie") : QStringLiteral("zapis"))
                              .arg(written.k)
                              .arg(written.after.rekord.Nazwa.text()),
                          written));
    markSaved();
    view_.showSaved(state_.situationFilePath(), state_.numer());
    return true;
}

bool EditorSession::save() {
    if (state_.inserting())
        return insertSaved();
    if (!ZapiszSytuacje())
        return false;
    state_.endNewSituation();
    return true;
}

bool EditorSession::autoSave() {
    if (reopening_)
        return true;
    if (!view_.autoSaving()) {
        keepTyped();
        return true;
    }
    return state_.inserting() ? insertSaved() : ZapiszSytuacje();
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

void EditorSession::keep(EditStep* step) {
    // The push takes the step and drops every step that could have been done again, the
    // one whose text the fields may hold among them.
    restored_ = nullptr;
    history_.push(step);
}

void EditorSession::keepVersionBeforeSave() {
    if (state_.readOnly())
        return;
    if (const std::optional<QString> failed = versions_.beforeSave(state_.situationFilePath()))
        view_.message(*failed);
}

void EditorSession::keepVersionBeforeRewrite(const QString& reason) {
    if (const std::optional<QString> failed =
            versions_.beforeRewrite(state_.situationFilePath(), reason))
        view_.message(*failed);
}

bool EditorSession::restructure(const Restructure& change, const QString& reason, bool saveFirst) {
    // The numbers the author chose from belong to the files open; others may mean another
    // situation.
    if (state_.filesReplaced()) {
        offerReopen();
        return false;
    }
    if (saveFirst && !autoSave())
        return false;
    if (state_.readOnly())
        throw AppError(AppError::AccessDenied);
    keepVersionBeforeRewrite(reason);
    std::unique_ptr<RewriteStep> step;
    QString refusal;
    const bool written = rewriteWithProgress(
        [&](std::vector<TRekordKroku>& rekordy, std::vector<TRekordListy>& listy) {
            const std::uint64_t before = fingerprint(rekordy, listy);
            try {
                step = change(rekordy, listy);
            } catch (const AppError& e) {
                refusal = e.message();
            }
            if (step) {
                step->before = before;
                step->after = fingerprint(rekordy, listy);
            }
            return step != nullptr;
        });
    if (!refusal.isEmpty()) {
        refusal[0] = refusal[0].toUpper();
        view_.message(refusal);
    }
    if (!step || !written)
        return false;
    const std::int32_t shown = step->shownDone;
    keep(step.release());
    reopen();
    // An open that was given up leaves the old files open.
    if (state_.filesReplaced() || shown >= state_.count())
        return false;
    state_.goTo(shown);
    return true;
}

bool EditorSession::rewriteWithProgress(const RecordsChange& change) {
    // A large scenario takes a while: the window shows how far it got, with "Anuluj" until the
    // writing begins. It is gone before the scenario is opened again.
    const std::unique_ptr<ReadProgress> progress = view_.rewriteProgress();
    return rewrite_(state_.situationFilePath(), change, progressOf(progress.get()));
}

bool EditorSession::deleteSituation(std::int32_t k) {
    return restructure(
        [&](std::vector<TRekordKroku>& rekordy,
            std::vector<TRekordListy>& listy) -> std::unique_ptr<RewriteStep> {
            const bool exists = k >= 0 && k < std::int32_t(rekordy.size());
            const QString asked = exists ? named(k, rekordy) : QString();
            const std::vector<RoadSlot> toEnd =
                exists ? roadsTo(rekordy, k) : std::vector<RoadSlot>{};
            const ScenarioPair::SituationRecords deleted =
                exists
                    ? ScenarioPair::SituationRecords{rekordy[std::size_t(k)], listy[std::size_t(k)]}
                    : ScenarioPair::SituationRecords{};
            // Each situation with a road into k once, in number order.
            QStringList from;
            for (const RoadSlot& road : toEnd) {
                const QString name = named(road.situation, rekordy);
                if (from.isEmpty() || from.back() != name)
                    from.append(name);
            }
            // Refused before the author is asked; nothing is written until the answer is "Tak".
            ::deleteSituation(rekordy, listy, k);
            const QString roads =
                from.isEmpty()
                    ? QStringLiteral("Nie prowadzi do niej żadna droga.")
                    : QStringLiteral(
                          "Prowadzą do niej drogi z: %1. Te drogi poprowadzą do sytuacji 0 "
                          "(domyślny koniec).")
                          .arg(from.join(QStringLiteral(", ")));
            if (!view_.question(QStringLiteral("Usunąć sytuację %1?\n\n%2").arg(asked, roads)))
                return nullptr;
            auto step = std::make_unique<RewriteStep>(
                QStringLiteral("usunięcie sytuacji %1").arg(asked),
                [k](std::vector<TRekordKroku>& r, std::vector<TRekordListy>& l) {
                    ::deleteSituation(r, l, k);
                },
                [k, deleted, toEnd](std::vector<TRekordKroku>& r, std::vector<TRekordListy>& l) {
                    undeleteSituation(r, l, k, deleted, toEnd);
                });
            step->shownUndone = k;
            step->shownDone = std::min(k, std::int32_t(rekordy.size()) - 1);
            return step;
        },
        QStringLiteral("przed usunięciem sytuacji %1").arg(k));
}

bool EditorSession::moveSituation(std::int32_t k, Direction direction) {
    const bool down = direction == Direction::Down;
    const std::int32_t to = down ? k + 1 : k - 1;
    return restructure(
        [&](std::vector<TRekordKroku>& rekordy,
            std::vector<TRekordListy>& listy) -> std::unique_ptr<RewriteStep> {
            if (down && k == std::int32_t(rekordy.size()) - 1)
                throw AppError(AppError::Other,
                               QStringLiteral("sytuacja %1 jest ostatnia; nie można jej przesunąć "
                                              "niżej")
                                   .arg(k));
            ::moveSituation(rekordy, listy, k, to);
            auto step = std::make_unique<RewriteStep>(
                QStringLiteral("przesunięcie sytuacji %1 %2")
                    .arg(named(to, rekordy),
                         down ? QStringLiteral("niżej") : QStringLiteral("wyżej")),
                [k, to](std::vector<TRekordKroku>& r, std::vector<TRekordListy>& l) {
                    ::moveSituation(r, l, k, to);
                },
                [k, to](std::vector<TRekordKroku>& r, std::vector<TRekordListy>& l) {
                    ::moveSituation(r, l, to, k);
                });
            step->shownUndone = k;
            step->shownDone = to;
            return step;
        },
        QStringLiteral("przed przesunięciem sytuacji %1").arg(k));
}

bool EditorSession::duplicateSituation(std::int32_t k) {
    return restructure(
        [&](std::vector<TRekordKroku>& rekordy,
            std::vector<TRekordListy>& listy) -> std::unique_ptr<RewriteStep> {
            const std::int32_t copy = ::duplicateSituation(rekordy, listy, k);
            auto step = std::make_unique<RewriteStep>(
                QStringLiteral("powielenie sytuacji %1").arg(named(k, rekordy)),
                [k](std::vector<TRekordKroku>& r, std::vector<TRekordListy>& l) {
                    ::duplicateSituation(r, l, k);
                },
                [](std::vector<TRekordKroku>& r, std::vector<TRekordListy>& l) {
                    // The copy is the last situation, and no road numbered for it was changed.
                    r.pop_back();
                    l.pop_back();
                });
            step->shownUndone = k;
            step->shownDone = copy;
            return step;
        },
        QStringLiteral("przed powieleniem sytuacji %1").arg(k));
}

bool EditorSession::replaceAll(const QString& needle, const QString& replacement,
                               const SearchOptions& options, ReplaceResult& result) {
    result = {};
    return restructure(
        [&](std::vector<TRekordKroku>& rekordy,
            std::vector<TRekordListy>& listy) -> std::unique_ptr<RewriteStep> {
            const std::vector<TRekordKroku> rekordyBefore = rekordy;
            const std::vector<TRekordListy> listyBefore = listy;
            result = ::replaceAll(rekordy, listy, needle, replacement, options);
            if (result.changed.empty())
                return nullptr;
            // Only the situations changed are kept, before and after.
            using Kept = std::vector<std::pair<std::int32_t, ScenarioPair::SituationRecords>>;
            Kept before;
            Kept after;
            for (const std::int32_t k : result.changed) {
                const auto at = std::size_t(k);
                before.push_back({k, {rekordyBefore[at], listyBefore[at]}});
                after.push_back({k, {rekordy[at], listy[at]}});
            }
            const auto put = [](const Kept& kept) {
                return [kept](std::vector<TRekordKroku>& r, std::vector<TRekordListy>& l) {
                    for (const auto& [k, records] : kept) {
                        r[std::size_t(k)] = records.rekord;
                        l[std::size_t(k)] = records.lista;
                    }
                };
            };
            auto step = std::make_unique<RewriteStep>(QStringLiteral("zamiana „%1” na „%2” (%3)")
                                                          .arg(needle, replacement)
                                                          .arg(result.replacements),
                                                      put(after), put(before));
            const std::int32_t shown =
                std::clamp(state_.numer(), std::int32_t(1), std::int32_t(rekordy.size()) - 1);
            step->shownUndone = shown;
            step->shownDone = shown;
            return step;
        },
        QStringLiteral("przed zamianą „%1” na „%2”").arg(needle, replacement));
}

bool EditorSession::restoreVersion(const QString& label, std::vector<TRekordKroku> rekordy,
                                   std::vector<TRekordListy> listy) {
    if (rekordy.size() != listy.size() || rekordy.size() < 2)
        throw AppError(AppError::Other,
                       QStringLiteral("Wersja %1 nie jest całym scenariuszem").arg(label));
    using Records = std::pair<std::vector<TRekordKroku>, std::vector<TRekordListy>>;
    const auto version = std::make_shared<const Records>(std::move(rekordy), std::move(listy));
    return restructure(
        [&](std::vector<TRekordKroku>& r,
            std::vector<TRekordListy>& l) -> std::unique_ptr<RewriteStep> {
            if (sameBytes(r, version->first) && sameBytes(l, version->second))
                throw AppError(AppError::Other,
                               QStringLiteral("wersja %1 jest taka sama jak scenariusz teraz - "
                                              "nie ma czego przywracać")
                                   .arg(label));
            const auto present = std::make_shared<const Records>(r, l);
            r = version->first;
            l = version->second;
            auto step = std::make_unique<RewriteStep>(
                QStringLiteral("przywrócenie wersji %1").arg(label),
                [version](std::vector<TRekordKroku>& r, std::vector<TRekordListy>& l) {
                    r = version->first;
                    l = version->second;
                },
                [present](std::vector<TRekordKroku>& r, std::vector<TRekordListy>& l) {
                    r = present->first;
                    l = present->second;
                });
            // The situation shown, or the last there is; a scenario of situation 0 alone shows
            // none (the reopen finds no situation 1).
            const auto shownIn = [this](std::size_t count) {
                return std::min(state_.numer(), std::max(std::int32_t(count) - 1, 1));
            };
            step->shownUndone = shownIn(present->first.size());
            step->shownDone = shownIn(r.size());
            return step;
        },
        QStringLiteral("przed przywróceniem wersji %1").arg(label));
}

bool EditorSession::insertAfter(std::int32_t k) {
    if (!autoSave())
        return false;
    if (state_.readOnly())
        throw AppError(AppError::AccessDenied);
    state_.startInsertAfter(k);
    return true;
}

bool EditorSession::insertSaved() {
    const std::int32_t at = state_.numer();
    if (const std::optional<QString> refused = state_.gather(view_.fields())) {
        view_.message(*refused);
        return false;
    }
    const ScenarioPair::SituationRecords inserted{state_.rekord(), state_.lista()};
    const bool done = restructure(
        [&](std::vector<TRekordKroku>& rekordy,
            std::vector<TRekordListy>& listy) -> std::unique_ptr<RewriteStep> {
            // Appended with its roads numbered as the author chose them, then moved into place:
            // every road follows its situation.
            const auto put = [at, inserted](std::vector<TRekordKroku>& r,
                                            std::vector<TRekordListy>& l) {
                if (at < 2 || at > std::int32_t(r.size()))
                    throw AppError(
                        AppError::Other,
                        QStringLiteral("nie ma sytuacji %1 - nie można wstawić nowej za nią")
                            .arg(at - 1));
                r.push_back(inserted.rekord);
                l.push_back(inserted.lista);
                ::moveSituation(r, l, std::int32_t(r.size()) - 1, at);
            };
            put(rekordy, listy);
            auto step = std::make_unique<RewriteStep>(
                QStringLiteral("wstawienie sytuacji %1").arg(named(at, rekordy)), put,
                [at](std::vector<TRekordKroku>& r, std::vector<TRekordListy>& l) {
                    ::deleteSituation(r, l, at);
                });
            step->shownUndone = at - 1;
            step->shownDone = at;
            return step;
        },
        QStringLiteral("przed wstawieniem sytuacji za %1").arg(at - 1), false);
    if (done)
        view_.showSaved(state_.situationFilePath(), state_.numer());
    return done;
}

// --- the history --------------------------------------------------------------------------------

const QString EditorSession::ChangedSinceMessage =
    QStringLiteral("Pliki scenariusza zmieniły się od tego kroku (zmienił je inny program) - "
                   "nic nie zostało zapisane");

QString EditorSession::shownName() const {
    return QStringLiteral("%1 „%2”").arg(state_.numer()).arg(view_.fields().nazwa);
}

bool EditorSession::typedSomething() const {
    if (!hasUnsavedEdits())
        return false;
    if (!state_.newSituation())
        return true;
    const SituationFields f = view_.fields();
    return !f.nazwa.isEmpty() || !f.opis.isEmpty() ||
           std::any_of(f.wybory.begin(), f.wybory.end(),
                       [](const QString& text) { return !text.isEmpty(); });
}

void EditorSession::keepTyped() {
    if (!typedSomething())
        return;
    // The text an undo brought back is still in its step.
    if (restoredShown())
        return;
    const QString where = state_.newSituation()
                              ? QStringLiteral("nowej sytuacji „%1”").arg(view_.fields().nazwa)
                              : QStringLiteral("sytuacji %1").arg(shownName());
    keep(new DroppedStep(QStringLiteral("porzucenie zmian w %1").arg(where), state_.numer(),
                         state_.newSituation(), state_.inserting(), view_.fields(),
                         state_.krok().Bmp.text(), state_.krok().Wav.text()));
}

void EditorSession::rebuildLists() {
    ScenarioList list;
    const ShownAtEnd shown{view_, list};
    const std::unique_ptr<ReadProgress> progress = view_.readProgress(false);
    state_.OdswiezSpis(list, progressOf(progress.get()));
}

bool EditorSession::restoredShown() const {
    return restored_ && history_.index() < history_.count() &&
           history_.command(history_.index()) == restored_ && view_.fields() == restored_->fields;
}

bool EditorSession::dropTyped() {
    // The newest change is the text typed: it goes first, and stays within reach.
    if (!typedSomething() || restoredShown())
        return false;
    const bool inserting = state_.inserting();
    const std::int32_t numer = state_.numer();
    keepTyped();
    state_.goTo(state_.newSituation() ? std::min(inserting ? numer - 1 : numer, state_.count() - 1)
                                      : numer);
    return true;
}

bool EditorSession::undo() {
    if (dropTyped())
        return true;
    return history_.canUndo() && walk(history_.index() - 1, true);
}

bool EditorSession::redo() {
    if (dropTyped())
        return true;
    return history_.canRedo() && walk(history_.index(), false);
}

bool EditorSession::walk(int index, bool undoing) {
    auto& step = *static_cast<EditStep*>(const_cast<QUndoCommand*>(history_.command(index)));
    const std::optional<bool> draw = carryOut(step, undoing);
    if (!draw)
        return false;
    if (undoing) {
        history_.undo();
        restored_ = dynamic_cast<const DroppedStep*>(&step);
    } else {
        history_.redo();
        restored_ = nullptr;
    }
    return *draw;
}

std::optional<bool> EditorSession::carryOut(EditStep& step, bool undoing) {
    if (auto* dropped = dynamic_cast<DroppedStep*>(&step)) {
        if (!undoing) {
            // Done again: the text is dropped again and the situation shown from the files.
            state_.goTo(
                std::min(dropped->newSituation ? dropped->k - 1 : dropped->k, state_.count() - 1));
            return true;
        }
        if (dropped->newSituation && dropped->inserting)
            state_.startInsertAfter(dropped->k - 1);
        else if (dropped->newSituation)
            state_.startNewSituation();
        else if (dropped->k < state_.count())
            state_.goTo(dropped->k);
        else
            throw AppError(AppError::Other,
                           QStringLiteral("Sytuacji %1 już nie ma w scenariuszu").arg(dropped->k));
        view_.showDropped(dropped->fields, dropped->picture, dropped->sound);
        return false;
    }
    if (state_.filesReplaced()) {
        offerReopen();
        throw AppError(AppError::Other, ScenarioPair::ReplacedMessage);
    }
    if (state_.readOnly())
        throw AppError(AppError::AccessDenied);
    if (auto* saved = dynamic_cast<SaveStep*>(&step)) {
        keepVersionBeforeSave();
        const ScenarioState::Written& w = saved->written;
        if (undoing && w.before)
            state_.putRecords(w.k, *w.before, w.after);
        else if (undoing)
            state_.cutLast(w.k, w.after);
        else
            state_.putRecords(w.k, w.after, w.before);
        // The situation shown first: the rebuild ends on its list record.
        state_.goTo(undoing && !w.before ? w.k - 1 : w.k);
        rebuildLists();
        return true;
    }
    auto& whole = static_cast<RewriteStep&>(step);
    keepVersionBeforeRewrite(
        (undoing ? QStringLiteral("przed cofnięciem: %1") : QStringLiteral("przed ponowieniem: %1"))
            .arg(step.text()));
    const bool written = rewriteWithProgress(
        [&](std::vector<TRekordKroku>& rekordy, std::vector<TRekordListy>& listy) {
            if (fingerprint(rekordy, listy) != (undoing ? whole.after : whole.before))
                throw AppError(AppError::Other, ChangedSinceMessage);
            (undoing ? whole.backward : whole.forward)(rekordy, listy);
            if (fingerprint(rekordy, listy) != (undoing ? whole.before : whole.after))
                throw AppError(AppError::Other, ChangedSinceMessage);
            return true;
        });
    if (!written)
        return std::nullopt;
    reopen();
    const std::int32_t shown = undoing ? whole.shownUndone : whole.shownDone;
    if (state_.filesReplaced() || shown >= state_.count())
        return false;
    state_.goTo(shown);
    return true;
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
