#pragma once
// The situation object TKrok: the current situation in memory.

#include "common/Records.h"

#include <QString>
#include <cstdint>

// The current situation in memory. Its fields mirror the situation record
// one to one; a new object has empty texts and all targets 0. Each program
// shows it in its own window (the game window's and the editor's Pokaz).
class TKrok {
public:
    ShortString<20> Nazwa;
    ShortString<45> Wybor1;
    ShortString<45> Wybor2;
    ShortString<45> Wybor3;
    ShortString<45> Wybor4;
    ShortString<250> Opis;
    ShortString<20> Bmp;
    ShortString<20> Wav;
    std::int32_t Krok_Wybrany1 = 0;
    std::int32_t Krok_Wybrany2 = 0;
    std::int32_t Krok_Wybrany3 = 0;
    std::int32_t Krok_Wybrany4 = 0;

    // Loads every field from the record; the record's gap is ignored. Never fails.
    void ZRekordu(const TRekordKroku& rekord);
    // Stores every field into the record; bytes past each text and the gap
    // keep what they held. Never fails.
    void DoRekordu(TRekordKroku& rekord) const;
    // Sets the seven texts (cut to their capacities) and the four targets,
    // and empties Wav.
    void Ustaw(const QString& nazwa, const QString& wybor1, const QString& wybor2,
               const QString& wybor3, const QString& wybor4, const QString& opis,
               const QString& bmp, std::int32_t krok1, std::int32_t krok2, std::int32_t krok3,
               std::int32_t krok4);

    // Target of choice 1 to 4.
    std::int32_t cel(int wybor) const;
    // Target of choice 1 to 4 as a situation record holds it, without loading the record.
    static std::int32_t cel(const TRekordKroku& rekord, int wybor);
};
