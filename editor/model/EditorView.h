#pragma once
// What the editor's session needs from the window that shows it: the author's answers, the
// fields as typed, and the drawing that follows each step. The window implements it; a test of
// the session implements it with a script and no display.

#include "editor/model/ScenarioState.h"

#include <QString>
#include <cstdint>
#include <memory>

// A long read of the lists, shown to the author while it lasts: told after each block how far
// it got; false when the author cancelled it. The read is over when the object goes.
class ReadProgress {
public:
    virtual ~ReadProgress() = default;
    virtual bool step(std::int64_t read, std::int64_t total) = 0;
};

class EditorView {
public:
    virtual ~EditorView() = default;

    // --- the author's answers -------------------------------------------------------------------
    virtual void message(const QString& text) = 0;
    // A yes/no question; true is "Tak".
    virtual bool question(const QString& text) = 0;
    // A long read begins; `cancellable`: the author may stop it.
    virtual std::unique_ptr<ReadProgress> readProgress(bool cancellable) = 0;
    // A rewrite of the whole scenario begins: shown as a long read is, under its own caption;
    // the author may stop it until the writing begins.
    virtual std::unique_ptr<ReadProgress> rewriteProgress() = 0;

    // --- what the window holds ------------------------------------------------------------------
    // The fields as the author typed them.
    virtual SituationFields fields() const = 0;
    // Whether "Auto zapisywanie" is on.
    virtual bool autoSaving() const = 0;

    // --- drawing --------------------------------------------------------------------------------
    // An open read the new scenario and is about to let go of the one open now: the window
    // turns editing on. Throwing keeps the scenario open before.
    // `again`: the same scenario is opened again after the editor rewrote or another program
    // replaced its files; what the window opened for it (the sound device) stays as it is.
    virtual void beforeSwitch(bool again) = 0;
    // The scenario at `path` is now the one open; `shown` false: its situation file is empty,
    // no situation is shown. `creating`: it was just made.
    virtual void showOpened(const QString& path, bool creating, bool shown) = 0;
    // An open that failed leaves nothing open: the window shows the path with empty fields.
    virtual void showOpenFailed(const QString& path, bool creating) = 0;
    // A rebuild of the lists read `list` (shown only when it emptied the old names).
    virtual void showList(const ScenarioList& list) = 0;
    // Situation `numer` of the scenario at `path` was saved.
    virtual void showSaved(const QString& path, std::int32_t numer) = 0;
    // An undo brought back text typed into the situation now current (or into the new
    // situation state() is in): the window shows the situation, then puts these fields and
    // media names in, unsaved.
    virtual void showDropped(const SituationFields& fields, const QString& picture,
                             const QString& sound) = 0;
};
