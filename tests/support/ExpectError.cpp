#include "tests/support/ExpectError.h"

#include "platform/core/AppError.h"

#include <QTest>

void expectError(int code, const QString& message, const std::function<void()>& step,
                 const char* file, int line) {
    QString outcome = QStringLiteral("nothing was thrown");
    try {
        step();
    } catch (const AppError& e) {
        if (e.code() == code && e.message() == message)
            return;
        outcome = QStringLiteral("AppError(%1, \"%2\")").arg(e.code()).arg(e.message());
    }
    // A step that failed the test itself has said why already.
    if (QTest::currentTestFailed())
        return;
    const QString expected = QStringLiteral("AppError(%1, \"%2\")").arg(code).arg(message);
    QTest::qFail(qPrintable(QStringLiteral("expected %1, got %2").arg(expected, outcome)), file,
                 line);
}
