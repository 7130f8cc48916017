// tekstowki versions and restore, and the versions that the commands replacing a pair keep, run
// as processes on a copy of the demo, each test with a data folder of its own.

#include "authoring/VersionStore.h"
#include "common/SaveJournal.h"
#include "common/ScenarioFiles.h"
#include "tests/support/RunProgram.h"
#include "tests/support/TestFiles.h"

#include <QDir>
#include <QDirIterator>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QTest>
#include <sys/stat.h>
#include <unistd.h>

namespace {

PairContent pairAt(const QString& kro) {
    return {readFile(kro), readFile(listFilePath(kro))};
}

bool operator==(const PairContent& a, const PairContent& b) {
    return a.situations == b.situations && a.list == b.list;
}

} // namespace

class TestVersionsCli : public QObject {
    Q_OBJECT

private slots:
    // The demo as Zamek.Kro, and Zmieniony.txt: its text with one description changed.
    void init() {
        dir_.renew();
        QVERIFY(QDir::setCurrent(dir_.path()));
        home_ = dir_.filePath(QStringLiteral("dane"));
        QVERIFY(QDir().mkpath(home_));
        // The test's own store reads where the child processes write.
        qputenv("XDG_DATA_HOME", home_.toUtf8());
        QVERIFY(QFile::copy(QStringLiteral(KIT_DEMO_DIR "/Zamek.Kro"), "Zamek.Kro"));
        QVERIFY(QFile::copy(QStringLiteral(KIT_DEMO_DIR "/Zamek.lis"), "Zamek.lis"));
        original_ = pairAt("Zamek.Kro");
        const ProgramRun text = run({"to-text", "Zamek.Kro"});
        QCOMPARE(text.status, 0);
        QString edited = text.out;
        edited.replace(QStringLiteral("Pochodnia"), QStringLiteral("Latarnia"));
        QVERIFY(edited != text.out);
        QVERIFY(writeFile("Zmieniony.txt", edited.toUtf8()));
    }
    void cleanup() { setDataWritable(true); }

    void keptBeforeReplacing_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("target");
        QTest::addColumn<bool>("readOnlyData");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("reason"); // empty: no version kept
        const QStringList fromText{"from-text", "Zmieniony.txt", "-o", "Zamek.Kro"};
        QTest::newRow("from-text over a pair")
            << fromText << "Zamek.Kro" << false << 0 << "przed from-text";
        QTest::newRow("from-text to a new pair")
            << QStringList{"from-text", "Zmieniony.txt", "-o", "Nowy.Kro"} << "Nowy.Kro" << false
            << 0 << QString();
        QTest::newRow("delete") << QStringList{"delete", "Zamek.Kro", "3"} << "Zamek.Kro" << false
                                << 0 << "przed usunięciem sytuacji 3";
        QTest::newRow("move") << QStringList{"move", "Zamek.Kro", "3", "--to", "5"} << "Zamek.Kro"
                              << false << 0 << "przed przeniesieniem sytuacji 3";
        QTest::newRow("duplicate") << QStringList{"duplicate", "Zamek.Kro", "4"} << "Zamek.Kro"
                                   << false << 0 << "przed powieleniem sytuacji 4";
        QTest::newRow("move without --to")
            << QStringList{"move", "Zamek.Kro", "3"} << "Zamek.Kro" << false << 2 << QString();
        QTest::newRow("from-text of a text with an error")
            << QStringList{"from-text", "Zly.txt", "-o", "Zamek.Kro"} << "Zamek.Kro" << false << 2
            << QString();
        QTest::newRow("from-text, data folder read-only")
            << fromText << "Zamek.Kro" << true << 0 << QString();
        QTest::newRow("delete, data folder read-only")
            << QStringList{"delete", "Zamek.Kro", "3"} << "Zamek.Kro" << true << 0 << QString();
    }
    void keptBeforeReplacing() {
        QFETCH(QStringList, arguments);
        QFETCH(QString, target);
        QFETCH(bool, readOnlyData);
        QFETCH(int, status);
        QFETCH(QString, reason);
        if (readOnlyData && ::geteuid() == 0)
            QSKIP("root writes into a read-only folder");
        QVERIFY(writeFile("Zly.txt", "== 0 Koniec\ntyp: Nijaki\n"));
        const PairContent before = pairAt(target);
        setDataWritable(!readOnlyData);
        const ProgramRun done = run(arguments);
        QCOMPARE(done.status, status);
        QCOMPARE(pairAt(target) == before, status != 0);
        QCOMPARE(done.err.startsWith("tekstowki: uwaga: nie zachowano wersji scenariusza: "),
                 readOnlyData);

        const std::vector<VersionInfo> versions = store().list(target);
        QCOMPARE(versions.size(), std::size_t(reason.isEmpty() ? 0 : 1));
        if (!reason.isEmpty()) {
            QCOMPARE(versions.front().reason, reason);
            QVERIFY(store().read(target, versions.front().id) == before);
        }
    }

    // Two versions, listed newest first as lines and as JSON.
    void listsNewestFirst() {
        QCOMPARE(run({"from-text", "Zmieniony.txt", "-o", "Zamek.Kro"}).status, 0);
        const PairContent changed = pairAt("Zamek.Kro");
        QCOMPARE(run({"delete", "Zamek.Kro", "3"}).status, 0);
        const PairContent kept[] = {changed, original_};
        const QString reasons[] = {"przed usunięciem sytuacji 3", "przed from-text"};

        const ProgramRun lines = run({"versions", "Zamek.Kro"});
        QCOMPARE(lines.status, 0);
        QStringList rows = lines.out.split(u'\n');
        QCOMPARE(rows.takeLast(), QString());
        QCOMPARE(rows.size(), 2);
        const ProgramRun json = run({"versions", "Zamek.Kro", "--json"});
        QCOMPARE(json.status, 0);
        const QJsonArray array = QJsonDocument::fromJson(json.out.toUtf8()).array();
        QCOMPARE(array.size(), 2);
        for (int i = 0; i < 2; ++i) {
            const QStringList fields = rows[i].split(u'\t');
            QCOMPARE(fields.size(), 4);
            QVERIFY(store().read("Zamek.Kro", fields[0]) == kept[i]);
            const QDateTime local =
                QDateTime::fromString(fields[1], QStringLiteral("yyyy-MM-dd HH:mm:ss"));
            QVERIFY(qAbs(local.secsTo(QDateTime::currentDateTime())) < 60);
            QCOMPARE(
                fields[2],
                QStringLiteral("%1 sytuacji").arg(kept[i].situations.size() / TRekordKroku::Size));
            QCOMPARE(fields[3], reasons[i]);

            const QJsonObject v = array[i].toObject();
            QCOMPARE(v["id"].toString(), fields[0]);
            const QString time = v["time"].toString();
            QVERIFY2(time.endsWith(u'Z'), qPrintable(time));
            QCOMPARE(QDateTime::fromString(time, Qt::ISODateWithMs)
                         .toLocalTime()
                         .toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")),
                     fields[1]);
            QCOMPARE(v["situations"].toInteger(),
                     qint64(kept[i].situations.size() / TRekordKroku::Size));
            QCOMPARE(v["bytes"].toInteger(),
                     qint64(kept[i].situations.size() + kept[i].list.size()));
            QCOMPARE(v["reason"].toString(), reasons[i]);
        }
    }

    void listsNothing() {
        const ProgramRun lines = run({"versions", "Zamek.Kro"});
        QCOMPARE(lines.status, 0);
        QCOMPARE(lines.out, QString());
        QCOMPARE(lines.err, "tekstowki: Zamek.Kro: brak zachowanych wersji\n");
        const ProgramRun json = run({"versions", "Zamek.Kro", "--json"});
        QCOMPARE(json.status, 0);
        const QJsonDocument document = QJsonDocument::fromJson(json.out.toUtf8());
        QVERIFY(document.isArray() && document.array().isEmpty());
        QCOMPARE(run({"versions"}).status, 2);
    }

    // The present is kept first, so restoring that version undoes the restore.
    void restoreIsReversible() {
        QCOMPARE(run({"from-text", "Zmieniony.txt", "-o", "Zamek.Kro"}).status, 0);
        const PairContent changed = pairAt("Zamek.Kro");
        const QString first = store().list("Zamek.Kro").front().id;

        const ProgramRun restored = run({"restore", "Zamek.Kro", first});
        QCOMPARE(restored.status, 0);
        QCOMPARE(restored.out, QStringLiteral("Przywrócono wersję %1 (%2 sytuacji)\n")
                                   .arg(first)
                                   .arg(original_.situations.size() / TRekordKroku::Size));
        QVERIFY(pairAt("Zamek.Kro") == original_);
        const VersionInfo present = store().list("Zamek.Kro").front();
        QCOMPARE(present.reason, "przed przywróceniem wersji " + VersionStore::labelOf(first));
        QVERIFY(store().read("Zamek.Kro", present.id) == changed);

        QCOMPARE(run({"restore", "Zamek.Kro", present.id}).status, 0);
        QVERIFY(pairAt("Zamek.Kro") == changed);
    }

    void restoresDeletedScenario() {
        QCOMPARE(run({"from-text", "Zmieniony.txt", "-o", "Zamek.Kro"}).status, 0);
        QVERIFY(QFile::remove("Zamek.Kro") && QFile::remove("Zamek.lis"));
        const ProgramRun listed = run({"versions", "Zamek.Kro"});
        QCOMPARE(listed.out.count(u'\n'), 1);
        QCOMPARE(run({"restore", "Zamek.Kro", listed.out.section(u'\t', 0, 0)}).status, 0);
        QVERIFY(pairAt("Zamek.Kro") == original_);
    }

    void restoreRefused_data() {
        QTest::addColumn<QStringList>("arguments"); // "V": the one version kept
        QTest::addColumn<QString>("planted"); // at the pair: "journal" of a save, "pipe" as list
        QTest::addColumn<bool>("readOnlyData");
        QTest::addColumn<QString>("stderrStart");
        QTest::newRow("unknown version")
            << QStringList{"restore", "Zamek.Kro", "2020-01-01T00-00-00.000"} << QString() << false
            << "tekstowki: Zamek.Kro: nie ma wersji „2020-01-01T00-00-00.000”; zobacz: "
               "tekstowki versions Zamek.Kro\n";
        QTest::newRow("no version named") << QStringList{"restore", "Zamek.Kro"} << QString()
                                          << false << "tekstowki: podaj plik sytuacji i wersję";
        QTest::newRow("scenario's text")
            << QStringList{"restore", "Zmieniony.txt", "V"} << QString() << false
            << "tekstowki: Zmieniony.txt: to jest tekst";
        QTest::newRow("pending save")
            << QStringList{"restore", "Zamek.Kro", "V"} << "journal" << false
            << "tekstowki: Zamek.Kro: scenariusz ma niedokończony zapis";
        QTest::newRow("data folder read-only")
            << QStringList{"restore", "Zamek.Kro", "V"} << QString() << true
            << "tekstowki: Zamek.Kro: nie zachowano obecnego stanu scenariusza, więc nic nie "
               "zmieniono: ";
        QTest::newRow("pipe as the list file") << QStringList{"restore", "Zamek.Kro", "V"} << "pipe"
                                               << false << "tekstowki: Zamek.lis: ";
    }
    void restoreRefused() {
        QFETCH(QStringList, arguments);
        QFETCH(QString, planted);
        QFETCH(bool, readOnlyData);
        QFETCH(QString, stderrStart);
        if (readOnlyData && ::geteuid() == 0)
            QSKIP("root writes into a read-only folder");
        QCOMPARE(run({"from-text", "Zmieniony.txt", "-o", "Zamek.Kro"}).status, 0);
        const QString version = store().list("Zamek.Kro").front().id;
        arguments.replaceInStrings(QRegularExpression("^V$"), version);
        if (planted == "journal")
            QVERIFY(writeFile(SaveJournal::pathFor("Zamek.Kro"), "?"));
        const bool pipe = planted == "pipe";
        if (pipe)
            QVERIFY(QFile::remove("Zamek.lis") && ::mkfifo("Zamek.lis", 0600) == 0);
        // A pipe is never read here: it would wait for a writer.
        const PairContent before =
            pipe ? PairContent{readFile("Zamek.Kro"), {}} : pairAt("Zamek.Kro");
        setDataWritable(!readOnlyData);

        const ProgramRun refused = run(arguments);
        QCOMPARE(refused.status, 2);
        QVERIFY2(refused.err.startsWith(stderrStart), qPrintable(refused.err));
        QCOMPARE(refused.out, QString());
        QCOMPARE(readFile("Zamek.Kro"), before.situations);
        if (!pipe)
            QCOMPARE(readFile("Zamek.lis"), before.list);
        QCOMPARE(store().list("Zamek.Kro").size(), std::size_t(1));
    }

private:
    ProgramRun run(const QStringList& arguments) const {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("XDG_DATA_HOME"), home_);
        return runProgram(QStringLiteral(KIT_TEKSTOWKI), arguments, environment);
    }

    static VersionStore store() { return VersionStore(VersionStore::defaultRoot()); }

    // Every folder of the data folder (itself included) writable or read-only.
    void setDataWritable(bool writable) const {
        const QFileDevice::Permissions mode =
            QFileDevice::ReadOwner | QFileDevice::ExeOwner | QFileDevice::ReadGroup |
            QFileDevice::ExeGroup | QFileDevice::ReadOther | QFileDevice::ExeOther |
            (writable ? QFileDevice::WriteOwner : QFileDevice::Permissions());
        QStringList folders{home_};
        for (QDirIterator it(home_, QDir::Dirs | QDir::NoDotAndDotDot,
                             QDirIterator::Subdirectories);
             it.hasNext();)
            folders << it.next();
        for (const QString& folder : folders)
            QFile::setPermissions(folder, mode);
    }

    TestFolder dir_;
    QString home_;
    PairContent original_;
};

QTEST_GUILESS_MAIN(TestVersionsCli)
#include "tst_versions_cli.moc"
