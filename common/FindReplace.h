#pragma once
// Finding a text in every situation of a scenario, and replacing it all at once.

#include "common/Records.h"

#include <QString>
#include <cstdint>
#include <vector>

// How a needle matches. Letter case folds Polish letters too ("Ż" matches "ż"); diacritics fold a
// letter to its base letter ("ł" matches "l", "ż" matches "z"), so that "zolty" finds "Żółty"
// with both on.
struct SearchOptions {
    bool ignoreCase = true;
    bool ignoreDiacritics = true;
};

// The texts of a situation that are searched, in the order their hits are listed.
enum class SearchField { Name, Description, Choice1, Choice2, Choice3, Choice4 };

// The field as the window names it: "Nazwa", "Opis", "Wybór 1" to "Wybór 4".
QString fieldCaption(SearchField field);

// One occurrence of the needle: `position` and `length` count characters of the field's text as
// shown (a description's line break is one "\n"). `context` is the words around it, "…" where
// they are cut, line breaks as spaces.
struct SearchHit {
    std::int32_t situation;
    SearchField field;
    int position;
    int length;
    QString context;
};

// Every occurrence of `needle` (non-overlapping, left to right) in every situation's name,
// description and four choice texts, by situation and then by field. An empty needle finds
// nothing. Never fails.
std::vector<SearchHit> findInScenario(const std::vector<TRekordKroku>& rekordy,
                                      const QString& needle, const SearchOptions& options);

// A situation in which nothing was replaced, and why, in Polish.
struct ReplaceRefusal {
    std::int32_t situation;
    QString reason;
};

struct ReplaceResult {
    // The situations whose records changed, in ascending order.
    std::vector<std::int32_t> changed;
    // The occurrences replaced, in the situations that were changed.
    int replacements = 0;
    std::vector<ReplaceRefusal> refused;
};

// Replaces every occurrence that findInScenario finds by `replacement`. A situation is changed
// whole or not at all: it is refused when one of its fields would not fit its record (a name over
// 20 bytes, a choice over 45, a description over 250 stored with CR LF line breaks), when the
// replacement holds a character Windows-1250 cannot hold, when its name would become empty, or
// when its new name would equal another situation's name after the replace, ignoring letter case.
// Only the changed texts are rewritten (a field left as it was keeps its bytes); the list
// record's name follows a situation's new name. Targets, types and media are never touched. An
// empty needle changes nothing. Never throws.
ReplaceResult replaceAll(std::vector<TRekordKroku>& rekordy, std::vector<TRekordListy>& listy,
                         const QString& needle, const QString& replacement,
                         const SearchOptions& options);
