#pragma once
// The steps of the editor's history: each change that reached the files, and each typed text
// dropped by moving away, kept on a QUndoStack so that it can be undone and done again.
//
// The stack keeps the order, the texts and the clean state; the session carries a step out on
// the files first and moves the stack only when that went through, so a refused undo leaves
// the history as it was. QUndoStack's own undo() and redo() calls therefore do nothing here.

#include "editor/model/ScenarioState.h"

#include <QUndoCommand>
#include <cstdint>
#include <functional>
#include <vector>

// A step the session carries out itself.
class EditStep : public QUndoCommand {
public:
    explicit EditStep(const QString& text) { setText(text); }
    void undo() override {}
    void redo() override {}
};

// A save of one situation: its records before (none: it was appended) and after.
class SaveStep : public EditStep {
public:
    SaveStep(const QString& text, ScenarioState::Written written)
        : EditStep(text), written(std::move(written)) {}
    const ScenarioState::Written written;
};

// A change of the whole scenario (a delete, a move, a copy, an insert, a replace): how to do it
// and undo it on the records read whole, and a fingerprint of the records before and after, so
// that an undo or a redo runs only on exactly the scenario it left, and gives exactly the one
// it found.
class RewriteStep : public EditStep {
public:
    using Records = std::function<void(std::vector<TRekordKroku>&, std::vector<TRekordListy>&)>;
    RewriteStep(const QString& text, Records forward, Records backward)
        : EditStep(text), forward(std::move(forward)), backward(std::move(backward)) {}
    const Records forward;
    const Records backward;
    std::uint64_t before = 0;
    std::uint64_t after = 0;
    // The situation shown after an undo and after the change.
    std::int32_t shownUndone = 1;
    std::int32_t shownDone = 1;
};

// What the author typed into a situation and dropped by moving away without saving: an undo
// brings it back into the fields, unsaved.
class DroppedStep : public EditStep {
public:
    DroppedStep(const QString& text, std::int32_t k, bool newSituation, bool inserting,
                SituationFields fields, QString picture, QString sound)
        : EditStep(text), k(k), newSituation(newSituation), inserting(inserting),
          fields(std::move(fields)), picture(std::move(picture)), sound(std::move(sound)) {}
    const std::int32_t k;
    const bool newSituation;
    const bool inserting;
    const SituationFields fields;
    const QString picture;
    const QString sound;
};

// The fingerprint of a scenario's records, both files' bytes in order.
std::uint64_t fingerprint(const std::vector<TRekordKroku>& rekordy,
                          const std::vector<TRekordListy>& listy);

// The inverse of deleteSituation(rekordy, listy, k): `deleted` put back at k, every road to
// k or later renumbered one on, and the roads `toEnd` (situation, choice 0 to 3, numbered as
// before the delete) leading to k again.
struct RoadSlot {
    std::int32_t situation = 0;
    int choice = 0;
};
void undeleteSituation(std::vector<TRekordKroku>& rekordy, std::vector<TRekordListy>& listy,
                       std::int32_t k, const ScenarioPair::SituationRecords& deleted,
                       const std::vector<RoadSlot>& toEnd);
// The roads of situations other than k that lead to k, numbered as they are now.
std::vector<RoadSlot> roadsTo(const std::vector<TRekordKroku>& rekordy, std::int32_t k);
