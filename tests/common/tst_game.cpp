// The game model without any window: the rules of a game step, read from real files.

#include "common/Cp1250.h"
#include "common/Description.h"
#include "common/Game.h"
#include "common/ScenarioFiles.h"
#include "platform/core/AppError.h"
#include "tests/support/ExpectError.h"
#include "tests/support/FaultyRecordFile.h"
#include "tests/support/ScenarioBuilder.h"
#include "tests/support/TestFiles.h"

#include <QCoreApplication>
#include <QFile>
#include <QTest>
#include <cstdint>
#include <functional>

namespace {

// Situation `nazwa` of type `typ` whose choices lead to `cele`.
Situation sit(const QString& nazwa, std::uint8_t typ, std::array<std::int32_t, 4> cele = {}) {
    return describedSituation(nazwa, typ, cele);
}

// The choices offered, "1" offered and "0" not: "1000" offers the first alone.
QString offered(const Game& game) {
    QString s;
    for (const bool offers : game.choicesOffered())
        s += offers ? u'1' : u'0';
    return s;
}

// A show that fails, as a picture or sound that the platform refuses does.
void refuseToShow() {
    throw AppError(AppError::Other, QStringLiteral("Plik jest zly"));
}

// Writes a scenario into the folder and returns its situation file's path.
using Build = std::function<QString(const TestFolder&)>;

} // namespace

Q_DECLARE_METATYPE(Build)

class TestGame : public QObject {
    Q_OBJECT

private slots:
    void init() { dir_.renew(); }

    // A description as stored, as shown, and as stored again by a save of what is shown.
    void descriptionLineBreaks_data() {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<QString>("storedAgain");
        QTest::addColumn<int>("length"); // bytes of storedAgain
        const auto row = [](const char* name, const QString& stored, const QString& shown,
                            const QString& again) {
            QTest::newRow(name) << stored << shown << again << int(Cp1250::encode(again).size());
        };
        const QString cr(Description::LoneCr);
        row("CR LF", "a\r\nb", "a\nb", "a\r\nb");
        row("lone LF becomes CR LF", "a\nb", "a\nb", "a\r\nb");
        row("lone CR kept", "a\rb", "a" + cr + "b", "a\rb");
        row("CR CR LF", "a\r\r\nb", "a" + cr + "\nb", "a\r\r\nb");
        row("LF CR", "a\n\rb", "a\n" + cr + "b", "a\r\n\rb");
        row("text ending in CR", "a\r", "a" + cr, "a\r");
        row("two CR LF", "a\r\n\r\nb", "a\n\nb", "a\r\n\r\nb");
        row("Polish letter one byte", QStringLiteral("ł\r\n"), QStringLiteral("ł\n"),
            QStringLiteral("ł\r\n"));
    }
    void descriptionLineBreaks() {
        QFETCH(QString, stored);
        QFETCH(QString, shown);
        QFETCH(QString, storedAgain);
        QFETCH(int, length);
        QCOMPARE(Description::shown(stored), shown);
        QCOMPARE(Description::stored(shown), storedAgain);
        QCOMPARE(Description::storedLength(shown), length);
    }

    void startReadsSituationOneForReadingOnly() {
        const QString kro = dir_.filePath(QStringLiteral("Las.Kro"));
        Situation start = sit("Start", Poczatek);
        start.opis = QStringLiteral("Raz\r\nDwa\rTrzy");
        start.bmp = QStringLiteral("las.bmp");
        start.wav = QStringLiteral("las.wav");
        QVERIFY(writeScenario(kro, {sit("Koniec", Koniec), start}));
        FaultyRecordFileFactory files;
        Game game(files);
        int shows = 0;
        game.start(kro, [&] {
            // Shown once read, before the choices are set.
            QCOMPARE(game.situation().Nazwa.text(), QStringLiteral("Start"));
            QCOMPARE(offered(game), QStringLiteral("1111"));
            ++shows;
        });
        QCOMPARE(shows, 1);
        QCOMPARE(game.number(), 1);
        QCOMPARE(game.description(), QStringLiteral("Raz\nDwa\u240DTrzy"));
        QCOMPARE(game.pictureName(), QStringLiteral("las.bmp"));
        QCOMPARE(game.soundName(), QStringLiteral("las.wav"));
        // The pair, and nothing is opened for writing.
        for (const RecordFile::Access access : files.opens())
            QCOMPARE(access, RecordFile::Access::ReadOnly);
        QCOMPARE(files.opens().size(), 2);
    }

    void firstSituationOffersTheFirstChoiceAlone_data() {
        QTest::addColumn<int>("typ");
        for (const int typ : {0, 1, 2, 5, 9})
            QTest::addRow("type %d", typ) << typ;
    }
    void firstSituationOffersTheFirstChoiceAlone() {
        QFETCH(int, typ);
        const QString kro = dir_.filePath(QStringLiteral("Start.Kro"));
        QVERIFY(writeScenario(kro, {sit("Koniec", Koniec), sit("Start", std::uint8_t(typ))}));
        PosixRecordFileFactory files;
        Game game(files);
        game.start(kro);
        QCOMPARE(offered(game), QStringLiteral("1000"));
        QVERIFY(!game.isOver()); // a Koniec situation 1 does not end the game
        QCOMPARE(int(game.type()), typ);
    }

    // Reached from a Wybory2 situation, so that a type that keeps the choices shows "1100".
    void choicesFollowTheType_data() {
        QTest::addColumn<int>("typ");
        QTest::addColumn<QString>("choices");
        QTest::addColumn<bool>("over");
        QTest::newRow("Poczatek") << 0 << "1000" << false;
        QTest::newRow("Normalny") << 1 << "1111" << false;
        QTest::newRow("Koniec ends the game") << 2 << "0000" << true;
        QTest::newRow("Wybory1") << 3 << "1000" << false;
        QTest::newRow("Wybory2") << 4 << "1100" << false;
        QTest::newRow("Wybory3") << 5 << "1110" << false;
        QTest::newRow("9 keeps the choices") << 9 << "1100" << false;
    }
    void choicesFollowTheType() {
        QFETCH(int, typ);
        QFETCH(QString, choices);
        QFETCH(bool, over);
        const QString kro = dir_.filePath(QStringLiteral("Typy.Kro"));
        QVERIFY(writeScenario(kro, {sit("Koniec", Koniec), sit("Start", Poczatek, {2, -1, -1, -1}),
                                    sit("Dwie", Wybory2, {1, 3, -1, -1}),
                                    sit("Badana", std::uint8_t(typ))}));
        PosixRecordFileFactory files;
        Game game(files);
        game.start(kro);
        QVERIFY(game.choose(1));
        QCOMPARE(offered(game), QStringLiteral("1100"));
        QVERIFY(game.choose(2));
        QCOMPARE(game.number(), 3);
        QCOMPARE(game.situation().Nazwa.text(), QStringLiteral("Badana"));
        QCOMPARE(offered(game), choices);
        QCOMPARE(game.isOver(), over);
    }

    // Situation 1 is Normalny, so that a start that followed its type would offer all four.
    // The scenario is held open for writing meanwhile, as the editor holds it.
    void startAtReadsTheSituationAsAChoiceWould_data() {
        QTest::addColumn<int>("number");
        QTest::addColumn<QString>("choices"); // then "over", or the error's code
        QTest::newRow("1 is the ordinary start") << 1 << "1000";
        QTest::newRow("Normalny") << 2 << "1111";
        QTest::newRow("Wybory2") << 3 << "1100";
        QTest::newRow("Koniec ends the game") << 4 << "0000 over";
        QTest::newRow("the default end") << 0 << "0000 over";
        QTest::newRow("type 9 keeps choice 1") << 5 << "1000";
        QTest::newRow("past the end") << 6 << "1111 100";
        QTest::newRow("negative") << -2 << "1111 131";
    }
    void startAtReadsTheSituationAsAChoiceWould() {
        QFETCH(int, number);
        QFETCH(QString, choices);
        const QString kro = dir_.filePath(QStringLiteral("Od.Kro"));
        QVERIFY(writeScenario(kro, {sit("S0", Koniec), sit("S1", Normalny), sit("S2", Normalny),
                                    sit("S3", Wybory2), sit("S4", Koniec), sit("S5", 9)}));
        PosixRecordFileFactory files;
        ScenarioPair editor(files);
        editor.openExisting(kro, RecordFile::Access::ReadWrite);
        Game game(files);
        QString got;
        try {
            game.startAt(kro, number, [&] { got += game.situation().Nazwa.text(); });
            QCOMPARE(got, QStringLiteral("S%1").arg(number)); // shown once
            got.clear();
        } catch (const AppError& error) {
            QCOMPARE(got, QString()); // nothing shown
            QCOMPARE(error.message(), AppError::messageForCode(error.code()));
            got = u' ' + QString::number(error.code());
        }
        QCOMPARE(offered(game) + (game.isOver() ? QStringLiteral(" over") : QString()) + got,
                 choices);
        QCOMPARE(game.number(), number);
        game.close(); // both files are open, also after a failed read
    }

    void choicesNotOfferedChangeNothing_data() {
        QTest::addColumn<int>("choice");
        QTest::addColumn<bool>("ended");
        QTest::newRow("choice 2 at the start") << 2 << false;
        QTest::newRow("choice 0") << 0 << false;
        QTest::newRow("choice 5") << 5 << false;
        QTest::newRow("choice 1 after the end") << 1 << true;
    }
    void choicesNotOfferedChangeNothing() {
        QFETCH(int, choice);
        QFETCH(bool, ended);
        const QString kro = dir_.filePath(QStringLiteral("Koniec.Kro"));
        QVERIFY(writeScenario(
            kro, {sit("Koniec", Koniec, {1, 1, 1, 1}), sit("Start", Poczatek, {0, 0, 0, 0})}));
        FaultyRecordFileFactory files;
        Game game(files);
        game.start(kro);
        if (ended)
            QVERIFY(game.choose(1));
        const QString before = offered(game);
        const int number = game.number();
        const int calls = files.calls();
        QVERIFY(!game.choose(choice));
        QCOMPARE(files.calls(), calls);
        QCOMPARE(game.number(), number);
        QCOMPARE(offered(game), before);
        QCOMPARE(game.isOver(), ended);
    }

    void failedChoiceKeepsTheState_data() {
        QTest::addColumn<int>("target");
        QTest::addColumn<bool>("shortList");
        QTest::addColumn<int>("code");
        QTest::newRow("past the end") << 7 << false << int(AppError::ReadBeyondEnd);
        QTest::newRow("just past the end") << 4 << false << int(AppError::ReadBeyondEnd);
        QTest::newRow("past the list file's end") << 3 << true << int(AppError::ReadBeyondEnd);
        QTest::newRow("not offered (-1)") << -1 << false << int(AppError::NegativeSeek);
        QTest::newRow("most negative") << INT32_MIN << false << int(AppError::NegativeSeek);
    }
    void failedChoiceKeepsTheState() {
        QFETCH(int, target);
        QFETCH(bool, shortList);
        QFETCH(int, code);
        const QString kro = dir_.filePath(QStringLiteral("Zle.Kro"));
        QVERIFY(writeScenario(kro, {sit("Koniec", Koniec), sit("Start", Poczatek, {2, -1, -1, -1}),
                                    sit("Srodek", Wybory2, {target, 1, -1, -1}),
                                    sit("Trzy", Normalny)}));
        if (shortList)
            QVERIFY(QFile::resize(listFilePath(kro), 3 * TRekordListy::Size));
        PosixRecordFileFactory files;
        Game game(files);
        game.start(kro);
        QVERIFY(game.choose(1));
        // The same choice fails each time it is taken.
        for (int round = 0; round < 2; ++round) {
            expectError(code, AppError::messageForCode(code), [&] { game.choose(1); });
            QCOMPARE(game.number(), target);
            QCOMPARE(game.situation().Nazwa.text(), QStringLiteral("Srodek"));
            QCOMPARE(int(game.type()), int(Wybory2));
            QCOMPARE(offered(game), QStringLiteral("1100"));
            QVERIFY(!game.isOver());
        }
        // Another choice leads on.
        QVERIFY(game.choose(2));
        QCOMPARE(game.situation().Nazwa.text(), QStringLiteral("Start"));
    }

    void everyFailingCallOfAChoiceKeepsTheState() {
        const QString kro = dir_.filePath(QStringLiteral("Awaria.Kro"));
        QVERIFY(writeScenario(kro, {sit("Koniec", Koniec), sit("Start", Poczatek, {2, -1, -1, -1}),
                                    sit("Dalej", Koniec)}));
        int calls = 0;
        {
            FaultyRecordFileFactory files;
            Game game(files);
            game.start(kro);
            const int before = files.calls();
            QVERIFY(game.choose(1));
            calls = files.calls() - before;
        }
        QVERIFY(calls >= 4); // a look for a save's journal, then a seek and a read per file
        for (int n = 1; n <= calls; ++n) {
            FaultyRecordFileFactory files;
            Game game(files);
            game.start(kro);
            files.failCall(n, AppError::AccessDenied);
            expectError(AppError::AccessDenied, QStringLiteral("File access denied"),
                        [&] { game.choose(1); });
            const QByteArray where = "call " + QByteArray::number(n);
            QVERIFY2(game.number() == 2, where);
            QVERIFY2(game.situation().Nazwa.text() == u"Start", where);
            QVERIFY2(game.type() == Poczatek, where);
            QVERIFY2(offered(game) == u"1000" && !game.isOver(), where);
        }
    }

    void anErrorWhileShowingEndsTheStep_data() {
        QTest::addColumn<bool>("atStart");
        QTest::addColumn<int>("typ");
        QTest::addColumn<QString>("choices");
        QTest::newRow("at the start") << true << int(Wybory3) << "1111";
        QTest::newRow("reaching Wybory3") << false << int(Wybory3) << "1000";
        QTest::newRow("reaching Koniec") << false << int(Koniec) << "1000";
    }
    void anErrorWhileShowingEndsTheStep() {
        QFETCH(bool, atStart);
        QFETCH(int, typ);
        QFETCH(QString, choices);
        const QString kro = dir_.filePath(QStringLiteral("Glos.Kro"));
        QVERIFY(writeScenario(kro, {sit("Koniec", Koniec), sit("Start", Poczatek, {2, -1, -1, -1}),
                                    sit("Glos", std::uint8_t(typ))}));
        PosixRecordFileFactory files;
        Game game(files);
        const QString refused = QStringLiteral("Plik jest zly");
        if (atStart) {
            expectError(AppError::Other, refused, [&] { game.start(kro, refuseToShow); });
        } else {
            game.start(kro);
            expectError(AppError::Other, refused, [&] { game.choose(1, refuseToShow); });
            QCOMPARE(game.situation().Nazwa.text(), QStringLiteral("Glos"));
        }
        // What was read stays; the choices are not set and the end is not reached.
        QCOMPARE(game.number(), atStart ? 1 : 2);
        QCOMPARE(offered(game), choices);
        QVERIFY(!game.isOver());
    }

    void failedStartKeepsWhatItCould_data() {
        QTest::addColumn<Build>("build");
        QTest::addColumn<int>("code");
        QTest::addColumn<int>("number");
        QTest::addColumn<int>("choiceCode"); // 0: the choice reaches situation 0, an end
        const auto scenario = [](std::vector<Situation> situations) {
            return Build([situations](const TestFolder& dir) {
                const QString kro = dir.filePath(QStringLiteral("Las.Kro"));
                return writeScenario(kro, situations) ? kro : QString();
            });
        };
        // Both files open, the situation object still empty: a choice leads to 0.
        QTest::newRow("one-record file")
            << scenario({sit("Koniec", Koniec)}) << int(AppError::ReadBeyondEnd) << 1 << 0;
        QTest::newRow("zero-byte pair")
            << scenario({}) << int(AppError::ReadBeyondEnd) << 1 << int(AppError::ReadBeyondEnd);
        QTest::newRow("no list file") << Build([](const TestFolder& dir) {
            const QString kro = dir.write(QStringLiteral("Bez.Kro"), QByteArray(2 * 516, '\0'));
            return kro;
        }) << int(AppError::FileNotFound)
                                      << 0 << int(AppError::FileNotOpen);
        QTest::newRow("a list file as the scenario") << Build([](const TestFolder& dir) {
            return dir.write(QStringLiteral("Las.lis"), QByteArray(2 * 22, '\0'));
        }) << int(AppError::InvalidFileName) << 0 << int(AppError::FileNotOpen);
    }
    void failedStartKeepsWhatItCould() {
        QFETCH(Build, build);
        QFETCH(int, code);
        QFETCH(int, number);
        QFETCH(int, choiceCode);
        const QString kro = build(dir_);
        QVERIFY(!kro.isEmpty());
        PosixRecordFileFactory files;
        Game game(files);
        expectError(code, AppError::messageForCode(code), [&] { game.start(kro); });
        QCOMPARE(game.number(), number);
        QCOMPARE(offered(game), QStringLiteral("1111")); // as before the first game
        if (choiceCode == 0) {
            QVERIFY(game.choose(3));
            QCOMPARE(game.situation().Nazwa.text(), QStringLiteral("Koniec"));
            QVERIFY(game.isOver());
        } else {
            expectError(choiceCode, AppError::messageForCode(choiceCode), [&] { game.choose(3); });
            QCOMPARE(game.number(), 0);
        }
    }

    void aNewGameIsNoLongerOverEvenWhenItFails() {
        const QString kro = dir_.filePath(QStringLiteral("Znowu.Kro"));
        QVERIFY(writeScenario(kro, {sit("Koniec", Koniec), sit("Start", Poczatek)}));
        PosixRecordFileFactory files;
        Game game(files);
        game.start(kro);
        QVERIFY(game.choose(1));
        QVERIFY(game.isOver());
        game.close();
        expectError(AppError::FileNotFound, QStringLiteral("File not found"),
                    [&] { game.start(dir_.filePath(QStringLiteral("Brak.Kro"))); });
        QVERIFY(!game.isOver());
        QCOMPARE(offered(game), QStringLiteral("0000")); // as the last game left them
        game.start(kro);
        QCOMPARE(offered(game), QStringLiteral("1000"));
    }

private:
    TestFolder dir_;
};

QTEST_GUILESS_MAIN(TestGame)
#include "tst_game.moc"
