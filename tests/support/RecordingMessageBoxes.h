#pragma once
// Message boxes that a test declares in advance.

#include "platform/ui/MessageBoxes.h"

#include <QList>
#include <QString>

// Message boxes that a test declares in advance. Every box is recorded; a box
// that is not the next one expected fails the running test at once.
class RecordingMessageBoxes : public MessageBoxes {
public:
    enum class Kind { Message, Error, Question };
    struct Box {
        Kind kind;
        QString text; // for an error, the AppError's message
        int code = AppError::None;
        bool answer = false; // for a question, what the test answers
        bool operator==(const Box& other) const { return kind == other.kind && text == other.text; }
    };

    void expectMessage(const QString& text) { expected_.append({Kind::Message, text}); }
    void expectError(const QString& message) { expected_.append({Kind::Error, message}); }
    // The question, answered "Tak" (true) or "Nie".
    void expectQuestion(const QString& text, bool answer) {
        expected_.append({Kind::Question, text, AppError::None, answer});
    }

    void message(const QString& text) override;
    void error(const AppError& error) override;
    bool question(const QString& text) override;

    // Fails the running test when an expected box has not come; true when all came.
    bool verifyAllShown(const char* file = __builtin_FILE(), int line = __builtin_LINE());

    const QList<Box>& boxes() const { return boxes_; }
    // Boxes that came but did not match what was expected next.
    int mismatches() const { return mismatches_; }

private:
    void arrive(const Box& box);

    QList<Box> expected_;
    QList<Box> boxes_;
    int matched_ = 0;
    int mismatches_ = 0;
};
