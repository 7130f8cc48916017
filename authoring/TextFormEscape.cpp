#include "authoring/TextFormEscape.h"

#include "common/Cp1250.h"

#include <cstdint>

namespace TextFormParts {

namespace {

// The value of a hexadecimal digit, or -1 for any other character.
int hexDigit(QChar c) {
    const char16_t u = c.unicode();
    if (u >= u'0' && u <= u'9')
        return u - u'0';
    if (u >= u'a' && u <= u'f')
        return u - u'a' + 10;
    if (u >= u'A' && u <= u'F')
        return u - u'A' + 10;
    return -1;
}

// Undoes the escape at index i of the value ("\\" or "\xNN"), adding its byte to `out`;
// returns the index of its last character, or -1 with the fault.
qsizetype unescapeAt(const QString& value, qsizetype i, QByteArray& out, Fault& fault) {
    if (value.mid(i + 1, 1) == QStringLiteral("\\")) {
        out += '\\';
        return i + 1;
    }
    const int high = i + 3 < value.size() ? hexDigit(value.at(i + 2)) : -1;
    const int low = high >= 0 ? hexDigit(value.at(i + 3)) : -1;
    if (value.mid(i + 1, 1) != QStringLiteral("x") || low < 0) {
        fault = {int(i), QStringLiteral("nieznana sekwencja „%1”; oczekiwano „\\\\” albo "
                                        "„\\xNN” (dwie cyfry szesnastkowe)")
                             .arg(value.mid(i, 4))};
        return -1;
    }
    out += char(high * 16 + low);
    return i + 3;
}

// The fault of the character at index i, which Windows-1250 does not hold.
Fault notInCodePage(const QString& value, qsizetype i) {
    const QChar c = value.at(i);
    const uint code = c.isHighSurrogate() && i + 1 < value.size()
                          ? QChar::surrogateToUcs4(c, value.at(i + 1))
                          : c.unicode();
    return {int(i), QStringLiteral("znaku U+%1 nie ma w Windows-1250; oczekiwano znaku, który "
                                   "plik scenariusza może zapisać (albo „\\xNN”)")
                        .arg(QString::number(code, 16).rightJustified(4, u'0').toUpper())};
}

} // namespace

QString hex(const QByteArray& bytes) {
    return QString::fromLatin1(bytes.toHex());
}

QString escaped(const QByteArray& bytes) {
    const QString chars = Cp1250::decode(bytes);
    QString out;
    out.reserve(chars.size());
    for (qsizetype i = 0; i < chars.size(); ++i) {
        const char16_t c = chars.at(i).unicode();
        if (c == u'\\')
            out += QStringLiteral("\\\\");
        else if (c < 0x20 || (c >= 0x7F && c <= 0x9F) || (c == u' ' && i == chars.size() - 1))
            out += QStringLiteral("\\x") +
                   QString::number(std::uint8_t(bytes.at(i)), 16).rightJustified(2, u'0').toUpper();
        else
            out += QChar(c);
    }
    return out;
}

std::optional<QByteArray> unescaped(const QString& value, Fault& fault) {
    QByteArray out;
    out.reserve(value.size());
    for (qsizetype i = 0; i < value.size(); ++i) {
        const QChar c = value.at(i);
        if (c.unicode() < 0x80 && c != u'\\') {
            out += char(c.unicode()); // the code page's lower half is ASCII
            continue;
        }
        if (c == u'\\') {
            i = unescapeAt(value, i, out, fault);
            if (i < 0)
                return std::nullopt;
            continue;
        }
        if (c.isHighSurrogate() || c.isLowSurrogate() || (c != u'?' && Cp1250::encode(c) == "?")) {
            fault = notInCodePage(value, i);
            return std::nullopt;
        }
        out += Cp1250::encode(c);
    }
    return out;
}

std::optional<QByteArray> hexBytes(const QString& value, Fault& fault) {
    for (qsizetype i = 0; i < value.size(); ++i) {
        if (hexDigit(value.at(i)) < 0) {
            fault = {int(i), QStringLiteral("oczekiwano cyfry szesnastkowej (0-9, a-f)")};
            return std::nullopt;
        }
    }
    if (value.size() % 2 != 0) {
        fault = {int(value.size()),
                 QStringLiteral("oczekiwano parzystej liczby cyfr szesnastkowych (dwie na bajt)")};
        return std::nullopt;
    }
    return QByteArray::fromHex(value.toLatin1());
}

} // namespace TextFormParts
