#pragma once
// The Windows-1250 code page of the scenario files' texts.

#include <QByteArray>
#include <QString>

// The Windows-1250 code page of the scenario files. Every byte value
// survives decode then encode: the five bytes the code page leaves
// undefined decode to the C1 control character of the same value.
namespace Cp1250 {

QString decode(const char* bytes, int length);
inline QString decode(const QByteArray& bytes) {
    return decode(bytes.constData(), static_cast<int>(bytes.size()));
}

// One byte per character; a character the code page cannot hold becomes "?".
QByteArray encode(const QString& text);

} // namespace Cp1250
