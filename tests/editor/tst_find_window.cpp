// The find window over a scenario on disk: its options reach the search, a hit leads to its
// situation, "Zamień wszystko" hands the editor what to replace, and a replace is told back.

#include "editor/FindWindow.h"
#include "tests/support/Child.h"
#include "tests/support/RecordingMessageBoxes.h"
#include "tests/support/ScenarioBuilder.h"
#include "tests/support/TestMain.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QStandardItemModel>
#include <QTreeView>

namespace {

// Situation 1 names its road by "Zolty most"; 2 is "Żółty dom".
std::vector<Situation> scenario() {
    return {
        describedSituation(QStringLiteral("Koniec"), Koniec),
        describedSituation(QStringLiteral("Start"), Poczatek, {2}, {QStringLiteral("Zolty most")}),
        describedSituation(QStringLiteral("Żółty dom"), Koniec)};
}

struct Window {
    RecordingMessageBoxes boxes;
    PosixRecordFileFactory files;
    FindWindow w{nullptr, boxes, files};

    explicit Window(const QString& path) { w.setScenario(path); }

    // Types `needle`, sets the options and clicks "Szukaj".
    void search(const QString& needle, bool ignoreCase = true, bool ignoreDiacritics = true) {
        child<QLineEdit>(w, "ESzukaj")->setText(needle);
        child<QCheckBox>(w, "CBWielkosc")->setChecked(ignoreCase);
        child<QCheckBox>(w, "CBZnaki")->setChecked(ignoreDiacritics);
        QTest::mouseClick(child<QPushButton>(w, "BuSzukaj"), Qt::LeftButton);
    }

    QStringList rows() const {
        const auto* model = child<QTreeView>(w, "TVWyniki")->model();
        QStringList all;
        for (int r = 0; r < model->rowCount(); ++r) {
            QStringList cells;
            for (int c = 0; c < model->columnCount(); ++c)
                cells << model->index(r, c).data().toString();
            all << cells.join(u'|');
        }
        return all;
    }

    QString result() const { return child<QLabel>(w, "LaWynik")->text(); }
};

} // namespace

class TestFindWindow : public QObject {
    Q_OBJECT

private slots:
    void init() {
        folder_.renew();
        path_ = folder_.filePath(QStringLiteral("a.Kro"));
        QVERIFY(writeScenario(path_, scenario()));
    }

    void searchFollowsOptions_data() {
        QTest::addColumn<bool>("ignoreCase");
        QTest::addColumn<bool>("ignoreDiacritics");
        QTest::addColumn<QStringList>("rows");
        QTest::addColumn<QString>("result");
        QTest::newRow("both") << true << true
                              << QStringList{"1 „Start”|Wybór 1|Zolty most",
                                             "2 „Żółty dom”|Nazwa|Żółty dom",
                                             "2 „Żółty dom”|Opis|Opis Żółty dom"}
                              << "Znaleziono: 3";
        QTest::newRow("case only")
            << true << false << QStringList{"1 „Start”|Wybór 1|Zolty most"} << "Znaleziono: 1";
        QTest::newRow("neither") << false << false << QStringList{} << "Nie znaleziono „zolty”";
    }
    void searchFollowsOptions() {
        QFETCH(bool, ignoreCase);
        QFETCH(bool, ignoreDiacritics);
        QFETCH(QStringList, rows);
        QFETCH(QString, result);
        Window window(path_);
        window.search(QStringLiteral("zolty"), ignoreCase, ignoreDiacritics);
        QCOMPARE(window.rows(), rows);
        QCOMPARE(window.result(), result);
        QVERIFY(window.boxes.verifyAllShown());
    }

    void hitJumps_data() {
        QTest::addColumn<bool>("doubleClick");
        QTest::addColumn<int>("row");
        QTest::addColumn<int>("situation");
        QTest::newRow("Enter") << false << 0 << 1;
        QTest::newRow("double click") << true << 1 << 2;
    }
    void hitJumps() {
        QFETCH(bool, doubleClick);
        QFETCH(int, row);
        QFETCH(int, situation);
        Window window(path_);
        window.w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window.w));
        window.search(QStringLiteral("zolty"));
        QSignalSpy jumps(&window.w, &FindWindow::jumpRequested);
        auto* view = child<QTreeView>(window.w, "TVWyniki");
        const QModelIndex index = view->model()->index(row, 2);
        view->setCurrentIndex(index);
        if (doubleClick) {
            const QPoint at = view->visualRect(index).center();
            // A view takes a double click only on the item its press chose: the press of the
            // first click comes on its own, as a mouse sends it.
            QTest::mousePress(view->viewport(), Qt::LeftButton, {}, at);
            QTest::mouseRelease(view->viewport(), Qt::LeftButton, {}, at);
            QTest::mouseDClick(view->viewport(), Qt::LeftButton, {}, at);
        } else {
            view->setFocus();
            QTest::keyClick(view, Qt::Key_Return);
        }
        QCOMPARE(jumps.size(), 1);
        QCOMPARE(jumps[0][0].value<std::int32_t>(), situation);
    }

    void replaceAllAsks_data() {
        QTest::addColumn<QString>("needle");
        QTest::addColumn<QString>("replacement");
        QTest::addColumn<bool>("ignoreDiacritics");
        QTest::addColumn<bool>("asked");
        QTest::newRow("with options") << "zolty"
                                      << "Zielony" << false << true;
        QTest::newRow("by nothing") << "dom"
                                    << "" << true << true;
        QTest::newRow("nothing to find") << ""
                                         << "x" << true << false;
    }
    void replaceAllAsks() {
        QFETCH(QString, needle);
        QFETCH(QString, replacement);
        QFETCH(bool, ignoreDiacritics);
        QFETCH(bool, asked);
        Window window(path_);
        QSignalSpy asks(&window.w, &FindWindow::replaceAllRequested);
        child<QLineEdit>(window.w, "ESzukaj")->setText(needle);
        child<QLineEdit>(window.w, "EZamien")->setText(replacement);
        child<QCheckBox>(window.w, "CBZnaki")->setChecked(ignoreDiacritics);
        QTest::mouseClick(child<QPushButton>(window.w, "BuZamienWszystko"), Qt::LeftButton);
        QCOMPARE(asks.size(), asked ? 1 : 0);
        if (!asked)
            return;
        QCOMPARE(asks[0][0].toString(), needle);
        QCOMPARE(asks[0][1].toString(), replacement);
        const auto options = asks[0][2].value<SearchOptions>();
        QVERIFY(options.ignoreCase);
        QCOMPARE(options.ignoreDiacritics, ignoreDiacritics);
    }

    // The refused situation is named as the files name it, and the search runs again.
    void replacedIsTold() {
        Window window(path_);
        window.search(QStringLiteral("zolty"));
        window.boxes.expectMessage(QStringLiteral("Nie zamieniono w 1 sytuacji:\n"
                                                  "sytuacja 2 „Żółty dom”: za długa"));
        window.w.showReplaced({{1}, 1, {{2, QStringLiteral("za długa")}}});
        QCOMPARE(window.result(), QStringLiteral("Zamieniono: 1 w 1 sytuacji\nZnaleziono: 3"));
        QCOMPARE(window.rows().size(), 3);
        QVERIFY(window.boxes.verifyAllShown());
    }

    void unreadableScenarioShowsError() {
        Window window(folder_.filePath(QStringLiteral("brak.Kro")));
        window.boxes.expectError(QStringLiteral("File not found"));
        window.search(QStringLiteral("zolty"));
        QVERIFY(window.rows().isEmpty());
        QVERIFY(window.boxes.verifyAllShown());
    }

private:
    TestFolder folder_;
    QString path_;
};

KIT_TEST_MAIN(TestFindWindow)
#include "tst_find_window.moc"
