// The version store: what a keep adds, what a prune leaves over months of fake days, what a
// crash leaves behind, and a store that cannot be written.

#include "authoring/VersionStore.h"
#include "platform/core/AppError.h"
#include "tests/support/ScenarioBuilder.h"

#include <QDir>
#include <QRegularExpression>
#include <QTest>
#include <set>
#include <unistd.h>

namespace {

const QDateTime Start(QDate(2026, 9, 1), QTime(0, 17), Qt::UTC);

// Writes the pair Zamek.Kro/Zamek.lis at `path`: `count` situations, the first one named `name`.
void writePair(const QString& path, const QString& name, int count = 2) {
    std::vector<Situation> situations{describedSituation(name, Koniec)};
    for (int k = 1; k < count; ++k)
        situations.push_back(describedSituation(QStringLiteral("S%1").arg(k), Normalny));
    QVERIFY(writeScenario(path, situations));
}

PairContent filesOf(const QString& path) {
    return {readFile(path), readFile(listFilePath(path))};
}

} // namespace

class TestVersionStore : public QObject {
    Q_OBJECT

private slots:
    void init() {
        dir_.renew();
        now_ = Start;
        kro_ = dir_.filePath(QStringLiteral("Zamek.Kro"));
    }

    void keepsOnlyChanges_data() {
        QTest::addColumn<QString>("secondName");
        QTest::addColumn<int>("secondCount");
        QTest::addColumn<int>("versions");
        QTest::newRow("the same pair twice") << "Brama" << 2 << 1;
        QTest::newRow("a situation renamed") << "Wieza" << 2 << 2;
        QTest::newRow("a situation added") << "Brama" << 3 << 2;
    }
    void keepsOnlyChanges() {
        QFETCH(QString, secondName);
        QFETCH(int, secondCount);
        QFETCH(int, versions);
        VersionStore store(dir_.filePath(QStringLiteral("wersje")), clock());
        writePair(kro_, QStringLiteral("Brama"));
        std::vector<PairContent> kept{filesOf(kro_)};
        QVERIFY(store.keep(kro_, QStringLiteral("zapis")));
        now_ = now_.addMSecs(1);
        writePair(kro_, secondName, secondCount);
        if (versions == 2)
            kept.push_back(filesOf(kro_));
        QCOMPARE(store.keep(kro_, QStringLiteral("przed usunięciem sytuacji")).has_value(),
                 versions == 2);

        const std::vector<VersionInfo> list = store.list(kro_);
        QCOMPARE(int(list.size()), versions);
        for (int i = 0; i < versions; ++i) {
            const PairContent& expected = kept[kept.size() - 1 - i];
            const VersionInfo& info = list[i];
            QCOMPARE(info.time, Start.addMSecs(versions - 1 - i));
            QCOMPARE(info.bytes, expected.situations.size() + expected.list.size());
            QCOMPARE(info.situations, expected.situations.size() / TRekordKroku::Size);
            const PairContent read = store.read(kro_, info.id);
            QCOMPARE(read.situations, expected.situations);
            QCOMPARE(read.list, expected.list);
        }
        QCOMPARE(list.front().reason, versions == 2 ? QStringLiteral("przed usunięciem sytuacji")
                                                    : QStringLiteral("zapis"));
        QVERIFY_THROWS_EXCEPTION(AppError, store.read(kro_, QStringLiteral("brak")));
    }

    void namesItsFolders() {
        VersionStore store(dir_.filePath(QStringLiteral("wersje")), clock());
        QVERIFY(!store.keep(kro_, QStringLiteral("zapis")));
        QVERIFY(store.list(kro_).empty());
        QVERIFY(!QFileInfo::exists(store.folderOf(kro_)));

        const QString other = dir_.filePath(QStringLiteral("inny/Zamek.Kro"));
        QVERIFY(QDir().mkpath(dir_.filePath(QStringLiteral("inny"))));
        writePair(kro_, QStringLiteral("A"));
        writePair(other, QStringLiteral("A"));
        QVERIFY(store.keep(kro_, QStringLiteral("zapis")));
        QVERIFY(store.keep(other, QStringLiteral("zapis")));
        QVERIFY(store.folderOf(kro_) != store.folderOf(other));
        for (const QString& path : {kro_, other}) {
            QVERIFY(QRegularExpression(QStringLiteral("^Zamek-[0-9a-f]{8}$"))
                        .match(QFileInfo(store.folderOf(path)).fileName())
                        .hasMatch());
            QCOMPARE(readFile(store.folderOf(path) + QStringLiteral("/scenariusz.txt")),
                     (QFileInfo(path).absoluteFilePath() + QLatin1Char('\n')).toUtf8());
            QCOMPARE(store.list(path).size(), std::size_t(1));
        }
        // Two keeps in one millisecond get two ids that sort in their order.
        writePair(kro_, QStringLiteral("B"));
        const std::optional<VersionInfo> second = store.keep(kro_, QStringLiteral("zapis"));
        QVERIFY(second);
        QCOMPARE(second->id, Start.toString(QStringLiteral("yyyy-MM-ddTHH-mm-ss.zzz-2")));
        QCOMPARE(store.list(kro_).front().id, second->id);
    }

    // A version every `stepHours` for `days`, each kept with a prune: what is left must be
    // every version of the last 48 hours and, older, the newest of each UTC day up to 60 days.
    void retention_data() {
        QTest::addColumn<int>("stepHours");
        QTest::addColumn<int>("days");
        QTest::newRow("every 3 hours for 70 days") << 3 << 70;
        QTest::newRow("every 7 hours for 10 days") << 7 << 10;
        QTest::newRow("every 31 hours for 90 days") << 31 << 90;
    }
    void retention() {
        QFETCH(int, stepHours);
        QFETCH(int, days);
        VersionStore store(dir_.filePath(QStringLiteral("wersje")), clock());
        std::vector<QDateTime> times;
        for (int i = 0; i * stepHours < days * 24; ++i) {
            now_ = Start.addSecs(qint64(i) * stepHours * 3600);
            writePair(kro_, QStringLiteral("S%1").arg(i));
            QVERIFY(store.keep(kro_, QStringLiteral("zapis")));
            times.push_back(now_);
        }
        std::vector<QDateTime> expected;
        std::set<QDate> daysTaken;
        for (auto t = times.rbegin(); t != times.rend(); ++t) {
            const qint64 age = t->secsTo(now_);
            if (age <= 48 * 3600 || (age <= 60 * 86400 && daysTaken.insert(t->date()).second))
                expected.push_back(*t);
        }
        std::vector<QDateTime> survivors;
        for (const VersionInfo& info : store.list(kro_))
            survivors.push_back(info.time);
        QCOMPARE(survivors, expected);
    }

    // Five versions of one size under a cap of `capVersions` such versions plus `slack` bytes.
    void sizeCap_data() {
        QTest::addColumn<int>("capVersions");
        QTest::addColumn<int>("slack");
        QTest::addColumn<int>("survivors");
        QTest::newRow("below one version: the newest stays") << 0 << 0 << 1;
        QTest::newRow("exactly three") << 3 << 0 << 3;
        QTest::newRow("a byte short of three") << 3 << -1 << 2;
        QTest::newRow("more than all") << 9 << 0 << 5;
    }
    void sizeCap() {
        QFETCH(int, capVersions);
        QFETCH(int, slack);
        QFETCH(int, survivors);
        writePair(kro_, QStringLiteral("V0"));
        const std::int64_t pairBytes = readFile(kro_).size() + readFile(listFilePath(kro_)).size();
        VersionStore store(dir_.filePath(QStringLiteral("wersje")), clock(),
                           capVersions * pairBytes + slack);
        std::vector<QString> ids;
        for (int i = 0; i < 5; ++i) {
            now_ = Start.addSecs(60 * i);
            writePair(kro_, QStringLiteral("V%1").arg(i));
            ids.insert(ids.begin(), store.keep(kro_, QStringLiteral("zapis"))->id);
        }
        std::vector<QString> listed;
        for (const VersionInfo& info : store.list(kro_))
            listed.push_back(info.id);
        ids.resize(survivors);
        QCOMPARE(listed, ids);
    }

    // A folder a crash left is not listed, and the next keep removes it.
    void crashLeftovers_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QStringList>("files");
        QTest::newRow("staging folder")
            << "tymczasowa-2147483647-2030-01-01T00-00-00.000" << QStringList{"scenariusz.Kro"};
        QTest::newRow("version without its info file")
            << "2030-01-01T00-00-00.000" << QStringList{"scenariusz.Kro", "scenariusz.lis"};
        QTest::newRow("version whose files are shorter than its info says")
            << "2030-01-01T00-00-00.000"
            << QStringList{"scenariusz.Kro", "scenariusz.lis", "wersja.txt"};
    }
    void crashLeftovers() {
        QFETCH(QString, name);
        QFETCH(QStringList, files);
        VersionStore store(dir_.filePath(QStringLiteral("wersje")), clock());
        writePair(kro_, QStringLiteral("A"));
        QVERIFY(store.keep(kro_, QStringLiteral("zapis")));
        const QString leftover = store.folderOf(kro_) + QLatin1Char('/') + name;
        for (const QString& file : files)
            QVERIFY(
                writeFile(leftover + QLatin1Char('/') + file,
                          file == QLatin1String("wersja.txt") ? "sytuacje=1\nbajty=9999\n" : "x"));
        QCOMPARE(store.list(kro_).size(), std::size_t(1));
        now_ = now_.addSecs(1);
        writePair(kro_, QStringLiteral("B"));
        QVERIFY(store.keep(kro_, QStringLiteral("zapis")));
        QVERIFY(!QFileInfo::exists(leftover));
        QCOMPARE(store.list(kro_).size(), std::size_t(2));
    }

    void unwritableRoot_data() {
        QTest::addColumn<bool>("underFile");
        QTest::newRow("root under a regular file") << true;
        QTest::newRow("read-only root") << false;
    }
    void unwritableRoot() {
        QFETCH(bool, underFile);
        QString root = dir_.filePath(QStringLiteral("wersje"));
        if (underFile) {
            root = dir_.write(QStringLiteral("plik"), "x") + QStringLiteral("/wersje");
        } else {
            if (::geteuid() == 0)
                QSKIP("root writes into a read-only folder");
            QVERIFY(QDir().mkpath(root));
            QVERIFY(QFile::setPermissions(root, QFile::ReadOwner | QFile::ExeOwner));
        }
        writePair(kro_, QStringLiteral("A"));
        const PairContent before = filesOf(kro_);
        VersionStore store(root, clock());
        try {
            store.keep(kro_, QStringLiteral("zapis"));
            QFAIL("keep wrote into a root it cannot write");
        } catch (const AppError& e) {
            QVERIFY2(e.message().startsWith(QStringLiteral("Nie można zachować wersji")) &&
                         e.message().contains(root),
                     qPrintable(e.message()));
        }
        QCOMPARE(filesOf(kro_).situations, before.situations);
        QCOMPARE(filesOf(kro_).list, before.list);
        QVERIFY(store.list(kro_).empty());
        QFile::setPermissions(root, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }

private:
    VersionStore::Clock clock() {
        return [this] { return now_; };
    }

    TestFolder dir_;
    QDateTime now_;
    QString kro_;
};

QTEST_GUILESS_MAIN(TestVersionStore)
#include "tst_version_store.moc"
