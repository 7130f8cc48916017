#pragma once
// Scenario fixtures: the file pair, and (through the headers below) the media its situations name.

#include "common/Records.h"
#include "common/SaveJournal.h"
#include "tests/support/MediaBuilders.h"
#include "tests/support/TestFiles.h"

#include <QString>
#include <array>
#include <vector>

// Writes scenario file pairs for tests, record by record.
struct Situation {
    QString nazwa;
    std::uint8_t typ = Normalny;
    QString opis;
    std::array<QString, 4> wybory;
    std::array<std::int32_t, 4> cele{0, 0, 0, 0};
    QString bmp;
    QString wav;
};

// A situation whose description is "Opis <name>", with the targets and choice texts given.
Situation describedSituation(const QString& nazwa, std::uint8_t typ,
                             std::array<std::int32_t, 4> cele = {},
                             std::array<QString, 4> wybory = {});

// Writes the .Kro file at `path` and its .lis beside it; false on failure.
bool writeScenario(const QString& path, const std::vector<Situation>& situations);

// The journal of a save of situation `k` over a pair of `situations` whole situations, the
// records it held left as zeros.
SaveJournal journalOf(std::int32_t k, std::int64_t situations);
