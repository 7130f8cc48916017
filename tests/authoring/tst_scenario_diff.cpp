// Two texts compared line by line (checked against a plain longest common subsequence), and two
// scenarios compared situation by situation, with the summary's Polish plural forms.

#include "authoring/ScenarioDiff.h"
#include "platform/core/PosixRecordFile.h"
#include "tests/support/ScenarioBuilder.h"

#include <QRandomGenerator>
#include <QTest>

namespace {

// A comparison as one string: " a" for a common line, "-a" removed, "+a" added, joined by "|".
QString marked(const std::vector<DiffLine>& lines) {
    QStringList parts;
    for (const DiffLine& line : lines)
        parts.append((line.kind == DiffLine::Kind::Same      ? QStringLiteral(" ")
                      : line.kind == DiffLine::Kind::Removed ? QStringLiteral("-")
                                                             : QStringLiteral("+")) +
                     line.text);
    return parts.join(u'|');
}

// Every line of both texts once, numbered in order: the old ones 1, 2, ... and the new ones.
void verifyNumbering(const std::vector<DiffLine>& lines, qsizetype oldCount, qsizetype newCount) {
    int oldLine = 0;
    int newLine = 0;
    for (const DiffLine& line : lines) {
        QCOMPARE(line.oldLine, line.kind == DiffLine::Kind::Added ? 0 : ++oldLine);
        QCOMPARE(line.newLine, line.kind == DiffLine::Kind::Removed ? 0 : ++newLine);
    }
    QCOMPARE(oldLine, oldCount);
    QCOMPARE(newLine, newCount);
}

qsizetype lineCount(const QString& text) {
    return text.count(u'\n') + (text.isEmpty() || text.endsWith(u'\n') ? 0 : 1);
}

int lcsLength(const QStringList& a, const QStringList& b) {
    std::vector<std::vector<int>> t(std::size_t(a.size() + 1),
                                    std::vector<int>(std::size_t(b.size() + 1)));
    for (qsizetype i = a.size() - 1; i >= 0; --i)
        for (qsizetype j = b.size() - 1; j >= 0; --j)
            t[std::size_t(i)][std::size_t(j)] =
                a[i] == b[j] ? t[std::size_t(i + 1)][std::size_t(j + 1)] + 1
                             : std::max(t[std::size_t(i + 1)][std::size_t(j)],
                                        t[std::size_t(i)][std::size_t(j + 1)]);
    return t[0][0];
}

// The lines "1" to "n", each ending in a newline, those numbered in `changed` as "1x".
QString counted(int n, const QList<int>& changed = {}) {
    QString text;
    for (int i = 1; i <= n; ++i)
        text += QString::number(i) +
                (changed.contains(i) ? QStringLiteral("x\n") : QStringLiteral("\n"));
    return text;
}

} // namespace

class TestScenarioDiff : public QObject {
    Q_OBJECT

private slots:
    void diffLines_data() {
        QTest::addColumn<QString>("oldText");
        QTest::addColumn<QString>("newText");
        QTest::addColumn<QString>("expected");
        QTest::newRow("equal") << "a\nb\nc\n"
                               << "a\nb\nc\n"
                               << " a| b| c";
        QTest::newRow("one line changed") << "a\nb\nc\n"
                                          << "a\nB\nc\n"
                                          << " a|-b|+B| c";
        QTest::newRow("insert at start") << "a\nb\n"
                                         << "x\na\nb\n"
                                         << "+x| a| b";
        QTest::newRow("insert at end") << "a\nb\n"
                                       << "a\nb\nx\n"
                                       << " a| b|+x";
        QTest::newRow("delete") << "a\nb\nc\n"
                                << "a\nc\n"
                                << " a|-b| c";
        QTest::newRow("both empty") << ""
                                    << ""
                                    << "";
        QTest::newRow("old empty") << ""
                                   << "a\nb\n"
                                   << "+a|+b";
        QTest::newRow("new empty") << "a\nb\n"
                                   << ""
                                   << "-a|-b";
        QTest::newRow("no final newline") << "a\nb"
                                          << "a\nb\n"
                                          << " a| b";
        QTest::newRow("empty lines count") << "a\n\nb\n"
                                           << "a\nb\n"
                                           << " a|-| b";
        QTest::newRow("removed before added within a change") << "a\nb\nc\nd\n"
                                                              << "a\nX\nY\nd\n"
                                                              << " a|-b|-c|+X|+Y| d";
    }
    void diffLines() {
        QFETCH(QString, oldText);
        QFETCH(QString, newText);
        QFETCH(QString, expected);
        const std::vector<DiffLine> lines = ::diffLines(oldText, newText);
        QCOMPARE(marked(lines), expected);
        verifyNumbering(lines, lineCount(oldText), lineCount(newText));
    }

    // Texts of few distinct lines, so that many lines repeat: the common lines found are as many
    // as a plain longest common subsequence holds.
    void diffLinesIsLongest() {
        QRandomGenerator random(20261209);
        for (int round = 0; round < 300; ++round) {
            QStringList a, b;
            for (int i = int(random.bounded(12)); i > 0; --i)
                a.append(QString(QChar(u'a' + random.bounded(3))));
            for (int i = int(random.bounded(12)); i > 0; --i)
                b.append(QString(QChar(u'a' + random.bounded(3))));
            const QString oldText = a.isEmpty() ? QString() : a.join(u'\n') + u'\n';
            const QString newText = b.isEmpty() ? QString() : b.join(u'\n') + u'\n';
            const std::vector<DiffLine> lines = ::diffLines(oldText, newText);
            verifyNumbering(lines, a.size(), b.size());
            const auto same = std::count_if(lines.begin(), lines.end(), [](const DiffLine& l) {
                return l.kind == DiffLine::Kind::Same;
            });
            QVERIFY2(same == lcsLength(a, b), qPrintable(oldText + u'/' + newText));
        }
    }

    void unifiedDiff_data() {
        QTest::addColumn<QString>("oldText");
        QTest::addColumn<QString>("newText");
        QTest::addColumn<QString>("hunks"); // the output after "--- a\n+++ b\n"
        QTest::newRow("nothing changed") << counted(5) << counted(5) << "";
        QTest::newRow("context cut at both ends")
            << counted(3) << counted(3, {2}) << "@@ -1,3 +1,3 @@\n 1\n-2\n+2x\n 3\n";
        QTest::newRow("insert at start")
            << counted(5).mid(2) << counted(5) << "@@ -1,3 +1,4 @@\n+1\n 2\n 3\n 4\n";
        QTest::newRow("into an empty text") << QString() << counted(1) << "@@ -0,0 +1,1 @@\n+1\n";
        QTest::newRow("delete at end")
            << counted(5) << counted(4) << "@@ -2,4 +2,3 @@\n 2\n 3\n 4\n-5\n";
        QTest::newRow("6 lines apart, one hunk")
            << counted(16) << counted(16, {4, 11})
            << "@@ -1,14 +1,14 @@\n 1\n 2\n 3\n-4\n+4x\n 5\n 6\n 7\n 8\n 9\n 10\n-11\n+11x\n"
               " 12\n 13\n 14\n";
        QTest::newRow("7 lines apart, two hunks")
            << counted(16) << counted(16, {4, 12})
            << "@@ -1,7 +1,7 @@\n 1\n 2\n 3\n-4\n+4x\n 5\n 6\n 7\n"
               "@@ -9,7 +9,7 @@\n 9\n 10\n 11\n-12\n+12x\n 13\n 14\n 15\n";
    }
    void unifiedDiff() {
        QFETCH(QString, oldText);
        QFETCH(QString, newText);
        QFETCH(QString, hunks);
        QCOMPARE(::unifiedDiff("a", "b", ::diffLines(oldText, newText)), "--- a\n+++ b\n" + hunks);
    }

    void summary_data() {
        QTest::addColumn<int>("added");
        QTest::addColumn<int>("changed");
        QTest::addColumn<int>("removed");
        QTest::addColumn<QString>("expected");
        QTest::newRow("0") << 0 << 0 << 0 << "bez zmian";
        QTest::newRow("1 added") << 1 << 0 << 0 << "+1 sytuacja";
        QTest::newRow("2, 5, 1") << 2 << 5 << 1 << "+2 sytuacje, 5 zmienionych, 1 usunięta";
        QTest::newRow("12 changed") << 0 << 12 << 0 << "12 zmienionych sytuacji";
        QTest::newRow("22 changed, 1 removed")
            << 0 << 22 << 1 << "22 zmienione sytuacje, 1 usunięta";
        QTest::newRow("1 changed, 2 removed") << 0 << 1 << 2 << "1 zmieniona sytuacja, 2 usunięte";
        QTest::newRow("5 added, 12 removed") << 5 << 0 << 12 << "+5 sytuacji, 12 usuniętych";
        QTest::newRow("22 removed") << 0 << 0 << 22 << "22 usunięte sytuacje";
        QTest::newRow("112 added, 104 removed") << 112 << 0 << 104 << "+112 sytuacji, 104 usunięte";
    }
    void summary() {
        QFETCH(int, added);
        QFETCH(int, changed);
        QFETCH(int, removed);
        QFETCH(QString, expected);
        QCOMPARE((ScenarioChanges{added, changed, removed}.summary()), expected);
    }

    void compareScenarios_data() {
        QTest::addColumn<int>("appended");
        QTest::addColumn<int>("cut");
        QTest::addColumn<QList<int>>("namesChanged");
        QTest::addColumn<int>("listChanged"); // -1 for none
        QTest::addColumn<QString>("expected");
        QTest::newRow("same") << 0 << 0 << QList<int>{} << -1 << "bez zmian";
        QTest::newRow("appended") << 2 << 0 << QList<int>{} << -1 << "+2 sytuacje";
        QTest::newRow("cut") << 0 << 1 << QList<int>{} << -1 << "1 usunięta sytuacja";
        QTest::newRow("names") << 0 << 0 << QList<int>{1, 3} << -1 << "2 zmienione sytuacje";
        QTest::newRow("only a list record")
            << 0 << 0 << QList<int>{} << 2 << "1 zmieniona sytuacja";
        QTest::newRow("situation and its list record")
            << 0 << 0 << QList<int>{2} << 2 << "1 zmieniona sytuacja";
        QTest::newRow("added and changed")
            << 1 << 0 << QList<int>{0} << -1 << "+1 sytuacja, 1 zmieniona";
    }
    void compareScenarios() {
        QFETCH(int, appended);
        QFETCH(int, cut);
        QFETCH(QList<int>, namesChanged);
        QFETCH(int, listChanged);
        QFETCH(QString, expected);
        QTemporaryDir dir;
        const QString kro = dir.filePath("Las.Kro");
        QVERIFY(writeScenario(kro, {describedSituation("Koniec", Koniec),
                                    describedSituation("Start", Poczatek, {2}, {"Idź"}),
                                    describedSituation("Rzeka", Wybory2, {3, 1}, {"Płyń", "Wróć"}),
                                    describedSituation("Brzeg", Koniec)}));
        PosixRecordFileFactory files;
        const ScenarioSnapshot older = readSnapshot(files, kro);
        ScenarioSnapshot newer = older;
        for (int i = 0; i < appended; ++i) {
            newer.rekordy.push_back(older.rekordy.back());
            newer.listy.push_back(older.listy.back());
        }
        newer.rekordy.resize(newer.rekordy.size() - std::size_t(cut));
        newer.listy.resize(newer.listy.size() - std::size_t(cut));
        for (const int k : namesChanged)
            newer.rekordy[std::size_t(k)].Nazwa = older.rekordy[std::size_t(k) + 1].Nazwa;
        if (listChanged >= 0)
            newer.listy[std::size_t(listChanged)] = older.listy[std::size_t(listChanged) + 1];
        QCOMPARE(::compareScenarios(older, newer).summary(), expected);
    }
};

QTEST_GUILESS_MAIN(TestScenarioDiff)
#include "tst_scenario_diff.moc"
