// The editor's session with no window: an open that cannot go through (refused, declined,
// cancelled, too large, out of step), a save waiting for another program's lock or into files
// replaced under it, what counts as unsaved before playing, and deleting, moving and duplicating
// a situation.

#include "authoring/Restructuring.h"
#include "authoring/TextForm.h"
#include "common/Restructure.h"
#include "common/SaveJournal.h"
#include "common/ScenarioFiles.h"
#include "editor/model/EditorSession.h"
#include "platform/core/PosixRecordFile.h"
#include "tests/support/ExpectError.h"
#include "tests/support/FaultyRecordFile.h"
#include "tests/support/ScenarioBuilder.h"
#include "tests/support/ScriptedEditorView.h"
#include "tests/support/SessionRig.h"
#include "tests/support/TestFiles.h"

#include <QDir>
#include <QTest>
#include <functional>
#include <sys/stat.h>

namespace {

using Editor = SessionRig;

std::vector<Situation> twoSituations(const QString& start) {
    return {describedSituation(QStringLiteral("Default Koniec"), Koniec),
            describedSituation(start, Poczatek, {0}, {QStringLiteral("Dalej")})};
}

// Every entry of the folder with its bytes (a file stretched past 16 MB: its length).
QMap<QString, QByteArray> folderFiles(const QString& folder) {
    QMap<QString, QByteArray> files;
    for (const QFileInfo& info : QDir(folder).entryInfoList(
             QDir::AllEntries | QDir::NoDotAndDotDot | QDir::System | QDir::Hidden)) {
        QByteArray seen = info.isFile() ? QByteArray::number(info.size()) : "(no file)";
        if (info.isFile() && info.size() <= (16 << 20))
            seen = readFile(info.filePath());
        files.insert(info.fileName(), seen);
    }
    return files;
}

using Build = std::function<QString(const TestFolder&)>; // makes the files, returns the path

} // namespace

Q_DECLARE_METATYPE(Build)

class TestOpening : public QObject {
    Q_OBJECT

private slots:
    void init() { folder_.renew(); }

    // An open or create that fails leaves nothing open and makes no file: the save after it
    // fails as on a file that is not open, and writes no byte anywhere.
    void refusedOpenLeavesNothingToSaveInto_data() {
        QTest::addColumn<Build>("build");
        QTest::addColumn<int>("failAt"); // a file call failing with "File access denied"
        QTest::addColumn<QString>("error");
        const QString denied = QStringLiteral("File access denied");
        const auto scenario = [](const TestFolder& f) {
            const QString kro = f.filePath(QStringLiteral("Las.Kro"));
            return writeScenario(kro, twoSituations(QStringLiteral("Start"))) ? kro : QString();
        };
        QTest::newRow("list file refused") << Build(scenario) << 2 << denied;
        QTest::newRow("the list file chosen as the scenario") << Build([=](const TestFolder& f) {
            return scenario(f).isEmpty() ? QString() : f.filePath(QStringLiteral("Las.lis"));
        }) << 0 << QStringLiteral("Invalid filename");
        QTest::newRow("new scenario, its list file a folder") << Build([](const TestFolder& f) {
            return QDir(f.path()).mkdir(QStringLiteral("Las.lis"))
                       ? f.filePath(QStringLiteral("Las.Kro"))
                       : QString();
        }) << 0 << QStringLiteral("%1/Las.lis: nic nie zostało zapisane, bo jest tam folder");
        QTest::newRow("new scenario, its list file a pipe")
            << Build([](const TestFolder& f) {
                   const QString lis = f.filePath(QStringLiteral("Las.lis"));
                   return ::mkfifo(QFile::encodeName(lis).constData(), 0644) == 0
                              ? f.filePath(QStringLiteral("Las.Kro"))
                              : QString();
               })
            << 0
            << QStringLiteral("%1/Las.lis: nic nie zostało zapisane, bo to potok albo urządzenie, "
                              "a ma tu powstać nowy plik");
        QTest::newRow("new scenario, its list file a dangling link")
            << Build([](const TestFolder& f) {
                   const QString lis = f.filePath(QStringLiteral("Las.lis"));
                   return QFile::link(f.filePath(QStringLiteral("victim/authorized_keys")), lis)
                              ? f.filePath(QStringLiteral("Las.Kro"))
                              : QString();
               })
            << 0
            << QStringLiteral("%1/Las.lis: nic nie zostało zapisane, bo jest tam dowiązanie "
                              "symboliczne; program nie zapisuje przez dowiązania, bo mogą "
                              "prowadzić poza folder");
    }
    void refusedOpenLeavesNothingToSaveInto() {
        QFETCH(Build, build);
        QFETCH(int, failAt);
        QFETCH(QString, error);
        const QString path = build(folder_);
        QVERIFY(!path.isEmpty());
        const auto before = folderFiles(folder_.path());
        Editor e;
        if (failAt > 0)
            e.files.failCall(failAt, AppError::AccessDenied);
        const int code = failAt > 0                                    ? AppError::AccessDenied
                         : error == QStringLiteral("Invalid filename") ? AppError::InvalidFileName
                                                                       : AppError::Other;
        expectError(code, error.arg(folder_.path()), [&] { e.session.open(path); });
        QCOMPARE(e.view.failedOpens, 1);
        QCOMPARE(e.view.shownPath, path);
        e.typeAnEnd();
        expectError(AppError::FileNotOpen, QStringLiteral("I/O error 103"),
                    [&] { e.session.save(); });
        QVERIFY(e.view.said.isEmpty());
        QCOMPARE(folderFiles(folder_.path()), before);
    }

    // An open that the author declines, cancels or is told cannot be done changes nothing:
    // the scenario open before stays open, shown and saved into, and the other files stay.
    void droppedOpenKeepsTheScenarioOpen_data() {
        QTest::addColumn<Build>("build");
        QTest::addColumn<QString>("box"); // "message: ..." or "question: ..." (answered "Nie")
        const auto other = [](const TestFolder& f) {
            const QString kro = f.filePath(QStringLiteral("Inny.Kro"));
            return writeScenario(kro, twoSituations(QStringLiteral("Inny start"))) ? kro
                                                                                   : QString();
        };
        QTest::newRow("more situations than the limit")
            << Build([=](const TestFolder& f) {
                   const QString kro = other(f);
                   return QFile::resize(kro, qint64(400'000'000) * 516) ? kro : QString();
               })
            << QStringLiteral("message: Scenariusz ma wiecej niz 1000000 sytuacji - scenariusz "
                              "nie zostal otwarty");
        QTest::newRow("repair declined")
            << Build([=](const TestFolder& f) {
                   const QString kro = other(f);
                   return QFile::resize(kro, 3 * 516) ? kro : QString();
               })
            << QStringLiteral("question: Pliki scenariusza nie zgadzaja sie, bo zapis zostal "
                              "kiedys przerwany: \"Inny.Kro\" ma 3 sytuacji, a \"Inny.lis\" ma 2 "
                              "sytuacji.\n\nNaprawa zostawi 2 sytuacji zapisanych w obu plikach i "
                              "usunie to, co zostalo zapisane tylko w jednym z nich.\n\nNaprawic "
                              "pliki i otworzyc scenariusz?");
        QTest::newRow("reading cancelled") << Build(other) << QString();
    }
    void droppedOpenKeepsTheScenarioOpen() {
        QFETCH(Build, build);
        QFETCH(QString, box);
        const QString kro = folder_.filePath(QStringLiteral("Las.Kro"));
        QVERIFY(writeScenario(kro, twoSituations(QStringLiteral("Start"))));
        const QString path = build(folder_);
        QVERIFY(!path.isEmpty());
        Editor e;
        e.session.open(kro);
        const auto before = folderFiles(folder_.path());

        // No box: the author cancels the reading.
        e.view.cancelReads = box.isEmpty();
        e.view.answers = {false};
        e.session.open(path);
        QCOMPARE(e.view.said, box.isEmpty() ? QStringList() : QStringList{box});
        QCOMPARE(folderFiles(folder_.path()), before);
        QCOMPARE(e.view.shownPath, kro);
        QCOMPARE(e.session.state().situationFilePath(), kro);
        QCOMPARE(e.shownName(), QStringLiteral("Start"));
        e.rename(QStringLiteral("Start zmieniony"));
        QVERIFY(e.session.save());
        QCOMPARE(e.session.state().nazwy().value(1), QStringLiteral("Start zmieniony"));
        QVERIFY(readFile(kro).contains("Start zmieniony"));
    }

    // A pair out of step, repaired when the author agrees: both files keep the situations both
    // held whole, and the scenario opens.
    void outOfStepPairIsRepaired_data() {
        QTest::addColumn<qint64>("kroBytes");
        QTest::addColumn<qint64>("lisBytes");
        QTest::addColumn<QString>("question");
        QTest::addColumn<int>("kept");
        QTest::newRow("situation file a record longer")
            << qint64(4 * 516) << qint64(3 * 22)
            << "\"Las.Kro\" ma 4 sytuacji, a \"Las.lis\" ma 3 sytuacji" << 3;
        QTest::newRow("list file a record longer")
            << qint64(3 * 516) << qint64(4 * 22)
            << "\"Las.Kro\" ma 3 sytuacji, a \"Las.lis\" ma 4 sytuacji" << 3;
        QTest::newRow("half a record appended")
            << qint64(3 * 516 + 484) << qint64(3 * 22)
            << "\"Las.Kro\" ma 3 sytuacji i niepelny zapis na koncu, a \"Las.lis\" ma 3 sytuacji"
            << 3;
        QTest::newRow("a list without its situations")
            << qint64(2 * 516) << qint64(3 * 22 + 5)
            << "\"Las.Kro\" ma 2 sytuacji, a \"Las.lis\" ma 3 sytuacji i niepelny zapis na koncu"
            << 2;
    }
    void outOfStepPairIsRepaired() {
        QFETCH(qint64, kroBytes);
        QFETCH(qint64, lisBytes);
        QFETCH(QString, question);
        QFETCH(int, kept);
        const QString kro = folder_.filePath(QStringLiteral("Las.Kro"));
        std::vector<Situation> four = twoSituations(QStringLiteral("Start"));
        four.push_back(describedSituation(QStringLiteral("Las"), Koniec));
        four.push_back(describedSituation(QStringLiteral("Rzeka"), Koniec));
        QVERIFY(writeScenario(kro, four));
        const QByteArray kroWhole = readFile(kro);
        QVERIFY(QFile::resize(kro, kroBytes));
        QVERIFY(QFile::resize(listFilePath(kro), lisBytes));
        Editor e;
        e.view.answers = {true};
        const QString asked =
            QStringLiteral(
                "Pliki scenariusza nie zgadzaja sie, bo zapis zostal kiedys przerwany: ") +
            question +
            QStringLiteral(".\n\nNaprawa zostawi %1 sytuacji zapisanych w obu plikach i "
                           "usunie to, co zostalo zapisane tylko w jednym z nich.\n\nNaprawic "
                           "pliki i otworzyc scenariusz?")
                .arg(kept);
        e.session.open(kro);
        QCOMPARE(e.view.said, QStringList{QStringLiteral("question: ") + asked});
        QCOMPARE(readFile(kro), kroWhole.left(kept * 516));
        QCOMPARE(readFile(listFilePath(kro)).size(), kept * 22);
        QCOMPARE(e.session.state().nazwy().size(), kept);
        QCOMPARE(e.shownName(), QStringLiteral("Start"));
    }

    // Another program holding the scenario's lock: the save waits once, then gives up with a
    // message and writes nothing.
    void saveGivesUpOnALockHeldElsewhere() {
        const QString kro = folder_.filePath(QStringLiteral("Las.Kro"));
        QVERIFY(writeScenario(kro, twoSituations(QStringLiteral("Start"))));
        Editor e;
        e.session.open(kro);
        e.rename(QStringLiteral("Start zmieniony"));
        const auto before = folderFiles(folder_.path());
        PosixRecordFile holder;
        holder.open(kro, TRekordKroku::Size, RecordFile::Access::ReadWrite);
        QVERIFY(holder.lock(RecordFile::Lock::Exclusive));
        expectError(AppError::Other, ScenarioPair::BusyMessage, [&] { e.session.save(); });
        QCOMPARE(folderFiles(folder_.path()), before);
        holder.unlock();
        QVERIFY(e.session.save());
        QVERIFY(readFile(kro).contains("Start zmieniony"));
    }

    // A file at the journal's path that does not fit the pair: the editor says so, shows the
    // scenario for reading, refuses every save with the same words and changes no file.
    void unfitJournalOpensForReadingOnly() {
        const QString kro = folder_.filePath(QStringLiteral("Las.Kro"));
        QVERIFY(writeScenario(kro, twoSituations(QStringLiteral("Start"))));
        const QString journal = SaveJournal::pathFor(kro);
        QVERIFY(writeFile(journal, QByteArray(SaveJournal::Size, 'x')));
        const auto before = folderFiles(folder_.path());
        const QString unfit = ScenarioPair::unfitJournalMessage(journal);
        Editor e;
        e.session.open(kro);
        QCOMPARE(e.view.said, QStringList{QStringLiteral("message: ") + unfit});
        QVERIFY(e.session.state().readOnly());
        QCOMPARE(e.shownName(), QStringLiteral("Start"));
        e.rename(QStringLiteral("Zmiana"));
        expectError(AppError::Other, unfit, [&] { e.session.save(); });
        QCOMPARE(folderFiles(folder_.path()), before);
    }

    // Another program replaced the pair while the editor had it open: a save would land in
    // files no longer in the folder, so it is refused with the fields kept, and the scenario
    // is opened again when the author agrees.
    void saveAfterTheFilesWereReplaced() {
        const QString kro = folder_.filePath(QStringLiteral("Las.Kro"));
        QVERIFY(writeScenario(kro, twoSituations(QStringLiteral("Start"))));
        const QString other = folder_.filePath(QStringLiteral("inne/Nowy.Kro"));
        QVERIFY(writeScenario(other, twoSituations(QStringLiteral("Nowy start"))));
        Editor e;
        e.session.open(kro);
        replaceScenario(kro, readFile(other), readFile(listFilePath(other)));
        const QByteArray replaced = readFile(kro);
        const QString question =
            ScenarioPair::ReplacedMessage +
            QStringLiteral(".\n\nOtworzyć scenariusz ponownie? Wpisane pola zostaną zastąpione "
                           "tym, co jest teraz w plikach.");
        e.rename(QStringLiteral("Zmiana"));
        e.view.answers = {false, true};
        QVERIFY(!e.session.save());
        QCOMPARE(readFile(kro), replaced);
        QVERIFY(!e.session.save());
        QCOMPARE(e.view.said, QStringList(2, QStringLiteral("question: ") + question));
        QCOMPARE(e.shownName(), QStringLiteral("Nowy start"));
        e.rename(QStringLiteral("Zapisany"));
        QVERIFY(e.session.save());
        QVERIFY(readFile(kro).contains("Zapisany"));
    }

    // "Graj stąd" plays only what the files hold: a change to a field, to a media name or a
    // new situation not saved yet is refused, unless the automatic save saves it first.
    void playFromHereOnlyWhatIsSaved_data() {
        QTest::addColumn<QString>("change"); // "", "field", "picture", "new"
        QTest::addColumn<bool>("autoSave");
        QTest::addColumn<bool>("plays");
        QTest::newRow("nothing changed") << QString() << false << true;
        QTest::newRow("a field changed") << QStringLiteral("field") << false << false;
        QTest::newRow("a picture chosen") << QStringLiteral("picture") << false << false;
        QTest::newRow("a new situation") << QStringLiteral("new") << false << false;
        QTest::newRow("a field changed, saved first") << QStringLiteral("field") << true << true;
    }
    void playFromHereOnlyWhatIsSaved() {
        QFETCH(QString, change);
        QFETCH(bool, autoSave);
        QFETCH(bool, plays);
        const QString kro = folder_.filePath(QStringLiteral("Las.Kro"));
        QVERIFY(writeScenario(kro, twoSituations(QStringLiteral("Start"))));
        Editor e;
        e.session.open(kro);
        e.rename(QStringLiteral("Start"));
        e.session.markSaved();
        if (change == QStringLiteral("field"))
            e.rename(QStringLiteral("Start zmieniony"));
        else if (change == QStringLiteral("picture"))
            e.session.state().setMedia(false, QStringLiteral("las.bmp"));
        else if (change == QStringLiteral("new"))
            e.session.state().startNewSituation();
        e.view.autoSave = autoSave;
        QList<std::int32_t> started;
        e.session.playFromHere([&](const QString& path, std::int32_t from) {
            started.append(from);
            return path == kro;
        });
        QCOMPARE(started, plays ? QList<std::int32_t>{1} : QList<std::int32_t>{});
        QCOMPARE(e.view.said, plays ? QStringList()
                                    : QStringList{QStringLiteral("message: ") +
                                                  EditorSession::UnsavedBeforePlayMessage});
        QCOMPARE(readFile(kro).contains("Start zmieniony"), autoSave);
    }

    // Deleting, moving and duplicating situation k: refused or declined, nothing changes;
    // otherwise the files are as the operation makes them and the session shows `shown`.
    void restructuring_data() {
        QTest::addColumn<QString>("operation"); // "delete", "up", "down", "duplicate"
        QTest::addColumn<int>("k");
        QTest::addColumn<QString>("box"); // what the author is told or asked, "" nothing
        QTest::addColumn<bool>("answer"); // to the question
        QTest::addColumn<int>("shown");   // -1: nothing changes
        const QString deleteStudnia =
            QStringLiteral("question: Usunąć sytuację 3 „Studnia”?\n\nProwadzą do niej drogi z: "
                           "2 „Brama”, 4 „Las”. Te drogi poprowadzą do sytuacji 0 (domyślny "
                           "koniec).");
        QTest::newRow("delete, roads into it, Tak") << "delete" << 3 << deleteStudnia << true << 3;
        QTest::newRow("delete, Nie") << "delete" << 3 << deleteStudnia << false << -1;
        QTest::newRow("delete the last, no road into it")
            << "delete" << 4
            << QStringLiteral("question: Usunąć sytuację 4 „Las”?\n\nNie prowadzi do niej "
                              "żadna droga.")
            << true << 3;
        QTest::newRow("delete the start")
            << "delete" << 1
            << QStringLiteral("message: Sytuacja 1 to początek gry; nie można jej usunąć") << false
            << -1;
        QTest::newRow("move up") << "up" << 3 << QString() << false << 2;
        QTest::newRow("move down") << "down" << 3 << QString() << false << 4;
        QTest::newRow("move up onto the start")
            << "up" << 2
            << QStringLiteral("message: Miejsce 1 należy do początku gry; nie można tam przenieść "
                              "sytuacji")
            << false << -1;
        QTest::newRow("move the last down")
            << "down" << 4
            << QStringLiteral("message: Sytuacja 4 jest ostatnia; nie można jej przesunąć niżej")
            << false << -1;
        QTest::newRow("duplicate") << "duplicate" << 2 << QString() << false << 5;
    }
    void restructuring() {
        QFETCH(QString, operation);
        QFETCH(int, k);
        QFETCH(QString, box);
        QFETCH(bool, answer);
        QFETCH(int, shown);
        const QString kro = folder_.filePath(QStringLiteral("Las.Kro"));
        std::vector<Situation> five = twoSituations(QStringLiteral("Start"));
        five[1].cele = {2, 0, 0, 0};
        five.push_back(describedSituation(QStringLiteral("Brama"), Normalny, {3},
                                          {QStringLiteral("Do studni")}));
        five.push_back(describedSituation(QStringLiteral("Studnia"), Koniec));
        five.push_back(describedSituation(QStringLiteral("Las"), Normalny, {3},
                                          {QStringLiteral("Do studni")}));
        QVERIFY(writeScenario(kro, five));
        const auto before = folderFiles(folder_.path());
        PosixRecordFileFactory plainFiles;
        ScenarioSnapshot expected = readSnapshot(plainFiles, kro);
        if (shown >= 0 && operation == QStringLiteral("delete"))
            deleteSituation(expected.rekordy, expected.listy, k);
        else if (shown >= 0 && operation == QStringLiteral("duplicate"))
            duplicateSituation(expected.rekordy, expected.listy, k);
        else if (shown >= 0)
            moveSituation(expected.rekordy, expected.listy, k, shown);

        Editor e;
        e.session.open(kro);
        e.view.answers = {answer};
        bool changed = false;
        if (operation == QStringLiteral("delete"))
            changed = e.session.deleteSituation(k);
        else if (operation == QStringLiteral("duplicate"))
            changed = e.session.duplicateSituation(k);
        else
            changed = e.session.moveSituation(k, operation == QStringLiteral("up")
                                                     ? EditorSession::Direction::Up
                                                     : EditorSession::Direction::Down);
        QCOMPARE(e.view.said, box.isEmpty() ? QStringList() : QStringList{box});
        QCOMPARE(changed, shown >= 0);
        if (!changed) {
            QCOMPARE(folderFiles(folder_.path()), before);
            QCOMPARE(e.session.state().numer(), 1);
            return;
        }
        const PairBytes bytes = pairBytes(expected);
        QCOMPARE(readFile(kro), bytes.situations);
        QCOMPARE(readFile(listFilePath(kro)), bytes.list);
        QVERIFY(!e.session.state().filesReplaced());
        QCOMPARE(e.session.state().numer(), shown);
        QCOMPARE(e.shownName(), expected.rekordy[std::size_t(shown)].Nazwa.text());

        // Undone, the files are as before byte for byte and k is shown; done again, as after.
        QVERIFY(e.session.undo());
        QCOMPARE(folderFiles(folder_.path()), before);
        QCOMPARE(e.session.state().numer(), k);
        QVERIFY(e.session.redo());
        QCOMPARE(readFile(kro), bytes.situations);
        QCOMPARE(readFile(listFilePath(kro)), bytes.list);
        QCOMPARE(e.session.state().numer(), shown);
    }

private:
    TestFolder folder_;
};

QTEST_GUILESS_MAIN(TestOpening)
#include "tst_opening.moc"
