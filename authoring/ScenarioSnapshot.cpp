#include "authoring/ScenarioSnapshot.h"

#include "common/ScenarioFiles.h"
#include "platform/core/AppError.h"

#include <algorithm>

namespace {

// Situations read per block: large enough for one read call per file to dominate, small
// enough to report progress often.
constexpr std::int64_t kBlock = 4096;

} // namespace

ScenarioSnapshot readSnapshot(RecordFileFactory& files, const QString& situationFilePath,
                              const SnapshotProgress& progress) {
    ScenarioSnapshot snapshot;
    snapshot.situationFilePath = situationFilePath;
    snapshot.folder = folderOfScenario(situationFilePath);

    ScenarioPair pair(files);
    pair.openExisting(situationFilePath, RecordFile::Access::ReadOnly);
    try {
        const ScenarioPair::Lengths lengths = pair.lengths();
        const std::int64_t claimed =
            std::max((lengths.situationBytes + TRekordKroku::Size - 1) / TRekordKroku::Size,
                     (lengths.listBytes + TRekordListy::Size - 1) / TRekordListy::Size);
        if (claimed > MaxSituations)
            throw AppError(AppError::Other, TooLargeMessage);
        // As the player counts them, a save in flight read as before it.
        snapshot.claimed = std::max<std::int64_t>(
            1, (lengths.situationBytes + TRekordKroku::Size - 1) / TRekordKroku::Size);
        snapshot.situationBytes = lengths.situationBytes;
        snapshot.listBytes = lengths.listBytes;
        const std::int64_t whole = std::min(lengths.situationBytes / TRekordKroku::Size,
                                            lengths.listBytes / TRekordListy::Size);

        std::vector<TRekordKroku> rekordy;
        std::vector<TRekordListy> listy;
        // Memory follows the records really read, never the claimed count alone.
        snapshot.rekordy.reserve(static_cast<std::size_t>(whole));
        snapshot.listy.reserve(static_cast<std::size_t>(whole));
        for (std::int64_t first = 0; first < whole;) {
            const std::int64_t wanted = std::min(kBlock, whole - first);
            rekordy.resize(static_cast<std::size_t>(wanted));
            listy.resize(static_cast<std::size_t>(wanted));
            const std::int64_t got =
                pair.readBlock(static_cast<std::int32_t>(first), rekordy, listy);
            snapshot.rekordy.insert(snapshot.rekordy.end(), rekordy.begin(), rekordy.begin() + got);
            snapshot.listy.insert(snapshot.listy.end(), listy.begin(), listy.begin() + got);
            first += got;
            if (got < wanted)
                break; // a file shrank under us: what both hold whole is kept
            if (progress && !progress(first, whole))
                break;
        }
        pair.close();
    } catch (...) {
        pair.release();
        throw;
    }
    return snapshot;
}
