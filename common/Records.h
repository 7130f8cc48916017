#pragma once
// The two record layouts of the scenario files and the situation types.

#include "common/ShortString.h"

#include <QString>
#include <array>
#include <cstddef>
#include <cstdint>

// A 32-bit signed integer stored little-endian whatever the machine's byte order.
struct LeInt32 {
    std::array<std::uint8_t, 4> bytes{};

    std::int32_t get() const {
        const std::uint32_t u = std::uint32_t(bytes[0]) | std::uint32_t(bytes[1]) << 8 |
                                std::uint32_t(bytes[2]) << 16 | std::uint32_t(bytes[3]) << 24;
        return static_cast<std::int32_t>(u);
    }
    void set(std::int32_t value) {
        const auto u = static_cast<std::uint32_t>(value);
        for (int i = 0; i < 4; ++i)
            bytes[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(u >> (8 * i));
    }
};

// Situation type, the last byte of a list record.
enum TTypKroku : std::uint8_t {
    Poczatek = 0,
    Normalny = 1,
    Koniec = 2,
    Wybory1 = 3,
    Wybory2 = 4,
    Wybory3 = 5,
};

// How many choices (always the first ones) a type offers; 0 for a value above 5.
constexpr int choicesOffered(std::uint8_t typ) {
    constexpr int offered[] = {1, 4, 0, 1, 2, 3};
    return typ <= Wybory3 ? offered[typ] : 0;
}

// Which of the four choices a type offers: the first choicesOffered(typ) of them.
constexpr std::array<bool, 4> offeredChoices(std::uint8_t typ) {
    std::array<bool, 4> offered{};
    for (int i = 0; i < choicesOffered(typ); ++i)
        offered[static_cast<std::size_t>(i)] = true;
    return offered;
}

// The name by which the editor shows and reads each type, by type code.
inline const std::array<QString, 6> TypeNames = {
    QStringLiteral("Poczatek"), QStringLiteral("Normalny"), QStringLiteral("Koniec"),
    QStringLiteral("Wybory1"),  QStringLiteral("Wybory2"),  QStringLiteral("Wybory3"),
};

// The letter of each type in the editor's list of situations, by type code.
inline const std::array<QString, 6> TypeLetters = {
    QStringLiteral("P"), QStringLiteral("N"), QStringLiteral("K"),
    QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("3"),
};

// One record of the situation file (*.Kro), 516 bytes.
struct TRekordKroku {
    static constexpr int Size = 516;

    ShortString<20> Nazwa;
    ShortString<45> Wybor1;
    ShortString<45> Wybor2;
    ShortString<45> Wybor3;
    ShortString<45> Wybor4;
    ShortString<250> Opis;
    ShortString<20> Bmp;
    ShortString<20> Wav;
    std::array<std::uint8_t, 2> Gap{}; // alignment gap; no meaning
    LeInt32 Krok_Wybrany1;
    LeInt32 Krok_Wybrany2;
    LeInt32 Krok_Wybrany3;
    LeInt32 Krok_Wybrany4;
};

static_assert(sizeof(TRekordKroku) == TRekordKroku::Size);
static_assert(offsetof(TRekordKroku, Nazwa) == 0);
static_assert(offsetof(TRekordKroku, Wybor1) == 21);
static_assert(offsetof(TRekordKroku, Wybor2) == 67);
static_assert(offsetof(TRekordKroku, Wybor3) == 113);
static_assert(offsetof(TRekordKroku, Wybor4) == 159);
static_assert(offsetof(TRekordKroku, Opis) == 205);
static_assert(offsetof(TRekordKroku, Bmp) == 456);
static_assert(offsetof(TRekordKroku, Wav) == 477);
static_assert(offsetof(TRekordKroku, Gap) == 498);
static_assert(offsetof(TRekordKroku, Krok_Wybrany1) == 500);
static_assert(offsetof(TRekordKroku, Krok_Wybrany2) == 504);
static_assert(offsetof(TRekordKroku, Krok_Wybrany3) == 508);
static_assert(offsetof(TRekordKroku, Krok_Wybrany4) == 512);

// One record of the list file (*.lis), 22 bytes.
struct TRekordListy {
    static constexpr int Size = 22;

    ShortString<20> Nazwa;
    std::uint8_t Typ = 0;
};

static_assert(sizeof(TRekordListy) == TRekordListy::Size);
static_assert(offsetof(TRekordListy, Nazwa) == 0);
static_assert(offsetof(TRekordListy, Typ) == 21);
