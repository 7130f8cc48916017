#include "editor/model/ListRecords.h"

#include "editor/model/NameIndex.h"

#include <algorithm>
#include <array>

namespace {

// A used choice still leading to situation 0, the default end, leaves the situation unfinished;
// the rows its type does not offer are not looked at.
bool everyChoiceLeadsOn(const TRekordListy& lista, const TRekordKroku& rekord) {
    const std::array<const LeInt32*, 4> targets = {&rekord.Krok_Wybrany1, &rekord.Krok_Wybrany2,
                                                   &rekord.Krok_Wybrany3, &rekord.Krok_Wybrany4};
    for (int i = 0; i < choicesOffered(lista.Typ); ++i) {
        if (targets[std::size_t(i)]->get() == 0)
            return false;
    }
    return true;
}

} // namespace

struct ListRecords::Data : QSharedData {
    std::vector<TRekordListy> records;
    std::vector<bool> complete;
    std::vector<std::int32_t> unknown;
    // A cache: not built until a look-up or indexFrom() after a change.
    mutable NameIndex index;

    // Fills situation k, which is there already.
    void put(std::size_t k, const TRekordListy& lista, bool done) {
        records[k] = lista;
        complete[k] = done;
        if (lista.Typ >= TypeLetters.size())
            unknown.push_back(static_cast<std::int32_t>(k));
    }
    void grow(std::size_t n) {
        index = {};
        records.resize(records.size() + n);
        complete.resize(complete.size() + n);
    }
};

ListRecords::ListRecords() : d_(new Data) {}

ListRecords::ListRecords(std::initializer_list<GridRow> rows) : ListRecords() {
    for (const GridRow& row : rows)
        push_back(row);
}

ListRecords::ListRecords(const ListRecords&) = default;
ListRecords::ListRecords(ListRecords&&) noexcept = default;
ListRecords& ListRecords::operator=(const ListRecords&) = default;
ListRecords& ListRecords::operator=(ListRecords&&) noexcept = default;
ListRecords::~ListRecords() = default;

std::size_t ListRecords::size() const {
    return d_->records.size();
}

QString ListRecords::name(std::size_t k) const {
    return d_->records[k].Nazwa.text();
}

std::uint8_t ListRecords::type(std::size_t k) const {
    return d_->records[k].Typ;
}

bool ListRecords::complete(std::size_t k) const {
    return d_->complete[k];
}

GridRow ListRecords::operator[](std::size_t k) const {
    GridRow row;
    row.name = name(k);
    if (type(k) >= TypeLetters.size())
        return row;
    row.typeKnown = true;
    row.letter = TypeLetters[type(k)];
    if (complete(k))
        row.mark = QStringLiteral("X");
    return row;
}

QStringList ListRecords::names() const {
    QStringList all;
    all.reserve(static_cast<qsizetype>(size()));
    for (std::size_t k = 0; k < size(); ++k)
        all.append(name(k));
    return all;
}

const std::vector<std::int32_t>& ListRecords::unknownTypes() const {
    return d_->unknown;
}

int ListRecords::indexOf(const QString& text) const {
    if (!d_->index.built())
        d_->index.build(d_->records);
    return d_->index.find(d_->records, text);
}

void ListRecords::indexFrom(const ListRecords& before) const {
    const Data& now = *d_;
    if (!now.index.built() && !now.index.update(before.d_->index, before.d_->records, now.records))
        now.index.build(now.records);
}

void ListRecords::append(std::span<const TRekordKroku> rekordy,
                         std::span<const TRekordListy> listy) {
    Data& d = *d_;
    const std::size_t n = std::min(rekordy.size(), listy.size());
    const std::size_t at = d.records.size();
    d.grow(n);
    for (std::size_t i = 0; i < n; ++i)
        d.put(at + i, listy[i], everyChoiceLeadsOn(listy[i], rekordy[i]));
}

void ListRecords::push_back(const GridRow& row) {
    TRekordListy lista;
    lista.Nazwa.assign(row.name);
    const auto letter = std::find(TypeLetters.begin(), TypeLetters.end(), row.letter);
    lista.Typ = row.typeKnown && letter != TypeLetters.end()
                    ? static_cast<std::uint8_t>(letter - TypeLetters.begin())
                    : std::uint8_t(255);
    Data& d = *d_;
    d.grow(1);
    d.put(d.records.size() - 1, lista, row.mark == QStringLiteral("X"));
}

void ListRecords::clear() {
    d_ = new Data;
}
