#include "authoring/ScenarioSnapshot.h"

#include "common/ScenarioFiles.h"
#include "platform/core/AppError.h"

#include <algorithm>
#include <cstdint>
#if defined(__linux__)
#include <sys/mman.h>
#endif

namespace {

// Asks the system to back the whole large pages inside [data, data + bytes) with large pages;
// a system without them, or one that refuses, leaves the small ones.
void preferLargePages(const void* data, std::size_t bytes) {
#if defined(MADV_HUGEPAGE)
    constexpr std::uintptr_t kLarge = std::uintptr_t(2) << 20;
    const auto from = reinterpret_cast<std::uintptr_t>(data);
    const std::uintptr_t begin = (from + kLarge - 1) & ~(kLarge - 1);
    const std::uintptr_t end = (from + bytes) & ~(kLarge - 1);
    if (end > begin)
        ::madvise(reinterpret_cast<void*>(begin), end - begin, MADV_HUGEPAGE);
#else
    (void)data;
    (void)bytes;
#endif
}

} // namespace

QByteArray largeBuffer(qsizetype size) {
    QByteArray buffer(size, Qt::Uninitialized);
    preferLargePages(buffer.constData(), std::size_t(size));
    return buffer;
}

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
        // cannot claim more than the limit. One record more: a situation added or put back
        // (a copy, an insert, an undone delete) moves no record to new memory.
        snapshot.rekordy.reserve(static_cast<std::size_t>(whole) + 1);
        snapshot.listy.reserve(static_cast<std::size_t>(whole) + 1);
        // In large pages where the system has them: the first touch of each small page of
        // tens of megabytes costs more than the read into it.
        preferLargePages(snapshot.rekordy.data(), snapshot.rekordy.capacity() * TRekordKroku::Size);
        preferLargePages(snapshot.listy.data(), snapshot.listy.capacity() * TRekordListy::Size);
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
