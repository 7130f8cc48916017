#pragma once
// Every record of a scenario pair in memory, read in bulk for the check and the map.

#include "common/Records.h"
#include "platform/core/RecordFile.h"

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <functional>
#include <vector>

// A scenario as the files hold it at one moment: record k of each file belongs to situation k.
// Only situations that both files hold whole are kept; `claimed` is how many the player
// counts (the situation file's records, a trailing part counting as one).
struct ScenarioSnapshot {
    QString situationFilePath;
    // Where the scenario's pictures and sounds are looked up: the folder of the situation
    // file, ending in "/", or empty for the current folder.
    QString folder;
    std::vector<TRekordKroku> rekordy;
    std::vector<TRekordListy> listy;
    std::int64_t claimed = 0;
    // The files' lengths in bytes as read (a pending save read as before it).
    std::int64_t situationBytes = 0;
    std::int64_t listBytes = 0;

    std::int32_t size() const { return static_cast<std::int32_t>(rekordy.size()); }
};

// A new byte array of `size` bytes whose content is not set, laid in large memory pages where
// the system offers them: the first touch of each small page of a buffer of tens of megabytes
// costs more than reading the bytes from the page cache, on a virtual machine many times more.
QByteArray largeBuffer(qsizetype size);

// Told how many of how many situations have been read; false stops the read.
using SnapshotProgress = std::function<bool(std::int64_t read, std::int64_t total)>;

// Reads the pair at `situationFilePath` for reading only, as the player opens it, in blocks of
// situations, one read call per file and block (ScenarioPair::readRange). A pair whose files
// claim more than MaxSituations situations (exceedsLimit) is refused with
// AppError(Other, TooLargeMessage) before any record is read. Throws the open's AppError ("File not
// found", ...); a read cut short by the end of either file stops there without an error. A stopped
// read throws nothing and returns what was read.
ScenarioSnapshot readSnapshot(RecordFileFactory& files, const QString& situationFilePath,
                              const SnapshotProgress& progress = {});
