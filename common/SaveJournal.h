#pragma once
// The journal of a save in flight: what the save overwrites, to undo it after a crash.

#include "Records.h"

#include <QByteArray>
#include <QString>
#include <array>
#include <cstdint>
#include <optional>

// A save writes the situation record and the list record of one situation. Before it touches
// either file, it writes this journal beside the pair and flushes it: the lengths both files
// had and the bytes of record k that each held. Once both records are written and flushed,
// the journal is removed; that removal is the moment the save happens. A journal found later
// belongs to a save that never finished, and undoing it gives the pair exactly as it was.
// A journal cut short by a crash fails its checksum: the files were not touched yet.
struct SaveJournal {
    // Bytes of the journal file: a tag, the fields in little-endian order, a checksum.
    static constexpr int Size = 8 + 4 + 8 + 8 + 4 + 4 + TRekordKroku::Size + TRekordListy::Size + 8;

    std::int32_t k = 0;              // the situation saved
    std::int64_t situationBytes = 0; // the situation file's length before the save
    std::int64_t listBytes = 0;      // the list file's length before the save
    int situationHeld = 0;           // bytes of record k the situation file held (0 to 516)
    int listHeld = 0;                // bytes of record k the list file held (0 to 22)
    std::array<char, TRekordKroku::Size> situation{};
    std::array<char, TRekordListy::Size> list{};

    // The journal's path: the situation file's path with "-journal" appended.
    static QString pathFor(const QString& situationFilePath);

    QByteArray encode() const;
    // The journal in `bytes`, or nothing when they are not a whole journal (cut short,
    // another file, a checksum that does not match, fields out of range).
    static std::optional<SaveJournal> decode(const QByteArray& bytes);

    // Whether record k of both files, as they were before the save, was whole.
    bool heldWhole() const {
        return situationHeld == TRekordKroku::Size && listHeld == TRekordListy::Size;
    }
    // Whether record `n` of both files, as they were before the save, was whole.
    bool wholeBefore(std::int64_t n) const {
        return (n + 1) * TRekordKroku::Size <= situationBytes &&
               (n + 1) * TRekordListy::Size <= listBytes;
    }
};
