// The editor's history with no window: every change that reached the files undone and done
// again byte for byte, an undo refused when another program changed what it would undo, and
// typed text dropped by moving away brought back.

#include "authoring/TextForm.h"
#include "common/ScenarioFiles.h"
#include "tests/support/ExpectError.h"
#include "tests/support/ScenarioBuilder.h"
#include "tests/support/SessionRig.h"
#include "tests/support/TestFiles.h"

#include <QTest>

namespace {

// Start -> Brama -> Studnia, and the default end.
std::vector<Situation> threeSituations() {
    return {
        describedSituation(QStringLiteral("Default Koniec"), Koniec),
        describedSituation(QStringLiteral("Start"), Poczatek, {2}, {QStringLiteral("Dalej")}),
        describedSituation(QStringLiteral("Brama"), Wybory1, {3}, {QStringLiteral("Do studni")}),
        describedSituation(QStringLiteral("Studnia"), Koniec)};
}

// Situation 1 (the start) as the window shows it, its name `nazwa`.
SituationFields start(const QString& nazwa) {
    SituationFields f;
    f.nazwa = nazwa;
    f.typ = QStringLiteral("Poczatek");
    f.opis = QStringLiteral("Opis Start");
    f.wybory[0] = QStringLiteral("Dalej");
    f.cele[0] = QStringLiteral("Brama");
    f.wyboryWlaczone = {true, false, false, false};
    f.celeWlaczone = {true, false, false, false};
    return f;
}

// A complete end situation, as an author types it.
SituationFields anEnd(const QString& nazwa) {
    SituationFields f;
    f.nazwa = nazwa;
    f.typ = QStringLiteral("Koniec");
    f.opis = QStringLiteral("Tu sie konczy");
    return f;
}

struct Pair {
    QByteArray kro;
    QByteArray lis;
    bool operator==(const Pair&) const = default;
};

Pair pairAt(const QString& kro) {
    return {readFile(kro), readFile(listFilePath(kro))};
}

} // namespace

class TestHistory : public QObject {
    Q_OBJECT

    QString kro() const { return folder_.filePath(QStringLiteral("Las.Kro")); }

    // Opens threeSituations(), written anew, at situation 1 as the window shows it.
    void openThree(SessionRig& e) {
        QVERIFY(writeScenario(kro(), threeSituations()));
        e.session.open(kro());
        e.view.typed = start(QStringLiteral("Start"));
        e.session.markSaved();
    }

    // Runs `operation` on a session over threeSituations() at situation 1.
    void run(SessionRig& e, const QString& operation) {
        if (operation == QStringLiteral("save")) {
            e.view.typed = start(QStringLiteral("Nowy start"));
            QVERIFY(e.session.save());
        } else if (operation == QStringLiteral("new")) {
            e.session.state().startNewSituation();
            e.view.typed = anEnd(QStringLiteral("Koniec lasu"));
            QVERIFY(e.session.save());
        } else if (operation == QStringLiteral("insert")) {
            QVERIFY(e.session.insertAfter(1));
            e.view.typed = anEnd(QStringLiteral("Polana"));
            QVERIFY(e.session.save());
        } else if (operation == QStringLiteral("replace")) {
            ReplaceResult result;
            QVERIFY(e.session.replaceAll(QStringLiteral("studni"), QStringLiteral("wieży"), {},
                                         result));
            QCOMPARE(int(result.changed.size()), 2);
        } else {
            e.view.answers = {true};
            QVERIFY(e.session.deleteSituation(2));
        }
    }

private slots:
    void init() { folder_.renew(); }

    // Each change undone gives the files as before it, done again as after it, both byte for
    // byte; the undo names the change.
    void undoAndRedo_data() {
        QTest::addColumn<QString>("operation");
        QTest::addColumn<QString>("undoText");
        QTest::addColumn<int>("shownAfterUndo");
        QTest::newRow("save") << "save"
                              << "zapis sytuacji 1 „Nowy start”" << 1;
        QTest::newRow("new situation") << "new"
                                       << "dodanie sytuacji 4 „Koniec lasu”" << 3;
        QTest::newRow("insert after 1") << "insert"
                                        << "wstawienie sytuacji 2 „Polana”" << 1;
        QTest::newRow("replace all") << "replace"
                                     << "zamiana „studni” na „wieży” (3)" << 1;
        QTest::newRow("delete") << "delete"
                                << "usunięcie sytuacji 2 „Brama”" << 2;
    }
    void undoAndRedo() {
        QFETCH(QString, operation);
        QFETCH(QString, undoText);
        QFETCH(int, shownAfterUndo);
        SessionRig e;
        openThree(e);
        const Pair before = pairAt(kro());
        run(e, operation);
        const Pair after = pairAt(kro());
        QVERIFY(after != before);
        QCOMPARE(e.session.history().undoText(), undoText);

        // What the window shows from the files counts as saved.
        e.session.markSaved();
        QVERIFY(e.session.undo());
        QCOMPARE(pairAt(kro()), before);
        QCOMPARE(e.session.state().numer(), shownAfterUndo);
        QVERIFY(!e.session.state().newSituation());
        e.session.markSaved();
        QVERIFY(e.session.redo());
        QCOMPARE(pairAt(kro()), after);
        QVERIFY(!QFile::exists(kro() + QStringLiteral("-journal")));
        QVERIFY(e.view.said.filter(QStringLiteral("message:")).isEmpty());
    }

    // Another program changed the pair since the change: the undo writes nothing and the
    // history stays where it was.
    void undoRefusedAfterAnotherProgram_data() {
        QTest::addColumn<QString>("operation");
        QTest::addColumn<int>("changedSituation");
        QTest::addColumn<QString>("message");
        QTest::newRow("save, same situation") << "save" << 1 << ScenarioPair::ChangedMessage;
        QTest::newRow("new situation, same situation")
            << "new" << 4 << ScenarioPair::ChangedMessage;
        QTest::newRow("delete, another situation")
            << "delete" << 1 << EditorSession::ChangedSinceMessage;
    }
    void undoRefusedAfterAnotherProgram() {
        QFETCH(QString, operation);
        QFETCH(int, changedSituation);
        QFETCH(QString, message);
        SessionRig e;
        openThree(e);
        run(e, operation);
        e.session.markSaved();
        {
            // The last byte of the situation's description, written in place.
            QFile file(kro());
            QVERIFY(file.open(QIODevice::ReadWrite));
            QVERIFY(file.seek(qint64(changedSituation) * TRekordKroku::Size + 205 + 250));
            QVERIFY(file.write("!", 1) == 1);
        }
        const Pair changed = pairAt(kro());
        const int index = e.session.history().index();
        expectError(AppError::Other, message, [&] { e.session.undo(); });
        QCOMPARE(pairAt(kro()), changed);
        QCOMPARE(e.session.history().index(), index);
    }

    // "Anuluj" on the progress of a rewrite, before it writes: nothing is written, the history
    // stays where it was.
    void cancelledRewriteWritesNothing_data() {
        QTest::addColumn<bool>("undoing");
        QTest::newRow("the delete") << false;
        QTest::newRow("its undo") << true;
    }
    void cancelledRewriteWritesNothing() {
        QFETCH(bool, undoing);
        SessionRig e;
        openThree(e);
        if (undoing)
            run(e, QStringLiteral("delete"));
        const Pair before = pairAt(kro());
        const int index = e.session.history().index();
        e.view.cancelReads = true;
        e.view.answers = {true};
        QVERIFY(!(undoing ? e.session.undo() : e.session.deleteSituation(2)));
        QCOMPARE(pairAt(kro()), before);
        QCOMPARE(e.session.history().index(), index);
        QCOMPARE(e.session.history().count(), index);
    }

    // Text typed and dropped by moving away (or by "P&rzywróc") comes back, unsaved, with an
    // undo; the files never change.
    void droppedTextComesBack_data() {
        QTest::addColumn<bool>("newSituation");
        QTest::newRow("situation 1") << false;
        QTest::newRow("a new situation") << true;
    }
    void droppedTextComesBack() {
        QFETCH(bool, newSituation);
        SessionRig e;
        openThree(e);
        const Pair before = pairAt(kro());
        if (newSituation)
            e.session.state().startNewSituation();
        const SituationFields typed =
            newSituation ? anEnd(QStringLiteral("Nowa")) : start(QStringLiteral("Zmieniony"));
        e.view.typed = typed;
        QVERIFY(e.session.autoSave()); // "Auto zapisywanie" is off: nothing is saved
        e.session.state().goTo(2);
        e.view.typed = {};
        e.session.markSaved();
        QCOMPARE(e.session.history().undoText(),
                 newSituation ? QStringLiteral("porzucenie zmian w nowej sytuacji „Nowa”")
                              : QStringLiteral("porzucenie zmian w sytuacji 1 „Zmieniony”"));

        QVERIFY(!e.session.undo()); // drawn by the view
        QCOMPARE(e.view.dropsShown, 1);
        QCOMPARE(e.view.typed, typed);
        QCOMPARE(e.session.state().newSituation(), newSituation);
        QCOMPARE(e.session.state().numer(), newSituation ? 4 : 1);
        QVERIFY(e.session.hasUnsavedEdits());
        // Unchanged, the text brought back is no new step: "Ponów" drops it again.
        QVERIFY(e.session.redo());
        QCOMPARE(e.session.history().count(), 1);
        QCOMPARE(pairAt(kro()), before);
    }

    // A version is kept before the first change of an editing session, then at most every ten
    // minutes of saves, and before every change of the whole scenario and its undo; a save
    // that changes nothing keeps none. "M:step" runs the step M minutes after the open.
    void versionsKeptWhenDue_data() {
        QTest::addColumn<QString>("steps");
        QTest::addColumn<QStringList>("kept");
        const QString first = QStringLiteral("przed pierwszą zmianą w edytorze");
        const QString during = QStringLiteral("w trakcie pracy w edytorze");
        QTest::newRow("saves: the first, then ten minutes on")
            << "0:save 5:save 9:save 10:save 15:save 21:save" << QStringList{first, during, during};
        QTest::newRow("a save that changes nothing") << "0:same 1:save" << QStringList{first};
        QTest::newRow("structural changes always")
            << "0:save 1:replace 2:delete"
            << QStringList{first, QStringLiteral("przed zamianą „studni” na „wieży”"),
                           QStringLiteral("przed usunięciem sytuacji 2")};
        QTest::newRow("undo of a save waits, of a delete does not")
            << "0:save 1:undo 2:delete 3:undo 4:redo"
            << QStringList{first, QStringLiteral("przed usunięciem sytuacji 2"),
                           QStringLiteral("przed cofnięciem: usunięcie sytuacji 2 „Brama”"),
                           QStringLiteral("przed ponowieniem: usunięcie sytuacji 2 „Brama”")};
        QTest::newRow("another open starts a new session")
            << "0:save 1:open 2:save" << QStringList{first, first};
    }
    void versionsKeptWhenDue() {
        QFETCH(QString, steps);
        QFETCH(QStringList, kept);
        SessionRig e;
        openThree(e);
        const QDateTime opened = e.now;
        int saves = 0;
        for (const QString& step : steps.split(u' ')) {
            e.now = opened.addSecs(60 * step.section(u':', 0, 0).toInt());
            const QString what = step.section(u':', 1);
            e.session.markSaved();
            if (what == QStringLiteral("save")) {
                e.view.typed = start(QStringLiteral("Start %1").arg(++saves));
                QVERIFY(e.session.save());
            } else if (what == QStringLiteral("same")) {
                QVERIFY(e.session.save());
            } else if (what == QStringLiteral("undo")) {
                QVERIFY(e.session.undo());
            } else if (what == QStringLiteral("redo")) {
                QVERIFY(e.session.redo());
            } else if (what == QStringLiteral("open")) {
                e.session.open(kro());
            } else {
                run(e, what);
            }
        }
        QCOMPARE(e.kept, kept);
    }

    // Versions that cannot be kept are told once, and every save still reaches the files.
    void versionFailureToldOnceSavesGoOn() {
        SessionRig e;
        openThree(e);
        e.keepFails = true;
        for (int minute : {0, 11, 22}) {
            e.now = e.now.addSecs(60 * minute);
            e.view.typed = start(QStringLiteral("Start %1").arg(minute));
            QVERIFY(e.session.save());
            QCOMPARE(e.shownName(), QStringLiteral("Start %1").arg(minute));
        }
        run(e, QStringLiteral("delete"));
        const QStringList told = e.view.said.filter(QStringLiteral("Brak miejsca na dysku"));
        QCOMPARE(told.size(), 1);
        QVERIFY(told[0].contains(QStringLiteral("Scenariusz jest zapisywany dalej")));
        QCOMPARE(e.session.state().count(), 3);
    }

    // A version brought back gives its files byte for byte, after the present is kept, as one
    // step that undoes to the present; the present itself is refused.
    void restoreIsOneStep() {
        SessionRig e;
        openThree(e);
        const Pair version = pairAt(kro());
        run(e, QStringLiteral("save"));
        run(e, QStringLiteral("delete"));
        const Pair present = pairAt(kro());
        ScenarioSnapshot records = snapshotFromBytes(version.kro, version.lis);
        const std::size_t steps = std::size_t(e.session.history().count());
        e.kept.clear();
        QVERIFY(
            e.session.restoreVersion(QStringLiteral("wczorajsza"), records.rekordy, records.listy));
        QCOMPARE(pairAt(kro()), version);
        QCOMPARE(e.kept, QStringList{QStringLiteral("przed przywróceniem wersji wczorajsza")});
        QCOMPARE(std::size_t(e.session.history().count()), steps + 1);
        QCOMPARE(e.session.history().undoText(), QStringLiteral("przywrócenie wersji wczorajsza"));
        e.session.markSaved();
        QVERIFY(e.session.undo());
        QCOMPARE(pairAt(kro()), present);
        e.session.markSaved();
        QVERIFY(e.session.redo());
        QCOMPARE(pairAt(kro()), version);

        QVERIFY(!e.session.restoreVersion(QStringLiteral("wczorajsza"), records.rekordy,
                                          records.listy));
        QCOMPARE(pairAt(kro()), version);
        QVERIFY(e.view.said.last().contains(QStringLiteral("taka sama")));
    }

private:
    TestFolder folder_;
};

QTEST_GUILESS_MAIN(TestHistory)
#include "tst_history.moc"
