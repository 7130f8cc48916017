#pragma once
// Scenario fixtures: the file pair, and (through the headers below) the media its situations name.

#include "MediaBuilders.h"
#include "Records.h"
#include "TestFiles.h"

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

// Writes the .Kro file at `path` and its .lis beside it; false on failure.
bool writeScenario(const QString& path, const std::vector<Situation>& situations);
