// Hostile scenario and media files opened in both programs.

#include "editor/Uedytor.h"
#include "platform/core/AppError.h"
#include "platform/core/Bitmap.h"
#include "platform/core/MediaFile.h"
#include "platform/core/PosixRecordFile.h"
#include "platform/core/WavHeader.h"
#include "platform/ui/PaintBox.h"
#include "player/PlayerWindows.h"
#include "tests/support/ByteWriters.h"
#include "tests/support/Child.h"
#include "tests/support/EditorUnderTest.h"
#include "tests/support/LoggingMessageBoxes.h"
#include "tests/support/PlayerUnderTest.h"
#include "tests/support/ScenarioBuilder.h"
#include "tests/support/TestMain.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <functional>
#include <sys/resource.h>
#include <sys/stat.h>

namespace {

// Descriptors open on the files of `folder` or on the device its links lead to. (Qt keeps
// descriptors of its own, and opens more as its threads start: those are not counted.)
int openDescriptors(const QString& folder) {
    int open = 0;
    const QFileInfoList fds =
        QDir(QStringLiteral("/proc/self/fd"))
            .entryInfoList(QDir::NoDotAndDotDot | QDir::System | QDir::AllEntries);
    for (const QFileInfo& fd : fds) {
        const QString target = fd.symLinkTarget();
        if (target.startsWith(folder) || target == u"/dev/zero")
            ++open;
    }
    return open;
}

long peakMegabytes() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss / 1024;
}

Situation sit(const QString& name, std::uint8_t typ, std::array<std::int32_t, 4> cele,
              const QString& bmp = {}, const QString& wav = {}) {
    Situation s;
    s.nazwa = name;
    s.typ = typ;
    s.opis = QStringLiteral("Opis ") + name;
    s.wybory = {QStringLiteral("A"), QStringLiteral("B"), QStringLiteral("C"), QStringLiteral("D")};
    s.cele = cele;
    s.bmp = bmp;
    s.wav = wav;
    return s;
}

// A scenario whose start (a Poczatek situation) leads to 2, whose situation 2 names `bmp`
// and `wav` and leads back to 1.
bool writeWithMedia(const QString& kro, const QString& bmp, const QString& wav) {
    return writeScenario(kro, {sit(QStringLiteral("Default Koniec"), Koniec, {0, 0, 0, 0}),
                               sit(QStringLiteral("Start"), Poczatek, {2, -1, -1, -1}, bmp, wav),
                               sit(QStringLiteral("Las"), Wybory1, {1, -1, -1, -1}, bmp, wav)});
}

bool writeCommon(const QString& kro) {
    return writeWithMedia(kro, {}, {});
}

bool patch(const QString& path, qint64 at, const QByteArray& bytes) {
    QFile f(path);
    return f.open(QIODevice::ReadWrite) && f.seek(at) && f.write(bytes) == bytes.size();
}

bool resize(const QString& path, qint64 size) {
    return QFile::resize(path, size);
}

bool makeFifo(const QString& path) {
    return ::mkfifo(QFile::encodeName(path).constData(), 0600) == 0;
}

// A 24-bit BMP header for a picture of width x height, its pixels not included.
QByteArray bmpHeader(int width, int height, int bitCount, quint32 imageSize) {
    QByteArray b = bmpFile(width, height, bitCount, 0, {}, {});
    put32(b, 34, imageSize);
    return b;
}

using Build = std::function<bool(const QString& folder, const QString& kro)>;

} // namespace

Q_DECLARE_METATYPE(Build)

class TestHostile : public QObject {
    Q_OBJECT

private slots:
    // Qt opens what it keeps (fonts, the platform) with the first windows.
    void initTestCase() { playBoth(QString(), nullptr, nullptr); }

    void hostileFilesGiveAMessageOrANormalDisplay_data() {
        QTest::addColumn<Build>("build");
        QTest::addColumn<QStringList>("player");
        QTest::addColumn<QStringList>("editor");
        const QString readBeyond = QStringLiteral("error: Read beyond end of file");
        const QString denied = QStringLiteral("error: File access denied");
        const QString endOfGame = QStringLiteral("message: To juz koniec gry");
        const QString lastOne = QStringLiteral("message: Wiecej juz nie ma ... naprawde!!!");
        auto noPicture = [](const QString& name) {
            return QStringLiteral("message: Nie masz obrazu \"%1\"").arg(name);
        };
        auto noSound = [](const QString& name) {
            return QStringLiteral("message: Nie masz dzwieku \"%1\"").arg(name);
        };

        // The editor names the file of the pair that is not a regular file; %1 is the folder.
        auto missing = [](const QString& name) {
            return QStringLiteral("message: Brak pliku \"%1/") + name +
                   QStringLiteral("\" - scenariusz nie zostal otwarty");
        };
        // The player's start fails, then the choice and the leaving find the pair closed.
        const QStringList startRefused = {denied, QStringLiteral("error: I/O error 103"),
                                          QStringLiteral("error: I/O error 103")};
        const QString notValid = QStringLiteral("error: Bitmap image is not valid");
        // The editor asks before it cuts a pair out of step to the situations both files hold
        // whole (the test's boxes answer "Tak").
        auto outOfStep = [](const QString& kroHolds, const QString& lisHolds, int kept) {
            return QStringLiteral("question: Pliki scenariusza nie zgadzaja sie, bo zapis zostal "
                                  "kiedys przerwany: \"Las.Kro\" ma ") +
                   kroHolds + QStringLiteral(", a \"Las.lis\" ma ") + lisHolds +
                   QStringLiteral(".\n\nNaprawa zostawi %1 sytuacji zapisanych w obu plikach i "
                                  "usunie to, co zostalo zapisane tylko w jednym z nich.\n\n"
                                  "Naprawic pliki i otworzyc scenariusz?")
                       .arg(kept);
        };
        const QString tooLarge = QStringLiteral(
            "message: Scenariusz ma wiecej niz 1000000 sytuacji - scenariusz nie zostal otwarty");
        QTest::newRow("type bytes 6 to 255") << Build([](const QString&, const QString& kro) {
            return writeCommon(kro) && patch(listFilePath(kro), 22 + 21, "\x06") &&
                   patch(listFilePath(kro), 44 + 21, "\xff");
        }) << QStringList{} << QStringList{};
        QTest::newRow("length bytes 21 to 255") << Build([](const QString&, const QString& kro) {
            return writeCommon(kro) && patch(kro, 516 + 0, "\x15") &&
                   patch(kro, 516 + 21, "\xff") && patch(kro, 516 + 205, "\xfb") &&
                   patch(listFilePath(kro), 22, "\xff");
        }) << QStringList{} << QStringList{};
        QTest::newRow("targets -1, huge and negative")
            << Build([](const QString&, const QString& kro) {
                   return writeScenario(kro, {sit(QStringLiteral("K"), Koniec, {0, 0, 0, 0}),
                                              sit(QStringLiteral("S"), Normalny,
                                                  {-1, INT32_MAX, INT32_MIN, 1000000})});
               })
            << QStringList{QStringLiteral("error: I/O error 131")}
            << QStringList{QStringLiteral("error: List index out of bounds (-1)"), lastOne};
        QTest::newRow("list file shorter")
            << Build([](const QString&, const QString& kro) {
                   return writeCommon(kro) && resize(listFilePath(kro), 22 + 10);
               })
            << QStringList{readBeyond, endOfGame}
            << QStringList{outOfStep(QStringLiteral("3 sytuacji"),
                                     QStringLiteral("1 sytuacji i niepelny zapis na koncu"), 1),
                           readBeyond, QStringLiteral("error: I/O error 103")};
        QTest::newRow("list file longer")
            << Build([](const QString&, const QString& kro) {
                   return writeCommon(kro) && resize(listFilePath(kro), 22 * 7);
               })
            << QStringList{}
            << QStringList{
                   outOfStep(QStringLiteral("3 sytuacji"), QStringLiteral("7 sytuacji"), 3)};
        QTest::newRow("206 GB sparse situation file")
            << Build([](const QString&, const QString& kro) {
                   return writeCommon(kro) && resize(kro, qint64(400'000'000) * 516);
               })
            << QStringList{} << QStringList{tooLarge};
        QTest::newRow("10 GB sparse situation file, 447 MB sparse list file")
            << Build([](const QString&, const QString& kro) {
                   return writeCommon(kro) && resize(kro, qint64(10) << 30) &&
                          resize(listFilePath(kro), qint64(447) << 20);
               })
            << QStringList{} << QStringList{tooLarge};
        QTest::newRow("zero-byte pair") << Build([](const QString&, const QString& kro) {
            return writeFile(kro, {}) && writeFile(listFilePath(kro), {});
        }) << QStringList{readBeyond, readBeyond}
                                        << QStringList{lastOne};
        QTest::newRow("parts of records")
            << Build([](const QString&, const QString& kro) {
                   return writeCommon(kro) && resize(kro, 3 * 516 + 100) &&
                          resize(listFilePath(kro), 3 * 22 + 5);
               })
            << QStringList{}
            << QStringList{outOfStep(QStringLiteral("3 sytuacji i niepelny zapis na koncu"),
                                     QStringLiteral("3 sytuacji i niepelny zapis na koncu"), 3)};
        QTest::newRow("situation file is a folder")
            << Build([](const QString&, const QString& kro) {
                   return writeCommon(kro) && QFile::remove(kro) && QDir().mkdir(kro);
               })
            << startRefused << QStringList{missing(QStringLiteral("Las.Kro"))};
        QTest::newRow("list file is a folder") << Build([](const QString&, const QString& kro) {
            return writeCommon(kro) && QFile::remove(listFilePath(kro)) &&
                   QDir().mkdir(listFilePath(kro));
        }) << startRefused << QStringList{missing(QStringLiteral("Las.lis"))};
        QTest::newRow("situation file is a pipe") << Build([](const QString&, const QString& kro) {
            return writeCommon(kro) && QFile::remove(kro) && makeFifo(kro);
        }) << startRefused << QStringList{missing(QStringLiteral("Las.Kro"))};
        QTest::newRow("list file is a pipe") << Build([](const QString&, const QString& kro) {
            return writeCommon(kro) && QFile::remove(listFilePath(kro)) &&
                   makeFifo(listFilePath(kro));
        }) << startRefused << QStringList{missing(QStringLiteral("Las.lis"))};
        QTest::newRow("situation file links to a device")
            << Build([](const QString&, const QString& kro) {
                   return writeCommon(kro) && QFile::remove(kro) &&
                          QFile::link(QStringLiteral("/dev/zero"), kro);
               })
            << startRefused << QStringList{missing(QStringLiteral("Las.Kro"))};
        QTest::newRow("list file links to a device")
            << Build([](const QString&, const QString& kro) {
                   return writeCommon(kro) && QFile::remove(listFilePath(kro)) &&
                          QFile::link(QStringLiteral("/dev/zero"), listFilePath(kro));
               })
            << startRefused << QStringList{missing(QStringLiteral("Las.lis"))};
        QTest::newRow("media names with separators")
            << Build([](const QString&, const QString& kro) {
                   return writeWithMedia(kro, QStringLiteral("../Las.Kro"), QStringLiteral(".."));
               })
            << QStringList{noPicture(QStringLiteral("../Las.Kro")), noSound(QStringLiteral("..")),
                           noPicture(QStringLiteral("../Las.Kro")), noSound(QStringLiteral(".."))}
            << QStringList{};
        QTest::newRow("Obrazki is a file") << Build([](const QString& folder, const QString& kro) {
            return writeWithMedia(kro, QStringLiteral("a.bmp"), {}) &&
                   writeFile(folder + QStringLiteral("/Obrazki"), "BM");
        }) << QStringList{noPicture(QStringLiteral("a.bmp")), noPicture(QStringLiteral("a.bmp"))}
                                           << QStringList{};
        QTest::newRow("picture and sound are pipes")
            << Build([](const QString& folder, const QString& kro) {
                   return writeWithMedia(kro, QStringLiteral("a.bmp"), QStringLiteral("a.wav")) &&
                          QDir(folder).mkpath(QStringLiteral("Obrazki")) &&
                          QDir(folder).mkpath(QStringLiteral("Dzwieki")) &&
                          makeFifo(folder + QStringLiteral("/Obrazki/a.bmp")) &&
                          makeFifo(folder + QStringLiteral("/Dzwieki/a.wav"));
               })
            << QStringList{noPicture(QStringLiteral("a.bmp")), noSound(QStringLiteral("a.wav")),
                           noPicture(QStringLiteral("a.bmp")), noSound(QStringLiteral("a.wav"))}
            << QStringList{};
        QTest::newRow("picture and sound link to a device")
            << Build([](const QString& folder, const QString& kro) {
                   return writeWithMedia(kro, QStringLiteral("a.bmp"), QStringLiteral("a.wav")) &&
                          QDir(folder).mkpath(QStringLiteral("Obrazki")) &&
                          QDir(folder).mkpath(QStringLiteral("Dzwieki")) &&
                          QFile::link(QStringLiteral("/dev/zero"),
                                      folder + QStringLiteral("/Obrazki/a.bmp")) &&
                          QFile::link(QStringLiteral("/dev/zero"),
                                      folder + QStringLiteral("/Dzwieki/a.wav"));
               })
            << QStringList{noPicture(QStringLiteral("a.bmp")), noSound(QStringLiteral("a.wav")),
                           noPicture(QStringLiteral("a.bmp")), noSound(QStringLiteral("a.wav"))}
            << QStringList{};
        QTest::newRow("picture in another letter case links to a device")
            << Build([](const QString& folder, const QString& kro) {
                   return writeWithMedia(kro, QStringLiteral("a.bmp"), {}) &&
                          QDir(folder).mkpath(QStringLiteral("Obrazki")) &&
                          QFile::link(QStringLiteral("/dev/zero"),
                                      folder + QStringLiteral("/Obrazki/A.BMP"));
               })
            << QStringList{noPicture(QStringLiteral("a.bmp")), noPicture(QStringLiteral("a.bmp"))}
            << QStringList{};
        QTest::newRow("picture header claims gigabytes")
            << Build([](const QString& folder, const QString& kro) {
                   return writeWithMedia(kro, QStringLiteral("a.bmp"), {}) &&
                          writeFile(folder + QStringLiteral("/Obrazki/a.bmp"),
                                    bmpHeader(65535, 65535, 32, 0xFFFFFFF0u));
               })
            << QStringList{notValid, notValid} << QStringList{notValid, notValid};
        const QString tooLargePicture =
            QStringLiteral("error: ") + MediaFile::tooLargeText(QStringLiteral("%1/Obrazki/a.bmp"));
        QTest::newRow("64 GB sparse picture")
            << Build([](const QString& folder, const QString& kro) {
                   const QString bmp = folder + QStringLiteral("/Obrazki/a.bmp");
                   return writeWithMedia(kro, QStringLiteral("a.bmp"), {}) &&
                          writeFile(bmp, bmpHeader(2, 2, 24, 0xFFFFFFF0u)) &&
                          resize(bmp, qint64(64) << 30);
               })
            << QStringList(2, tooLargePicture) << QStringList(2, tooLargePicture);
        QTest::newRow("largest picture accepted")
            << Build([](const QString& folder, const QString& kro) {
                   const QString bmp = folder + QStringLiteral("/Obrazki/a.bmp");
                   const qint64 pixels = qint64(16384) / 8 * 4096;
                   QByteArray header = bmpHeader(16384, 4096, 1, quint32(pixels));
                   put32(header, 10, 54 + 8);
                   header += QByteArray("\0\0\0\0\xff\xff\xff\0", 8);
                   return writeWithMedia(kro, QStringLiteral("a.bmp"), {}) &&
                          writeFile(bmp, header) && resize(bmp, header.size() + pixels);
               })
            << QStringList{} << QStringList{};
    }
    void hostileFilesGiveAMessageOrANormalDisplay() {
        QFETCH(Build, build);
        QFETCH(QStringList, player);
        QFETCH(QStringList, editor);
        QTemporaryDir dir;
        const QString kro = dir.filePath(QStringLiteral("Las.Kro"));
        QVERIFY(build(dir.path(), kro));
        const long peak = peakMegabytes();
        QElapsedTimer timer;
        timer.start();
        QStringList playerBoxes;
        QStringList editorBoxes;
        playBoth(kro, &playerBoxes, &editorBoxes);
        QCOMPARE(openDescriptors(QFileInfo(dir.path()).canonicalFilePath()), 0);
        QVERIFY2(timer.elapsed() < 20000, "too slow");
        QVERIFY2(peakMegabytes() - peak < 300, "too much memory");
        player.replaceInStrings(QStringLiteral("%1"), dir.path());
        QCOMPARE(playerBoxes, player);
        editor.replaceInStrings(QStringLiteral("%1"), dir.path());
        QCOMPARE(editorBoxes, editor);
    }

    void descriptorsOfTheFolderAreCounted() {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("a.Kro"));
        QVERIFY(writeFile(path, QByteArray(516, 'x')));
        PosixRecordFile file;
        file.open(path, 516, RecordFile::Access::ReadOnly);
        QCOMPARE(openDescriptors(QFileInfo(dir.path()).canonicalFilePath()), 1);
    }

    // Whatever found them, a picture or sound that is a pipe or a device is refused at once.
    void mediaThatAreNoFilesAreRefusedAtOnce_data() {
        QTest::addColumn<bool>("pipe");
        QTest::newRow("a pipe") << true;
        QTest::newRow("a link to a device") << false;
    }
    void mediaThatAreNoFilesAreRefusedAtOnce() {
        QFETCH(bool, pipe);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("a.bmp"));
        QVERIFY(pipe ? makeFifo(path) : QFile::link(QStringLiteral("/dev/zero"), path));
        try {
            Bitmap::load(path);
            QFAIL("loaded");
        } catch (const AppError& error) {
            QCOMPARE(error.message(), QStringLiteral("Cannot open file ") + path);
        }
        QVERIFY(!WavHeader::isPlayableFile(path));
        QCOMPARE(openDescriptors(QFileInfo(dir.path()).canonicalFilePath()), 0);
    }

    void wavChecksStayBounded_data() {
        QTest::addColumn<QByteArray>("bytes");
        const QByteArray fmt = QByteArray("fmt ") + QByteArray("\x10\0\0\0\x01\0\x01\0\x22\x56\0\0"
                                                               "\x44\xac\0\0\x02\0\x10\0",
                                                               20);
        QTest::newRow("huge chunk") << QByteArray("RIFF\xff\xff\xff\xffWAVE", 12) + fmt +
                                           QByteArray("LIST\xf0\xff\xff\xff", 8);
        QByteArray many = QByteArray("RIFF\xff\xff\xff\xffWAVE", 12) + fmt;
        for (int i = 0; i < 100000; ++i)
            many += QByteArray("junk\0\0\0\0", 8);
        QTest::newRow("a hundred thousand empty chunks") << many + QByteArray("data\0\0\0\0", 8);
    }
    void wavChecksStayBounded() {
        QFETCH(QByteArray, bytes);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("a.wav"));
        QVERIFY(writeFile(path, bytes));
        QVERIFY(!WavHeader::isPlayableFile(path));
    }

private:
    // Opens `kro` in the player (start, the first choice, leaving) and in the editor (open,
    // next, closing), keeping what each showed; an empty path only builds the windows.
    void playBoth(const QString& kro, QStringList* playerBoxes, QStringList* editorBoxes) {
        {
            PlayerUnderTest<LoggingMessageBoxes, PosixRecordFileFactory> p;
            if (!kro.isEmpty()) {
                p.choose(kro);
                p.start();
                child<PaintBox>(p.gra, "PaObrazek")->repaint();
                if (p.choice(1)->isEnabled())
                    p.press(1);
                child<PaintBox>(p.gra, "PaObrazek")->repaint();
                p.leave();
                *playerBoxes = p.boxes.shown;
            }
        }
        {
            EditorUnderTest<LoggingMessageBoxes, PosixRecordFileFactory> e;
            if (!kro.isEmpty()) {
                e.open(kro);
                e.w.PaObrazekRepaint();
                if (child<QLineEdit>(e.w, "ENazwa")->isEnabled())
                    e.click(child<QPushButton>(e.w, "BuNastepny"));
                e.w.PaObrazekRepaint();
                e.w.close();
                *editorBoxes = e.boxes.shown;
            }
        }
    }
};

KIT_TEST_MAIN(TestHostile)
#include "tst_hostile.moc"
