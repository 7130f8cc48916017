#include "tests/support/ScriptedFileDialog.h"

#include <QFileInfo>
#include <QTest>

std::optional<QString> ScriptedFileDialog::execute(QWidget*) {
    ++calls_;
    if (answers_.isEmpty()) {
        QTest::qFail(
            qPrintable(
                QStringLiteral("File dialog opened (call %1) with no answer queued").arg(calls_)),
            __FILE__, __LINE__);
        return std::nullopt;
    }
    const std::optional<QString> answer = answers_.takeFirst();
    if (!answer)
        return std::nullopt;
    // Like the real dialog: a full path, remembered for the next opening.
    fileName_ = QFileInfo(*answer).absoluteFilePath();
    return fileName_;
}

std::optional<QString> ScriptedFileDialog::confirm(QWidget*, const QString& path) {
    ++confirmations_;
    fileName_ = QFileInfo(path).absoluteFilePath();
    return fileName_;
}
