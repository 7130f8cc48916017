#pragma once
// The scenario pair as plain UTF-8 text and back, byte for byte (docs/TEXT-FORMAT.md).

#include "authoring/ScenarioSnapshot.h"

#include <QByteArray>
#include <QString>
#include <vector>

// The bytes of both files of a pair: the situation file (*.Kro), then the list file (*.lis).
struct PairBytes {
    QByteArray situations;
    QByteArray list;
};

// A fault in a text: where it is (line and column from 1, the column counted in characters)
// and what was expected there.
struct TextFormError {
    int line = 0;
    int column = 0;
    QString message;
};

// What fromText read: the pair's bytes, or the faults (and then no bytes).
struct TextFormResult {
    PairBytes pair;
    std::vector<TextFormError> errors;
    // The line of each situation's header, by situation number (empty with the faults).
    std::vector<int> situationLines;

    bool ok() const { return errors.empty(); }
};

// The pair as text: one block per situation in number order, one fact per line, lines without
// trailing spaces, ending with one newline (an empty string for a pair of no situations).
// Whatever the ordinary lines cannot say is kept by raw lines and escapes, so that fromText
// gives back every byte.
QString toText(const ScenarioSnapshot& snapshot);

// The pair a text describes; every fault of the text is listed, in the order of its lines,
// each cause once (a block left out is one fault, not one for every header after it).
TextFormResult fromText(const QString& text);

// Why files of these lengths are not a pair of whole records that the text form gives back
// byte for byte (a part of a record at an end, different numbers of records), or an empty
// string when they are.
QString wholeRecordsFault(std::int64_t situationBytes, std::int64_t listBytes);

// The files' bytes as a snapshot. Throws AppError(Other) when a file's length is not a whole
// number of records or the two files hold different numbers of records.
ScenarioSnapshot snapshotFromBytes(const QByteArray& situations, const QByteArray& list);

// The bytes of the files a snapshot holds.
PairBytes pairBytes(const ScenarioSnapshot& snapshot);
