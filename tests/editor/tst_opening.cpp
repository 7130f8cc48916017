// The editor's open when it cannot go through: refused, declined, cancelled, too large, out of
// step, or waiting for another program's lock.

#include "common/SaveJournal.h"
#include "common/ScenarioFiles.h"
#include "editor/LoadProgress.h"
#include "editor/SituationGrid.h"
#include "platform/core/PosixRecordFile.h"
#include "tests/support/Child.h"
#include "tests/support/EditorUnderTest.h"
#include "tests/support/FaultyRecordFile.h"
#include "tests/support/RecordingMessageBoxes.h"
#include "tests/support/ScenarioBuilder.h"
#include "tests/support/TestMain.h"

#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressDialog>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <functional>
#include <sys/stat.h>

namespace {

struct Editor : EditorUnderTest<RecordingMessageBoxes, FaultyRecordFileFactory> {
    Editor() { activate(); }
    // Fills the fields with a complete "Koniec" situation, as an author types it.
    void typeAnEnd() {
        child<QLineEdit>(w, "ENazwa")->setText(QStringLiteral("Koniec sceny"));
        child<QComboBox>(w, "CBTyp")->setEditText(QStringLiteral("Koniec"));
        leave(child<QComboBox>(w, "CBTyp"), child<QPlainTextEdit>(w, "MeOpis"));
        child<QPlainTextEdit>(w, "MeOpis")->setPlainText(QStringLiteral("Tu sie konczy"));
    }
};

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
        e.boxes.expectError(error.arg(folder_.path()));
        e.open(path);
        QVERIFY(child<QLineEdit>(e.w, "ENazwa")->isEnabled());
        e.typeAnEnd();
        e.boxes.expectError(QStringLiteral("I/O error 103"));
        Editor::click(child<QPushButton>(e.w, "BuZapisz"));
        QVERIFY(e.boxes.verifyAllShown());
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
        e.open(kro);
        child<QLineEdit>(e.w, "ENazwa")->setText(QStringLiteral("Start zmieniony"));
        const auto before = folderFiles(folder_.path());

        if (box.startsWith(QStringLiteral("message: ")))
            e.boxes.expectMessage(box.mid(9));
        else if (box.startsWith(QStringLiteral("question: ")))
            e.boxes.expectQuestion(box.mid(10), false);
        const auto showAfter = LoadProgress::showAfter;
        // No box: the progress window shows at once, and "Anuluj" is pressed as soon as it does.
        QTimer canceller;
        bool cancelled = false;
        QObject::connect(&canceller, &QTimer::timeout, [&] {
            for (QWidget* top : QApplication::topLevelWidgets()) {
                auto* progress = qobject_cast<QProgressDialog*>(top);
                if (progress && progress->isVisible()) {
                    progress->cancel();
                    cancelled = true;
                    canceller.stop();
                }
            }
        });
        if (box.isEmpty()) {
            LoadProgress::showAfter = std::chrono::milliseconds(0);
            canceller.start(0);
        }
        e.open(path);
        QCOMPARE(cancelled, box.isEmpty());
        LoadProgress::showAfter = showAfter;
        QVERIFY(e.boxes.verifyAllShown());
        QCOMPARE(folderFiles(folder_.path()), before);
        QCOMPARE(child<QLabel>(e.w, "FileNameS")->text(), kro);
        QCOMPARE(child<QLineEdit>(e.w, "ENazwa")->text(), QStringLiteral("Start zmieniony"));
        QCOMPARE(e.w.grid().cell(1, 0), QStringLiteral("Start"));
        Editor::click(child<QPushButton>(e.w, "BuZapisz"));
        QCOMPARE(e.w.grid().cell(1, 0), QStringLiteral("Start zmieniony"));
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
        e.boxes.expectQuestion(
            QStringLiteral(
                "Pliki scenariusza nie zgadzaja sie, bo zapis zostal kiedys przerwany: ") +
                question +
                QStringLiteral(".\n\nNaprawa zostawi %1 sytuacji zapisanych w obu plikach i "
                               "usunie to, co zostalo zapisane tylko w jednym z nich.\n\nNaprawic "
                               "pliki i otworzyc scenariusz?")
                    .arg(kept),
            true);
        e.open(kro);
        QVERIFY(e.boxes.verifyAllShown());
        QCOMPARE(readFile(kro), kroWhole.left(kept * 516));
        QCOMPARE(readFile(listFilePath(kro)).size(), kept * 22);
        QCOMPARE(e.w.grid().gridRowCount(), kept);
        QCOMPARE(child<QLineEdit>(e.w, "ENazwa")->text(), QStringLiteral("Start"));
    }

    // Another program holding the scenario's lock: the save waits once, then gives up with a
    // message and writes nothing.
    void saveGivesUpOnALockHeldElsewhere() {
        const QString kro = folder_.filePath(QStringLiteral("Las.Kro"));
        QVERIFY(writeScenario(kro, twoSituations(QStringLiteral("Start"))));
        Editor e;
        e.open(kro);
        child<QLineEdit>(e.w, "ENazwa")->setText(QStringLiteral("Start zmieniony"));
        const auto before = folderFiles(folder_.path());
        PosixRecordFile holder;
        holder.open(kro, TRekordKroku::Size, RecordFile::Access::ReadWrite);
        QVERIFY(holder.lock(RecordFile::Lock::Exclusive));
        e.boxes.expectError(ScenarioPair::BusyMessage);
        Editor::click(child<QPushButton>(e.w, "BuZapisz"));
        QVERIFY(e.boxes.verifyAllShown());
        QCOMPARE(folderFiles(folder_.path()), before);
        holder.unlock();
        Editor::click(child<QPushButton>(e.w, "BuZapisz"));
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
        e.boxes.expectMessage(unfit);
        e.open(kro);
        QCOMPARE(child<QLineEdit>(e.w, "ENazwa")->text(), QStringLiteral("Start"));
        child<QLineEdit>(e.w, "ENazwa")->setText(QStringLiteral("Zmiana"));
        e.boxes.expectError(unfit);
        Editor::click(child<QPushButton>(e.w, "BuZapisz"));
        QVERIFY(e.boxes.verifyAllShown());
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
        e.open(kro);
        replaceScenario(kro, readFile(other), readFile(listFilePath(other)));
        const QByteArray replaced = readFile(kro);
        const QString question =
            ScenarioPair::ReplacedMessage +
            QStringLiteral(".\n\nOtworzyć scenariusz ponownie? Wpisane pola zostaną zastąpione "
                           "tym, co jest teraz w plikach.");
        child<QLineEdit>(e.w, "ENazwa")->setText(QStringLiteral("Zmiana"));
        e.boxes.expectQuestion(question, false);
        Editor::click(child<QPushButton>(e.w, "BuZapisz"));
        QCOMPARE(child<QLineEdit>(e.w, "ENazwa")->text(), QStringLiteral("Zmiana"));
        QCOMPARE(readFile(kro), replaced);
        e.boxes.expectQuestion(question, true);
        Editor::click(child<QPushButton>(e.w, "BuZapisz"));
        QVERIFY(e.boxes.verifyAllShown());
        QCOMPARE(child<QLineEdit>(e.w, "ENazwa")->text(), QStringLiteral("Nowy start"));
        child<QLineEdit>(e.w, "ENazwa")->setText(QStringLiteral("Zapisany"));
        Editor::click(child<QPushButton>(e.w, "BuZapisz"));
        QVERIFY(e.boxes.verifyAllShown());
        QVERIFY(readFile(kro).contains("Zapisany"));
    }

private:
    TestFolder folder_;
};

KIT_TEST_MAIN(TestOpening)
#include "tst_opening.moc"
