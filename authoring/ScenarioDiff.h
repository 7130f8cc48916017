#pragma once
// The difference of two scenarios: their text forms line by line, and their situations counted.

#include "authoring/ScenarioSnapshot.h"

#include <QString>
#include <vector>

// One line of a comparison of two texts, with its line number in each text (from 1; 0 in the
// text that does not hold it).
struct DiffLine {
    enum class Kind { Same, Removed, Added } kind;
    QString text;
    int oldLine = 0;
    int newLine = 0;
};

// Every line of both texts in order, the common ones (a longest common subsequence, found by
// Myers' linear-space search after the equal head and tail are cut off, so that two large texts
// that differ in a few places are compared fast) marked Same; within each change the removed
// lines come before the added ones. A final newline ends the last line and makes none.
std::vector<DiffLine> diffLines(const QString& oldText, const QString& newText);

// `lines` as a unified diff, as diff -u prints one: "--- oldName", "+++ newName", then for each
// run of changes a hunk "@@ -l,n +l,n @@" (where it starts in each text and how many lines it
// holds there; an empty range names the line before it) with `context` common lines around it,
// its lines marked " ", "-" or "+". Changes no more than 2 * context lines apart share a hunk.
// Only the two headers when nothing changed.
QString unifiedDiff(const QString& oldName, const QString& newName,
                    const std::vector<DiffLine>& lines, int context = 3);

// How many situations one scenario has more than, fewer than, or different from another.
struct ScenarioChanges {
    int added = 0;
    int changed = 0;
    int removed = 0;

    bool none() const { return added == 0 && changed == 0 && removed == 0; }
    // One line in Polish: "+2 sytuacje, 5 zmienionych, 1 usunięta", "3 zmienione sytuacje",
    // "bez zmian".
    QString summary() const;
};

// Situation by situation by number: one past the end of `older` is added, one past the end of
// `newer` removed, one whose situation or list record differs in any byte changed.
ScenarioChanges compareScenarios(const ScenarioSnapshot& older, const ScenarioSnapshot& newer);
