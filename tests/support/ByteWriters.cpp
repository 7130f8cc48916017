#include "tests/support/ByteWriters.h"

#include <QtEndian>

QByteArray le16(quint16 value) {
    QByteArray bytes(2, '\0');
    qToLittleEndian(value, bytes.data());
    return bytes;
}

QByteArray le32(quint32 value) {
    QByteArray bytes(4, '\0');
    qToLittleEndian(value, bytes.data());
    return bytes;
}

void put16(QByteArray& bytes, int at, quint16 value) {
    bytes.replace(at, 2, le16(value));
}

void put32(QByteArray& bytes, int at, quint32 value) {
    bytes.replace(at, 4, le32(value));
}

void putShortString(QByteArray& bytes, int at, const QByteArray& text) {
    bytes[at] = static_cast<char>(text.size());
    bytes.replace(at + 1, text.size(), text);
}
