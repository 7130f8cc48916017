// Every file call of every user action that touches the scenario files, failed in turn.

#include "common/SaveJournal.h"
#include "editor/SituationGrid.h"
#include "editor/Uedytor.h"
#include "platform/core/AppError.h"
#include "player/PlayerWindows.h"
#include "tests/support/Child.h"
#include "tests/support/EditorUnderTest.h"
#include "tests/support/FaultyRecordFile.h"
#include "tests/support/LoggingMessageBoxes.h"
#include "tests/support/PlayerUnderTest.h"
#include "tests/support/ScenarioBuilder.h"
#include "tests/support/TestMain.h"

#include <QApplication>
#include <QCheckBox>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <functional>

namespace {

const std::vector<Situation> kScenario = {
    describedSituation(QStringLiteral("Default Koniec"), Koniec, {0, 0, 0, 0}, {}),
    describedSituation(QStringLiteral("Start"), Poczatek, {2, -1, -1, -1},
                       {QStringLiteral("Na łąkę")}),
    describedSituation(
        QStringLiteral("Łąka"), Normalny, {1, 0, 0, 0},
        {QStringLiteral("Wróć"), QStringLiteral("B"), QStringLiteral("C"), QStringLiteral("D")})};

// What both programs' runs share: a scenario in a folder of its own. The fakes are the
// program's own, from EditorUnderTest or PlayerUnderTest.
struct Run {
    QTemporaryDir dir;
    QString kro = dir.filePath(QStringLiteral("Las.Kro"));
    QString nowy = dir.filePath(QStringLiteral("Nowy.Kro"));
    QString znowu = dir.filePath(QStringLiteral("Znowu.Kro")); // opened after the fault

    Run() {
        QVERIFY(writeScenario(kro, kScenario));
        QVERIFY(writeScenario(znowu, kScenario));
    }
    // Every file the actions may write, byte for byte, and whether a save's journal is there.
    QByteArray snapshot() const {
        QByteArray all;
        for (const QString& path : {kro, listFilePath(kro), nowy, listFilePath(nowy)})
            all += readFile(path) + "\n--\n";
        for (const QString& path : {kro, nowy})
            all += QFile::exists(SaveJournal::pathFor(path)) ? "journal\n" : "\n";
        return all;
    }
    // Whether the files are between two saves: no journal, and each pair absent or holding
    // the same whole situations, two at least (a new scenario is made whole or not at all).
    bool quiet() const {
        for (const QString& path : {kro, nowy}) {
            if (QFile::exists(SaveJournal::pathFor(path)))
                return false;
            const bool kroThere = QFile::exists(path);
            if (kroThere != QFile::exists(listFilePath(path)))
                return false;
            if (!kroThere)
                continue;
            const qint64 kroBytes = QFileInfo(path).size();
            const qint64 lisBytes = QFileInfo(listFilePath(path)).size();
            if (kroBytes % TRekordKroku::Size != 0 || lisBytes % TRekordListy::Size != 0 ||
                kroBytes / TRekordKroku::Size != lisBytes / TRekordListy::Size ||
                kroBytes < 2 * TRekordKroku::Size)
                return false;
        }
        return true;
    }
};

// The scenario is written before the window is built.
struct EditorRun : Run, EditorUnderTest<LoggingMessageBoxes, FaultyRecordFileFactory> {
    // Opened, with the automatic save on and the name edited, so that a save shows.
    void openEditedWithAutoSave() {
        open(kro);
        child<QCheckBox>(w, "CBAuto")->setChecked(true);
        child<QLineEdit>(w, "ENazwa")
            ->setText(child<QLineEdit>(w, "ENazwa")->text() + QStringLiteral(" 2"));
    }
    // The window answers as before: another scenario opens and shows its start.
    void verifyUsable() {
        QVERIFY(w.isVisible() && w.isEnabled());
        QVERIFY(!QApplication::activeModalWidget());
        child<QCheckBox>(w, "CBAuto")->setChecked(false);
        const qsizetype shown = boxes.shown.size();
        open(znowu);
        QCOMPARE(boxes.shown.mid(shown), QStringList());
        QCOMPARE(w.state().numer(), 1);
        QCOMPARE(child<QLineEdit>(w, "ENazwa")->text(), QStringLiteral("Start"));
    }
};

struct PlayerRun : Run, PlayerUnderTest<LoggingMessageBoxes, FaultyRecordFileFactory> {
    // The game can be left and a new one started, which shows the start.
    void verifyUsable() {
        QVERIFY(windows.menu.isVisible() != windows.gra().isVisible());
        QVERIFY(windows.menu.isEnabled() && windows.gra().isEnabled());
        QVERIFY(!QApplication::activeModalWidget());
        if (windows.gra().isVisible())
            QTest::mouseClick(child<QPushButton>(windows.gra(), "BuWyjscie"),
                              Qt::LeftButton); // may report the fault's leftovers
        QVERIFY(windows.menu.isVisible());
        const qsizetype shown = boxes.shown.size();
        choose(znowu);
        start();
        QCOMPARE(boxes.shown.mid(shown), QStringList());
        QCOMPARE(description()->toPlainText(), QStringLiteral("Opis Start"));
    }
};

template <class R> using Step = std::function<void(R&)>;

} // namespace

Q_DECLARE_METATYPE(Step<EditorRun>)
Q_DECLARE_METATYPE(Step<PlayerRun>)

class TestFaults : public QObject {
    Q_OBJECT

private slots:
    void editorActionsStopAtTheFailingCall_data() {
        QTest::addColumn<Step<EditorRun>>("setup");
        QTest::addColumn<Step<EditorRun>>("action");
        const Step<EditorRun> none = [](EditorRun&) {};
        const Step<EditorRun> opened = [](EditorRun& r) { r.open(r.kro); };
        const Step<EditorRun> edited = [](EditorRun& r) { r.openEditedWithAutoSave(); };
        QTest::newRow("open existing")
            << none << Step<EditorRun>([](EditorRun& r) { r.open(r.kro); });
        QTest::newRow("create new")
            << none << Step<EditorRun>([](EditorRun& r) { r.open(r.nowy); });
        QTest::newRow("save") << edited << Step<EditorRun>([](EditorRun& r) {
            r.click(child<QPushButton>(r.w, "BuZapisz"));
        });
        QTest::newRow("restore") << edited << Step<EditorRun>([](EditorRun& r) {
            r.click(child<QPushButton>(r.w, "BuPrzywroc"));
        });
        QTest::newRow("previous") << Step<EditorRun>([](EditorRun& r) {
            r.open(r.kro);
            r.click(child<QPushButton>(r.w, "BuNastepny"));
            child<QCheckBox>(r.w, "CBAuto")->setChecked(true);
            child<QLineEdit>(r.w, "ENazwa")->setText(QStringLiteral("Polana"));
        }) << Step<EditorRun>([](EditorRun& r) {
            r.click(child<QPushButton>(r.w, "BuPoprzedni"));
        });
        QTest::newRow("next") << edited << Step<EditorRun>([](EditorRun& r) {
            r.click(child<QPushButton>(r.w, "BuNastepny"));
        });
        QTest::newRow("new") << edited << Step<EditorRun>([](EditorRun& r) {
            r.click(child<QPushButton>(r.w, "BuNowy"));
        });
        QTest::newRow("grid jump") << edited << Step<EditorRun>([](EditorRun& r) {
            child<QTableView>(r.w, "SGSyt")->setCurrentIndex(r.w.grid().index(1, 0));
            QTest::keyClick(child<QTableView>(r.w, "SGSyt"), Qt::Key_Return);
        });
        QTest::newRow("close") << edited << Step<EditorRun>([](EditorRun& r) { r.w.close(); });
        QTest::newRow("open another") << opened << Step<EditorRun>([](EditorRun& r) {
            child<QCheckBox>(r.w, "CBAuto")->setChecked(true);
            r.open(r.nowy);
        });
    }
    void editorActionsStopAtTheFailingCall() {
        QFETCH(Step<EditorRun>, setup);
        QFETCH(Step<EditorRun>, action);
        failEveryCall<EditorRun>(setup, action);
    }

    void playerActionsStopAtTheFailingCall_data() {
        QTest::addColumn<Step<PlayerRun>>("setup");
        QTest::addColumn<Step<PlayerRun>>("action");
        const Step<PlayerRun> chosen = [](PlayerRun& r) { r.choose(r.kro); };
        const Step<PlayerRun> started = [](PlayerRun& r) {
            r.choose(r.kro);
            r.start();
        };
        QTest::newRow("start") << chosen << Step<PlayerRun>([](PlayerRun& r) { r.start(); });
        QTest::newRow("choice") << started << Step<PlayerRun>([](PlayerRun& r) {
            QTest::mouseClick(r.choice(1), Qt::LeftButton);
        });
        QTest::newRow("leave") << started << Step<PlayerRun>([](PlayerRun& r) {
            QTest::mouseClick(child<QPushButton>(r.gra, "BuWyjscie"), Qt::LeftButton);
        });
    }
    void playerActionsStopAtTheFailingCall() {
        QFETCH(Step<PlayerRun>, setup);
        QFETCH(Step<PlayerRun>, action);
        failEveryCall<PlayerRun>(setup, action);
    }

    void cleanupTestCase() { qInfo("%d injected faults survived", survived_); }

private:
    // Runs the action once without a fault, keeping the files after each of its calls, then
    // once for every call and code with that call failing: one error box with the code's
    // message, and the windows still answering. The files are as the last quiet moment before
    // the failing call left them: a save or a new scenario stopped half way is undone. Outside
    // a save or a creation, no call runs after the failing one.
    template <class R> void failEveryCall(const Step<R>& setup, const Step<R>& action) {
        QList<QByteArray> states; // states[k]: the files after k calls of the action
        QList<bool> quiet;        // quiet[k]: whether states[k] is between two saves
        int calls = 0;
        {
            R r;
            setup(r);
            const int before = r.files.calls();
            const QStringList shown = r.boxes.shown;
            states.append(r.snapshot());
            quiet.append(r.quiet());
            QVERIFY(quiet.front());
            r.files.afterEachCall([&] {
                states.append(r.snapshot());
                quiet.append(r.quiet());
            });
            action(r);
            r.files.afterEachCall({});
            calls = r.files.calls() - before;
            QCOMPARE(r.boxes.shown, shown);
            QVERIFY(quiet.back());
        }
        QVERIFY(calls > 0);
        QCOMPARE(states.size(), calls + 1);
        qInfo("%d file calls", calls);
        for (const int code : {int(AppError::AccessDenied), int(AppError::ReadBeyondEnd),
                               int(AppError::DiskFull), 31}) {
            for (int n = 1; n <= calls; ++n) {
                const QByteArray where = QStringLiteral("call %1 of %2 failing with %3")
                                             .arg(n)
                                             .arg(calls)
                                             .arg(code)
                                             .toUtf8();
                int lastQuiet = n - 1;
                while (!quiet[lastQuiet])
                    --lastQuiet;
                R r;
                setup(r);
                const int before = r.files.calls();
                const QStringList shown = r.boxes.shown;
                r.files.failCall(n, code);
                action(r);
                QVERIFY2(r.boxes.shown == shown + QStringList{QStringLiteral("error: ") +
                                                              AppError::messageForCode(code)},
                         where + ": " + r.boxes.shown.mid(shown.size()).join(u'|').toUtf8());
                if (quiet[n - 1] && quiet[n])
                    QVERIFY2(r.files.calls() - before == n, where + ": a later call ran");
                QVERIFY2(r.snapshot() == states[lastQuiet], where + ": the files differ");
                r.verifyUsable();
                if (QTest::currentTestFailed()) {
                    qWarning("after %s", where.constData());
                    return;
                }
                ++survived_;
            }
        }
    }

    int survived_ = 0;
};

KIT_TEST_MAIN(TestFaults)
#include "tst_faults.moc"
