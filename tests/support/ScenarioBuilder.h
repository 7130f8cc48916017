#pragma once

#include "Records.h"

#include <QColor>
#include <QString>
#include <QStringList>
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

// Writes a file of the given bytes, making its folder; false on failure.
bool writeFile(const QString& path, const QByteArray& bytes);

// A BMP of w x h pixels, 24 bits, every pixel of the colour given.
QByteArray solidBmp(int width, int height, QRgb colour);

// A 16-bit PCM mono WAV of `milliseconds` of a sine tone.
QByteArray toneWav(int milliseconds);
