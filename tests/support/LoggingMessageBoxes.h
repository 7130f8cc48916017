#pragma once
// Message boxes logged as they come, for tests that look at them afterwards.

#include "platform/ui/MessageBoxes.h"

#include <QStringList>

class LoggingMessageBoxes : public MessageBoxes {
public:
    void message(const QString& text) override { shown.append(QStringLiteral("message: ") + text); }
    void error(const AppError& error) override {
        shown.append(QStringLiteral("error: ") + error.message());
    }
    // Every question is answered "Tak".
    bool question(const QString& text) override {
        shown.append(QStringLiteral("question: ") + text);
        return true;
    }
    QStringList shown;
};
