// tekstowki diff run as a process on the demo and an edited copy of it: the changed line in a
// hunk and the summary, a scenario the same as itself, and what it cannot read.

#include "tests/support/RunProgram.h"
#include "tests/support/TestFiles.h"

#include <QDir>
#include <QTest>

class TestDiffCli : public QObject {
    Q_OBJECT

private slots:
    // The demo's text, one description's last character changed, written back as a pair and as
    // a text.
    void init() {
        dir_.renew();
        QVERIFY(QDir::setCurrent(dir_.path()));
        const QString demo = QStringLiteral(KIT_DEMO_DIR "/Zamek.Kro");
        QVERIFY(QFile::copy(demo, "Zamek.Kro"));
        QVERIFY(QFile::copy(QStringLiteral(KIT_DEMO_DIR "/Zamek.lis"), "Zamek.lis"));
        const ProgramRun text = tekstowki({"to-text", "Zamek.Kro"});
        QCOMPARE(text.status, 0);
        lines_ = text.out.split(u'\n');
        lines_.removeLast();
        edited_ = lines_;
        const qsizetype header = lines_.indexOf("== 3 Schody wieży");
        QVERIFY(header > 0);
        changed_ = int(header) + 3; // the description's line: header, "typ:", "opis:", text
        QString& line = edited_[changed_];
        QVERIFY(line.startsWith("  ") && line.endsWith(u'.'));
        line.back() = u'!';
        QVERIFY(writeFile("Zmieniony.txt", (edited_.join(u'\n') + u'\n').toUtf8()));
        QCOMPARE(tekstowki({"from-text", "Zmieniony.txt", "-o", "Zmieniony.Kro"}).status, 0);
    }

    void exitStatus_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("stderrStart");
        QTest::newRow("same file")
            << QStringList{"diff", "Zamek.Kro", "Zamek.Kro"} << 0 << QString();
        QTest::newRow("pair and its edited copy")
            << QStringList{"diff", "Zamek.Kro", "Zmieniony.Kro"} << 1 << QString();
        QTest::newRow("pair and an edited text")
            << QStringList{"diff", "Zamek.Kro", "Zmieniony.txt"} << 1 << QString();
        QTest::newRow("text and its own pair")
            << QStringList{"diff", "Zmieniony.txt", "Zmieniony.Kro"} << 0 << QString();
        QTest::newRow("missing file") << QStringList{"diff", "Zamek.Kro", "Brak.Kro"} << 2
                                      << "tekstowki: Brak.Kro: File not found";
        QTest::newRow("one file") << QStringList{"diff", "Zamek.Kro"} << 2
                                  << "tekstowki: podaj dwa scenariusze";
        QTest::newRow("text with an error")
            << QStringList{"diff", "Zly.txt", "Zamek.Kro"} << 2 << "tekstowki: Zly.txt:2:";
    }
    void exitStatus() {
        QFETCH(QStringList, arguments);
        QFETCH(int, status);
        QFETCH(QString, stderrStart);
        QVERIFY(writeFile("Zly.txt", "== 0 Koniec\ntyp: Nijaki\n"));
        const ProgramRun run = tekstowki(arguments);
        QCOMPARE(run.status, status);
        QVERIFY2(run.err.startsWith(stderrStart), qPrintable(run.err));
        QCOMPARE(run.err.isEmpty(), stderrStart.isEmpty());
        QCOMPARE(run.out.isEmpty(), status == 2);
        if (status == 0)
            QCOMPARE(run.out, "# bez zmian\n");
    }

    // One hunk: three lines of context either side of the changed line, then the summary.
    void changedLineShownInContext() {
        const ProgramRun run = tekstowki({"diff", "Zamek.Kro", "Zmieniony.Kro"});
        QCOMPARE(run.status, 1);
        QStringList expected{"--- Zamek.Kro", "+++ Zmieniony.Kro",
                             QStringLiteral("@@ -%1,7 +%1,7 @@").arg(changed_ - 2)};
        for (int i = changed_ - 3; i <= changed_ + 3; ++i) {
            if (i == changed_)
                expected << u'-' + lines_[i] << u'+' + edited_[i];
            else
                expected << u' ' + lines_[i];
        }
        expected << "# 1 zmieniona sytuacja"
                 << "";
        QCOMPARE(run.out.split(u'\n'), expected);
    }

private:
    TestFolder dir_;
    QStringList lines_;
    QStringList edited_;
    int changed_ = 0;
};

QTEST_GUILESS_MAIN(TestDiffCli)
#include "tst_diff_cli.moc"
