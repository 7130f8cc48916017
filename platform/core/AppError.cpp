#include "platform/core/AppError.h"

AppError::AppError(int code) : AppError(code, messageForCode(code)) {}

AppError::AppError(int code, const QString& message)
    : std::runtime_error(message.toStdString()), code_(code), message_(message) {}

QString AppError::messageForCode(int code) {
    switch (code) {
    case FileNotFound:
        return QStringLiteral("File not found");
    case InvalidFileName:
        return QStringLiteral("Invalid filename");
    case TooManyOpenFiles:
        return QStringLiteral("Too many open files");
    case AccessDenied:
        return QStringLiteral("File access denied");
    case ReadBeyondEnd:
        return QStringLiteral("Read beyond end of file");
    case DiskFull:
        return QStringLiteral("Disk full");
    case InvalidNumericInput:
        return QStringLiteral("Invalid numeric input");
    default:
        return QStringLiteral("I/O error %1").arg(code);
    }
}

QString standardErrorText(const QString& message) {
    if (!message.isEmpty() && message.back() > QChar(u'.'))
        return message + u'.';
    return message;
}
