#pragma once
// Restructuring a scenario pair on disk: read whole, changed in memory, written back whole.

#include "authoring/ScenarioSnapshot.h"
#include "platform/core/RecordFile.h"

#include <QString>
#include <functional>

// Changes the records of a scenario read whole (deleteSituation, ...); false when nothing is
// to be written.
using SnapshotChange = std::function<bool(ScenarioSnapshot&)>;

// Reads the pair at `situationFilePath` whole, lets `change` change its records and, when it
// returns true, replaces the pair by them with replaceScenario: all or nothing, under the pair's
// lock, refused when another program changed the pair since it was read. A pair that is not
// whole records in both files is refused before `change` runs: the rest would be lost. Throws
// AppError naming the file (the read's, that refusal, the replace's); what `change` throws
// passes as it is. Returns whether the pair was written.
//
// `progress` is told how far the work got out of twice the situations read: the read counts
// the first half, after each block of situations; the write the second, told once before it
// begins (at the half) and once when the pair is replaced (at the whole, the answer unheard).
// False from it before the write stops the work: nothing is written and this returns false.
// The replace itself is not stopped: once begun, it ends with the pair replaced.
bool restructureScenario(RecordFileFactory& files, const QString& situationFilePath,
                         const SnapshotChange& change, const SnapshotProgress& progress = {});
