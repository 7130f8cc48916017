#include "editor/CheckWindow.h"
#include "editor/MapWindow.h"
#include "editor/Uedytor.h"
#include "tests/support/Child.h"
#include "tests/support/EditorUnderTest.h"
#include "tests/support/FaultyRecordFile.h"
#include "tests/support/RecordingMessageBoxes.h"
#include "tests/support/ScenarioBuilder.h"
#include "tests/support/TestMain.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QTableView>
#include <QTreeWidget>

namespace {

struct Editor : EditorUnderTest<RecordingMessageBoxes, FaultyRecordFileFactory> {
    Editor() { activate(); }
};

// 1 "Start" leads to 2 "Łąka", whose only choice was left on the default end.
std::vector<Situation> leftOnDefaultEnd() {
    return {describedSituation(QStringLiteral("Default Koniec"), Koniec),
            describedSituation(QStringLiteral("Start"), Poczatek, {2}, {QStringLiteral("Idź")}),
            describedSituation(QStringLiteral("Łąka"), Wybory1, {0}, {QStringLiteral("Dalej")})};
}

} // namespace

class TestEditorTools : public QObject {
    Q_OBJECT

private slots:
    void init() { folder_.renew(); }

    // The new buttons sit in cells of the button grid that no control of the window covers,
    // with access keys no other control has, after the window's own in the tab order.
    void toolButtonsFillEmptyCells_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QRect>("geometry");
        QTest::addColumn<QString>("caption");
        QTest::newRow("BuSprawdz") << "BuSprawdz" << QRect(440, 135, 77, 23) << "&Sprawdź";
        QTest::newRow("BuMapa") << "BuMapa" << QRect(440, 160, 77, 23) << "&Mapa";
        QTest::newRow("BuGraj") << "BuGraj" << QRect(440, 185, 77, 23) << "&Graj stąd";
    }
    void toolButtonsFillEmptyCells() {
        QFETCH(QString, name);
        QFETCH(QRect, geometry);
        QFETCH(QString, caption);
        Editor e;
        auto* button = e.w.findChild<QPushButton*>(name);
        QVERIFY(button);
        QCOMPARE(button->geometry(), geometry);
        QCOMPARE(button->text(), caption);
        QVERIFY(!button->isEnabled());
        for (auto* other : e.w.findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
            if (other != button && other->isVisible())
                QVERIFY2(!other->geometry().intersects(geometry), qPrintable(other->objectName()));
        }
        const QRegularExpression key(QStringLiteral("&(\\w)"));
        const QString mine = key.match(caption).captured(1).toLower();
        for (auto* other : e.w.findChildren<QAbstractButton*>()) {
            if (other != button)
                QVERIFY(key.match(other->text()).captured(1).toLower() != mine);
        }
        QWidget* before = child<QTableView>(e.w, "SGSyt");
        while (before->nextInFocusChain() != button &&
               before != child<QPushButton>(e.w, "BuOtworz"))
            before = before->nextInFocusChain();
        QVERIFY2(before != child<QPushButton>(e.w, "BuOtworz"),
                 "comes after the grid in the tab order");
        QVERIFY(writeScenario(folder_.filePath(QStringLiteral("a.Kro")), leftOnDefaultEnd()));
        e.open(folder_.filePath(QStringLiteral("a.Kro")));
        QVERIFY(button->isEnabled());
    }

    // The check window lists the finding, Enter on it goes there as the grid does, and a
    // save that mends the fault empties the list.
    void checkWindowJumpsAndRefreshes() {
        QVERIFY(writeScenario(folder_.filePath(QStringLiteral("a.Kro")), leftOnDefaultEnd()));
        Editor e;
        e.open(folder_.filePath(QStringLiteral("a.Kro")));
        Editor::click(child<QPushButton>(e.w, "BuSprawdz"));
        CheckWindow* check = e.w.tools().checkWindow();
        QVERIFY(check && check->isVisible());
        QCOMPARE(child<QTreeWidget>(*check, "findings")->topLevelItemCount(), 1);
        QCOMPARE(child<QTreeWidget>(*check, "findings")->topLevelItem(0)->text(1),
                 QStringLiteral("2"));
        QCOMPARE(child<QTreeWidget>(*check, "findings")->topLevelItem(0)->text(2),
                 QStringLiteral("Łąka"));

        check->activateWindow();
        child<QTreeWidget>(*check, "findings")->setFocus();
        child<QTreeWidget>(*check, "findings")
            ->setCurrentItem(child<QTreeWidget>(*check, "findings")->topLevelItem(0));
        QTest::keyClick(child<QTreeWidget>(*check, "findings"), Qt::Key_Return);
        QCOMPARE(e.w.state().numer(), 2);
        QCOMPARE(child<QLineEdit>(e.w, "ENazwa")->text(), QStringLiteral("Łąka"));

        child<QComboBox>(e.w, "CBTyp")->setEditText(QStringLiteral("Koniec"));
        // Leaving the type closes the choices a Koniec does not offer.
        Editor::leave(child<QComboBox>(e.w, "CBTyp"), child<QPlainTextEdit>(e.w, "MeOpis"));
        Editor::click(child<QPushButton>(e.w, "BuZapisz"));
        QCOMPARE(child<QTreeWidget>(*check, "findings")->topLevelItemCount(), 0);
        QVERIFY(child<QLabel>(*check, "summary")->text().startsWith(QStringLiteral("Brak uwag")));
        QVERIFY(e.boxes.verifyAllShown());
    }

    // A finding wraps in its column, its row as high as its lines, also after the window is
    // made narrower: none is cut short, and a short one keeps one line.
    void checkWindowShowsLongFindingsWhole_data() {
        QTest::addColumn<QString>("message");
        QTest::addColumn<int>("width"); // of the window once the findings are shown
        QTest::addColumn<bool>("wraps");
        const QString longer = QStringLiteral("Wybór 2 prowadzi do sytuacji 17 „Wąwóz”, z "
                                              "której żadna droga nie prowadzi do końca: "
                                              "gracz, który tam wejdzie, krąży bez wyjścia "
                                              "po sytuacjach 17, 18, 19 i 20.");
        QTest::newRow("short") << QStringLiteral("Wybór 1 prowadzi do domyślnego końca.") << 640
                               << false;
        QTest::newRow("long") << longer << 640 << true;
        QTest::newRow("long, window narrowed") << longer << 450 << true;
    }
    void checkWindowShowsLongFindingsWhole() {
        QFETCH(QString, message);
        QFETCH(int, width);
        QFETCH(bool, wraps);
        CheckWindow window;
        window.resize(640, 360);
        window.show();
        CheckReport report;
        report.findings.push_back({Severity::Warning, FindingKind::EmptyDescription, 2,
                                   QStringLiteral("Łąka"), 1, message});
        report.findings.push_back({Severity::Error, FindingKind::EmptyDescription, 3,
                                   QStringLiteral("Las"), 0, QStringLiteral("Bez opisu.")});
        window.showReport(report);
        window.resize(width, 360);
        QTreeWidget* list = child<QTreeWidget>(window, "findings");
        const QModelIndex cell = list->model()->index(0, 3);
        // The room the view's style leaves for text within a cell.
        const int margin =
            list->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, list) + 1;
        const auto needed = [&] {
            return QFontMetrics(list->font())
                .boundingRect(QRect(0, 0, list->columnWidth(3) - 2 * margin, 100000),
                              Qt::TextWordWrap, message)
                .height();
        };
        // The rows are laid out again once the window has handled its new width.
        QTRY_VERIFY2(needed() <= list->visualRect(cell).height(),
                     qPrintable(QStringLiteral("%1 > %2").arg(needed()).arg(
                         list->visualRect(cell).height())));
        QCOMPARE(list->visualRect(cell).height() >
                     list->visualRect(list->model()->index(1, 3)).height(),
                 wraps);
        QCOMPARE(cell.data().toString(), message);
    }

    // The map opens on the situation shown, a click on a box goes there as the grid does, and
    // the map follows the editor.
    void mapWindowJumpsAndFollows() {
        QVERIFY(writeScenario(folder_.filePath(QStringLiteral("a.Kro")), leftOnDefaultEnd()));
        Editor e;
        e.open(folder_.filePath(QStringLiteral("a.Kro")));
        Editor::click(child<QPushButton>(e.w, "BuMapa"));
        MapWindow* map = e.w.tools().mapWindow();
        QVERIFY(map && map->isVisible());
        const auto current = [map] {
            for (const MapNode& node : map->layout().nodes) {
                if (node.current)
                    return node.situation;
            }
            return -1;
        };
        QCOMPARE(current(), 1);
        emit map->situationClicked(2);
        QCOMPARE(e.w.state().numer(), 2);
        QCOMPARE(current(), 2);
        Editor::click(child<QPushButton>(e.w, "BuPoprzedni"));
        QCOMPARE(current(), 1);
    }

    // "Graj stąd" starts the player at the situation shown once it is saved.
    void playFromHere_data() {
        QTest::addColumn<bool>("autoSave");
        QTest::addColumn<bool>("edited");
        QTest::addColumn<bool>("playerStarts");
        QTest::addColumn<QString>("message"); // empty: the player starts, no box
        const QString unsaved =
            QStringLiteral("Sytuacja ma niezapisane zmiany. Zapisz ją albo przywróć, zanim "
                           "zagrasz od niej (lub włącz Auto zapisywanie).");
        const QString failed = QStringLiteral("Nie udało się uruchomić gry (programu Zozozarov).");
        QTest::newRow("saved") << false << false << true << QString();
        QTest::newRow("edited, no auto save") << false << true << true << unsaved;
        QTest::newRow("edited, auto save") << true << true << true << QString();
        QTest::newRow("no player") << false << false << false << failed;
    }
    void playFromHere() {
        QFETCH(bool, autoSave);
        QFETCH(bool, edited);
        QFETCH(bool, playerStarts);
        QFETCH(QString, message);
        const QString path = folder_.filePath(QStringLiteral("a.Kro"));
        QVERIFY(writeScenario(path, leftOnDefaultEnd()));
        Editor e;
        e.playerStarts = playerStarts;
        e.open(path);
        Editor::click(child<QPushButton>(e.w, "BuNastepny"));
        child<QCheckBox>(e.w, "CBAuto")->setChecked(autoSave);
        if (edited)
            child<QLineEdit>(e.w, "EWybor1")->setText(QStringLiteral("Nowy tekst"));
        if (!message.isEmpty())
            e.boxes.expectMessage(message);
        Editor::click(child<QPushButton>(e.w, "BuGraj"));
        QVERIFY(e.boxes.verifyAllShown());
        const bool asked = message.isEmpty() || !playerStarts;
        QCOMPARE(e.playersStarted.size(), asked ? 1 : 0);
        if (asked) {
            QCOMPARE(e.playersStarted[0].path, path);
            QCOMPARE(e.playersStarted[0].from, 2);
        }
        // What was played is what the file holds.
        child<QCheckBox>(e.w, "CBAuto")->setChecked(false);
        Editor::click(child<QPushButton>(e.w, "BuPrzywroc"));
        QCOMPARE(child<QLineEdit>(e.w, "EWybor1")->text(),
                 edited && autoSave ? QStringLiteral("Nowy tekst") : QStringLiteral("Dalej"));
    }

    // A name given on the command line opens as one confirmed in the dialog.
    void openScenarioFromCommandLine() {
        const QString path = folder_.filePath(QStringLiteral("a.Kro"));
        QVERIFY(writeScenario(path, leftOnDefaultEnd()));
        Editor e;
        e.w.openScenario(path);
        QCOMPARE(e.dialog.confirmations(), 1);
        QCOMPARE(e.dialog.calls(), 0);
        QCOMPARE(child<QLabel>(e.w, "FileNameS")->text(), path);
        QCOMPARE(child<QLineEdit>(e.w, "ENazwa")->text(), QStringLiteral("Start"));
        QVERIFY(child<QPushButton>(e.w, "BuSprawdz")->isEnabled());
    }

private:
    TestFolder folder_;
};

KIT_TEST_MAIN(TestEditorTools)
#include "tst_editor_tools.moc"
