#include "authoring/ScenarioCheck.h"

#include "common/Cp1250.h"
#include "common/MediaFiles.h"
#include "common/ObEdKrok.h"
#include "common/ScenarioFiles.h"
#include "platform/core/AppError.h"
#include "platform/core/Bitmap.h"
#include "platform/core/FileSystem.h"
#include "platform/core/MediaFile.h"
#include "platform/core/WavHeader.h"

#include <QFileInfo>
#include <QHash>
#include <algorithm>
#include <array>

namespace {

// The names of the kinds, in the enum's order.
constexpr std::array<const char*, 20> kKindNames = {
    "NoStart",        "UnknownType",      "NameMismatch",   "TargetNegative",   "TargetOutOfRange",
    "TargetMismatch", "TargetDefaultEnd", "TargetNamedEnd", "UnofferedChoice",  "Unreachable",
    "Trap",           "EmptyName",        "DuplicateName",  "EmptyDescription", "EmptyChoiceText",
    "BadMediaName",   "MissingPicture",   "BadPicture",     "MissingSound",     "BadSound",
};
static_assert(kKindNames.size() == std::size_t(FindingKind::BadSound) + 1);

// A text put into a one-line message: line breaks and other control characters show as
// spaces.
QString oneLine(QString text) {
    for (QChar& ch : text) {
        if (ch.category() == QChar::Other_Control)
            ch = u' ';
    }
    return text;
}

QString quoted(const QString& text) {
    return QStringLiteral("„%1”").arg(oneLine(text));
}

// What each byte of a Windows-1250 text is for counting words.
enum class ByteClass : std::uint8_t { Space, WordChar, Other };

const std::array<ByteClass, 256>& byteClasses() {
    static const std::array<ByteClass, 256> classes = [] {
        std::array<ByteClass, 256> c{};
        for (int b = 0; b < 256; ++b) {
            const char byte = static_cast<char>(b);
            const QString decoded = Cp1250::decode(&byte, 1);
            const QChar ch = decoded.isEmpty() ? QChar(u' ') : decoded.front();
            c[std::size_t(b)] = ch.isSpace()            ? ByteClass::Space
                                : ch.isLetterOrNumber() ? ByteClass::WordChar
                                                        : ByteClass::Other;
        }
        return c;
    }();
    return classes;
}

// Words of a text as stored: maximal runs of non-space characters holding a letter or digit.
template <int N> std::int64_t wordsIn(const ShortString<N>& text) {
    const std::array<ByteClass, 256>& classes = byteClasses();
    std::int64_t words = 0;
    bool inRun = false;
    bool runCounts = false;
    for (int i = 0; i < text.length(); ++i) {
        const ByteClass c = classes[static_cast<std::uint8_t>(text.chars[std::size_t(i)])];
        if (c == ByteClass::Space) {
            words += runCounts ? 1 : 0;
            inRun = runCounts = false;
        } else {
            inRun = true;
            runCounts = runCounts || c == ByteClass::WordChar;
        }
    }
    return words + (inRun && runCounts ? 1 : 0);
}

template <int N> bool isBlank(const ShortString<N>& text) {
    const std::array<ByteClass, 256>& classes = byteClasses();
    for (int i = 0; i < text.length(); ++i) {
        if (classes[static_cast<std::uint8_t>(text.chars[std::size_t(i)])] != ByteClass::Space)
            return false;
    }
    return true;
}

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
QString unofferedContents(const ShortString<45>& text, std::int32_t target) {
    QStringList held;
    if (!text.isEmpty())
        held << QStringLiteral("tekst %1").arg(quoted(text.text()));
    if (target != -1 && target != 0)
        held << QStringLiteral("drogę do sytuacji %1").arg(target);
    return held.join(QStringLiteral(" i "));
}

const ShortString<45>& choiceText(const TRekordKroku& rekord, int n) {
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

// What the player makes of a picture or sound name, found once per name and once per file
// within one check: every situation naming the same file costs one look-up.
class MediaLookup {
public:
    MediaLookup(const QString& folder, bool filesToo) : folder_(folder), filesToo_(filesToo) {}

    // Adds the findings about the situation's picture or sound to `out`.
    void check(MediaKind kind, const ShortString<20>& field, std::vector<Finding>& out) {
        const bool picture = kind == MediaKind::Pictures;
        const QString what = picture ? QStringLiteral("obrazka") : QStringLiteral("dźwięku");
        if (field.len > ShortString<20>::Capacity) {
            out.push_back({Severity::Error,
                           FindingKind::BadMediaName,
                           0,
                           {},
                           0,
                           QStringLiteral("nazwa %1 ma zapisaną długość %2, a pole mieści %3 "
                                          "znaków; wybierz plik w edytorze ponownie")
                               .arg(what)
                               .arg(field.len)
                               .arg(ShortString<20>::Capacity)});
            return;
        }
        const QString name = field.text();
        if (name.isEmpty())
            return;
        if (name == u"." || name == u".." || name.contains(u'/') || name.contains(u'\\')) {
            out.push_back({Severity::Error,
                           FindingKind::BadMediaName,
                           0,
                           {},
                           0,
                           QStringLiteral("nazwa %1 %2 nie może być nazwą pliku w folderze %3 "
                                          "(„/”, „\\”, „.” i „..” są niedozwolone)")
                               .arg(what, quoted(name), folderName(kind))});
            return;
        }
        if (!filesToo_)
            return;
        const auto found = byName_[int(kind)].constFind(name);
        const QString path = found != byName_[int(kind)].cend()
                                 ? *found
                                 : *byName_[int(kind)].insert(name, find(kind, name));
        if (path.isEmpty()) {
            // A pipe, a device or a folder of that name (or a link to one) is no media file:
            // the player looks past it, as past nothing.
            const QString entry = MediaFiles::folderOf(kind, folder_) + name;
            const QString why = FileSystem::entryExists(entry)
                                    ? QStringLiteral("; %1 nie jest zwykłym plikiem, zastąp go "
                                                     "plikiem")
                                          .arg(quoted(entry))
                                    : QStringLiteral("; dodaj plik lub popraw nazwę");
            out.push_back({Severity::Error,
                           picture ? FindingKind::MissingPicture : FindingKind::MissingSound,
                           0,
                           {},
                           0,
                           QStringLiteral("gracz nie znajdzie %1 %2 w folderze %3")
                                   .arg(what, quoted(name), folderName(kind)) +
                               why});
            return;
        }
        auto refusal = refusals_.constFind(path);
        if (refusal == refusals_.cend())
            refusal = refusals_.insert(path, picture ? pictureRefusal(path) : soundRefusal(path));
        if (!refusal->isEmpty()) {
            out.push_back(
                {Severity::Error,
                 picture ? FindingKind::BadPicture : FindingKind::BadSound,
                 0,
                 {},
                 0,
                 QStringLiteral("gracz odrzuci plik %1 %2: %3").arg(what, quoted(name), *refusal)});
        }
    }

private:
    static QString folderName(MediaKind kind) {
        return kind == MediaKind::Pictures ? MediaFiles::PictureFolder : MediaFiles::SoundFolder;
    }

    QString find(MediaKind kind, const QString& name) const {
        return kind == MediaKind::Pictures ? MediaFiles::findPicture(folder_, name)
                                           : MediaFiles::findSound(folder_, name);
    }

    // Why the player's picture box would refuse the file, or nothing.
    static QString pictureRefusal(const QString& path) {
        try {
            Bitmap::load(path);
        } catch (const AppError& e) {
            return oneLine(e.message());
        }
        return {};
    }

    // Why the player's sound device would refuse the file, or nothing. The player chooses its
    // device by the file's name.
    static QString soundRefusal(const QString& path) {
        switch (WavHeader::refusal(path, true)) {
        case WavHeader::Refusal::NotWavName:
            return QStringLiteral("nazwa pliku dźwięku musi kończyć się na .wav");
        case WavHeader::Refusal::NotAFile:
            return QStringLiteral("to nie jest zwykły plik");
        case WavHeader::Refusal::NotPlayable:
            return QStringLiteral("to nie jest plik WAV z próbkami PCM, który da się odtworzyć");
        case WavHeader::Refusal::TooLarge:
            return oneLine(MediaFile::tooLargeText(path));
        case WavHeader::Refusal::None:
            break;
        }
        return {};
    }

    QString folder_;
    bool filesToo_;
    std::array<QHash<QString, QString>, 2> byName_; // name -> file found, by kind
    QHash<QString, QString> refusals_;              // file -> why refused, or empty
};

// The first situation of each name, letter case ignored, as the editor tells names apart.
// Names are hashed on their bytes case-folded within Windows-1250 (each byte stands for the
// first byte whose character folds to the same one), so that no name is decoded or allocated
// unless it matches; a match is confirmed by the editor's own case-blind comparison.
class NameIndex {
public:
    explicit NameIndex(std::int32_t situations)
        : keys_(std::size_t(situations)), slots_(slotCount(situations), -1) {}

    // The first situation before k whose list name equals k's, or -1 when k's is the first.
    std::int32_t firstOf(std::int32_t k, const std::vector<TRekordListy>& listy) {
        Key& key = keys_[std::size_t(k)];
        const ShortString<20>& name = listy[std::size_t(k)].Nazwa;
        key[0] = static_cast<std::uint8_t>(name.length());
        for (int i = 0; i < name.length(); ++i)
            key[std::size_t(i) + 1] =
                folding()[static_cast<std::uint8_t>(name.chars[std::size_t(i)])];
        std::size_t at = hash(key) & (slots_.size() - 1);
        for (; slots_[at] >= 0; at = (at + 1) & (slots_.size() - 1)) {
            const std::int32_t other = slots_[at];
            if (keys_[std::size_t(other)] == key &&
                QString::compare(listy[std::size_t(other)].Nazwa.text(), name.text(),
                                 Qt::CaseInsensitive) == 0)
                return other;
        }
        slots_[at] = k;
        return -1;
    }

private:
    using Key = std::array<std::uint8_t, 21>; // the length, then the folded bytes

    static std::size_t slotCount(std::int32_t situations) {
        std::size_t count = 16;
        while (count < 2 * std::size_t(situations))
            count *= 2;
        return count;
    }

    static std::size_t hash(const Key& key) {
        std::uint64_t h = 1469598103934665603u; // FNV-1a
        for (int i = 0; i <= key[0]; ++i)
            h = (h ^ key[std::size_t(i)]) * 1099511628211u;
        return std::size_t(h ^ (h >> 29));
    }

    static const std::array<std::uint8_t, 256>& folding() {
        static const std::array<std::uint8_t, 256> table = [] {
            std::array<QString, 256> folded;
            for (int b = 0; b < 256; ++b) {
                const char byte = static_cast<char>(b);
                folded[std::size_t(b)] = Cp1250::decode(&byte, 1).toCaseFolded();
            }
            std::array<std::uint8_t, 256> t{};
            for (int b = 0; b < 256; ++b) {
                int first = 0;
                while (folded[std::size_t(first)] != folded[std::size_t(b)])
                    ++first;
                t[std::size_t(b)] = static_cast<std::uint8_t>(first);
            }
            return t;
        }();
        return table;
    }

    std::vector<Key> keys_;
    std::vector<std::int32_t> slots_;
};

// The shortest road from 1 to a Koniec situation, in choices taken; -1 when there is none.
// A game ends at the first Koniec it reaches, and situation 1 is where it starts, not an end.
std::int32_t shortestRoad(const ScenarioGraph& graph) {
    if (graph.size() < 2)
        return -1;
    std::vector<std::int32_t> distance(std::size_t(graph.size()), -1);
    std::vector<std::int32_t> queue{1};
    queue.reserve(std::size_t(graph.size()));
    distance[1] = 0;
    for (std::size_t head = 0; head < queue.size(); ++head) {
        const std::int32_t at = queue[head];
        const std::int32_t d = distance[std::size_t(at)];
        if (d > 0 && graph.isEnding(at))
            return d;
        for (const ScenarioGraph::Road& road : graph.roadsFrom(at)) {
            if (distance[std::size_t(road.to)] < 0) {
                distance[std::size_t(road.to)] = d + 1;
                queue.push_back(road.to);
            }
        }
    }
    return -1;
}

struct LongestRoad {
    std::int32_t length = -1;
    bool cut = false;
};

// The longest road from 1 to a Koniec situation that visits no situation twice, by a depth
// first search over the roads that can still end; it stops after `budget` moves, since the
// longest simple road of a graph with loops can take exponential time to find.
LongestRoad longestRoad(const ScenarioGraph& graph, const std::vector<bool>& canEnd,
                        std::int64_t budget) {
    LongestRoad result;
    if (graph.size() < 2 || !canEnd[1])
        return result;
    struct Frame {
        std::int32_t at;
        std::size_t next;
    };
    std::vector<bool> onPath(std::size_t(graph.size()), false);
    std::vector<Frame> path{{1, 0}};
    onPath[1] = true;
    std::int64_t moves = 0;
    while (!path.empty()) {
        Frame& top = path.back();
        const std::span<const ScenarioGraph::Road> roads = graph.roadsFrom(top.at);
        if (top.next == roads.size()) {
            onPath[std::size_t(top.at)] = false;
            path.pop_back();
            continue;
        }
        const std::int32_t to = roads[top.next++].to;
        if (onPath[std::size_t(to)] || !canEnd[std::size_t(to)])
            continue;
        if (++moves > budget) {
            result.cut = true;
            break;
        }
        const auto length = static_cast<std::int32_t>(path.size());
        if (graph.isEnding(to)) {
            result.length = std::max(result.length, length);
            continue;
        }
        onPath[std::size_t(to)] = true;
        path.push_back({to, 0});
    }
    return result;
}

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
    const std::vector<bool> reachable = graph.reachableFromStart();
    const std::vector<bool> canEnd = graph.reachesEnding();
    const SituationZero zero = situationZero(snapshot);
    MediaLookup media(snapshot.folder, options.media);
    NameIndex names(n);
    // Whether each situation's two records give it the same name, found in one pass in
    // order: looked up at random through the targets, the records themselves would be
    // fetched from memory one by one.
    std::vector<bool> namesAgree(static_cast<std::size_t>(n));
    for (std::int32_t k = 0; k < n; ++k) {
        const auto& a = snapshot.rekordy[std::size_t(k)].Nazwa;
        const auto& b = snapshot.listy[std::size_t(k)].Nazwa;
        namesAgree[std::size_t(k)] =
            a.length() == b.length() && std::equal(a.data(), a.data() + a.length(), b.data());
    }
    const auto sameName = [&](std::int32_t k) { return bool(namesAgree[std::size_t(k)]); };

    std::vector<Finding> found; // of one situation, sorted before they join the report
    for (std::int32_t k = 0; k < n; ++k) {
        const TRekordKroku& rekord = snapshot.rekordy[std::size_t(k)];
        const TRekordListy& lista = snapshot.listy[std::size_t(k)];
        found.clear();
        const auto add = [&](FindingKind kind, int choice, const QString& message) {
            found.push_back({severityOf(kind), kind, k, {}, choice, message});
        };

        stats.descriptionWords += wordsIn(rekord.Opis);
        if (lista.Typ > Wybory3)
            add(FindingKind::UnknownType, 0,
                QStringLiteral("typ sytuacji %1 jest nieznany (znane są 0–5), więc gracz "
                               "zostawi wybory poprzedniej sytuacji; ustaw typ w edytorze")
                    .arg(lista.Typ));
        if (!sameName(k))
            add(FindingKind::NameMismatch, 0,
                QStringLiteral("plik listy podaje nazwę %1, a plik sytuacji %2; zapisz "
                               "sytuację w edytorze, by je uzgodnić")
                    .arg(quoted(lista.Nazwa.text()), quoted(rekord.Nazwa.text())));

        for (int c = 1; c <= 4; ++c) {
            if (!ScenarioGraph::offers(snapshot, k, c)) {
                if (const QString held =
                        unofferedContents(choiceText(rekord, c), TKrok::cel(rekord, c));
                    !held.isEmpty())
                    add(FindingKind::UnofferedChoice, c,
                        QStringLiteral("wybór %1 nie jest oferowany przez typ %2, a ma %3; "
                                       "gracz go nie pokaże (usuń go albo zmień typ)")
                            .arg(c)
                            .arg(TypeNames[lista.Typ], held));
                continue;
            }
            stats.choiceWords += wordsIn(choiceText(rekord, c));
            if (isBlank(choiceText(rekord, c)))
                add(FindingKind::EmptyChoiceText, c,
                    QStringLiteral("wybór %1 nie ma tekstu, a gracz go widzi").arg(c));
            const std::int32_t to = TKrok::cel(rekord, c);
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
            else if (to == 0 && zero == SituationZero::DefaultEnd)
                add(FindingKind::TargetDefaultEnd, c,
                    QStringLiteral("wybór %1 został przy sytuacji 0 (domyślny koniec) i kończy "
                                   "tam grę; wskaż, dokąd prowadzi")
                        .arg(c));
            else if (to == 0 && zero == SituationZero::NamedEnd)
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
                        .arg(quoted(snapshot.rekordy[std::size_t(to)].Nazwa.text()),
                             quoted(snapshot.listy[std::size_t(to)].Nazwa.text())));
        }

        if (k != 0 && !reachable[std::size_t(k)])
            add(FindingKind::Unreachable, 0,
                QStringLiteral("żadna droga z sytuacji 1 tu nie prowadzi"));
        if (reachable[std::size_t(k)]) {
            ++stats.reachable;
            stats.endingsReachable += graph.isEnding(k) ? 1 : 0;
            if (!canEnd[std::size_t(k)])
                add(FindingKind::Trap, 0,
                    QStringLiteral("pułapka: stąd żadna droga nie prowadzi do sytuacji typu "
                                   "Koniec, więc gra nie może się skończyć"));
        }

        if (isBlank(rekord.Nazwa))
            add(FindingKind::EmptyName, 0, QStringLiteral("sytuacja nie ma nazwy"));
        if (!isBlank(lista.Nazwa)) {
            if (const std::int32_t first = names.firstOf(k, snapshot.listy); first >= 0)
                add(FindingKind::DuplicateName, 0,
                    QStringLiteral("nazwa %1 jest już nazwą sytuacji %2 (%3; wielkość liter "
                                   "się nie liczy); nadaj inną")
                        .arg(quoted(lista.Nazwa.text()))
                        .arg(first)
                        .arg(quoted(snapshot.listy[std::size_t(first)].Nazwa.text())));
        }
        if (isBlank(rekord.Opis))
            add(FindingKind::EmptyDescription, 0, QStringLiteral("sytuacja nie ma opisu"));

        const std::size_t before = found.size();
        media.check(MediaKind::Pictures, rekord.Bmp, found);
        media.check(MediaKind::Sounds, rekord.Wav, found);
        for (std::size_t i = before; i < found.size(); ++i)
            found[i].situation = k;

        if (found.empty())
            continue;
        std::stable_sort(found.begin(), found.end(), [](const Finding& a, const Finding& b) {
            return std::pair(a.kind, a.choice) < std::pair(b.kind, b.choice);
        });
        const QString name = rekord.Nazwa.text();
        for (Finding& f : found) {
            f.name = name;
            report.findings.push_back(std::move(f));
        }
    }

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
    const LongestRoad longest = longestRoad(graph, canEnd, options.longestRoadBudget);
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
