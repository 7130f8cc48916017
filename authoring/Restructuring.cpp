#include "authoring/Restructuring.h"

#include "authoring/TextForm.h"
#include "common/ScenarioFiles.h"
#include "platform/core/AppError.h"

#include <optional>

bool restructureScenario(RecordFileFactory& files, const QString& situationFilePath,
                         const SnapshotChange& change) {
    std::optional<ScenarioSnapshot> snapshot;
    try {
        snapshot = readSnapshot(files, situationFilePath);
    } catch (const AppError& e) {
        throw AppError(e.code(), QStringLiteral("%1: %2").arg(situationFilePath, e.message()));
    }
    if (const QString fault = wholeRecordsFault(snapshot->situationBytes, snapshot->listBytes);
        !fault.isEmpty())
        throw AppError(AppError::Other, QStringLiteral("%1: %2").arg(situationFilePath, fault));
    const PairBytes read = pairBytes(*snapshot);
    if (!change(*snapshot))
        return false;
    const PairBytes bytes = pairBytes(*snapshot);
    const PairContent before{read.situations, read.list};
    replaceScenario(situationFilePath, bytes.situations, bytes.list, &before);
    return true;
}
