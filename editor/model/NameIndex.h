#pragma once
// Situations by name, ignoring letter case, over the names as the list file holds them.

#include "common/Records.h"

#include <QString>
#include <cstdint>
#include <memory>
#include <span>
#include <vector>

// Finds the first situation whose name equals a text ignoring letter case exactly as
// QString::compare(..., Qt::CaseInsensitive) does, Polish letters included, without decoding
// the names. `names` is always the list records the index was made or brought up to date for.
class NameIndex {
public:
    // A name as the index compares it.
    struct Key;

    bool built() const { return slots_ != nullptr; }
    void build(std::span<const TRekordListy> names);
    // Takes over `before`, made for `old`, for `names` when only a few names differ or were
    // added: only those are indexed again, and with none the two share their slots. False when
    // it cannot (then nothing is built).
    bool update(const NameIndex& before, std::span<const TRekordListy> old,
                std::span<const TRekordListy> names);
    // Number of the first situation named `text`, or -1. Needs built().
    int find(std::span<const TRekordListy> names, const QString& text) const;

private:
    // Open addressing, linear probing; at most half the slots are used.
    struct Slot {
        std::uint32_t hash = 0; // the name's hash; the top bit: later situations share the name
        std::int32_t k = -1;    // the first situation of that name; -1: empty
    };

    std::size_t slotFor(std::span<const TRekordListy> names, const Key& key,
                        std::uint32_t hash) const;
    // Indexes situation k unless one before it has its name.
    void insert(std::span<const TRekordListy> names, std::size_t k, std::uint32_t hash);
    // Takes out the old name of situation k; false when a later situation shares it.
    bool erase(std::span<const TRekordListy> old, std::size_t k);

    // Shared by indexes of the same names; changed only before it is shared.
    std::shared_ptr<std::vector<Slot>> slots_;
};
