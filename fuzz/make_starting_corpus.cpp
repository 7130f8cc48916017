// Writes the starting corpus of the fuzz targets, the inputs a fuzz run starts from, with the
// tests' own file builders: make_starting_corpus <corpus folder> (it writes the start-* files
// of <folder>/scenario_pair, bitmap, wav and text_form).

#include "authoring/TextForm.h"
#include "common/ObEdKrok.h"
#include "common/ScenarioFiles.h"
#include "platform/core/PosixRecordFile.h"
#include "tests/support/ByteWriters.h"
#include "tests/support/MediaBuilders.h"
#include "tests/support/ScenarioBuilder.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <cstdio>

namespace {

bool save(const QString& folder, const QString& name, const QByteArray& bytes) {
    QDir().mkpath(folder);
    QFile file(folder + u'/' + name);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
           file.write(bytes) == bytes.size();
}

QByteArray readAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// A scenario pair as its text form.
QByteArray textInput(const QString& kro) {
    return toText(snapshotFromBytes(readAll(kro), readAll(listFilePath(kro)))).toUtf8();
}

// A scenario pair as one fuzz input: the situation file's length, then both files.
QByteArray pairInput(const QString& kro) {
    const QByteArray situations = readAll(kro);
    return le32(quint32(situations.size())) + situations + readAll(listFilePath(kro));
}

Situation sit(const QString& name, std::uint8_t typ, std::array<std::int32_t, 4> cele,
              const QString& bmp = {}) {
    Situation s;
    s.nazwa = name;
    s.typ = typ;
    s.opis = QStringLiteral("Opis\r\n") + name;
    s.wybory = {QStringLiteral("Pierwsza"), QStringLiteral("Druga"), QStringLiteral("Trzecia"),
                QStringLiteral("Czwarta")};
    s.cele = cele;
    s.bmp = bmp;
    return s;
}

} // namespace

int main(int argc, char* argv[]) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_starting_corpus <corpus folder>\n");
        return 2;
    }
    const QString out = QString::fromLocal8Bit(argv[1]);
    QTemporaryDir dir;
    bool ok = dir.isValid();

    // Scenario pairs: a new scenario as the editor creates it, and scenarios of every type.
    const QString pairs = out + QStringLiteral("/scenario_pair");
    const QString nowy = dir.filePath(QStringLiteral("Nowy.Kro"));
    {
        PosixRecordFileFactory files;
        ScenarioPair pair(files);
        TKrok krok;
        TRekordKroku rekord;
        TRekordListy lista;
        pair.createNew(nowy, krok, rekord, lista);
        pair.close();
    }
    ok = ok && save(pairs, QStringLiteral("start-new"), pairInput(nowy));
    const QString las = dir.filePath(QStringLiteral("Las.Kro"));
    ok = ok && writeScenario(las, {sit(QStringLiteral("Default Koniec"), Koniec, {0, 0, 0, 0}),
                                   sit(QStringLiteral("Start"), Poczatek, {2, -1, -1, -1}),
                                   sit(QStringLiteral("Łąka"), Normalny, {1, 2, 3, 0},
                                       QStringLiteral("a.bmp")),
                                   sit(QStringLiteral("Wybór"), Wybory2, {1, 0, -1, -1}),
                                   sit(QStringLiteral("Trzy"), Wybory3, {1, 2, 3, -1}),
                                   sit(QStringLiteral("Jeden"), Wybory1, {4, -1, -1, -1})});
    ok = ok && save(pairs, QStringLiteral("start-every-type"), pairInput(las));

    // Texts: the two scenarios above, then what the ordinary lines cannot say, escapes good
    // and bad, and numbers past what a scenario may hold.
    const QString texts = out + QStringLiteral("/text_form");
    ok = ok && save(texts, QStringLiteral("start-new"), textInput(nowy));
    ok = ok && save(texts, QStringLiteral("start-every-type"), textInput(las));
    const QByteArray end = "== 0 Koniec\ntyp: Koniec\n\n";
    ok = ok && save(texts, QStringLiteral("start-raw-lines"),
                    end +
                        "== 1 Start\ntyp: 17\nnieużywany wybór 3: ukryty -> #-7\n"
                        "długość nazwa: 200\nsurowe opis: 00ff7f\nsurowe luka: abcd\n"
                        "surowa lista: 05" +
                        QByteArray(40, '4') + "\n");
    ok = ok && save(texts, QStringLiteral("start-escapes"),
                    "\xef\xbb\xbf== 0 A\\x7F\\x81\\\\b\\x20\r\ntyp: Wybory2\r\nopis:\r\n"
                    "  x\\x0D\\x0A\r\n\r\n  ż\\x09\\x0D\\x0A\r\n"
                    "wybór 1: a -> b -> #0\r\nwybór 2: -> A\\x7F\\x81\\\\b\\x20\r\n");
    ok = ok && save(texts, QStringLiteral("start-bad-escapes"),
                    "== 0 A\\x1 z\ntyp: Koniec\nopis:\n  \\x 1 \\x+1 \\q \\xG0 \\x\n"
                    "wybór 1: ж 😀 -> \\\n");
    ok = ok && save(texts, QStringLiteral("start-huge-numbers"),
                    end + "== 1500000 Las\ntyp: 256\nwybór 1: a -> #99999999999\n\n"
                          "== 99999999999999999999\ntyp: 4\nwybór 2: b -> #-2147483648\n"
                          "długość opis: 1000\n");
    ok = ok && save(texts, QStringLiteral("start-shared-names"),
                    end + "== 1 Las\ntyp: Wybory3\nwybór 1: -> Las\nwybór 2: -> #\n"
                          "wybór 3: x -> Brak\n\n== 2 Las\ntyp: Normalny\ntyp: Koniec\n");

    // Pictures the bitmap tests build: every depth, and runs of both lengths.
    const QString bitmaps = out + QStringLiteral("/bitmap");
    const QList<QRgb> palette{qRgb(0, 0, 0), qRgb(255, 0, 0), qRgb(0, 255, 0), qRgb(0, 0, 255)};
    ok = ok && save(bitmaps, QStringLiteral("start-24"), solidBmp(3, 2, qRgb(10, 20, 30)));
    ok = ok && save(bitmaps, QStringLiteral("start-8"),
                    bmpFile(2, 2, 8, 0, palette, QByteArray("\x00\x01\0\0\x02\x03\0\0", 8)));
    ok = ok &&
         save(bitmaps, QStringLiteral("start-rle8"),
              bmpFile(4, 2, 8, 1, palette,
                      QByteArray("\x02\x01\x00\x03\x01\x02\x03\x00\x00\x00\x04\x02\x00\x01", 14)));
    ok =
        ok && save(bitmaps, QStringLiteral("start-rle4"),
                   bmpFile(4, 1, 4, 2, palette, QByteArray("\x04\x12\x00\x02\x01\x00\x00\x01", 8)));

    // Sounds the sound tests build: a tone, floating point, an extensible header, extra chunks.
    const QString sounds = out + QStringLiteral("/wav");
    ok = ok && save(sounds, QStringLiteral("start-tone"), toneWav(5));
    ok = ok && save(sounds, QStringLiteral("start-float"),
                    riffWave(fmtChunk(3, 2, 44100, 32) + riffChunk("data", QByteArray(16, '\0'))));
    QByteArray extensible = fmtBody(0xFFFE, 1, 8000, 16) + le16(22) + QByteArray(24, '\0');
    put16(extensible, 24, 1);
    ok = ok && save(sounds, QStringLiteral("start-extensible"),
                    riffWave(riffChunk("fmt ", extensible) + riffChunk("data", "ab")));
    ok = ok && save(sounds, QStringLiteral("start-list"),
                    riffWave(riffChunk("LIST", "INFOabc") + fmtChunk(1, 1, 8000, 8) +
                             riffChunk("data", "x")));
    // ADPCM, which the kit decodes itself: two blocks of IMA mono, one of Microsoft stereo.
    QByteArray ima = fmtBody(0x11, 1, 8000, 4) + le16(2) + le16(65);
    put16(ima, 12, 36);
    QByteArray imaBlock = le16(0) + QByteArray(1, 10) + QByteArray(1, 0) + QByteArray(32, 0x3C);
    ok = ok && save(sounds, QStringLiteral("start-ima-adpcm"),
                    riffWave(riffChunk("fmt ", ima) + riffChunk("data", imaBlock + imaBlock)));
    QByteArray ms = fmtBody(2, 2, 11025, 4) + le16(32) + le16(20) + le16(7);
    constexpr int coefficients[7][2] = {{256, 0}, {512, -256}, {0, 0},     {192, 64},
                                        {240, 0}, {460, -208}, {392, -232}};
    for (const auto& pair : coefficients)
        ms += le16(quint16(pair[0])) + le16(quint16(pair[1]));
    put16(ms, 12, 32);
    const QByteArray msBlock = QByteArray("\x01\x05", 2) + le16(16) + le16(20) + le16(100) +
                               le16(200) + le16(65500) + le16(0) + QByteArray(18, 0x7A);
    ok = ok && save(sounds, QStringLiteral("start-ms-adpcm"),
                    riffWave(riffChunk("fmt ", ms) + riffChunk("data", msBlock)));
    if (!ok) {
        std::fprintf(stderr, "cannot write the starting corpus\n");
        return 1;
    }
    return 0;
}
