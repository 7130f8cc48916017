#pragma once
// The parts of the scenario check that stand on their own: quoting texts in a message, the
// look-up of pictures and sounds, the index of names and the roads to an ending. Only the
// check's own files include this header.

#include "authoring/ScenarioCheck.h"

#include "common/MediaFiles.h"

#include <QHash>
#include <QString>
#include <array>
#include <cstdint>
#include <vector>

namespace CheckParts {

// A text put into a one-line message: line breaks and other control characters show as
// spaces.
QString oneLine(QString text);
// A text as a message quotes it, on one line.
QString quoted(const QString& text);

// The type of a picture's or a sound's name in a situation record.
using MediaName = decltype(TRekordKroku::Bmp);
static_assert(std::is_same_v<MediaName, decltype(TRekordKroku::Wav)>);

// What the player makes of a picture or sound name, found once per name and once per file
// within one check: every situation naming the same file costs one look-up.
class MediaLookup {
public:
    MediaLookup(const QString& folder, bool filesToo) : folder_(folder), filesToo_(filesToo) {}

    // Adds the findings about the situation's picture or sound to `out`.
    void check(MediaKind kind, const MediaName& field, std::vector<Finding>& out);

private:
    QString find(MediaKind kind, const QString& name) const;

    QString folder_;
    bool filesToo_;
    std::array<QHash<QString, QString>, 2> byName_; // name -> file found, by kind
    QHash<QString, QString> refusals_;              // file -> why refused, or empty
};

// Words of a text as stored: maximal runs of non-space characters holding a letter or digit.
std::int64_t wordsIn(const char* text, int length);
template <int N> std::int64_t wordsIn(const ShortString<N>& text) {
    return wordsIn(text.data(), text.length());
}

// Whether a text as stored holds nothing but spaces (or nothing at all).
bool isBlank(const char* text, int length);
template <int N> bool isBlank(const ShortString<N>& text) {
    return isBlank(text.data(), text.length());
}

// The first situation of each name, letter case ignored, as the editor tells names apart.
// Names are hashed on their bytes case-folded within Windows-1250 (each byte stands for the
// first byte whose character folds to the same one), so that no name is decoded or allocated
// unless it matches; a match is confirmed by the editor's own case-blind comparison.
class NameIndex {
public:
    explicit NameIndex(std::int32_t situations);

    // The first situation before k whose list name equals k's, or -1 when k's is the first.
    std::int32_t firstOf(std::int32_t k, const std::vector<TRekordListy>& listy);

private:
    using Name = decltype(TRekordListy::Nazwa);
    // The length, then the folded bytes.
    using Key = std::array<std::uint8_t, Name::Capacity + 1>;

    static std::size_t hash(const Key& key);

    std::vector<Key> keys_;
    std::vector<std::int32_t> slots_;
};

// The shortest road from 1 to a Koniec situation, in choices taken; -1 when there is none.
// A game ends at the first Koniec it reaches, and situation 1 is where it starts, not an end.
std::int32_t shortestRoad(const ScenarioGraph& graph);

struct LongestRoad {
    std::int32_t length = -1;
    bool cut = false;
};

// The longest road from 1 to a Koniec situation that visits no situation twice, by a depth
// first search over the roads that can still end; it stops after `budget` moves, since the
// longest simple road of a graph with loops can take exponential time to find.
LongestRoad longestRoad(const ScenarioGraph& graph, const std::vector<bool>& canEnd,
                        std::int64_t budget);

} // namespace CheckParts
