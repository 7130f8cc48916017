#include "common/ObEdKrok.h"

void TKrok::ZRekordu(const TRekordKroku& rekord) {
    Nazwa.assign(rekord.Nazwa);
    Wybor1.assign(rekord.Wybor1);
    Wybor2.assign(rekord.Wybor2);
    Wybor3.assign(rekord.Wybor3);
    Wybor4.assign(rekord.Wybor4);
    Opis.assign(rekord.Opis);
    Bmp.assign(rekord.Bmp);
    Wav.assign(rekord.Wav);
    Krok_Wybrany1 = rekord.Krok_Wybrany1.get();
    Krok_Wybrany2 = rekord.Krok_Wybrany2.get();
    Krok_Wybrany3 = rekord.Krok_Wybrany3.get();
    Krok_Wybrany4 = rekord.Krok_Wybrany4.get();
}

void TKrok::DoRekordu(TRekordKroku& rekord) const {
    rekord.Nazwa.assign(Nazwa);
    rekord.Wybor1.assign(Wybor1);
    rekord.Wybor2.assign(Wybor2);
    rekord.Wybor3.assign(Wybor3);
    rekord.Wybor4.assign(Wybor4);
    rekord.Opis.assign(Opis);
    rekord.Bmp.assign(Bmp);
    rekord.Wav.assign(Wav);
    rekord.Krok_Wybrany1.set(Krok_Wybrany1);
    rekord.Krok_Wybrany2.set(Krok_Wybrany2);
    rekord.Krok_Wybrany3.set(Krok_Wybrany3);
    rekord.Krok_Wybrany4.set(Krok_Wybrany4);
}

void TKrok::Ustaw(const QString& nazwa, const QString& wybor1, const QString& wybor2,
                  const QString& wybor3, const QString& wybor4, const QString& opis,
                  const QString& bmp, std::int32_t krok1, std::int32_t krok2, std::int32_t krok3,
                  std::int32_t krok4) {
    Nazwa.assign(nazwa);
    Wybor1.assign(wybor1);
    Wybor2.assign(wybor2);
    Wybor3.assign(wybor3);
    Wybor4.assign(wybor4);
    Opis.assign(opis);
    Bmp.assign(bmp);
    Wav.len = 0;
    Krok_Wybrany1 = krok1;
    Krok_Wybrany2 = krok2;
    Krok_Wybrany3 = krok3;
    Krok_Wybrany4 = krok4;
}

std::int32_t TKrok::cel(int wybor) const {
    switch (wybor) {
    case 1:
        return Krok_Wybrany1;
    case 2:
        return Krok_Wybrany2;
    case 3:
        return Krok_Wybrany3;
    default:
        return Krok_Wybrany4;
    }
}

std::int32_t TKrok::cel(const TRekordKroku& rekord, int wybor) {
    switch (wybor) {
    case 1:
        return rekord.Krok_Wybrany1.get();
    case 2:
        return rekord.Krok_Wybrany2.get();
    case 3:
        return rekord.Krok_Wybrany3.get();
    default:
        return rekord.Krok_Wybrany4.get();
    }
}
