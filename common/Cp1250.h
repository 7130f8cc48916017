#pragma once
// The Windows-1250 code page of the scenario files' texts.

#include <QByteArray>
#include <QString>
#include <QStringView>
#include <optional>

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

// Whether the code page holds the character `c` (a code point). A surrogate on its own is
// never held; the five undefined bytes' C1 controls are.
bool holds(char32_t c);
// The first character of `text` the code page cannot hold, or nothing when it holds them all.
std::optional<char32_t> firstRefused(QStringView text);
// `text` without the characters the code page cannot hold.
QString held(QStringView text);
// Tells the author that `c` cannot be stored, naming it and its code.
QString refusedMessage(char32_t c);

} // namespace Cp1250
