#include "authoring/ScenarioCheck.h"

#include "authoring/CheckParts.h"

#include "common/ObEdKrok.h"
#include "common/ScenarioFiles.h"

#include <algorithm>
#include <array>

using namespace CheckParts;

namespace {

// The names of the kinds, in the enum's order.
constexpr std::array<const char*, 20> kKindNames = {
    "NoStart",        "UnknownType",      "NameMismatch",   "TargetNegative",   "TargetOutOfRange",
    "TargetMismatch", "TargetDefaultEnd", "TargetNamedEnd", "UnofferedChoice",  "Unreachable",
    "Trap",           "EmptyName",        "DuplicateName",  "EmptyDescription", "EmptyChoiceText",
    "BadMediaName",   "MissingPicture",   "BadPicture",     "MissingSound",     "BadSound",
};
static_assert(kKindNames.size() == std::size_t(FindingKind::BadSound) + 1);

// The type of a choice's text in a situation record.
using ChoiceText = decltype(TRekordKroku::Wybor1);

// What situation 0 is to the choices that lead there.
enum class SituationZero : std::uint8_t {
    DefaultEnd, // as a new scenario writes it: a choice there was never pointed anywhere
    NamedEnd,   // an ending of the author's under the default end's name, which the editor
                // still gives every choice not yet pointed elsewhere
    OwnEnd,     // an ending of the author's under a name of its own: only a choice meant for
                // it leads there, as the editor stores a choice not pointed anywhere as -1
};

SituationZero situationZero(const ScenarioSnapshot& snapshot) {
    if (snapshot.size() == 0)
        return SituationZero::DefaultEnd;
    const TRekordKroku& zero = snapshot.rekordy.front();
    if (zero.Nazwa.text() != DefaultEndName)
        return SituationZero::OwnEnd;
    return zero.Opis.text() == DefaultEndText ? SituationZero::DefaultEnd : SituationZero::NamedEnd;
}

// What a choice the type does not offer still holds, for its message: its text and where it
// leads, or an empty string when it holds neither. A target of -1 is what the editor stores,
// and 0 what a new scenario's records hold, so neither is a road of the author's.
QString unofferedContents(const ChoiceText& text, std::int32_t target) {
    QStringList held;
    if (!text.isEmpty())
        held << QStringLiteral("tekst %1").arg(quoted(text.text()));
    if (target != -1 && target != 0)
        held << QStringLiteral("drogę do sytuacji %1").arg(target);
    return held.join(QStringLiteral(" i "));
}

const ChoiceText& choiceText(const TRekordKroku& rekord, int n) {
    switch (n) {
    case 1:
        return rekord.Wybor1;
    case 2:
        return rekord.Wybor2;
    case 3:
        return rekord.Wybor3;
    default:
        return rekord.Wybor4;
    }
}
// Whether each situation's two records give it the same name, found in one pass in order:
// looked up at random through the targets, the records themselves would be fetched from
// memory one by one.
std::vector<bool> namesAgree(const ScenarioSnapshot& snapshot) {
    std::vector<bool> agree(static_cast<std::size_t>(snapshot.size()));
    for (std::int32_t k = 0; k < snapshot.size(); ++k) {
        const auto& a = snapshot.rekordy[std::size_t(k)].Nazwa;
        const auto& b = snapshot.listy[std::size_t(k)].Nazwa;
        agree[std::size_t(k)] =
            a.length() == b.length() && std::equal(a.data(), a.data() + a.length(), b.data());
    }
    return agree;
}

// One run of the check over the situations in order. Each pass looks at one side of the
// situation being checked and adds its findings; what the passes need of the whole scenario is
// found once per run. All passes of a situation run together, so that its records are read
// from memory once.
class Checker {
public:
    Checker(const ScenarioSnapshot& snapshot, const ScenarioGraph& graph,
            const CheckOptions& options, CheckStatistics& stats)
        : snapshot_(snapshot), graph_(graph), stats_(stats), reachable_(graph.reachableFromStart()),
          canEnd_(graph.reachesEnding()), zero_(situationZero(snapshot)),
          media_(snapshot.folder, options.media), names_(snapshot.size()),
          namesAgree_(namesAgree(snapshot)) {}

    // Adds situation k's findings to `report`, by kind, then by choice.
    void check(std::int32_t k, std::vector<Finding>& report) {
        k_ = k;
        found_.clear();
        types();
        for (int c = 1; c <= 4; ++c)
            choice(c);
        reachability();
        texts();
        media();
        if (found_.empty())
            return;
        std::stable_sort(found_.begin(), found_.end(), [](const Finding& a, const Finding& b) {
            return std::pair(a.kind, a.choice) < std::pair(b.kind, b.choice);
        });
        const QString name = rekord().Nazwa.text();
        for (Finding& f : found_) {
            f.name = name;
            report.push_back(std::move(f));
        }
    }

    // Whether a road from each situation reaches a Koniec situation.
    const std::vector<bool>& canEnd() const { return canEnd_; }

private:
    const TRekordKroku& rekord() const { return snapshot_.rekordy[std::size_t(k_)]; }
    const TRekordListy& lista() const { return snapshot_.listy[std::size_t(k_)]; }
    bool sameName(std::int32_t k) const { return bool(namesAgree_[std::size_t(k)]); }

    void add(FindingKind kind, int choice, const QString& message) {
        found_.push_back({severityOf(kind), kind, k_, {}, choice, message});
    }

    // The type byte and the name the two records give.
    void types() {
        if (lista().Typ > Wybory3)
            add(FindingKind::UnknownType, 0,
                QStringLiteral("typ sytuacji %1 jest nieznany (znane są 0–5), więc gracz "
                               "zostawi wybory poprzedniej sytuacji; ustaw typ w edytorze")
                    .arg(lista().Typ));
        if (!sameName(k_))
            add(FindingKind::NameMismatch, 0,
                QStringLiteral("plik listy podaje nazwę %1, a plik sytuacji %2; zapisz "
                               "sytuację w edytorze, by je uzgodnić")
                    .arg(quoted(lista().Nazwa.text()), quoted(rekord().Nazwa.text())));
    }

    // Choice c: what one the type does not offer still holds, the text of an offered one and
    // where it leads.
    void choice(int c) {
        const ChoiceText& text = choiceText(rekord(), c);
        if (!ScenarioGraph::offers(snapshot_, k_, c)) {
            if (const QString held = unofferedContents(text, TKrok::cel(rekord(), c));
                !held.isEmpty())
                add(FindingKind::UnofferedChoice, c,
                    QStringLiteral("wybór %1 nie jest oferowany przez typ %2, a ma %3; "
                                   "gracz go nie pokaże (usuń go albo zmień typ)")
                        .arg(c)
                        .arg(TypeNames[lista().Typ], held));
            return;
        }
        stats_.choiceWords += wordsIn(text);
        if (isBlank(text))
            add(FindingKind::EmptyChoiceText, c,
                QStringLiteral("wybór %1 nie ma tekstu, a gracz go widzi").arg(c));
        target(c, TKrok::cel(rekord(), c));
    }

    // Where offered choice c leads: a situation there is, not the default end, whose two
    // records agree.
    void target(int c, std::int32_t to) {
        const std::int32_t n = snapshot_.size();
        if (to < 0)
            add(FindingKind::TargetNegative, c,
                QStringLiteral("wybór %1 prowadzi do sytuacji %2, a numery sytuacji nie "
                               "bywają ujemne")
                    .arg(c)
                    .arg(to));
        else if (to >= n)
            add(FindingKind::TargetOutOfRange, c,
                QStringLiteral("wybór %1 prowadzi do sytuacji %2, a scenariusz ma %3 sytuacji")
                    .arg(c)
                    .arg(to)
                    .arg(n));
        else if (to == 0 && zero_ == SituationZero::DefaultEnd)
            add(FindingKind::TargetDefaultEnd, c,
                QStringLiteral("wybór %1 został przy sytuacji 0 (domyślny koniec) i kończy "
                               "tam grę; wskaż, dokąd prowadzi")
                    .arg(c));
        else if (to == 0 && zero_ == SituationZero::NamedEnd)
            add(FindingKind::TargetNamedEnd, c,
                QStringLiteral("wybór %1 prowadzi do sytuacji 0 %2, do której edytor "
                               "kieruje też wybory jeszcze nie wskazane; sprawdź, czy to "
                               "zamierzone zakończenie")
                    .arg(c)
                    .arg(quoted(DefaultEndName)));
        else if (!sameName(to))
            add(FindingKind::TargetMismatch, c,
                QStringLiteral("wybór %1 prowadzi do sytuacji %2, której nazwy w plikach "
                               "sytuacji i listy się różnią (%3, %4)")
                    .arg(c)
                    .arg(to)
                    .arg(quoted(snapshot_.rekordy[std::size_t(to)].Nazwa.text()),
                         quoted(snapshot_.listy[std::size_t(to)].Nazwa.text())));
    }

    // Whether a game comes here from situation 1, and whether it can end from here.
    void reachability() {
        if (k_ != 0 && !reachable_[std::size_t(k_)])
            add(FindingKind::Unreachable, 0,
                QStringLiteral("żadna droga z sytuacji 1 tu nie prowadzi"));
        if (!reachable_[std::size_t(k_)])
            return;
        ++stats_.reachable;
        stats_.endingsReachable += graph_.isEnding(k_) ? 1 : 0;
        if (!canEnd_[std::size_t(k_)])
            add(FindingKind::Trap, 0,
                QStringLiteral("pułapka: stąd żadna droga nie prowadzi do sytuacji typu "
                               "Koniec, więc gra nie może się skończyć"));
    }

    // The name, its repeats among the situations before, and the description.
    void texts() {
        stats_.descriptionWords += wordsIn(rekord().Opis);
        if (isBlank(rekord().Nazwa))
            add(FindingKind::EmptyName, 0, QStringLiteral("sytuacja nie ma nazwy"));
        if (!isBlank(lista().Nazwa)) {
            if (const std::int32_t first = names_.firstOf(k_, snapshot_.listy); first >= 0)
                add(FindingKind::DuplicateName, 0,
                    QStringLiteral("nazwa %1 jest już nazwą sytuacji %2 (%3; wielkość liter "
                                   "się nie liczy); nadaj inną")
                        .arg(quoted(lista().Nazwa.text()))
                        .arg(first)
                        .arg(quoted(snapshot_.listy[std::size_t(first)].Nazwa.text())));
        }
        if (isBlank(rekord().Opis))
            add(FindingKind::EmptyDescription, 0, QStringLiteral("sytuacja nie ma opisu"));
    }

    // The picture and the sound, as the player would open them.
    void media() {
        const std::size_t before = found_.size();
        media_.check(MediaKind::Pictures, rekord().Bmp, found_);
        media_.check(MediaKind::Sounds, rekord().Wav, found_);
        for (std::size_t i = before; i < found_.size(); ++i)
            found_[i].situation = k_;
    }

    const ScenarioSnapshot& snapshot_;
    const ScenarioGraph& graph_;
    CheckStatistics& stats_;
    const std::vector<bool> reachable_;
    const std::vector<bool> canEnd_;
    const SituationZero zero_;
    MediaLookup media_;
    NameIndex names_;
    const std::vector<bool> namesAgree_;
    std::int32_t k_ = 0;
    std::vector<Finding> found_; // of situation k_, sorted before they join the report
};

} // namespace

int CheckReport::errors() const {
    return int(std::count_if(findings.begin(), findings.end(),
                             [](const Finding& f) { return f.severity == Severity::Error; }));
}

int CheckReport::warnings() const {
    return int(std::count_if(findings.begin(), findings.end(),
                             [](const Finding& f) { return f.severity == Severity::Warning; }));
}

QString severityName(Severity severity) {
    return severity == Severity::Error ? QStringLiteral("błąd") : QStringLiteral("ostrzeżenie");
}

Severity severityOf(FindingKind kind) {
    switch (kind) {
    case FindingKind::Unreachable:
    case FindingKind::EmptyName:
    case FindingKind::DuplicateName:
    case FindingKind::EmptyDescription:
    case FindingKind::EmptyChoiceText:
    case FindingKind::TargetNamedEnd:
    case FindingKind::UnofferedChoice:
        return Severity::Warning;
    default:
        return Severity::Error;
    }
}

QString kindName(FindingKind kind) {
    return QString::fromLatin1(kKindNames[std::size_t(kind)]);
}
CheckReport checkScenario(const ScenarioSnapshot& snapshot, const CheckOptions& options) {
    return checkScenario(snapshot, ScenarioGraph(snapshot), options);
}

CheckReport checkScenario(const ScenarioSnapshot& snapshot, const ScenarioGraph& graph,
                          const CheckOptions& options) {
    CheckReport report;
    CheckStatistics& stats = report.statistics;
    const std::int32_t n = snapshot.size();
    Checker checker(snapshot, graph, options, stats);
    for (std::int32_t k = 0; k < n; ++k)
        checker.check(k, report.findings);

    if (n < 2)
        report.findings.push_back(
            {Severity::Error,
             FindingKind::NoStart,
             1,
             {},
             0,
             QStringLiteral("scenariusz nie ma sytuacji 1, od której zaczyna się każda gra")});

    stats.situations = n;
    stats.shortestRoad = shortestRoad(graph);
    const LongestRoad longest = longestRoad(graph, checker.canEnd(), options.longestRoadBudget);
    // The shortest road visits no situation twice either: a search cut before it found
    // anything still knows that one.
    stats.longestRoad = std::max(longest.length, stats.shortestRoad);
    stats.longestRoadCut = longest.cut;
    return report;
}

QString reportSummary(const CheckReport& report) {
    const CheckStatistics& s = report.statistics;
    QString text = QStringLiteral("Sytuacje: %1, osiągalne z sytuacji 1: %2, osiągalne "
                                  "zakończenia: %3.\n")
                       .arg(s.situations)
                       .arg(s.reachable)
                       .arg(s.endingsReachable);
    if (s.shortestRoad < 0) {
        text += QStringLiteral("Żadne zakończenie nie jest osiągalne z sytuacji 1.\n");
    } else {
        text += QStringLiteral("Droga do zakończenia (liczba wyborów): najkrótsza %1, "
                               "najdłuższa %2")
                    .arg(s.shortestRoad)
                    .arg(s.longestRoad);
        text += s.longestRoadCut ? QStringLiteral(" (szukanie najdłuższej przerwano na limicie "
                                                  "kroków; może być dłuższa).\n")
                                 : QStringLiteral(".\n");
    }
    text += QStringLiteral("Słowa w opisach: %1, w tekstach wyborów: %2.\n")
                .arg(s.descriptionWords)
                .arg(s.choiceWords);
    text +=
        QStringLiteral("Błędy: %1, ostrzeżenia: %2.\n").arg(report.errors()).arg(report.warnings());
    return text;
}
