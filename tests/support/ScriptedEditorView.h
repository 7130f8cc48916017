#pragma once
// The editor session's view without a window: what the author is told and asked is recorded
// in order, the answers and the fields are the test's, and what the window would draw is
// kept for the test to look at.

#include "editor/model/EditorView.h"
#include "platform/core/AppError.h"

#include <QList>
#include <QStringList>
#include <QTest>

class ScriptedEditorView : public EditorView {
public:
    // "message: ..." and "question: ..." in the order the session said them.
    QStringList said;
    // The answers to the questions, in order; a question past them fails the test.
    QList<bool> answers;
    // Whether the author presses "Anuluj" on a read that may be cancelled.
    bool cancelReads = false;
    SituationFields typed;
    bool autoSave = false;
    // What the window would show: the scenario open, opens that failed, saves.
    QString shownPath;
    bool shownSituation = false;
    int failedOpens = 0;
    int saves = 0;
    bool switchFails = false;

    void message(const QString& text) override { said.append(QStringLiteral("message: ") + text); }
    bool question(const QString& text) override {
        said.append(QStringLiteral("question: ") + text);
        if (answers.isEmpty()) {
            QTest::qFail("a question the test did not answer", __FILE__, __LINE__);
            return false;
        }
        return answers.takeFirst();
    }
    std::unique_ptr<ReadProgress> readProgress(bool cancellable) override {
        struct Cancelling : ReadProgress {
            bool cancel;
            explicit Cancelling(bool c) : cancel(c) {}
            bool step(std::int64_t, std::int64_t) override { return !cancel; }
        };
        return std::make_unique<Cancelling>(cancellable && cancelReads);
    }
    std::unique_ptr<ReadProgress> rewriteProgress() override { return readProgress(true); }
    SituationFields fields() const override { return typed; }
    bool autoSaving() const override { return autoSave; }
    void beforeSwitch(bool) override {
        if (switchFails)
            throw AppError(AppError::Other, QStringLiteral("no sound device"));
    }
    void showOpened(const QString& path, bool, bool shown) override {
        shownPath = path;
        shownSituation = shown;
    }
    void showOpenFailed(const QString& path, bool) override {
        shownPath = path;
        shownSituation = false;
        ++failedOpens;
    }
    void showList(const ScenarioList&) override {}
    void showSaved(const QString&, std::int32_t) override { ++saves; }
    // A typed text an undo brought back goes into the fields.
    int dropsShown = 0;
    void showDropped(const SituationFields& fields, const QString&, const QString&) override {
        typed = fields;
        ++dropsShown;
    }
};
