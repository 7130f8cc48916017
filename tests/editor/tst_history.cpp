// The editor's history with no window: every change that reached the files undone and done
// again byte for byte, an undo refused when another program changed what it would undo, and
// typed text dropped by moving away brought back.

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

private:
    TestFolder folder_;
};

QTEST_GUILESS_MAIN(TestHistory)
#include "tst_history.moc"
