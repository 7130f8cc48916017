#pragma once
// Byte writers for tests that build files by hand: little-endian integers and counted strings.

#include <QByteArray>
#include <QtGlobal>

// The bytes of `value`, lowest first.
QByteArray le16(quint16 value);
QByteArray le32(quint32 value);

// Overwrites the bytes at `at` with `value`, lowest first; `bytes` must be long enough.
void put16(QByteArray& bytes, int at, quint16 value);
void put32(QByteArray& bytes, int at, quint32 value);

// Overwrites the bytes at `at` with a counted string: a length byte, then the text.
void putShortString(QByteArray& bytes, int at, const QByteArray& text);
