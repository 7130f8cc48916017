// The text form read line by line: each header opens a situation's block, each fact fills a
// field of it, and the drafts become the pair's bytes once every line is read.

#include "authoring/TextFormReader.h"

#include "common/ScenarioFiles.h"

#include <algorithm>

namespace TextFormParts {

Reader::Reader(const QString& text) {
    lines_ = text.split(u'\n');
    if (!lines_.isEmpty() && lines_.first().startsWith(QChar(0xFEFF)))
        lines_.first().remove(0, 1);
    if (!lines_.isEmpty() && lines_.last().isEmpty())
        lines_.removeLast();
    for (QString& line : lines_) {
        qsizetype end = line.size();
        while (end > 0 &&
               (line.at(end - 1) == u' ' || line.at(end - 1) == u'\t' || line.at(end - 1) == u'\r'))
            --end;
        line.truncate(end);
    }
}

TextFormResult Reader::read() {
    for (int i = 0; i < lines_.size(); ++i) {
        const QString& line = lines_.at(i);
        if (line.isEmpty())
            continue;
        if (line.startsWith(QStringLiteral("=="))) {
            finish();
            header(i + 1, line);
            continue;
        }
        if (!draft_) {
            error(i + 1, 1,
                  QStringLiteral("oczekiwano nagłówka sytuacji „== %1 NAZWA”").arg(drafts_.size()));
            continue;
        }
        i = fact(i);
    }
    finish();
    TextFormResult result;
    result.pair = build();
    result.errors = std::move(errors_);
    std::stable_sort(
        result.errors.begin(), result.errors.end(),
        [](const TextFormError& a, const TextFormError& b) { return a.line < b.line; });
    if (!result.errors.empty()) {
        result.pair = {};
        return result;
    }
    result.situationLines.reserve(drafts_.size());
    for (const Draft& d : drafts_)
        result.situationLines.push_back(d.line);
    return result;
}

void Reader::error(int line, int column, const QString& message) {
    errors_.push_back({line, column, message});
}

void Reader::header(int line, const QString& text) {
    draft_.emplace();
    draft_->line = line;
    seen_.clear();
    const qsizetype space = text.indexOf(u' ', 3);
    const qlonglong expected = expected_;
    const std::optional<qlonglong> n =
        headerNumber(line, text, text.mid(3, space < 0 ? -1 : space - 3));
    if (!n)
        return;
    if (*n != expected)
        headerOutOfOrder(line, *n, expected);
    expected_ = *n + 1;
    if (space >= 0)
        setText(line, int(space) + 2, text.mid(space + 1), Nazwa);
}

// The number a header gives, or nothing, with its fault, when it gives none a situation may
// have.
std::optional<qlonglong> Reader::headerNumber(int line, const QString& text,
                                              const QString& number) {
    bool ok = false;
    const qlonglong n = number.toLongLong(&ok);
    const bool digits = !number.isEmpty() && std::all_of(number.begin(), number.end(), [](QChar c) {
        return c >= u'0' && c <= u'9';
    });
    const bool spaced = text.startsWith(QStringLiteral("== "));
    if (spaced && digits && (!ok || n >= MaxSituations)) {
        error(line, 4, tooManySituations());
        return std::nullopt;
    }
    if (!spaced || !digits) {
        // The blocks after it are numbered on as if it had the number expected.
        error(line, spaced ? 4 : 1,
              QStringLiteral("oczekiwano nagłówka sytuacji „== %1 NAZWA” (sytuacje po kolei "
                             "od 0)")
                  .arg(expected_++));
        return std::nullopt;
    }
    return n;
}

// A header out of order is one fault: the blocks after it are numbered on from it, and its name
// still names it, so that no fault follows from it.
void Reader::headerOutOfOrder(int line, qlonglong n, qlonglong expected) {
    if (n < expected) {
        error(line, 4,
              QStringLiteral("oczekiwano nagłówka sytuacji „== %1 NAZWA”: sytuacja %2 już "
                             "była (sytuacje po kolei od 0)")
                  .arg(expected)
                  .arg(n));
        return;
    }
    const QString missing =
        n - 1 == expected ? QStringLiteral("brak bloku sytuacji %1").arg(expected)
                          : QStringLiteral("brak bloków sytuacji %1–%2").arg(expected).arg(n - 1);
    error(line, 4,
          expected == 0 ? QStringLiteral("%1: tekst zaczyna się od sytuacji %2, a pierwsza jest "
                                         "sytuacja 0, domyślny koniec; oczekiwano najpierw "
                                         "„== 0 NAZWA”")
                              .arg(missing)
                              .arg(n)
                        : QStringLiteral("%1: po sytuacji %2 następuje %3; oczekiwano "
                                         "„== %4 NAZWA” (sytuacje po kolei od 0)")
                              .arg(missing)
                              .arg(expected - 1)
                              .arg(n)
                              .arg(expected));
}

// Reads the fact on line index i; returns the index of its last line.
int Reader::fact(int i) {
    const int line = i + 1;
    const QString& text = lines_.at(i);
    const qsizetype colon = text.indexOf(u':');
    if (colon <= 0 || text.startsWith(u' ')) {
        error(line, 1,
              QStringLiteral("oczekiwano „pole: wartość” albo nagłówka „== NUMER NAZWA” "
                             "(wiersze opisu idą pod „opis:”, wcięte dwiema spacjami)"));
        return i;
    }
    const QString key = text.left(colon);
    qsizetype start = colon + 1;
    if (start < text.size() && text.at(start) == u' ')
        ++start;
    const QString value = text.mid(start);
    const int column = int(start) + 1;

    const QString canonical = key.startsWith(QStringLiteral("nieużywany ")) ? key.mid(11) : key;
    if (seen_.contains(canonical)) {
        error(line, 1,
              QStringLiteral("„%1” już podano w wierszu %2; oczekiwano każdego pola raz")
                  .arg(key)
                  .arg(seen_.value(canonical)));
        return key == QStringLiteral("opis") ? skipDescription(i) : i;
    }
    seen_.insert(canonical, line);

    if (key == QStringLiteral("opis"))
        return description(i, value);
    if (key == QStringLiteral("typ"))
        typ(line, column, value);
    else if (const int f = choiceField(canonical); f >= 0)
        choice(line, column, value, f);
    else if (key == QStringLiteral("obrazek"))
        setText(line, column, value, Obrazek);
    else if (key == QStringLiteral("dźwięk"))
        setText(line, column, value, Dzwiek);
    else if (!rawFact(line, column, key, value))
        error(line, 1,
              QStringLiteral("nieznane pole „%1”; oczekiwano: typ, opis, wybór N, "
                             "nieużywany wybór N, obrazek, dźwięk, długość POLE, "
                             "surowe POLE, surowe luka albo surowa lista")
                  .arg(key));
    return i;
}

// Ends the block being read, if any.
void Reader::finish() {
    if (!draft_)
        return;
    if (!seen_.contains(QStringLiteral("typ")))
        error(draft_->line, 1,
              QStringLiteral("brak wiersza „typ:” w sytuacji %1").arg(expected_ - 1));
    for (int f = 0; f < FieldCount; ++f) {
        const FieldDraft& d = draft_->fields[std::size_t(f)];
        const int capacity = capacityOf(f);
        if (d.text.size() + d.tail.size() > capacity)
            error(d.tailLine, d.tailColumn,
                  QStringLiteral("tekst i surowe bajty pola mają razem %1 bajtów, a pole "
                                 "mieści najwyżej %2")
                      .arg(d.text.size() + d.tail.size())
                      .arg(capacity));
    }
    drafts_.push_back(std::move(*draft_));
    draft_.reset();
}

} // namespace TextFormParts

TextFormResult fromText(const QString& text) {
    // A text of more situations than a scenario may have is refused before its lines are
    // split or a block is read, so what it claims costs no memory.
    int line = 1;
    std::int64_t headers = 0;
    const qsizetype start = text.startsWith(QChar(0xFEFF)) ? 1 : 0;
    for (qsizetype at = start; at < text.size(); ++at) {
        if ((at == start || text.at(at - 1) == u'\n') &&
            QStringView(text).mid(at, 2) == QStringLiteral("==") && ++headers > MaxSituations)
            return {{}, {{line, 1, TextFormParts::tooManySituations()}}, {}};
        if (text.at(at) == u'\n')
            ++line;
    }
    return TextFormParts::Reader(text).read();
}
