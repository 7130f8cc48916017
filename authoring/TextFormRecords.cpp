// The records a text describes, and the files' bytes as records and back.

#include "authoring/TextFormReader.h"

#include "common/Cp1250.h"
#include "platform/core/AppError.h"

#include <cstring>

namespace TextFormParts {

// The drafts as the two files' bytes; a target named by a name no situation or more than one
// has is a fault.
PairBytes Reader::build() {
    QHash<QByteArray, QList<int>> byName;
    for (int k = 0; k < int(drafts_.size()); ++k)
        byName[drafts_[std::size_t(k)].fields[Nazwa].text].append(k);

    PairBytes pair;
    pair.situations.reserve(qsizetype(drafts_.size()) * TRekordKroku::Size);
    pair.list.reserve(qsizetype(drafts_.size()) * TRekordListy::Size);
    for (std::int32_t k = 0; k < std::int32_t(drafts_.size()); ++k) {
        const Draft& d = drafts_[std::size_t(k)];
        const TRekordKroku r = record(k, byName);
        TRekordListy l{};
        if (d.list)
            std::memcpy(&l.Nazwa, d.list->constData(), sizeof(l.Nazwa));
        else
            l.Nazwa = listName(r);
        l.Typ = std::uint8_t(d.typ.value_or(0));
        pair.situations.append(reinterpret_cast<const char*>(&r), sizeof r);
        pair.list.append(reinterpret_cast<const char*>(&l), sizeof l);
    }
    return pair;
}

// Situation k's record: its fields' texts, raw bytes and lengths, the gap and the targets.
TRekordKroku Reader::record(std::int32_t k, const QHash<QByteArray, QList<int>>& byName) {
    const Draft& d = drafts_[std::size_t(k)];
    TRekordKroku r{};
    for (int f = 0; f < FieldCount; ++f) {
        const FieldDraft& fd = d.fields[std::size_t(f)];
        FieldView v = field(r, f);
        const QByteArray chars = (fd.text + fd.tail).left(v.capacity);
        std::memcpy(v.chars, chars.constData(), std::size_t(chars.size()));
        *v.len = std::uint8_t(fd.length >= 0 ? fd.length : fd.text.size());
    }
    r.Gap = d.gap;
    for (int c = 0; c < 4; ++c) {
        if (const std::optional<TargetRef>& ref = d.targets[std::size_t(c)])
            resolve(*ref, target(r, c), byName);
        else
            target(r, c).set(defaultTarget(k, std::uint8_t(d.typ.value_or(0)), c));
    }
    return r;
}

// Sets the target a choice's line gave, looking a name up among the situations' names.
void Reader::resolve(const TargetRef& ref, LeInt32& to,
                     const QHash<QByteArray, QList<int>>& byName) {
    if (!ref.byName) {
        to.set(ref.number);
        return;
    }
    const QList<int> found = byName.value(ref.name);
    if (found.size() == 1) {
        to.set(found.first());
    } else if (found.isEmpty()) {
        error(ref.line, ref.column,
              QStringLiteral("nie ma sytuacji o nazwie „%1”; oczekiwano nazwy sytuacji albo "
                             "#numeru")
                  .arg(Cp1250::decode(ref.name)));
    } else {
        error(ref.line, ref.column,
              QStringLiteral("nazwę „%1” nosi więcej niż jedna sytuacja (%2 i %3); oczekiwano "
                             "celu podanego numerem, np. #%2")
                  .arg(Cp1250::decode(ref.name))
                  .arg(found.at(0))
                  .arg(found.at(1)));
    }
}

} // namespace TextFormParts

QString wholeRecordsFault(std::int64_t situationBytes, std::int64_t listBytes) {
    if (situationBytes % TRekordKroku::Size != 0)
        return QStringLiteral("plik sytuacji ma %1 bajtów, a to nie jest wielokrotność "
                              "rekordu (%2 bajtów)")
            .arg(situationBytes)
            .arg(TRekordKroku::Size);
    if (listBytes % TRekordListy::Size != 0)
        return QStringLiteral("plik listy ma %1 bajtów, a to nie jest wielokrotność "
                              "rekordu (%2 bajtów)")
            .arg(listBytes)
            .arg(TRekordListy::Size);
    if (listBytes / TRekordListy::Size != situationBytes / TRekordKroku::Size)
        return QStringLiteral("plik sytuacji ma %1 rekordów, a plik listy %2")
            .arg(situationBytes / TRekordKroku::Size)
            .arg(listBytes / TRekordListy::Size);
    return {};
}

ScenarioSnapshot snapshotFromBytes(const QByteArray& situations, const QByteArray& list) {
    if (const QString fault = wholeRecordsFault(situations.size(), list.size()); !fault.isEmpty())
        throw AppError(AppError::Other, fault);
    const qsizetype n = situations.size() / TRekordKroku::Size;
    ScenarioSnapshot snapshot;
    snapshot.rekordy.resize(std::size_t(n));
    snapshot.listy.resize(std::size_t(n));
    if (n > 0) {
        std::memcpy(snapshot.rekordy.data(), situations.constData(),
                    std::size_t(situations.size()));
        std::memcpy(snapshot.listy.data(), list.constData(), std::size_t(list.size()));
    }
    snapshot.claimed = n;
    return snapshot;
}

PairBytes pairBytes(const ScenarioSnapshot& snapshot) {
    return {QByteArray(reinterpret_cast<const char*>(snapshot.rekordy.data()),
                       qsizetype(snapshot.rekordy.size()) * TRekordKroku::Size),
            QByteArray(reinterpret_cast<const char*>(snapshot.listy.data()),
                       qsizetype(snapshot.listy.size()) * TRekordListy::Size)};
}
