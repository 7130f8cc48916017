// The player's command line: how its arguments are read, and the windows they bring up.

#include "FaultyRecordFile.h"
#include "PlayerUnderTest.h"
#include "RecordingMessageBoxes.h"
#include "ScenarioBuilder.h"
#include "TestFiles.h"
#include "TestMain.h"
#include "player/CommandLine.h"

#include <QDir>
#include <QPlainTextEdit>
#include <QTest>

namespace {

using Player = PlayerUnderTest<RecordingMessageBoxes, FaultyRecordFileFactory>;
using Action = PlayerCommandLine::Action;

PlayerCommandLine read(const QStringList& arguments) {
    return PlayerCommandLine::read(QStringList{QStringLiteral("Zozozarov")} + arguments);
}

// A path given relative to the current folder, as the program must have made it absolute.
QString absolute(const QString& name) {
    return name.isEmpty() || name.startsWith(u'/') ? name : QDir::currentPath() + u'/' + name;
}

} // namespace

class TestCommandLine : public QObject {
    Q_OBJECT

private slots:
    // Every test runs in its own folder, so that relative paths name files of the test.
    void init() {
        dir_.renew();
        QVERIFY(QDir::setCurrent(dir_.path()));
    }
    void cleanup() { QVERIFY(QDir::setCurrent(startFolder_)); }

    void readsTheArguments_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("action");
        QTest::addColumn<QString>("scenario"); // relative to the current folder; "" none
        QTest::addColumn<QString>("from");     // "" none
        QTest::addColumn<bool>("error");
        const auto row = [](const char* name, QStringList arguments, Action action,
                            const char* scenario, const char* from, bool error) {
            QTest::newRow(name) << arguments << int(action) << QString(scenario) << QString(from)
                                << error;
        };
        row("nothing", {}, Action::Play, "", "", false);
        row("relative file", {"Las.Kro"}, Action::Play, "Las.Kro", "", false);
        row("dots in the path", {"./a/../Las.Kro"}, Action::Play, "Las.Kro", "", false);
        row("absolute file", {"/gry/Las.Kro"}, Action::Play, "/gry/Las.Kro", "", false);
        row("--from 3", {"Las.Kro", "--from", "3"}, Action::Play, "Las.Kro", "3", false);
        row("--from=0 first", {"--from=0", "Las.Kro"}, Action::Play, "Las.Kro", "0", false);
        row("negative", {"Las.Kro", "--from", "-2"}, Action::Play, "Las.Kro", "-2", false);
        row("not a number", {"Las.Kro", "--from", "trzy"}, Action::Play, "Las.Kro", "", true);
        row("past 32 bits", {"Las.Kro", "--from", "2147483648"}, Action::Play, "Las.Kro", "", true);
        row("--from without a file", {"--from", "2"}, Action::Play, "", "", true);
        row("--from without a value", {"Las.Kro", "--from"}, Action::Play, "Las.Kro", "", true);
        row("two files", {"Las.Kro", "Zamek.Kro", "--from", "2"}, Action::Play, "", "", true);
        row("empty file name", {""}, Action::Play, "", "", true);
        row("unknown option", {"Las.Kro", "--graj"}, Action::Play, "Las.Kro", "", true);
        row("--help", {"--help"}, Action::Help, "", "", false);
        row("-h among errors", {"--from", "x", "-h", "--graj"}, Action::Help, "", "", false);
        row("--version", {"Las.Kro", "--version"}, Action::Version, "", "", false);
        row("-v", {"-v"}, Action::Version, "", "", false);
    }
    void readsTheArguments() {
        QFETCH(QStringList, arguments);
        QFETCH(int, action);
        QFETCH(QString, scenario);
        QFETCH(QString, from);
        QFETCH(bool, error);
        const PlayerCommandLine line = read(arguments);
        QCOMPARE(int(line.action), action);
        QCOMPARE(line.scenario, absolute(scenario));
        QCOMPARE(line.from ? QString::number(*line.from) : QString(), from);
        QCOMPARE(!line.error.isEmpty(), error);
    }

    // Situations: 0 the default end, 1 the start, 2 a Wybory2, 3 a Koniec.
    void windowsFollowTheCommandLine_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("box"); // "usage", "error:<message>", "message:<text>" or ""
        QTest::addColumn<int>("number");  // the situation the game shows; -1 for the menu
        QTest::addColumn<QString>("choices");
        QTest::newRow("file alone") << QStringList{"Od.Kro"} << "" << -1 << "";
        QTest::newRow("--from 1") << QStringList{"Od.Kro", "--from", "1"} << "" << 1 << "1000";
        QTest::newRow("--from a Wybory2")
            << QStringList{"Od.Kro", "--from", "2"} << "" << 2 << "1100";
        QTest::newRow("--from a Koniec")
            << QStringList{"Od.Kro", "--from", "3"} << "message:To juz koniec gry" << 3 << "0000";
        QTest::newRow("past the end")
            << QStringList{"Od.Kro", "--from", "4"} << "error:Read beyond end of file" << -1 << "";
        QTest::newRow("negative") << QStringList{"Od.Kro", "--from", "-1"} << "error:I/O error 131"
                                  << -1 << "";
        QTest::newRow("not a number")
            << QStringList{"Od.Kro", "--from", "dwa"} << "usage" << -1 << "";
        QTest::newRow("--from without a file") << QStringList{"--from", "2"} << "usage" << -1 << "";
        QTest::newRow("missing file at 2")
            << QStringList{"Brak.Kro", "--from", "2"} << "error:File not found" << -1 << "";
    }
    void windowsFollowTheCommandLine() {
        QFETCH(QStringList, arguments);
        QFETCH(QString, box);
        QFETCH(int, number);
        QFETCH(QString, choices);
        QVERIFY(writeScenario(QStringLiteral("Od.Kro"),
                              {describedSituation("Koniec", Koniec),
                               describedSituation("Start", Poczatek, {2, -1, -1, -1}),
                               describedSituation("Dwie", Wybory2, {1, 3, -1, -1}),
                               describedSituation("Meta", Koniec)}));
        const PlayerCommandLine line = read(arguments);
        Player p;
        p.menu.hide(); // as the program starts: nothing shown before the command line is read
        if (box == u"usage")
            p.boxes.expectMessage(line.error);
        else if (box.startsWith(u"error:"))
            p.boxes.expectError(box.mid(6));
        else if (box.startsWith(u"message:"))
            p.boxes.expectMessage(box.mid(8));
        p.windows.begin(line);
        QVERIFY(p.boxes.verifyAllShown());
        QCOMPARE(p.boxes.boxes().size(), box.isEmpty() ? 0 : 1);
        // The scenario is chosen whatever became of the game.
        QCOMPARE(p.menu.scenario().path, line.scenario);
        QCOMPARE(p.menu.Label4->text(), line.scenario);
        QCOMPARE(p.menu.isVisible(), number < 0);
        QCOMPARE(p.gra.isVisible(), number >= 0);
        if (number >= 0) {
            QCOMPARE(p.gra.numer(), number);
            QCOMPARE(p.buttons(), choices);
            QCOMPARE(p.gra.MeOpis->toPlainText(), p.gra.game().description());
            p.leave();
        }
        // Back in the menu, "&Start:" plays the scenario from the beginning.
        if (line.scenario.endsWith(u"/Od.Kro")) {
            p.start();
            QCOMPARE(p.gra.numer(), 1);
            QCOMPARE(p.buttons(), QStringLiteral("1000"));
        }
        QVERIFY(p.boxes.verifyAllShown());
    }

    // A file that is not there is chosen as the dialog's answer is; the start says what is wrong.
    void aMissingFileFailsAtTheStartAsAChosenOneDoes() {
        Player p;
        p.windows.begin(read({QStringLiteral("Brak.Kro")}));
        QCOMPARE(p.menu.scenario().folder, QDir::currentPath() + u'/');
        p.boxes.expectError(QStringLiteral("File not found"));
        p.start();
        QVERIFY(p.boxes.verifyAllShown());
        QVERIFY(p.cleared());
    }

private:
    TestFolder dir_;
    const QString startFolder_ = QDir::currentPath();
};

KIT_TEST_MAIN(TestCommandLine)
#include "tst_command_line.moc"
