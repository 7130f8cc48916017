#include "editor/model/NameIndex.h"

#include "common/Cp1250.h"

#include <QHash>
#include <algorithm>
#include <array>
#include <cstring>
#include <optional>

// A name as the bytes standing for its characters, padded with zeros.
struct NameIndex::Key {
    std::array<std::uint8_t, 24> bytes{};
    int length = 0;
    bool operator==(const Key&) const = default;
};

namespace {

static_assert(ShortString<20>::Capacity <= 24);
constexpr std::uint32_t kShared = 0x80000000u;
// More changed names than this are indexed again from the start.
constexpr std::size_t kFewChanges = 64;

// QString::compare(..., Qt::CaseInsensitive) finds two names equal when they have as many
// characters and each pair folds to the same character. Windows-1250 decodes each byte to one
// character, so a name compares as the bytes standing for its characters' foldings: for each
// byte, the first byte whose character folds the same.
struct Folding {
    std::array<std::uint8_t, 256> standIn{};
    QHash<char32_t, std::uint8_t> byFolded; // a folded character: its stand-in byte
};

const Folding& folding() {
    static const Folding table = [] {
        Folding f;
        for (int b = 0; b < 256; ++b) {
            const char byte = static_cast<char>(b);
            const char32_t folded =
                QChar::toCaseFolded(char32_t(Cp1250::decode(&byte, 1)[0].unicode()));
            auto at = f.byFolded.constFind(folded);
            if (at == f.byFolded.cend())
                at = f.byFolded.insert(folded, static_cast<std::uint8_t>(b));
            f.standIn[std::size_t(b)] = *at;
        }
        return f;
    }();
    return table;
}

using Key = NameIndex::Key;

Key keyOf(const TRekordListy& lista) {
    const auto& standIn = folding().standIn;
    Key key;
    key.length = lista.Nazwa.length();
    for (int i = 0; i < key.length; ++i)
        key.bytes[std::size_t(i)] = standIn[static_cast<std::uint8_t>(lista.Nazwa.data()[i])];
    return key;
}

// Nothing for a text no name can equal: too long, or a character that folds to none that
// Windows-1250 holds.
std::optional<Key> keyOf(const QString& text) {
    if (text.size() > ShortString<20>::Capacity)
        return std::nullopt;
    const auto& byFolded = folding().byFolded;
    Key key;
    key.length = static_cast<int>(text.size());
    for (int i = 0; i < key.length; ++i) {
        const QChar c = text[i];
        if (c.isSurrogate())
            return std::nullopt;
        const auto at = byFolded.constFind(QChar::toCaseFolded(char32_t(c.unicode())));
        if (at == byFolded.cend())
            return std::nullopt;
        key.bytes[std::size_t(i)] = *at;
    }
    return key;
}

// The top bit is left clear for kShared.
std::uint32_t hashOf(const Key& key) {
    std::array<std::uint64_t, 3> words{};
    std::memcpy(words.data(), key.bytes.data(), key.bytes.size());
    std::uint64_t h = words[0] * 0x9E3779B97F4A7C15ull ^ words[1] * 0xC2B2AE3D27D4EB4Full ^
                      words[2] * 0x165667B19E3779F9ull ^ std::uint64_t(key.length);
    h ^= h >> 29;
    h *= 0xBF58476D1CE4E5B9ull;
    h ^= h >> 32;
    return static_cast<std::uint32_t>(h) & ~kShared;
}

bool sameName(const TRekordListy& a, const TRekordListy& b) {
    return a.Nazwa.length() == b.Nazwa.length() &&
           std::memcmp(a.Nazwa.data(), b.Nazwa.data(), std::size_t(a.Nazwa.length())) == 0;
}

} // namespace

std::size_t NameIndex::slotFor(std::span<const TRekordListy> names, const Key& key,
                               std::uint32_t hash) const {
    const std::vector<Slot>& table = *slots_;
    const std::size_t mask = table.size() - 1;
    for (std::size_t at = hash & mask;; at = (at + 1) & mask) {
        const Slot& slot = table[at];
        if (slot.k < 0 ||
            ((slot.hash & ~kShared) == hash && keyOf(names[std::size_t(slot.k)]) == key))
            return at;
    }
}

void NameIndex::insert(std::span<const TRekordListy> names, std::size_t k, std::uint32_t hash) {
    std::vector<Slot>& table = *slots_;
    const std::size_t mask = table.size() - 1;
    // The key is made only when a slot's hash is the same.
    std::optional<Key> key;
    for (std::size_t at = hash & mask;; at = (at + 1) & mask) {
        Slot& slot = table[at];
        if (slot.k < 0) {
            slot = {hash, static_cast<std::int32_t>(k)};
            return;
        }
        if ((slot.hash & ~kShared) != hash)
            continue;
        if (!key)
            key = keyOf(names[k]);
        if (keyOf(names[std::size_t(slot.k)]) == *key) {
            slot.k = std::min(slot.k, static_cast<std::int32_t>(k));
            slot.hash |= kShared;
            return;
        }
    }
}

bool NameIndex::erase(std::span<const TRekordListy> old, std::size_t k) {
    const Key key = keyOf(old[k]);
    std::size_t hole = slotFor(old, key, hashOf(key));
    std::vector<Slot>& table = *slots_;
    if (table[hole].k != static_cast<std::int32_t>(k))
        return table[hole].k >= 0; // a later namesake: the first stays first
    if (table[hole].hash & kShared)
        return false;
    // Each slot after the hole that may stand in it (its hash's own slot is not between the
    // hole and it) moves back, until an empty slot.
    const std::size_t mask = table.size() - 1;
    for (std::size_t at = (hole + 1) & mask; table[at].k >= 0; at = (at + 1) & mask) {
        const std::size_t home = table[at].hash & ~kShared & mask;
        const bool between = hole <= at ? home > hole && home <= at : home > hole || home <= at;
        if (!between) {
            table[hole] = table[at];
            hole = at;
        }
    }
    table[hole] = Slot{};
    return true;
}

void NameIndex::build(std::span<const TRekordListy> names) {
    std::size_t wanted = 16;
    while (wanted < 2 * names.size())
        wanted *= 2;
    slots_ = std::make_shared<std::vector<Slot>>(wanted);
    // The slots are far apart in memory: a run of names is hashed first, then each slot is
    // fetched some names ahead of its use.
    constexpr std::size_t run = 256;
    constexpr std::size_t ahead = 16;
    const std::size_t mask = wanted - 1;
    std::array<std::uint32_t, run> hashes{};
    for (std::size_t first = 0; first < names.size(); first += run) {
        const std::size_t count = std::min(run, names.size() - first);
        for (std::size_t i = 0; i < count; ++i)
            hashes[i] = hashOf(keyOf(names[first + i]));
        for (std::size_t i = 0; i < count; ++i) {
            if (i + ahead < count)
                __builtin_prefetch(&(*slots_)[hashes[i + ahead] & mask]);
            insert(names, first + i, hashes[i]);
        }
    }
}

bool NameIndex::update(const NameIndex& before, std::span<const TRekordListy> old,
                       std::span<const TRekordListy> names) {
    slots_.reset();
    if (!before.built() || 2 * names.size() > before.slots_->size())
        return false;
    // The situations whose old names are gone: renamed, or cut off the end.
    // Runs of records with the same bytes are passed over whole.
    std::vector<std::size_t> gone;
    const std::size_t common = std::min(old.size(), names.size());
    constexpr std::size_t run = 64;
    for (std::size_t first = 0; first < old.size(); first += run) {
        const std::size_t end = std::min(first + run, old.size());
        if (end <= common &&
            std::memcmp(&old[first], &names[first], (end - first) * sizeof(TRekordListy)) == 0)
            continue;
        for (std::size_t k = first; k < end; ++k) {
            if (k >= common || !sameName(old[k], names[k]))
                gone.push_back(k);
        }
        if (gone.size() > kFewChanges)
            return false;
    }
    if (gone.empty() && names.size() == old.size()) {
        slots_ = before.slots_;
        return true;
    }
    slots_ = std::make_shared<std::vector<Slot>>(*before.slots_);
    for (const std::size_t k : gone) {
        if (!erase(old, k)) {
            slots_.reset();
            return false;
        }
    }
    // Every situation left in the slots has the same name in both.
    for (const std::size_t k : gone) {
        if (k < common)
            insert(names, k, hashOf(keyOf(names[k])));
    }
    for (std::size_t k = common; k < names.size(); ++k)
        insert(names, k, hashOf(keyOf(names[k])));
    return true;
}

int NameIndex::find(std::span<const TRekordListy> names, const QString& text) const {
    const std::optional<Key> key = keyOf(text);
    if (!key)
        return -1;
    return (*slots_)[slotFor(names, *key, hashOf(*key))].k;
}
