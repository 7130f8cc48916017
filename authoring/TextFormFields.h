#pragma once
// The situation record as the text form sees it: its text fields by the names of their lines,
// its targets, and the few words both the writer and the reader of the text use. Only the
// text form's own files include this header.

#include "common/Records.h"

#include <QByteArray>
#include <QString>
#include <algorithm>
#include <array>
#include <cstdint>
#include <limits>

namespace TextFormParts {

// The text fields of a situation record, in the order of their lines in a block.
enum Field { Nazwa, Wybor1, Wybor2, Wybor3, Wybor4, Opis, Obrazek, Dzwiek, FieldCount };

// Each field's name in its lines ("surowe obrazek: ..."), by Field.
inline const std::array<QString, FieldCount> FieldNames = {
    QStringLiteral("nazwa"),   QStringLiteral("wybór 1"), QStringLiteral("wybór 2"),
    QStringLiteral("wybór 3"), QStringLiteral("wybór 4"), QStringLiteral("opis"),
    QStringLiteral("obrazek"), QStringLiteral("dźwięk"),
};

// The Field a name names, or -1.
int fieldNamed(const QString& name);
// The choice field (Wybor1 to Wybor4) a name names, or -1.
int choiceField(const QString& name);

inline const QString Indent = QStringLiteral("  ");
inline const QString Arrow = QStringLiteral(" -> ");
inline const QByteArray LineBreak = QByteArrayLiteral("\r\n");
// The most a byte of a record holds: a length byte, a type byte.
inline constexpr int MaxByte = std::numeric_limits<std::uint8_t>::max();

// A field's length byte, its characters and its capacity, whichever field it is.
struct FieldView {
    std::uint8_t* len;
    char* chars;
    int capacity;

    int length() const { return std::min<int>(*len, capacity); }
    QByteArray text() const { return QByteArray(chars, length()); }
};

FieldView field(TRekordKroku& r, int f);
// The capacity of field f of every situation record.
int capacityOf(int f);

// The target of choice 0 to 3.
LeInt32& target(TRekordKroku& r, int choice);

// Where a choice leads when no line says: an offered one to the default end, as the editor
// leaves a choice not yet pointed anywhere; one the type does not offer nowhere (-1), as the
// editor writes it, except in the default end itself, which the kit creates with zeros.
std::int32_t defaultTarget(std::int32_t situation, std::uint8_t typ, int choice);

// The list record's name as it follows from the situation record's: the same characters up
// to the length in force.
decltype(TRekordListy::Nazwa) listName(const TRekordKroku& r);

// Why a text of more situations than a scenario may have is refused.
QString tooManySituations();

} // namespace TextFormParts
