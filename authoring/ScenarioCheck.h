#pragma once
// The check of every road of a scenario: findings with their situations, and statistics.

#include "authoring/ScenarioGraph.h"
#include "authoring/ScenarioSnapshot.h"

#include <QString>
#include <cstdint>
#include <vector>

// How bad a finding is: an error makes the player fail or misbehave there; a warning is
// something the author has probably forgotten.
enum class Severity : std::uint8_t { Error, Warning };

// What a finding is about. The order is the order of the findings of one situation.
enum class FindingKind : std::uint8_t {
    NoStart,          // the scenario has no situation 1, where every game starts
    UnknownType,      // the list record's type byte is above 5
    NameMismatch,     // the list record's name differs from the situation record's
    TargetNegative,   // an offered choice leads to a negative number
    TargetOutOfRange, // an offered choice leads past the last situation
    TargetMismatch,   // an offered choice leads to a situation whose two records disagree
    TargetDefaultEnd, // an offered choice was left on situation 0, still the default end
    TargetNamedEnd,   // an offered choice leads to situation 0, an ending the author wrote
                      // that keeps the default end's name, where the editor leaves choices
    UnofferedChoice,  // a choice the type does not offer still holds a text or a road
    Unreachable,      // no road from situation 1 comes here
    Trap,             // reached from 1, but no road from here reaches a Koniec situation
    EmptyName,        // the situation has no name (spaces alone count as none)
    DuplicateName,    // an earlier situation has the same name in its list record, letter
                      // case ignored (Polish letters too)
    EmptyDescription, // the situation has no description (spaces alone count as none)
    EmptyChoiceText,  // an offered choice has no text (spaces alone count as none)
    BadMediaName,     // a picture or sound name no file can have (separator, "..", length)
    MissingPicture,   // the player would not find the picture
    BadPicture,       // the player would refuse the picture
    MissingSound,     // the player would not find the sound
    BadSound,         // the player would refuse the sound
};

struct Finding {
    Severity severity = Severity::Error;
    FindingKind kind = FindingKind::UnknownType;
    std::int32_t situation = 0; // 1 for NoStart, the situation that is missing
    QString name;    // the situation's name as its situation record holds it; empty for NoStart
    int choice = 0;  // 1 to 4 for a finding about a choice, else 0
    QString message; // Polish, one line
};

// Figures of the whole scenario.
struct CheckStatistics {
    std::int32_t situations = 0;
    std::int32_t reachable = 0;        // situations some game from 1 comes to (1 included)
    std::int32_t endingsReachable = 0; // Koniec situations among them
    // The shortest and the longest road from situation 1 to a Koniec situation that visits
    // no situation twice, in choices taken; -1 when no ending can be reached.
    std::int32_t shortestRoad = -1;
    std::int32_t longestRoad = -1;
    // True when the search for the longest road stopped at its bound: the longest found so
    // far is given, and a longer one may exist.
    bool longestRoadCut = false;
    // Words: maximal runs of non-space characters that hold a letter or a digit.
    std::int64_t descriptionWords = 0; // in the descriptions of every situation
    std::int64_t choiceWords = 0;      // in the texts of the choices offered
};

struct CheckReport {
    std::vector<Finding> findings; // by situation, then by kind, then by choice
    CheckStatistics statistics;

    int errors() const;
    int warnings() const;
};

// What the check may do beyond the records.
struct CheckOptions {
    // Look the pictures and sounds up in the snapshot's folder and check them as the player
    // would (reads each distinct file once).
    bool media = true;
    // The most steps the search for the longest road may take.
    std::int64_t longestRoadBudget = 2'000'000;
};

// Checks every situation and road. Linear in situations plus choices (plus the media files
// and the bounded search for the longest road).
CheckReport checkScenario(const ScenarioSnapshot& snapshot, const CheckOptions& options = {});
CheckReport checkScenario(const ScenarioSnapshot& snapshot, const ScenarioGraph& graph,
                          const CheckOptions& options = {});

// The Polish name of a severity: "błąd", "ostrzeżenie".
QString severityName(Severity severity);

// How bad a finding of this kind always is.
Severity severityOf(FindingKind kind);

// The kind's name as the code spells it ("TargetOutOfRange"), for machine-readable output.
QString kindName(FindingKind kind);

// The figures of a report and its count of errors and warnings, in Polish, a line each.
QString reportSummary(const CheckReport& report);
