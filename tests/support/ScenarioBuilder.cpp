#include "ScenarioBuilder.h"

#include "ObEdKrok.h"
#include "ScenarioFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QtEndian>
#include <cmath>

bool writeFile(const QString& path, const QByteArray& bytes) {
    if (!QDir().mkpath(QFileInfo(path).absolutePath()))
        return false;
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
           file.write(bytes) == bytes.size();
}

bool writeScenario(const QString& path, const std::vector<Situation>& situations) {
    QByteArray kro;
    QByteArray lis;
    for (const Situation& s : situations) {
        TKrok krok;
        krok.Ustaw(s.nazwa, s.wybory[0], s.wybory[1], s.wybory[2], s.wybory[3], s.opis, s.bmp,
                   s.cele[0], s.cele[1], s.cele[2], s.cele[3]);
        krok.Wav.assign(s.wav);
        TRekordKroku rekord;
        krok.DoRekordu(rekord);
        kro.append(reinterpret_cast<const char*>(&rekord), sizeof rekord);
        TRekordListy lista;
        lista.Nazwa.assign(s.nazwa);
        lista.Typ = s.typ;
        lis.append(reinterpret_cast<const char*>(&lista), sizeof lista);
    }
    const QString lisPath = listFilePath(path);
    return writeFile(path, kro) && writeFile(lisPath, lis);
}

namespace {
void put16(QByteArray& b, quint16 v) {
    char bytes[2];
    qToLittleEndian(v, bytes);
    b.append(bytes, 2);
}
void put32(QByteArray& b, quint32 v) {
    char bytes[4];
    qToLittleEndian(v, bytes);
    b.append(bytes, 4);
}
} // namespace

QByteArray solidBmp(int width, int height, QRgb colour) {
    const int stride = (width * 3 + 3) / 4 * 4;
    QByteArray b("BM");
    put32(b, static_cast<quint32>(54 + stride * height));
    put32(b, 0);
    put32(b, 54);
    put32(b, 40);
    put32(b, static_cast<quint32>(width));
    put32(b, static_cast<quint32>(height));
    put16(b, 1);
    put16(b, 24);
    for (int i = 0; i < 6; ++i)
        put32(b, 0);
    for (int y = 0; y < height; ++y) {
        QByteArray row;
        for (int x = 0; x < width; ++x) {
            row.append(static_cast<char>(qBlue(colour)));
            row.append(static_cast<char>(qGreen(colour)));
            row.append(static_cast<char>(qRed(colour)));
        }
        row.append(QByteArray(stride - row.size(), '\0'));
        b.append(row);
    }
    return b;
}

QByteArray toneWav(int milliseconds) {
    const int rate = 22050;
    const int samples = rate * milliseconds / 1000;
    QByteArray b("RIFF");
    put32(b, static_cast<quint32>(36 + samples * 2));
    b.append("WAVEfmt ");
    put32(b, 16);
    put16(b, 1);
    put16(b, 1);
    put32(b, rate);
    put32(b, rate * 2);
    put16(b, 2);
    put16(b, 16);
    b.append("data");
    put32(b, static_cast<quint32>(samples * 2));
    for (int i = 0; i < samples; ++i)
        put16(b, static_cast<quint16>(
                     static_cast<qint16>(12000 * std::sin(2 * 3.14159265358979 * 440 * i / rate))));
    return b;
}
