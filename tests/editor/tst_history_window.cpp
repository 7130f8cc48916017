// The history window over versions kept in a temporary store: the list and its lazily filled
// summaries, the coloured diff of a chosen version, "Przywróć" and "Zapisz kopię jako…".

#include "authoring/TextForm.h"
#include "authoring/VersionStore.h"
#include "editor/HistoryWindow.h"
#include "tests/support/Child.h"
#include "tests/support/RecordingMessageBoxes.h"
#include "tests/support/ScenarioBuilder.h"
#include "tests/support/ScriptedFileDialog.h"
#include "tests/support/TestMain.h"

#include <QFile>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTextBlock>
#include <QTreeView>

namespace {

const QString Same = QStringLiteral("Ta wersja jest taka sama jak obecny scenariusz.");

// `count` situations, situation 1 named `name`.
std::vector<Situation> scenario(int count, const QString& name) {
    std::vector<Situation> situations{describedSituation(QStringLiteral("Koniec"), Koniec)};
    for (int k = 1; k < count; ++k)
        situations.push_back(describedSituation(k == 1 ? name : QStringLiteral("S%1").arg(k),
                                                k == 1 ? Poczatek : Normalny, {0}));
    return situations;
}

QString localTime(const VersionInfo& v) {
    return v.time.toLocalTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
}

struct Window {
    RecordingMessageBoxes boxes;
    PosixRecordFileFactory files;
    ScriptedFileDialog dialog;
    HistoryWindow w;

    Window(VersionStore& store, const QString& path) : w(nullptr, boxes, files, store, dialog) {
        w.setScenario(path);
    }

    QTreeView* view() const { return child<QTreeView>(w, "TVWersje"); }
    QString at(int row, int column) const {
        return view()->model()->index(row, column).data().toString();
    }
    void choose(int row) const { view()->setCurrentIndex(view()->model()->index(row, 0)); }
    QPlainTextEdit* diff() const { return child<QPlainTextEdit>(w, "PTRoznice"); }
};

} // namespace

class TestHistoryWindow : public QObject {
    Q_OBJECT

private slots:
    void init() {
        folder_.renew();
        path_ = folder_.filePath(QStringLiteral("Zamek.Kro"));
        now_ = QDateTime(QDate(2026, 12, 9), QTime(14, 3, 27), Qt::UTC);
        store_.emplace(folder_.filePath(QStringLiteral("wersje")), [this] { return now_; });
    }

    void listsNewestFirst() {
        keep(2, QStringLiteral("Brama"), QStringLiteral("otwarcie"));
        keep(4, QStringLiteral("Brama"), QStringLiteral("zapis"));
        QVERIFY(writeScenario(path_, scenario(3, QStringLiteral("Brama"))));
        Window window(*store_, path_);
        const std::vector<VersionInfo> kept = store_->list(path_);
        QCOMPARE(window.view()->model()->rowCount(), 2);
        for (int row = 0; row < 2; ++row)
            QCOMPARE(window.at(row, 2), QStringLiteral("…"));
        QCOMPARE(window.at(0, 0), localTime(kept[0]));
        QCOMPARE(QStringList({window.at(0, 1), window.at(0, 3), window.at(1, 1), window.at(1, 3)}),
                 QStringList({"4", "zapis", "2", "otwarcie"}));
        QVERIFY(kept[0].time > kept[1].time);
        QTRY_COMPARE(window.at(1, 2), QStringLiteral("+1 sytuacja"));
        QCOMPARE(window.at(0, 2), QStringLiteral("1 usunięta sytuacja"));
        QVERIFY(child<QLabel>(window.w, "LaBrak")->isHidden());
        QVERIFY(!child<QPushButton>(window.w, "BuPrzywroc")->isEnabled());
    }

    void noVersionsSaysSo() {
        QVERIFY(writeScenario(path_, scenario(2, QStringLiteral("Brama"))));
        Window window(*store_, path_);
        QCOMPARE(window.view()->model()->rowCount(), 0);
        QVERIFY(!child<QLabel>(window.w, "LaBrak")->isHidden());
    }

    // The present scenario always has three situations, situation 1 named "Brama".
    void chosenVersionShowsChanges_data() {
        QTest::addColumn<int>("count");
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("partRecord");
        QTest::addColumn<QString>("summary");
        QTest::addColumn<bool>("removedLines");
        QTest::addColumn<bool>("addedLines");
        QTest::newRow("one more now") << 2 << "Brama" << false << "+1 sytuacja" << false << true;
        QTest::newRow("one changed")
            << 3 << "Wieza" << false << "1 zmieniona sytuacja" << true << true;
        QTest::newRow("one fewer now")
            << 4 << "Brama" << false << "1 usunięta sytuacja" << true << false;
        QTest::newRow("the same") << 3 << "Brama" << false << "bez zmian" << false << false;
        QTest::newRow("part of a record")
            << 3 << "Brama" << true << "nie można odczytać" << false << false;
    }
    void chosenVersionShowsChanges() {
        QFETCH(int, count);
        QFETCH(QString, name);
        QFETCH(bool, partRecord);
        QFETCH(QString, summary);
        QFETCH(bool, removedLines);
        QFETCH(bool, addedLines);
        keep(count, name, QStringLiteral("zapis"), partRecord);
        QVERIFY(writeScenario(path_, scenario(3, QStringLiteral("Brama"))));
        Window window(*store_, path_);
        QTRY_COMPARE(window.at(0, 2), summary);
        window.choose(0);
        QVERIFY(child<QLabel>(window.w, "LaWersja")->text().endsWith(summary));

        const QString text = window.diff()->toPlainText();
        if (partRecord) {
            const PairContent v = store_->read(path_, window.w.chosenId());
            QCOMPARE(text, wholeRecordsFault(v.situations.size(), v.list.size()));
            return;
        }
        if (!removedLines && !addedLines) {
            QCOMPARE(text, Same);
            return;
        }
        QVERIFY(text.startsWith(QStringLiteral("--- wersja %1\n+++ obecny scenariusz\n")
                                    .arg(localTime(store_->list(path_)[0]))));
        bool removed = false;
        bool added = false;
        // Past the two headers, a block has a background exactly when it is a changed line:
        // reddish for a removed one, greenish for an added one.
        for (QTextBlock b = window.diff()->document()->findBlockByNumber(2); b.isValid();
             b = b.next()) {
            const QBrush background = b.blockFormat().background();
            const QColor c = background.color();
            const QChar first = b.text().isEmpty() ? u' ' : b.text()[0];
            QVERIFY2((background.style() != Qt::NoBrush) == (first == u'-' || first == u'+'),
                     qPrintable(b.text()));
            if (first == u'-')
                QVERIFY(c.red() > c.green());
            if (first == u'+')
                QVERIFY(c.green() > c.red());
            removed = removed || first == u'-';
            added = added || first == u'+';
        }
        QCOMPARE(removed, removedLines);
        QCOMPARE(added, addedLines);
    }

    void refreshKeepsChoice() {
        keep(2, QStringLiteral("Brama"), QStringLiteral("zapis"));
        Window window(*store_, path_);
        window.choose(0);
        const QString id = window.w.chosenId();
        keep(3, QStringLiteral("Brama"), QStringLiteral("zapis"));
        window.w.refresh();
        QCOMPARE(window.view()->model()->rowCount(), 2);
        QCOMPARE(window.view()->currentIndex().row(), 1);
        QCOMPARE(window.w.chosenId(), id);
    }

    void restoreAsks_data() {
        QTest::addColumn<bool>("answer");
        QTest::newRow("Tak") << true;
        QTest::newRow("Nie") << false;
    }
    void restoreAsks() {
        QFETCH(bool, answer);
        keep(2, QStringLiteral("Brama"), QStringLiteral("zapis"));
        keep(3, QStringLiteral("Brama"), QStringLiteral("zapis"));
        Window window(*store_, path_);
        QSignalSpy restores(&window.w, &HistoryWindow::restoreRequested);
        window.choose(1);
        const VersionInfo older = store_->list(path_)[1];
        window.boxes.expectQuestion(
            QStringLiteral("Przywrócić wersję z %1?\n\nObecny scenariusz zostanie najpierw "
                           "zachowany jako wersja, a przywrócenie można cofnąć.")
                .arg(localTime(older)),
            answer);
        QTest::mouseClick(child<QPushButton>(window.w, "BuPrzywroc"), Qt::LeftButton);
        QVERIFY(window.boxes.verifyAllShown());
        QCOMPARE(restores.size(), answer ? 1 : 0);
        if (answer)
            QCOMPARE(restores[0][0].toString(), older.id);
    }

    // The version kept has two situations; the scenario open and any existing copy three.
    void saveCopy_data() {
        QTest::addColumn<QString>("target");
        QTest::addColumn<bool>("existing");
        QTest::addColumn<bool>("replace");
        QTest::addColumn<bool>("written");
        QTest::newRow("new file") << "Kopia.Kro" << false << false << true;
        QTest::newRow("the open scenario") << "Zamek.Kro" << false << false << false;
        QTest::newRow("the open list file") << "Zamek.stary.Kro" << false << false << false;
        QTest::newRow("existing, replaced") << "Kopia.Kro" << true << true << true;
        QTest::newRow("existing, kept") << "Kopia.Kro" << true << false << false;
    }
    void saveCopy() {
        QFETCH(QString, target);
        QFETCH(bool, existing);
        QFETCH(bool, replace);
        QFETCH(bool, written);
        keep(2, QStringLiteral("Brama"), QStringLiteral("zapis"));
        QVERIFY(writeScenario(path_, scenario(3, QStringLiteral("Brama"))));
        const QString copy = folder_.filePath(target);
        if (existing)
            QVERIFY(writeScenario(copy, scenario(3, QStringLiteral("Brama"))));
        const QByteArray kroBefore = readFile(copy);
        const QByteArray lisBefore = readFile(listFilePath(copy));
        Window window(*store_, path_);
        window.choose(0);
        window.dialog.answer(copy);
        if (existing)
            window.boxes.expectQuestion(
                QStringLiteral("Plik %1 już istnieje. Zastąpić go?").arg(copy), replace);
        if (target.startsWith(QStringLiteral("Zamek")))
            window.boxes.expectMessage(QStringLiteral(
                "To jest otwarty scenariusz. Aby przywrócić tę wersję, użyj „Przywróć”."));
        if (written)
            window.boxes.expectMessage(QStringLiteral("Zapisano kopię wersji jako %1").arg(copy));
        QTest::mouseClick(child<QPushButton>(window.w, "BuZapiszKopie"), Qt::LeftButton);
        QVERIFY(window.boxes.verifyAllShown());

        const PairContent version = store_->read(path_, window.w.chosenId());
        QCOMPARE(readFile(copy), written ? version.situations : kroBefore);
        QCOMPARE(readFile(listFilePath(copy)), written ? version.list : lisBefore);
        // The open scenario keeps its three situations whatever was chosen.
        QCOMPARE(readFile(path_).size(), 3 * TRekordKroku::Size);
    }

private:
    // Writes the scenario (with part of one more record when `partRecord`) and keeps it as a
    // version a minute after the one before.
    void keep(int count, const QString& name, const QString& reason, bool partRecord = false) {
        QVERIFY(writeScenario(path_, scenario(count, name)));
        if (partRecord) {
            QFile kro(path_);
            QVERIFY(kro.open(QIODevice::Append));
            QVERIFY(kro.write("x") == 1);
        }
        QVERIFY(store_->keep(path_, reason));
        now_ = now_.addSecs(60);
    }

    TestFolder folder_;
    QString path_;
    QDateTime now_;
    std::optional<VersionStore> store_;
};

KIT_TEST_MAIN(TestHistoryWindow)
#include "tst_history_window.moc"
