#pragma once
// The one error type of both programs and the text of the standard error box.

#include <QString>
#include <stdexcept>

// The one error type of both programs. It is thrown where a file, bitmap or
// sound call fails, abandons the rest of the user's action, and is shown by
// the standard error box where the event handler ends.
class AppError : public std::runtime_error {
public:
    // Error codes in the numbering the scenario files have always used.
    enum Code : int {
        // Errors that are not file errors (bitmap, sound device, list index).
        Other = -1,
        None = 0,
        FileNotFound = 2,
        InvalidFileName = 3,
        TooManyOpenFiles = 4,
        AccessDenied = 5,
        ReadBeyondEnd = 100,
        DiskFull = 101,
        FileNotOpen = 103,
        FileNotOpenForOutput = 105,
        InvalidNumericInput = 106,
        NegativeSeek = 131,
    };

    // A file error: the message is the one that belongs to the code.
    explicit AppError(int code);
    // Any other error (bitmap, sound device, list index): a message of its own.
    AppError(int code, const QString& message);

    int code() const { return code_; }
    const QString& message() const { return message_; }

    // The message that belongs to a file error code ("File not found", "I/O error 131", ...).
    static QString messageForCode(int code);

private:
    int code_;
    QString message_;
};

// The text of the standard error box: the message, with a full stop appended
// when its last character sorts after the full stop (letters and digits do;
// "!", ")" and "." do not).
QString standardErrorText(const QString& message);
