#pragma once
// The situations as the editor's lists show them: list records, each name decoded when asked.

#include "common/Records.h"

#include <QSharedDataPointer>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <initializer_list>
#include <span>
#include <vector>

// One row of the situation grid: the name, the type letter and the complete mark.
struct GridRow {
    QString name;
    // False for a type byte above 5: the grid keeps the letter and mark the row showed.
    bool typeKnown = false;
    QString letter; // "P", "N", "K", "1", "2", "3"
    QString mark;   // "X" when every choice the type offers leads elsewhere than 0, else empty
};

// Situations 0, 1, 2, ... as a rebuild of the lists read them: each one's list record (its name
// still in Windows-1250, and its type) and whether every choice its type offers leads elsewhere
// than situation 0. A name is decoded only when asked for. Copies share the records until one
// of them changes.
class ListRecords {
public:
    ListRecords();
    // Rows as the grid shows them (see push_back).
    ListRecords(std::initializer_list<GridRow> rows);
    ListRecords(const ListRecords&);
    ListRecords(ListRecords&&) noexcept;
    ListRecords& operator=(const ListRecords&);
    ListRecords& operator=(ListRecords&&) noexcept;
    ~ListRecords();

    std::size_t size() const;
    bool empty() const { return size() == 0; }
    QString name(std::size_t k) const;
    // The type byte of situation k, and whether every choice it offers leads elsewhere than 0.
    std::uint8_t type(std::size_t k) const;
    bool complete(std::size_t k) const;
    // The grid's row of situation k, its name decoded.
    GridRow operator[](std::size_t k) const;
    // Every name in number order, decoded.
    QStringList names() const;
    // The situations of a type the grid does not know (a type byte above 5), in number order.
    const std::vector<std::int32_t>& unknownTypes() const;
    // Number of the first situation whose name equals `text` ignoring letter case as
    // QString::compare does (Polish letters included), or -1. The names are indexed by the
    // first look-up after a change, unless indexFrom() did it; then a look-up costs one hash.
    int indexOf(const QString& text) const;
    // Indexes the names for look-ups, taking over the index of `before` (the situations of an
    // earlier rebuild) when only a few names differ or were added: only those are indexed.
    void indexFrom(const ListRecords& before) const;

    // Adds the next situations as both files hold them: each mark follows the targets.
    void append(std::span<const TRekordKroku> rekordy, std::span<const TRekordListy> listy);
    // Adds a row as the grid shows it: the name in Windows-1250, the type of its letter (255
    // when the grid does not know the type), complete when marked "X".
    void push_back(const GridRow& row);
    void clear();

private:
    struct Data;
    QSharedDataPointer<Data> d_;
};
