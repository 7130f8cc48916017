#pragma once
// Field bytes as the values of the text form's lines and back: Windows-1250 characters, with
// escapes for what a line cannot show. Only the text form's own files include this header.

#include <QByteArray>
#include <QString>
#include <optional>

namespace TextFormParts {

// Why a value gives no bytes.
struct Fault {
    int column = 0; // in the value, from 0
    QString message;
};

// Bytes as lower-case hexadecimal digits, two a byte.
QString hex(const QByteArray& bytes);

// Bytes as a value: Windows-1250 characters, with a backslash, a control character and a space
// at the end (which editors drop) written as escapes.
QString escaped(const QByteArray& bytes);

// A value's bytes: its characters in Windows-1250 with the escapes undone; nothing, and the
// fault, for an escape it does not know or a character the code page does not hold.
std::optional<QByteArray> unescaped(const QString& value, Fault& fault);

// The bytes that hexadecimal digits, two a byte, spell; nothing, and the fault, for anything
// else.
std::optional<QByteArray> hexBytes(const QString& value, Fault& fault);

} // namespace TextFormParts
