#include "common/FindReplace.h"

#include "common/Cp1250.h"
#include "common/Description.h"

#include <QHash>
#include <array>
#include <optional>

namespace {

constexpr std::array<SearchField, 6> Fields = {
    SearchField::Name,    SearchField::Description, SearchField::Choice1,
    SearchField::Choice2, SearchField::Choice3,     SearchField::Choice4,
};

// How many characters of context stand on each side of a hit before the cut.
constexpr int Around = 30;

// The letter without its diacritics. The strokes of "ł" and "đ" are no decomposition in Unicode.
QChar baseLetter(QChar c) {
    switch (c.unicode()) {
    case u'ł':
        return u'l';
    case u'Ł':
        return u'L';
    case u'đ':
        return u'd';
    case u'Đ':
        return u'D';
    default:
        break;
    }
    while (c.decompositionTag() == QChar::Canonical) {
        const QString parts = c.decomposition();
        if (parts.isEmpty() || parts[0] == c)
            break;
        c = parts[0];
    }
    return c;
}

// One character for each character, so that a position in the folded text is one in the text.
QString folded(const QString& text, const SearchOptions& options) {
    QString out = text;
    for (QChar& c : out) {
        if (options.ignoreDiacritics && c.isLetter())
            c = baseLetter(c);
        if (options.ignoreCase)
            c = c.toCaseFolded();
    }
    return out;
}

std::vector<int> occurrences(const QString& text, const QString& foldedNeedle,
                             const SearchOptions& options) {
    std::vector<int> found;
    if (foldedNeedle.isEmpty())
        return found;
    const QString haystack = folded(text, options);
    for (qsizetype at = haystack.indexOf(foldedNeedle); at >= 0;
         at = haystack.indexOf(foldedNeedle, at + foldedNeedle.size()))
        found.push_back(int(at));
    return found;
}

QString textOf(const TRekordKroku& rekord, SearchField field) {
    switch (field) {
    case SearchField::Name:
        return rekord.Nazwa.text();
    case SearchField::Description:
        return Description::shown(rekord.Opis.text());
    case SearchField::Choice1:
        return rekord.Wybor1.text();
    case SearchField::Choice2:
        return rekord.Wybor2.text();
    case SearchField::Choice3:
        return rekord.Wybor3.text();
    case SearchField::Choice4:
        return rekord.Wybor4.text();
    }
    return {};
}

void store(TRekordKroku& rekord, SearchField field, const QString& text) {
    switch (field) {
    case SearchField::Name:
        return rekord.Nazwa.assign(text);
    case SearchField::Description:
        return rekord.Opis.assign(Description::stored(text));
    case SearchField::Choice1:
        return rekord.Wybor1.assign(text);
    case SearchField::Choice2:
        return rekord.Wybor2.assign(text);
    case SearchField::Choice3:
        return rekord.Wybor3.assign(text);
    case SearchField::Choice4:
        return rekord.Wybor4.assign(text);
    }
}

int capacityOf(SearchField field) {
    switch (field) {
    case SearchField::Name:
        return ShortString<20>::Capacity;
    case SearchField::Description:
        return ShortString<250>::Capacity;
    default:
        return ShortString<45>::Capacity;
    }
}

// The words around text[position, position + length): a word the cut would halve is left out.
QString contextOf(const QString& text, int position, int length) {
    const int end = position + length;
    int from = position - Around;
    QString before;
    if (from <= 0) {
        from = 0;
    } else {
        while (from < position && !text[from - 1].isSpace())
            ++from;
        while (from < position && text[from].isSpace())
            ++from;
        before = QStringLiteral("…");
    }
    int to = end + Around;
    QString after;
    if (to >= text.size()) {
        to = int(text.size());
    } else {
        while (to > end && !text[to].isSpace())
            --to;
        while (to > end && text[to - 1].isSpace())
            --to;
        after = QStringLiteral("…");
    }
    QString shown = before + text.mid(from, to - from) + after;
    return shown.replace(u'\n', u' ');
}

// Why `text` cannot become field `field`'s new text, or nothing when it can.
std::optional<QString> overflow(SearchField field, const QString& text) {
    const bool description = field == SearchField::Description;
    const int length =
        description ? Description::storedLength(text) : int(Cp1250::encode(text).size());
    const int capacity = capacityOf(field);
    if (length <= capacity)
        return std::nullopt;
    return QStringLiteral("pole „%1” przekroczyłoby %2 %3 (byłoby ich %4%5)")
        .arg(fieldCaption(field), QString::number(capacity),
             description ? QStringLiteral("bajtów") : QStringLiteral("znaków"),
             QString::number(length),
             description ? QStringLiteral("; koniec wiersza liczy się za 2") : QString());
}

// What the replace makes of one situation before the names are compared.
struct Plan {
    std::array<QString, 6> texts;
    std::array<bool, 6> changed{};
    int replacements = 0;
    QString refusal;

    bool renamed() const { return changed[0] && refusal.isEmpty(); }
};

Plan planFor(const TRekordKroku& rekord, const QString& foldedNeedle, const QString& replacement,
             const std::optional<char32_t>& refusedCharacter, const SearchOptions& options) {
    Plan plan;
    for (std::size_t f = 0; f < Fields.size(); ++f) {
        const QString text = textOf(rekord, Fields[f]);
        const std::vector<int> at = occurrences(text, foldedNeedle, options);
        plan.replacements += int(at.size());
        QString result;
        qsizetype from = 0;
        for (const int position : at) {
            result += QStringView(text).mid(from, position - from);
            result += replacement;
            from = position + foldedNeedle.size();
        }
        result += QStringView(text).mid(from);
        plan.texts[f] = result;
        plan.changed[f] = result != text;
        if (!plan.changed[f] || !plan.refusal.isEmpty())
            continue;
        if (refusedCharacter)
            plan.refusal = Cp1250::refusedMessage(*refusedCharacter);
        else if (Fields[f] == SearchField::Name && result.isEmpty())
            plan.refusal = QStringLiteral("nazwa byłaby pusta");
        else if (const auto tooLong = overflow(Fields[f], result))
            plan.refusal = *tooLong;
    }
    return plan;
}

} // namespace

QString fieldCaption(SearchField field) {
    switch (field) {
    case SearchField::Name:
        return QStringLiteral("Nazwa");
    case SearchField::Description:
        return QStringLiteral("Opis");
    case SearchField::Choice1:
        return QStringLiteral("Wybór 1");
    case SearchField::Choice2:
        return QStringLiteral("Wybór 2");
    case SearchField::Choice3:
        return QStringLiteral("Wybór 3");
    case SearchField::Choice4:
        return QStringLiteral("Wybór 4");
    }
    return {};
}

std::vector<SearchHit> findInScenario(const std::vector<TRekordKroku>& rekordy,
                                      const QString& needle, const SearchOptions& options) {
    std::vector<SearchHit> hits;
    const QString foldedNeedle = folded(needle, options);
    if (foldedNeedle.isEmpty())
        return hits;
    for (std::size_t k = 0; k < rekordy.size(); ++k) {
        for (const SearchField field : Fields) {
            const QString text = textOf(rekordy[k], field);
            for (const int position : occurrences(text, foldedNeedle, options)) {
                hits.push_back({std::int32_t(k), field, position, int(needle.size()),
                                contextOf(text, position, int(needle.size()))});
            }
        }
    }
    return hits;
}

ReplaceResult replaceAll(std::vector<TRekordKroku>& rekordy, std::vector<TRekordListy>& listy,
                         const QString& needle, const QString& replacement,
                         const SearchOptions& options) {
    ReplaceResult result;
    const QString foldedNeedle = folded(needle, options);
    if (foldedNeedle.isEmpty())
        return result;
    const std::optional<char32_t> refusedCharacter = Cp1250::firstRefused(replacement);
    std::vector<Plan> plans;
    plans.reserve(rekordy.size());
    for (const TRekordKroku& rekord : rekordy)
        plans.push_back(planFor(rekord, foldedNeedle, replacement, refusedCharacter, options));

    // A situation is known by its record's name and by its list record's name. A renamed one
    // that a refusal sends back to its old name may now clash with another new name: compare
    // again until no refusal is added.
    const auto listName = [&](std::size_t k) {
        return k < listy.size() ? listy[k].Nazwa.text() : QString();
    };
    for (bool refusedAny = true; refusedAny;) {
        refusedAny = false;
        QHash<QString, std::vector<std::int32_t>> owners;
        for (std::size_t k = 0; k < plans.size(); ++k) {
            const auto k32 = std::int32_t(k);
            if (plans[k].renamed()) {
                owners[plans[k].texts[0].toCaseFolded()].push_back(k32);
                continue;
            }
            const QString name = rekordy[k].Nazwa.text().toCaseFolded();
            owners[name].push_back(k32);
            const QString listed = listName(k).toCaseFolded();
            if (k < listy.size() && listed != name)
                owners[listed].push_back(k32);
        }
        std::vector<std::pair<std::size_t, std::int32_t>> clashes;
        for (std::size_t k = 0; k < plans.size(); ++k) {
            if (!plans[k].renamed())
                continue;
            for (const std::int32_t other : owners.value(plans[k].texts[0].toCaseFolded())) {
                if (std::size_t(other) != k) {
                    clashes.emplace_back(k, other);
                    break;
                }
            }
        }
        for (const auto& [k, other] : clashes) {
            plans[k].refusal = QStringLiteral("nazwę „%1” miałaby też sytuacja %2")
                                   .arg(plans[k].texts[0])
                                   .arg(other);
            refusedAny = true;
        }
    }

    for (std::size_t k = 0; k < plans.size(); ++k) {
        const Plan& plan = plans[k];
        if (plan.replacements == 0)
            continue;
        if (!plan.refusal.isEmpty()) {
            result.refused.push_back({std::int32_t(k), plan.refusal});
            continue;
        }
        result.replacements += plan.replacements;
        bool changedAny = false;
        for (std::size_t f = 0; f < Fields.size(); ++f) {
            if (!plan.changed[f])
                continue;
            store(rekordy[k], Fields[f], plan.texts[f]);
            changedAny = true;
        }
        if (plan.changed[0] && k < listy.size())
            listy[k].Nazwa.assign(plan.texts[0]);
        if (changedAny)
            result.changed.push_back(std::int32_t(k));
    }
    return result;
}
