#include "authoring/ScenarioSnapshot.h"

#include "common/ScenarioFiles.h"
#include "platform/core/AppError.h"

#include <algorithm>

ScenarioSnapshot readSnapshot(RecordFileFactory& files, const QString& situationFilePath,
                              const SnapshotProgress& progress) {
    ScenarioSnapshot snapshot;
    snapshot.situationFilePath = situationFilePath;
    snapshot.folder = folderOfScenario(situationFilePath);

    ScenarioPair pair(files);
    pair.openExisting(situationFilePath, RecordFile::Access::ReadOnly);
    try {
        const ScenarioPair::Lengths lengths = pair.lengths();
        if (exceedsLimit(lengths))
            throw AppError(AppError::Other, TooLargeMessage);
        // As the player counts them, a save in flight read as before it.
        snapshot.claimed = std::max<std::int64_t>(
            1, (lengths.situationBytes + TRekordKroku::Size - 1) / TRekordKroku::Size);
        snapshot.situationBytes = lengths.situationBytes;
        snapshot.listBytes = lengths.listBytes;
        const std::int64_t whole = std::min(lengths.situationBytes / TRekordKroku::Size,
                                            lengths.listBytes / TRekordListy::Size);

        // Reserved, not touched: memory follows the records really read, and the lengths
        // cannot claim more than the limit.
        snapshot.rekordy.reserve(static_cast<std::size_t>(whole));
        snapshot.listy.reserve(static_cast<std::size_t>(whole));
        // A file that shrank under the read ends it: what both held whole is kept.
        pair.readRange(
            0, whole,
            [&snapshot](std::span<const TRekordKroku> rekordy,
                        std::span<const TRekordListy> listy) {
                snapshot.rekordy.insert(snapshot.rekordy.end(), rekordy.begin(), rekordy.end());
                snapshot.listy.insert(snapshot.listy.end(), listy.begin(), listy.end());
            },
            ScenarioPair::ShortRead::Stop, progress);
        pair.close();
    } catch (...) {
        pair.release();
        throw;
    }
    return snapshot;
}
