#pragma once
// The journal of a save in flight: what the save overwrites, to undo it after a crash.

#include "common/Records.h"

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

    // Whether this journal can belong to a save of the pair whose files are now `situationNow`
    // and `listNow` bytes long, none of whose files may hold more than `maxSituations`
    // records: its situation within the pair or at the append position, the held bytes those
    // lengths give, and both lengths within one record of the files' present ones. A journal
    // found beside a scenario may have been planted there; one that does not fit is never
    // applied.
    bool fits(std::int64_t situationNow, std::int64_t listNow, std::int64_t maxSituations) const;

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

// The journal of a replace of the whole pair in flight (the text form written over a
// scenario). Both new files are written whole beside the pair under fixed names and flushed
// before this journal is written; then they are renamed over the pair and the journal is
// removed. A journal found later is finished by the next open: what is still staged is renamed
// over its file. It lives where a save's journal does, so no save and no replace overlap.
struct ReplaceJournal {
    static constexpr int Size = 8 + 8 + 8 + 8;

    std::int64_t situationBytes = 0; // the new situation file's length
    std::int64_t listBytes = 0;      // the new list file's length

    // Where a new file waits beside the file it replaces.
    static QString stagedPath(const QString& path) { return path + QStringLiteral("-new"); }

    QByteArray encode() const;
    static std::optional<ReplaceJournal> decode(const QByteArray& bytes);
};
