#include "authoring/Restructuring.h"

#include "authoring/TextForm.h"
#include "common/ScenarioFiles.h"
#include "platform/core/AppError.h"

#include <cstring>
#include <optional>

namespace {

// Records as bytes in place, no copy made: valid while the records are left as they are.
template <typename Record> QByteArray bytesOf(const std::vector<Record>& records) {
    return QByteArray::fromRawData(reinterpret_cast<const char*>(records.data()),
                                   qsizetype(records.size()) * Record::Size);
}

// A copy of records as bytes.
template <typename Record> QByteArray copyOf(const std::vector<Record>& records) {
    QByteArray bytes = largeBuffer(qsizetype(records.size()) * Record::Size);
    if (!records.empty())
        std::memcpy(bytes.data(), records.data(), std::size_t(bytes.size()));
    return bytes;
}

} // namespace

bool restructureScenario(RecordFileFactory& files, const QString& situationFilePath,
                         const SnapshotChange& change, const SnapshotProgress& progress) {
    // The read is told as the first half of the work.
    bool stopped = false;
    SnapshotProgress reading;
    if (progress)
        reading = [&](std::int64_t read, std::int64_t total) {
            stopped = !progress(read, 2 * total);
            return !stopped;
        };
    std::optional<ScenarioSnapshot> snapshot;
    try {
        snapshot = readSnapshot(files, situationFilePath, reading);
    } catch (const AppError& e) {
        throw AppError(e.code(), QStringLiteral("%1: %2").arg(situationFilePath, e.message()));
    }
    if (stopped)
        return false;
    if (const QString fault = wholeRecordsFault(snapshot->situationBytes, snapshot->listBytes);
        !fault.isEmpty())
        throw AppError(AppError::Other, QStringLiteral("%1: %2").arg(situationFilePath, fault));
    const std::int64_t read = snapshot->size();
    // The one copy of the records as read: the change works on the snapshot in place, and the
    // replace compares the files with this under the lock.
    const PairContent readBefore{copyOf(snapshot->rekordy), copyOf(snapshot->listy)};
    if (!change(*snapshot))
        return false;
    if (progress && !progress(read, 2 * read))
        return false;
    replaceScenario(situationFilePath, bytesOf(snapshot->rekordy), bytesOf(snapshot->listy),
                    &readBefore);
    if (progress)
        progress(2 * read, 2 * read);
    return true;
}
