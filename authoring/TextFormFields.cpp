#include "authoring/TextFormFields.h"

#include "common/ScenarioFiles.h"

namespace TextFormParts {

namespace {

template <int N> FieldView view(ShortString<N>& s) {
    return {&s.len, s.chars.data(), N};
}

} // namespace

int fieldNamed(const QString& name) {
    for (int f = 0; f < FieldCount; ++f) {
        if (name == FieldNames[std::size_t(f)])
            return f;
    }
    return -1;
}

int choiceField(const QString& name) {
    for (int f = Wybor1; f <= Wybor4; ++f) {
        if (name == FieldNames[std::size_t(f)])
            return f;
    }
    return -1;
}

FieldView field(TRekordKroku& r, int f) {
    switch (f) {
    case Nazwa:
        return view(r.Nazwa);
    case Wybor1:
        return view(r.Wybor1);
    case Wybor2:
        return view(r.Wybor2);
    case Wybor3:
        return view(r.Wybor3);
    case Wybor4:
        return view(r.Wybor4);
    case Opis:
        return view(r.Opis);
    case Obrazek:
        return view(r.Bmp);
    default:
        return view(r.Wav);
    }
}

int capacityOf(int f) {
    TRekordKroku probe{};
    return field(probe, f).capacity;
}

LeInt32& target(TRekordKroku& r, int choice) {
    std::array<LeInt32*, 4> all = {&r.Krok_Wybrany1, &r.Krok_Wybrany2, &r.Krok_Wybrany3,
                                   &r.Krok_Wybrany4};
    return *all[static_cast<std::size_t>(choice)];
}

std::int32_t defaultTarget(std::int32_t situation, std::uint8_t typ, int choice) {
    return offeredChoices(typ)[std::size_t(choice)] || situation == 0 ? 0 : -1;
}

decltype(TRekordListy::Nazwa) listName(const TRekordKroku& r) {
    decltype(TRekordListy::Nazwa) name{};
    name.chars = r.Nazwa.chars;
    name.len = std::uint8_t(r.Nazwa.length());
    return name;
}

QString tooManySituations() {
    return QStringLiteral("scenariusz może mieć najwyżej %1 sytuacji (numery od 0 do %2)")
        .arg(MaxSituations)
        .arg(MaxSituations - 1);
}

} // namespace TextFormParts
