#pragma once
// The editor's workflow over its scenario: opening (beside the one open, repairing, refusing),
// saving and the automatic save, what counts as unsaved, playing from a situation, deleting,
// moving and duplicating a situation, and closing.
// It asks and draws through an EditorView; it knows no widget.

#include "common/FindReplace.h"
#include "common/Records.h"
#include "editor/model/EditSteps.h"
#include "editor/model/EditorView.h"
#include "editor/model/ScenarioState.h"
#include "editor/model/VersionSchedule.h"

#include <QString>
#include <QUndoStack>
#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

class EditorSession {
public:
    static const QString UnsavedBeforePlayMessage;
    static const QString PlayerFailedMessage;
    // An undo or a redo of a change of the whole scenario refused: the files are no longer
    // what the change left (or found).
    static const QString ChangedSinceMessage;

    // Starts the player on the scenario at `path`, at situation `from`; false when it could
    // not be started.
    using StartPlayer = std::function<bool(const QString& path, std::int32_t from)>;

    // Changes the records of a whole scenario (record k of each vector belonging to situation
    // k); false when nothing is to be written.
    using RecordsChange =
        std::function<bool(std::vector<TRekordKroku>& rekordy, std::vector<TRekordListy>& listy)>;
    // Reads the scenario at `path` whole, lets `change` change its records and, when it returns
    // true, writes them back all or nothing, refused when another program changed the files
    // since they were read. `progress` is told how far it got and may stop it before it writes.
    // True when the files were written. Throws AppError.
    using RewriteScenario = std::function<bool(const QString& path, const RecordsChange& change,
                                               const ScenarioState::Progress& progress)>;

    enum class Direction { Up, Down };

    // `versions`: when versions of the scenario are kept (none by default).
    EditorSession(RecordFileFactory& files, EditorView& view, RewriteScenario rewrite,
                  VersionSchedule versions = {});

    ScenarioState& state() { return state_; }
    const ScenarioState& state() const { return state_; }
    // Every change this session made to the files of the scenario open, and every typed text
    // it dropped, in order; "Cofnij" and "Ponów" walk it. Opening another scenario empties it.
    QUndoStack& history() { return history_; }

    // "Cofnij" / "Ponów": the step before (after) the history's position undone (done again)
    // on the files, all or nothing, refused with a message when the files no longer hold what
    // the step left (found) there. A text typed into the fields and not saved counts as the
    // newest step: it is dropped first, kept as a step of its own (unless it is the text the
    // last undo brought back). True when the window is to show state().numer() from the
    // files; a typed text brought back is drawn through the view (showDropped) and gives
    // false. Throws AppError.
    bool undo();
    bool redo();
    // "Wstaw nową za": the automatic save, then a new situation to be inserted right after
    // situation k, edited as "N&owa" edits; its save inserts it. False when the automatic
    // save refused. Throws AppError.
    bool insertAfter(std::int32_t k);
    // "P&rzywróc" and every move away without the automatic save: the text typed into the
    // fields, if any, kept as a step that brings it back.
    void keepTyped();

    // Opens the scenario at `path` (creating it when neither file is there), the automatic
    // save first. The new scenario is opened and read beside the one open now, which stays as
    // it is until the new one is ready: a declined, cancelled or refused open changes nothing.
    // One that fails leaves nothing open and throws AppError.
    void open(const QString& path);
    // "&Zapisz": saves the fields and leaves new-situation mode; false when refused (the author
    // was told why). Throws AppError.
    bool save();
    // The automatic save before a change of situation or scenario: true when it is off, when
    // the scenario is being opened again, or when the save went through. Throws AppError.
    bool autoSave();
    // "Graj stąd": with the automatic save on, saves first; otherwise refuses a situation with
    // unsaved changes. Then starts the player at the situation shown. True when it saved the
    // situation first. Throws AppError.
    bool playFromHere(const StartPlayer& startPlayer);
    // "Usuń sytuację": situation k deleted when the author agrees, the roads into it leading
    // to 0; the one now at k (or the last) shown. "Przesuń wyżej/niżej": k swapped with its
    // neighbour, then shown at its new number. "Powiel sytuację": a copy of k appended and
    // shown. Each runs the automatic save first and rewrites the whole scenario, which is then
    // opened again; a refusal is told and changes nothing. True when the scenario changed and
    // state().numer() is the situation to show. Throws AppError.
    bool deleteSituation(std::int32_t k);
    bool moveSituation(std::int32_t k, Direction direction);
    bool duplicateSituation(std::int32_t k);
    // "Zamień wszystko": every hit of `needle` replaced across the scenario as one step, the
    // situations it refused in `result`. True when the scenario changed and state().numer()
    // is the situation to show. Throws AppError.
    bool replaceAll(const QString& needle, const QString& replacement, const SearchOptions& options,
                    ReplaceResult& result);
    // "Przywróć" in "Historia": the whole scenario replaced by the records of a version
    // (`label`: the version as the author knows it), as one step of the history, after a
    // version of the scenario as it is now is kept. A version that does not differ from the
    // files is refused with a message. True when the scenario changed and state().numer() is
    // the situation to show. Throws AppError.
    bool restoreVersion(const QString& label, std::vector<TRekordKroku> rekordy,
                        std::vector<TRekordListy> listy);
    // Before the window closes: the automatic save, then the files closed. False keeps the
    // window open. Throws AppError.
    bool close();

    // Whether the fields or the media names differ from the situation as it was last shown or
    // saved, or the situation shown is a new one not saved yet.
    bool hasUnsavedEdits() const;
    // Remembers the fields as the window shows them now, and the media names, as saved.
    void markSaved();

private:
    enum class Opened { Shown, Empty, Dropped };
    // Opens (or creates) the scenario bound in `next`, repairs or refuses what cannot be
    // edited, and reads situation 1 and the lists into `list`. Throws AppError.
    Opened openBeside(ScenarioState& next, bool creating, ScenarioList& list);
    // What an open that failed leaves: nothing open, the path kept.
    void stopped(const QString& path, bool creating);
    // Saves the fields at the current situation and rebuilds the lists; false when refused or
    // when another program replaced the files (the author may then open them again).
    bool ZapiszSytuacje();
    // Asks whether to open the scenario again after another program replaced its files.
    void offerReopen();
    // Opens the scenario again, with no automatic save.
    void reopen();
    // Changes the records of the scenario read whole; the situation to show afterwards, or
    // nothing when nothing is to be written. Throws AppError to refuse.
    // Changes the records of the scenario read whole and tells how to undo it, or gives
    // nothing when nothing is to be written. Throws AppError to refuse.
    using Restructure = std::function<std::unique_ptr<RewriteStep>(std::vector<TRekordKroku>&,
                                                                   std::vector<TRekordListy>&)>;
    // The automatic save, `change` on the scenario rewritten whole (its refusal told), the
    // scenario opened again, the situation the step shows made current and the step kept.
    // `saveFirst` false: no automatic save first (the change saves the situation shown).
    // `reason`: why the version kept before the change was kept.
    bool restructure(const Restructure& change, const QString& reason, bool saveFirst = true);
    // A version kept before a save or a change of the whole scenario; a failure told once.
    void keepVersionBeforeSave();
    void keepVersionBeforeRewrite(const QString& reason);
    // Keeps a step that is done on the history.
    void keep(EditStep* step);
    // Saves the new situation that is to be inserted: the scenario rewritten with it in place.
    bool insertSaved();
    // Whether the fields hold, unchanged, the text the last undo brought back from its step.
    bool restoredShown() const;
    // Before an undo or a redo: a text typed and not saved is dropped first, kept as a step,
    // and the situation shown from the files. True when it was.
    bool dropTyped();
    // Step `index` of the history carried out, backwards or forwards, and the history moved
    // past it when that went through.
    bool walk(int index, bool undoing);
    // One step of the history carried out on the files backwards (undo) or forwards: whether
    // the window is to draw the situation current, or nothing when the author stopped it and
    // nothing was written.
    std::optional<bool> carryOut(EditStep& step, bool undoing);
    // The rewrite with a progress the author may stop; false when stopped.
    bool rewriteWithProgress(const RecordsChange& change);
    // Whether the fields hold text the author typed and did not save (a new situation with
    // no name, description or choice text holds none).
    bool typedSomething() const;
    // Rebuilds the lists after a step and shows them.
    void rebuildLists();
    // "7 „Studnia”" for the situation shown.
    QString shownName() const;

    EditorView& view_;
    RecordFileFactory& files_;
    RewriteScenario rewrite_;
    VersionSchedule versions_;
    ScenarioState state_;
    SituationFields savedFields_;
    QUndoStack history_;
    // The dropped step whose text the last undo brought back into the fields, while they
    // hold it unchanged.
    const DroppedStep* restored_ = nullptr;
    QString savedPicture_;
    QString savedSound_;
    // While the scenario is opened again after its files were replaced: no automatic save.
    bool reopening_ = false;
};
