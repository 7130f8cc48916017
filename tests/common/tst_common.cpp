#include "common/Cp1250.h"
#include "common/MediaFiles.h"
#include "common/ObEdKrok.h"
#include "common/ScenarioFiles.h"
#include "platform/core/AppError.h"
#include "tests/support/ByteWriters.h"
#include "tests/support/ExpectError.h"
#include "tests/support/FaultyRecordFile.h"
#include "tests/support/TestFiles.h"
#include "tests/support/TestMain.h"

#include <QDir>
#include <QFile>
#include <QTest>
#include <cstring>
#include <sys/stat.h>
#include <sys/time.h>

namespace {

QByteArray recordBytes(const TRekordKroku& r) {
    return QByteArray(reinterpret_cast<const char*>(&r), sizeof r);
}

// The bytes of a text field past its length have no meaning: blank them
// so that files can be compared on what they define.
void blankPastLength(QByteArray& bytes, int offset, int capacity) {
    const int len = static_cast<unsigned char>(bytes[offset]);
    for (int i = offset + 1 + len; i < offset + 1 + capacity; ++i)
        bytes[i] = 0;
}

// Situation file of `records` records whose name is "S<k>"; false when it cannot be written.
bool makeScenario(const QString& kro, int records) {
    QByteArray situations;
    QByteArray list;
    for (int k = 0; k < records; ++k) {
        QByteArray r(516, '\0');
        putShortString(r, 0, "S" + QByteArray::number(k));
        put32(r, 500, quint32(k + 1));
        situations += r;
        QByteArray l(22, '\0');
        putShortString(l, 0, "S" + QByteArray::number(k));
        l[21] = 1;
        list += l;
    }
    return writeFile(kro, situations) && writeFile(listFilePath(kro), list);
}

} // namespace

class TestCommon : public QObject {
    Q_OBJECT

private slots:
    void init() { dir_.renew(); }

    // --- texts -------------------------------------------------------------

    void everyByteSurvivesATextRoundTrip() {
        QByteArray all;
        for (int b = 0; b < 256; ++b)
            all.append(static_cast<char>(b));
        const QString text = Cp1250::decode(all);
        QCOMPARE(text.size(), 256);
        QCOMPARE(Cp1250::encode(text), all);
    }

    void polishLettersDecode() {
        // ą ć ę ł ń ó ś ź ż and capitals, as the code page stores them.
        const QByteArray bytes("\xB9\xE6\xEA\xB3\xF1\xF3\x9C\x9F\xBF\xA5\xC6\xCA\xA3\xD1\xD3\x8C"
                               "\x8F\xAF");
        QCOMPARE(Cp1250::decode(bytes), QStringLiteral("ąćęłńóśźżĄĆĘŁŃÓŚŹŻ"));
    }

    void unknownCharactersBecomeQuestionMarks_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("cyrillic") << QStringLiteral("aЖb") << QByteArray("a?b");
        QTest::newRow("outside the basic plane") << QStringLiteral("x😀y") << QByteArray("x?y");
        QTest::newRow("euro sign") << QStringLiteral("€") << QByteArray("\x80");
    }
    void unknownCharactersBecomeQuestionMarks() {
        QFETCH(QString, text);
        QFETCH(QByteArray, bytes);
        QCOMPARE(Cp1250::encode(text), bytes);
    }

    // What the code page cannot hold is found and dropped whole: a pair of surrogates is one
    // character; the undefined bytes' C1 controls and every Polish letter are held.
    void refusedCharactersAreFoundAndDropped_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("held");
        QTest::addColumn<uint>("first"); // 0: none refused
        QTest::addColumn<QString>("message");
        const QString polish = QStringLiteral("ąćęłńóśźżĄĆĘŁŃÓŚŹŻ €„”–");
        QTest::newRow("polish") << polish << polish << 0u << QString();
        const QString c1 = QString(QChar(0x81)) + QChar(0x83) + QChar(0x88) + QChar(0x90) +
                           QChar(0x98) + QChar(u'\t') + QChar(0x7F);
        QTest::newRow("controls the bytes round-trip") << c1 << c1 << 0u << QString();
        QTest::newRow("emoji") << QStringLiteral("Chata 🎉 ż") << QStringLiteral("Chata  ż")
                               << 0x1F389u
                               << QStringLiteral("Znaku „🎉” (U+1F389) nie da się zapisać: pliki "
                                                 "scenariusza znają tylko znaki Windows-1250");
        QTest::newRow("cyrillic and cjk")
            << QStringLiteral("aж中b") << QStringLiteral("ab") << 0x436u
            << QStringLiteral("Znaku „ж” (U+0436) nie da się zapisać: pliki scenariusza znają "
                              "tylko znaki Windows-1250");
        QTest::newRow("U+0080, which no byte decodes to")
            << QString(QChar(0x80)) + u'x' << QStringLiteral("x") << 0x80u << QString();
        QTest::newRow("lone surrogates") << QString(QChar(0xDC00)) + u'ó' + QChar(0xD83C)
                                         << QStringLiteral("ó") << 0xDC00u << QString();
    }
    void refusedCharactersAreFoundAndDropped() {
        QFETCH(QString, text);
        QFETCH(QString, held);
        QFETCH(uint, first);
        QFETCH(QString, message);
        QCOMPARE(Cp1250::held(text), held);
        QCOMPARE(Cp1250::firstRefused(text).value_or(0), char32_t(first));
        QCOMPARE(Cp1250::decode(Cp1250::encode(held)), held);
        if (!message.isEmpty())
            QCOMPARE(Cp1250::refusedMessage(first), message);
    }

    void ustawCutsTextsToCapacity_data() {
        QTest::addColumn<int>("nameLength");
        QTest::addColumn<int>("textLength");
        QTest::newRow("short") << 5 << 10;
        QTest::newRow("exact") << 20 << 250;
        QTest::newRow("one over") << 21 << 251;
        QTest::newRow("30 and 300") << 30 << 300;
        QTest::newRow("over 255") << 400 << 400;
    }
    void ustawCutsTextsToCapacity() {
        QFETCH(int, nameLength);
        QFETCH(int, textLength);
        QString name;
        for (int i = 0; i < nameLength; ++i)
            name.append(QChar(u'a' + i % 26));
        const QString text(textLength, u'ł');
        TKrok krok;
        krok.Wav.assign(QStringLiteral("stary.wav"));
        krok.Ustaw(name, text, {}, {}, {}, text, name, 1, 2, 3, -1);
        QCOMPARE(krok.Nazwa.text(), name.left(20));
        QCOMPARE(krok.Wybor1.text(), text.left(45));
        QCOMPARE(krok.Opis.text(), text.left(250));
        QCOMPARE(krok.Bmp.text(), name.left(20));
        QVERIFY(krok.Wav.isEmpty());
        QCOMPARE(krok.Krok_Wybrany4, -1);
    }

    // --- records and TKrok ------------------------------------------------

    void newKrokStoresEmptyRecord() {
        TKrok krok;
        TRekordKroku rekord;
        krok.DoRekordu(rekord);
        QCOMPARE(recordBytes(rekord), QByteArray(516, '\0'));
    }

    void recordRoundTripKeepsStaleBytesAndGap() {
        // A record as another program might have left it: every byte set.
        QByteArray bytes(516, '\0');
        for (int i = 0; i < 516; ++i)
            bytes[i] = static_cast<char>(i * 7 + 3);
        putShortString(bytes, 0, "Zamek");
        putShortString(bytes, 205, "Opis \xB3\xB9ki");
        // Short or empty texts whose remaining bytes still hold leftovers.
        for (int offset : {21, 67, 113, 159, 456, 477})
            bytes[offset] = static_cast<char>(offset % 7);
        put32(bytes, 500, quint32(-1));
        put32(bytes, 512, 0x12345678);
        TRekordKroku rekord;
        std::memcpy(&rekord, bytes.constData(), 516);

        TKrok krok;
        krok.ZRekordu(rekord);
        QCOMPARE(krok.Nazwa.text(), QStringLiteral("Zamek"));
        QCOMPARE(krok.Opis.text(), QStringLiteral("Opis łąki"));
        QCOMPARE(krok.Krok_Wybrany1, -1);
        QCOMPARE(krok.Krok_Wybrany4, 0x12345678);

        TRekordKroku copy;
        std::memcpy(&copy, bytes.constData(), 516);
        krok.DoRekordu(copy);
        QCOMPARE(recordBytes(copy), bytes);
    }

    void shorterTextKeepsOldBytesPastItsLength() {
        TKrok krok;
        krok.Nazwa.assign(QStringLiteral("ABCDEFGHIJKLMNOPQRST"));
        krok.Nazwa.assign(QStringLiteral("0123456789"));
        QCOMPARE(krok.Nazwa.length(), 10);
        QCOMPARE(krok.Nazwa.text(), QStringLiteral("0123456789"));
        QCOMPARE(QByteArray(krok.Nazwa.data() + 10, 10), QByteArray("KLMNOPQRST"));
    }

    void lengthByteAboveCapacityReadsAsCapacity() {
        TRekordKroku rekord;
        QByteArray bytes(516, 'x');
        putShortString(bytes, 0, "ABCDEFGHIJKLMNOPQRST");
        bytes[0] = 25;
        bytes[477] = static_cast<char>(255);
        std::memcpy(&rekord, bytes.constData(), 516);
        TKrok krok;
        krok.ZRekordu(rekord);
        QCOMPARE(krok.Nazwa.text(), QStringLiteral("ABCDEFGHIJKLMNOPQRST"));
        QCOMPARE(krok.Wav.length(), 20);
    }

    void integersAreLittleEndian() {
        TRekordKroku rekord;
        rekord.Krok_Wybrany2.set(-2);
        rekord.Krok_Wybrany3.set(0x01020304);
        const QByteArray bytes = recordBytes(rekord);
        QCOMPARE(bytes.mid(504, 4), QByteArray("\xFE\xFF\xFF\xFF"));
        QCOMPARE(bytes.mid(508, 4), QByteArray("\x04\x03\x02\x01"));
    }

    // --- file names ----------------------------------------------------------

    void listFileName_data() {
        QTest::addColumn<QString>("situationFile");
        QTest::addColumn<QString>("listFile");
        QTest::newRow("plain") << "/gry/Zamek.Kro"
                               << "/gry/Zamek.lis";
        QTest::newRow("two dots") << "/gry/Zamek.stary.Kro"
                                  << "/gry/Zamek.lis";
        QTest::newRow("dot in folder") << "/home/a/Gry.2/las.Kro"
                                       << "/home/a/Gry.2/las.lis";
        QTest::newRow("hidden folder") << "/root/.local/las.Kro"
                                       << "/root/.local/las.lis";
        QTest::newRow("no dot") << "/gry/Zamek"
                                << "/gry/Zamek.lis";
        QTest::newRow("no dot, folder with dot") << "/g.1/Zamek"
                                                 << "/g.1/Zamek.lis";
        QTest::newRow("relative") << "Zamek.Kro"
                                  << "Zamek.lis";
        QTest::newRow("leading dot") << "/gry/.Kro"
                                     << "/gry/.lis";
    }
    void listFileName() {
        QFETCH(QString, situationFile);
        QFETCH(QString, listFile);
        QCOMPARE(listFilePath(situationFile), listFile);
    }

    // --- the file pair -----------------------------------------------------

    void newScenarioHasExactBytes() {
        const QString kro = path("Nowy.Kro");
        PosixRecordFileFactory files;
        ScenarioPair pair(files);
        TKrok krok;
        TRekordKroku rekord;
        TRekordListy lista;
        pair.createNew(kro, krok, rekord, lista);
        QCOMPARE(pair.count(), 2);
        pair.close();

        QByteArray expected(1032, '\0');
        putShortString(expected, 0, "Default Koniec");
        putShortString(
            expected, 205,
            "Default!!! Koniec gry dla slepych drog (niedopatrzenie scenarzysty).Jesli masz "
            "edytor sprawdz wszystkie drogi");
        putShortString(expected, 516 + 0, "Poczatek");
        putShortString(expected, 516 + 21, "Default!!! Zaczynamy gre?");
        putShortString(expected, 516 + 205,
                       "Default!!! poczatek gry...tak naprawde wstep,trzeba tu co wpisac np. opis "
                       "postaci,ktora kierujesz");
        QByteArray actual = readFile(kro);
        QCOMPARE(actual.size(), 1032);
        for (int base : {0, 516}) {
            for (auto [offset, capacity] : {std::pair{0, 20},
                                            {21, 45},
                                            {67, 45},
                                            {113, 45},
                                            {159, 45},
                                            {205, 250},
                                            {456, 20},
                                            {477, 20}}) {
                blankPastLength(actual, base + offset, capacity);
            }
        }
        QCOMPARE(actual, expected);

        QByteArray expectedList(44, '\0');
        putShortString(expectedList, 0, "Default Koniec");
        expectedList[21] = 2;
        putShortString(expectedList, 22, "Poczatek");
        expectedList[43] = 0;
        QByteArray actualList = readFile(path("Nowy.lis"));
        QCOMPARE(actualList.size(), 44);
        blankPastLength(actualList, 0, 20);
        blankPastLength(actualList, 22, 20);
        QCOMPARE(actualList, expectedList);
    }

    void countsSituations_data() {
        QTest::addColumn<int>("bytes");
        QTest::addColumn<int>("count");
        QTest::newRow("empty file") << 0 << 1;
        QTest::newRow("one record") << 516 << 1;
        QTest::newRow("two records") << 1032 << 2;
        QTest::newRow("seven records") << 7 * 516 << 7;
        QTest::newRow("one byte") << 1 << 1;
        QTest::newRow("trailing part") << 3 * 516 + 100 << 4;
        QTest::newRow("one byte short") << 3 * 516 - 1 << 3;
    }
    void countsSituations() {
        QFETCH(int, bytes);
        QFETCH(int, count);
        const QString kro = path("Liczenie.Kro");
        QVERIFY(writeFile(kro, QByteArray(bytes, 'a')));
        QVERIFY(writeFile(path("Liczenie.lis"), {}));
        PosixRecordFileFactory files;
        ScenarioPair pair(files);
        pair.openExisting(kro, RecordFile::Access::ReadWrite);
        QCOMPARE(pair.count(), count);
    }

    void readsSituationByNumber() {
        const QString kro = path("Czytanie.Kro");
        QVERIFY(makeScenario(kro, 5));
        PosixRecordFileFactory files;
        ScenarioPair pair(files);
        pair.openExisting(kro, RecordFile::Access::ReadOnly);
        TRekordKroku rekord;
        TRekordListy lista;
        for (int k : {3, 0, 4, 3}) {
            pair.read(k, rekord, lista);
            QCOMPARE(rekord.Nazwa.text(), QStringLiteral("S%1").arg(k));
            QCOMPARE(rekord.Krok_Wybrany1.get(), k + 1);
            QCOMPARE(lista.Nazwa.text(), QStringLiteral("S%1").arg(k));
        }
    }

    void failuresCarryTheirMessages_data() {
        QTest::addColumn<int>("situationBytes");
        QTest::addColumn<int>("listBytes");
        QTest::addColumn<int>("number");
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("message");
        const int end = AppError::ReadBeyondEnd;
        const int negative = AppError::NegativeSeek;
        const QString endText = QStringLiteral("Read beyond end of file");
        const QString negativeText = QStringLiteral("I/O error 131");
        QTest::newRow("past the end") << 2 * 516 << 2 * 22 << 2 << end << endText;
        QTest::newRow("far past the end") << 2 * 516 << 2 * 22 << 99999 << end << endText;
        QTest::newRow("list shorter") << 3 * 516 << 2 * 22 << 2 << end << endText;
        QTest::newRow("trailing part") << 2 * 516 + 10 << 3 * 22 << 2 << end << endText;
        QTest::newRow("negative") << 2 * 516 << 2 * 22 << -1 << negative << negativeText;
        QTest::newRow("most negative")
            << 2 * 516 << 2 * 22 << INT32_MIN << negative << negativeText;
    }
    void failuresCarryTheirMessages() {
        QFETCH(int, situationBytes);
        QFETCH(int, listBytes);
        QFETCH(int, number);
        QFETCH(int, code);
        QFETCH(QString, message);
        const QString kro = path("Bledy.Kro");
        QVERIFY(writeFile(kro, QByteArray(situationBytes, '\0')));
        QVERIFY(writeFile(path("Bledy.lis"), QByteArray(listBytes, '\0')));
        PosixRecordFileFactory files;
        ScenarioPair pair(files);
        pair.openExisting(kro, RecordFile::Access::ReadOnly);
        TRekordKroku rekord;
        rekord.Nazwa.assign(QStringLiteral("przedtem"));
        TRekordListy lista;
        expectError(code, message, [&] { pair.read(number, rekord, lista); });
        QCOMPARE(rekord.Nazwa.text(), QStringLiteral("przedtem"));
    }

    void openFailuresCarryTheirMessages() {
        PosixRecordFileFactory files;
        ScenarioPair pair(files);
        const QString kro = path("Sam.Kro");
        QVERIFY(writeFile(kro, QByteArray(1032, '\0')));
        expectError(AppError::FileNotFound, "File not found",
                    [&] { pair.openExisting(kro, RecordFile::Access::ReadOnly); });
        expectError(AppError::FileNotFound, "File not found", [&] {
            pair.openExisting(path("brak/Nic.Kro"), RecordFile::Access::ReadWrite);
        });
        expectError(AppError::AccessDenied, "File access denied",
                    [&] { pair.openExisting(dir_.path(), RecordFile::Access::ReadWrite); });
    }

    void callsOnClosedFilesFail() {
        PosixRecordFileFactory files;
        ScenarioPair pair(files);
        TRekordKroku rekord;
        TRekordListy lista;
        expectError(AppError::FileNotOpen, "I/O error 103", [&] { pair.read(1, rekord, lista); });
        expectError(AppError::FileNotOpen, "I/O error 103",
                    [&] { pair.write(1, rekord, lista, 1); });
        expectError(AppError::FileNotOpen, "I/O error 103", [&] { pair.close(); });
        expectError(AppError::FileNotOpen, "I/O error 103", [&] { pair.count(); });
    }

    void readOnlyPairRefusesWrites() {
        const QString kro = path("Tylko.Kro");
        QVERIFY(makeScenario(kro, 2));
        PosixRecordFileFactory files;
        ScenarioPair pair(files);
        pair.openExisting(kro, RecordFile::Access::ReadOnly);
        TRekordKroku rekord;
        TRekordListy lista;
        expectError(AppError::FileNotOpenForOutput, "I/O error 105",
                    [&] { pair.write(1, rekord, lista, 1); });
        QCOMPARE(readFile(kro).mid(516, 3), QByteArray("\x02S1"));
    }

    void savingAppendsAtTheCount() {
        const QString kro = path("Dopisz.Kro");
        QVERIFY(makeScenario(kro, 3));
        PosixRecordFileFactory files;
        ScenarioPair pair(files);
        pair.openExisting(kro, RecordFile::Access::ReadWrite);
        TKrok krok;
        krok.Ustaw(QStringLiteral("Las"), QStringLiteral("Idź"), {}, {}, {},
                   QStringLiteral("Ciemno"), {}, 2, -1, -1, -1);
        TRekordKroku rekord;
        krok.DoRekordu(rekord);
        TRekordListy lista;
        const int n = pair.count();
        pair.write(n, rekord, lista, Wybory1);
        QCOMPARE(pair.count(), 4);
        QCOMPARE(readFile(kro).size(), 4 * 516);
        QCOMPARE(readFile(path("Dopisz.lis")).size(), 4 * 22);

        TRekordKroku back;
        TRekordListy backList;
        pair.read(3, back, backList);
        QCOMPARE(recordBytes(back), recordBytes(rekord));
        QCOMPARE(backList.Nazwa.text(), QStringLiteral("Las"));
        QCOMPARE(backList.Typ, quint8(Wybory1));
    }

    // --- injected failures ---------------------------------------------------

    void accessDeniedOnOpen() {
        const QString kro = path("Zamkniety.Kro");
        QVERIFY(makeScenario(kro, 2));
        FaultyRecordFileFactory files;
        ScenarioPair pair(files);
        files.failCall(2, AppError::AccessDenied);
        expectError(AppError::AccessDenied, "File access denied",
                    [&] { pair.openExisting(kro, RecordFile::Access::ReadWrite); });
        QVERIFY(!pair.situationFileOpen());
        QVERIFY(!pair.listFileOpen());
    }

    void failedCreateLeavesNoFile() {
        const QString kro = path("Pelny.Kro");
        FaultyRecordFileFactory files;
        ScenarioPair pair(files);
        TKrok krok;
        TRekordKroku rekord;
        TRekordListy lista;
        // create, create, seek, write(0), seek, write(0 list), seek, write(1) fails
        files.failCall(8, AppError::DiskFull);
        expectError(AppError::DiskFull, "Disk full",
                    [&] { pair.createNew(kro, krok, rekord, lista); });
        QVERIFY(!QFile::exists(kro));
        QVERIFY(!QFile::exists(path("Pelny.lis")));
        QVERIFY(!pair.situationFileOpen());
    }

    // --- media files -------------------------------------------------------

    void mediaPathsAreConcatenated() {
        QCOMPARE(MediaFiles::picturePath(QStringLiteral("/gry/"), QStringLiteral("las.bmp")),
                 QStringLiteral("/gry/Obrazki/las.bmp"));
        QCOMPARE(MediaFiles::soundPath(QString(), QStringLiteral("las.wav")),
                 QStringLiteral("Dzwieki/las.wav"));
    }

    void findsMediaFiles_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("found"); // inside Obrazki/, empty: none
        QTest::newRow("exact") << "las.bmp"
                               << "las.bmp";
        QTest::newRow("other case") << "LAS.BMP"
                                    << "las.bmp";
        QTest::newRow("exact wins") << "Zamek.bmp"
                                    << "Zamek.bmp";
        QTest::newRow("other case of two") << "ZAMEK.bmp"
                                           << "?";
        QTest::newRow("missing") << "brak.bmp"
                                 << "";
        QTest::newRow("folder") << "podfolder"
                                << "";
        QTest::newRow("slash") << "podfolder/x.bmp"
                               << "";
        QTest::newRow("backslash") << "podfolder\\x.bmp"
                                   << "";
        QTest::newRow("parent") << "../tajne.bmp"
                                << "";
        QTest::newRow("dot") << "."
                             << "";
        QTest::newRow("dot dot") << ".."
                                 << "";
        QTest::newRow("empty") << ""
                               << "";
        QTest::newRow("other case of a link to a file") << "LINK.BMP"
                                                        << "Link.bmp";
        QTest::newRow("other case of a link to a device") << "ZERO.BMP"
                                                          << "";
        QTest::newRow("other case of a named pipe") << "RURA.BMP"
                                                    << "";
        QTest::newRow("other case of a dangling link") << "BRAK2.BMP"
                                                       << "";
    }
    void findsMediaFiles() {
        QFETCH(QString, name);
        QFETCH(QString, found);
        const QString prefix = dir_.path() + u'/';
        QVERIFY(QDir(dir_.path()).mkpath(QStringLiteral("Obrazki/podfolder")));
        for (const char* file : {"las.bmp", "Zamek.bmp", "zamek.bmp", "podfolder/x.bmp"})
            QVERIFY(writeFile(prefix + "Obrazki/" + file, "BM"));
        QVERIFY(writeFile(prefix + "tajne.bmp", "BM"));
        QVERIFY(QFile::link(prefix + "Obrazki/las.bmp", prefix + "Obrazki/Link.bmp"));
        QVERIFY(QFile::link(QStringLiteral("/dev/zero"), prefix + "Obrazki/Zero.bmp"));
        QVERIFY(QFile::link(prefix + "Obrazki/nic.bmp", prefix + "Obrazki/Brak2.bmp"));
        QCOMPARE(::mkfifo(QFile::encodeName(prefix + "Obrazki/Rura.bmp").constData(), 0600), 0);
        const QString result = MediaFiles::findPicture(prefix, name);
        if (found == u"?") // either spelling of a name that exists twice
            QVERIFY(result.endsWith(u"/Zamek.bmp") || result.endsWith(u"/zamek.bmp"));
        else
            QCOMPARE(result, found.isEmpty() ? QString() : prefix + "Obrazki/" + found);
        QVERIFY(MediaFiles::findSound(prefix, name).isEmpty());
    }

    // The letter-case fallback keeps a folder's listing, yet sees what changed in the folder.
    void mediaListingFollowsTheFolder_data() {
        QTest::addColumn<bool>("settled"); // the folder last changed long ago
        QTest::addColumn<QString>("change");
        QTest::addColumn<bool>("foundAfter");
        QTest::newRow("file added") << false << "add" << true;
        QTest::newRow("file added to a settled folder") << true << "add" << true;
        QTest::newRow("file removed from a settled folder") << true << "remove" << false;
    }
    void mediaListingFollowsTheFolder() {
        QFETCH(bool, settled);
        QFETCH(QString, change);
        QFETCH(bool, foundAfter);
        const QString prefix = dir_.path() + u'/';
        const QString folder = prefix + "Obrazki/";
        QVERIFY(writeFile(folder + "inny.bmp", "BM"));
        if (change != u"add")
            QVERIFY(writeFile(folder + "Wieza.bmp", "BM"));
        if (settled) {
            const timeval past[2] = {{1000000000, 0}, {1000000000, 0}};
            QCOMPARE(::utimes(QFile::encodeName(folder).constData(), past), 0);
        }
        QCOMPARE(MediaFiles::findPicture(prefix, "WIEZA.BMP").isEmpty(), change == u"add");
        if (change == u"add")
            QVERIFY(writeFile(folder + "Wieza.bmp", "BM"));
        else
            QVERIFY(QFile::remove(folder + "Wieza.bmp"));
        QCOMPARE(MediaFiles::findPicture(prefix, "WIEZA.BMP"),
                 foundAfter ? folder + "Wieza.bmp" : QString());
    }

    // --- error texts ---------------------------------------------------------

    void errorMessages_data() {
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("boxText");
        QTest::newRow("2") << 2 << "File not found"
                           << "File not found.";
        QTest::newRow("3") << 3 << "Invalid filename"
                           << "Invalid filename.";
        QTest::newRow("4") << 4 << "Too many open files"
                           << "Too many open files.";
        QTest::newRow("5") << 5 << "File access denied"
                           << "File access denied.";
        QTest::newRow("100") << 100 << "Read beyond end of file"
                             << "Read beyond end of file.";
        QTest::newRow("101") << 101 << "Disk full"
                             << "Disk full.";
        QTest::newRow("103") << 103 << "I/O error 103"
                             << "I/O error 103.";
        QTest::newRow("106") << 106 << "Invalid numeric input"
                             << "Invalid numeric input.";
        QTest::newRow("131") << 131 << "I/O error 131"
                             << "I/O error 131.";
    }
    void errorMessages() {
        QFETCH(int, code);
        QFETCH(QString, message);
        QFETCH(QString, boxText);
        const AppError error(code);
        QCOMPARE(error.code(), code);
        QCOMPARE(error.message(), message);
        QCOMPARE(standardErrorText(error.message()), boxText);
    }

    void fullStopRule_data() {
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("boxText");
        QTest::newRow("exclamation") << "Uwaga!"
                                     << "Uwaga!";
        QTest::newRow("bracket") << "List index out of bounds (7)"
                                 << "List index out of bounds (7)";
        QTest::newRow("full stop") << "Koniec."
                                   << "Koniec.";
        QTest::newRow("digit") << "I/O error 5"
                               << "I/O error 5.";
        QTest::newRow("slash") << "C:/"
                               << "C:/.";
        QTest::newRow("comma") << "a,"
                               << "a,";
        QTest::newRow("quote") << "Cannot open file \"x\""
                               << "Cannot open file \"x\"";
        QTest::newRow("polish letter") << "Źle"
                                       << "Źle.";
        QTest::newRow("empty") << ""
                               << "";
    }
    void fullStopRule() {
        QFETCH(QString, message);
        QFETCH(QString, boxText);
        QCOMPARE(standardErrorText(message), boxText);
    }

private:
    QString path(const QString& name) const { return dir_.filePath(name); }

    TestFolder dir_;
};

KIT_TEST_MAIN(TestCommon)
#include "tst_common.moc"
