#include "tests/support/ScenarioBuilder.h"

#include "common/ObEdKrok.h"
#include "common/ScenarioFiles.h"

bool writeScenario(const QString& path, const std::vector<Situation>& situations) {
    QByteArray kro;
    QByteArray lis;
    for (const Situation& s : situations) {
        TKrok krok;
        krok.Ustaw(s.nazwa, s.wybory[0], s.wybory[1], s.wybory[2], s.wybory[3], s.opis, s.bmp,
                   s.cele[0], s.cele[1], s.cele[2], s.cele[3]);
        krok.Wav.assign(s.wav);
        TRekordKroku rekord;
        krok.DoRekordu(rekord);
        kro.append(reinterpret_cast<const char*>(&rekord), sizeof rekord);
        TRekordListy lista;
        lista.Nazwa.assign(s.nazwa);
        lista.Typ = s.typ;
        lis.append(reinterpret_cast<const char*>(&lista), sizeof lista);
    }
    const QString lisPath = listFilePath(path);
    return writeFile(path, kro) && writeFile(lisPath, lis);
}

Situation describedSituation(const QString& nazwa, std::uint8_t typ,
                             std::array<std::int32_t, 4> cele, std::array<QString, 4> wybory) {
    Situation s;
    s.nazwa = nazwa;
    s.typ = typ;
    s.opis = QStringLiteral("Opis ") + nazwa;
    s.wybory = std::move(wybory);
    s.cele = cele;
    return s;
}

SaveJournal journalOf(std::int32_t k, std::int64_t situations) {
    SaveJournal j;
    j.k = k;
    j.situationBytes = situations * TRekordKroku::Size;
    j.listBytes = situations * TRekordListy::Size;
    j.situationHeld = k < situations ? TRekordKroku::Size : 0;
    j.listHeld = k < situations ? TRekordListy::Size : 0;
    return j;
}
