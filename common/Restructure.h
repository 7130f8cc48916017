#pragma once
// Restructuring a scenario in memory: deleting, moving and duplicating a situation with every
// road renumbered so that each choice still leads where it led.

#include "common/Records.h"

#include <QString>
#include <cstdint>
#include <vector>

// Each operation works on a scenario's records, record k of each vector belonging to situation k
// (a situation record and a list record for every situation). Each operation checks its numbers
// first and throws AppError(Other) with a Polish message, leaving the records unchanged, when it
// refuses: situations 0 (the default end) and 1 (the start) are never deleted or moved and nothing
// is moved onto them; numbers outside the scenario are refused.
//
// Every one of the four target fields of every situation is renumbered when its value is a
// situation of the scenario (0 <= target < count), whether its type offers that choice or not.
// Any other value is left as it is: a negative one marks a row nobody uses, and a number at or
// past the count leads nowhere (a dangling road that the check reports). Such a number keeps
// its value, so after a duplicate a road to exactly the old count leads to the copy.

// What deleteSituation did.
struct DeletedSituation {
    QString name;
    // How many roads of the situations left led into the deleted one and lead to 0 now.
    int roadsToEnd = 0;
};

// Removes situation n; roads into it lead to 0, roads to a later one follow it (k -> k - 1).
DeletedSituation deleteSituation(std::vector<TRekordKroku>& rekordy,
                                 std::vector<TRekordListy>& listy, std::int32_t n);

// Gives situation n the number `to`; those between shift by one towards n's old place and every
// road follows its situation. A move onto its own number changes nothing.
void moveSituation(std::vector<TRekordKroku>& rekordy, std::vector<TRekordListy>& listy,
                   std::int32_t n, std::int32_t to);

// Appends a copy of situation n: the same records and roads under the first free name
// "<name> 2", "<name> 3", ... (names compared ignoring letter case), the name cut so that the
// suffix fits the name's 20 characters. Returns the copy's number.
std::int32_t duplicateSituation(std::vector<TRekordKroku>& rekordy,
                                std::vector<TRekordListy>& listy, std::int32_t n);
