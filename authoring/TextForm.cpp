#include "authoring/TextForm.h"

#include "common/Cp1250.h"
#include "common/ScenarioFiles.h"
#include "platform/core/AppError.h"

#include <QHash>
#include <QStringList>
#include <algorithm>
#include <array>
#include <cstring>
#include <optional>

namespace {

// Why a text of more situations than a scenario may have is refused.
QString tooManySituations() {
    return QStringLiteral("scenariusz może mieć najwyżej %1 sytuacji (numery od 0 do %2)")
        .arg(MaxSituations)
        .arg(MaxSituations - 1);
}

// The text fields of a situation record, in the order of their lines in a block.
enum Field { Nazwa, Wybor1, Wybor2, Wybor3, Wybor4, Opis, Obrazek, Dzwiek, FieldCount };

const std::array<QString, FieldCount> kFieldNames = {
    QStringLiteral("nazwa"),   QStringLiteral("wybór 1"), QStringLiteral("wybór 2"),
    QStringLiteral("wybór 3"), QStringLiteral("wybór 4"), QStringLiteral("opis"),
    QStringLiteral("obrazek"), QStringLiteral("dźwięk"),
};

const QString kIndent = QStringLiteral("  ");
const QString kArrow = QStringLiteral(" -> ");
const QByteArray kLineBreak = QByteArrayLiteral("\r\n");

// Where a choice leads when no line says: an offered one to the default end, as the editor
// leaves a choice not yet pointed anywhere; one the type does not offer nowhere (-1), as the
// editor writes it, except in the default end itself, which the kit creates with zeros.
std::int32_t defaultTarget(std::int32_t situation, std::uint8_t typ, int choice) {
    return offeredChoices(typ)[std::size_t(choice)] || situation == 0 ? 0 : -1;
}

// A field's length byte, its characters and its capacity, whichever field it is.
struct FieldView {
    std::uint8_t* len;
    char* chars;
    int capacity;

    int length() const { return std::min<int>(*len, capacity); }
    QByteArray text() const { return QByteArray(chars, length()); }
};

template <int N> FieldView view(ShortString<N>& s) {
    return {&s.len, s.chars.data(), N};
}

FieldView field(TRekordKroku& r, int f) {
    switch (f) {
    case Nazwa:
        return view(r.Nazwa);
    case Wybor1:
        return view(r.Wybor1);
    case Wybor2:
        return view(r.Wybor2);
    case Wybor3:
        return view(r.Wybor3);
    case Wybor4:
        return view(r.Wybor4);
    case Opis:
        return view(r.Opis);
    case Obrazek:
        return view(r.Bmp);
    default:
        return view(r.Wav);
    }
}

LeInt32& target(TRekordKroku& r, int choice) {
    std::array<LeInt32*, 4> all = {&r.Krok_Wybrany1, &r.Krok_Wybrany2, &r.Krok_Wybrany3,
                                   &r.Krok_Wybrany4};
    return *all[static_cast<std::size_t>(choice)];
}

QString hex(const QByteArray& bytes) {
    return QString::fromLatin1(bytes.toHex());
}

// ---- writing -----------------------------------------------------------------------------

// Bytes as a value: Windows-1250 characters, with a backslash, a control character and a space
// at the end (which editors drop) written as escapes.
QString escaped(const QByteArray& bytes) {
    const QString chars = Cp1250::decode(bytes);
    QString out;
    out.reserve(chars.size());
    for (qsizetype i = 0; i < chars.size(); ++i) {
        const char16_t c = chars.at(i).unicode();
        if (c == u'\\')
            out += QStringLiteral("\\\\");
        else if (c < 0x20 || (c >= 0x7F && c <= 0x9F) || (c == u' ' && i == chars.size() - 1))
            out += QStringLiteral("\\x") +
                   QString::number(std::uint8_t(bytes.at(i)), 16).rightJustified(2, u'0').toUpper();
        else
            out += QChar(c);
    }
    return out;
}

// The description's lines: split at CR LF; line breaks at its end are escapes on its last line,
// as an empty last line could not be told from the blank line after the block.
QStringList descriptionLines(QByteArray opis) {
    int trailing = 0;
    while (opis.endsWith(kLineBreak)) {
        opis.chop(2);
        ++trailing;
    }
    QStringList lines;
    qsizetype from = 0;
    for (;;) {
        const qsizetype at = opis.indexOf(kLineBreak, from);
        lines.append(escaped(opis.mid(from, at < 0 ? -1 : at - from)));
        if (at < 0)
            break;
        from = at + 2;
    }
    lines.last() += QStringLiteral("\\x0D\\x0A").repeated(trailing);
    return lines;
}

// The line of a field's bytes past its length, when they are not all zero.
QString tailLine(const QString& name, const FieldView& f) {
    QByteArray tail(f.chars + f.length(), f.capacity - f.length());
    while (tail.endsWith('\0'))
        tail.chop(1);
    return tail.isEmpty() ? QString() : QStringLiteral("surowe %1: %2\n").arg(name, hex(tail));
}

// ---- reading -----------------------------------------------------------------------------

struct Fault {
    int column = 0; // in the value, from 0
    QString message;
};

// The value of a hexadecimal digit, or -1 for any other character.
int hexDigit(QChar c) {
    const char16_t u = c.unicode();
    if (u >= u'0' && u <= u'9')
        return u - u'0';
    if (u >= u'a' && u <= u'f')
        return u - u'a' + 10;
    if (u >= u'A' && u <= u'F')
        return u - u'A' + 10;
    return -1;
}

// A value's bytes: its characters in Windows-1250 with the escapes undone.
std::optional<QByteArray> unescaped(const QString& value, Fault& fault) {
    QByteArray out;
    out.reserve(value.size());
    for (qsizetype i = 0; i < value.size(); ++i) {
        const QChar c = value.at(i);
        if (c.unicode() < 0x80 && c != u'\\') {
            out += char(c.unicode()); // the code page's lower half is ASCII
            continue;
        }
        if (c == u'\\') {
            if (value.mid(i + 1, 1) == QStringLiteral("\\")) {
                out += '\\';
                ++i;
                continue;
            }
            const int high = i + 3 < value.size() ? hexDigit(value.at(i + 2)) : -1;
            const int low = high >= 0 ? hexDigit(value.at(i + 3)) : -1;
            if (value.mid(i + 1, 1) != QStringLiteral("x") || low < 0) {
                fault = {int(i), QStringLiteral("nieznana sekwencja „%1”; oczekiwano „\\\\” albo "
                                                "„\\xNN” (dwie cyfry szesnastkowe)")
                                     .arg(value.mid(i, 4))};
                return std::nullopt;
            }
            out += char(high * 16 + low);
            i += 3;
            continue;
        }
        if (c.isHighSurrogate() || c.isLowSurrogate() || (c != u'?' && Cp1250::encode(c) == "?")) {
            const uint code = c.isHighSurrogate() && i + 1 < value.size()
                                  ? QChar::surrogateToUcs4(c, value.at(i + 1))
                                  : c.unicode();
            fault = {int(i),
                     QStringLiteral("znaku U+%1 nie ma w Windows-1250; oczekiwano znaku, który "
                                    "plik scenariusza może zapisać (albo „\\xNN”)")
                         .arg(QString::number(code, 16).rightJustified(4, u'0').toUpper())};
            return std::nullopt;
        }
        out += Cp1250::encode(c);
    }
    return out;
}

std::optional<QByteArray> hexBytes(const QString& value, Fault& fault) {
    for (qsizetype i = 0; i < value.size(); ++i) {
        if (hexDigit(value.at(i)) < 0) {
            fault = {int(i), QStringLiteral("oczekiwano cyfry szesnastkowej (0-9, a-f)")};
            return std::nullopt;
        }
    }
    if (value.size() % 2 != 0) {
        fault = {int(value.size()),
                 QStringLiteral("oczekiwano parzystej liczby cyfr szesnastkowych (dwie na bajt)")};
        return std::nullopt;
    }
    return QByteArray::fromHex(value.toLatin1());
}

// Where a choice leads, as a text gave it: by number, or by a name looked up at the end.
struct TargetRef {
    bool byName = false;
    QByteArray name;
    std::int32_t number = 0;
    int line = 0;
    int column = 0;
};

// A field as a block gave it.
struct FieldDraft {
    QByteArray text;
    QByteArray tail;
    int length = -1; // an explicit length byte above the capacity
    int tailLine = 0;
    int tailColumn = 0;
};

// A situation being read: its fields until the block ends.
struct Draft {
    int line = 0;
    std::array<FieldDraft, FieldCount> fields;
    std::optional<int> typ;
    std::array<std::optional<TargetRef>, 4> targets;
    std::array<std::uint8_t, 2> gap{};
    std::optional<QByteArray> list;
};

class Reader {
public:
    explicit Reader(const QString& text) {
        lines_ = text.split(u'\n');
        if (!lines_.isEmpty() && lines_.first().startsWith(QChar(0xFEFF)))
            lines_.first().remove(0, 1);
        if (!lines_.isEmpty() && lines_.last().isEmpty())
            lines_.removeLast();
        for (QString& line : lines_) {
            qsizetype end = line.size();
            while (end > 0 && (line.at(end - 1) == u' ' || line.at(end - 1) == u'\t' ||
                               line.at(end - 1) == u'\r'))
                --end;
            line.truncate(end);
        }
    }

    TextFormResult read() {
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
                      QStringLiteral("oczekiwano nagłówka sytuacji „== %1 NAZWA”")
                          .arg(drafts_.size()));
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

private:
    void error(int line, int column, const QString& message) {
        errors_.push_back({line, column, message});
    }

    void header(int line, const QString& text) {
        draft_.emplace();
        draft_->line = line;
        seen_.clear();
        const qsizetype space = text.indexOf(u' ', 3);
        const QString number = text.mid(3, space < 0 ? -1 : space - 3);
        bool ok = false;
        const qlonglong n = number.toLongLong(&ok);
        const bool digits =
            !number.isEmpty() && std::all_of(number.begin(), number.end(),
                                             [](QChar c) { return c >= u'0' && c <= u'9'; });
        const bool spaced = text.startsWith(QStringLiteral("== "));
        if (spaced && digits && (!ok || n >= MaxSituations)) {
            error(line, 4, tooManySituations());
            return;
        }
        const qlonglong expected = expected_++;
        if (!spaced || !digits) {
            error(line, spaced ? 4 : 1,
                  QStringLiteral("oczekiwano nagłówka sytuacji „== %1 NAZWA” (sytuacje po kolei "
                                 "od 0)")
                      .arg(expected));
            return;
        }
        // A header out of order is one fault: the blocks after it are numbered on from it, and
        // its name still names it, so that no fault follows from it.
        if (n > expected) {
            const QString missing =
                n - 1 == expected
                    ? QStringLiteral("brak bloku sytuacji %1").arg(expected)
                    : QStringLiteral("brak bloków sytuacji %1–%2").arg(expected).arg(n - 1);
            error(line, 4,
                  expected == 0 ? QStringLiteral("%1: tekst zaczyna się od sytuacji %2, a "
                                                 "pierwsza jest sytuacja 0, domyślny koniec; "
                                                 "oczekiwano najpierw „== 0 NAZWA”")
                                      .arg(missing)
                                      .arg(n)
                                : QStringLiteral("%1: po sytuacji %2 następuje %3; oczekiwano "
                                                 "„== %4 NAZWA” (sytuacje po kolei od 0)")
                                      .arg(missing)
                                      .arg(expected - 1)
                                      .arg(n)
                                      .arg(expected));
        } else if (n < expected) {
            error(line, 4,
                  QStringLiteral("oczekiwano nagłówka sytuacji „== %1 NAZWA”: sytuacja %2 już "
                                 "była (sytuacje po kolei od 0)")
                      .arg(expected)
                      .arg(n));
        }
        expected_ = n + 1;
        if (space >= 0)
            setText(line, int(space) + 2, text.mid(space + 1), Nazwa);
    }

    // Reads the fact on line index i; returns the index of its last line.
    int fact(int i) {
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

        QString canonical = key;
        if (key.startsWith(QStringLiteral("nieużywany ")))
            canonical = key.mid(11);
        if (seen_.contains(canonical)) {
            error(line, 1,
                  QStringLiteral("„%1” już podano w wierszu %2; oczekiwano każdego pola raz")
                      .arg(key)
                      .arg(seen_.value(canonical)));
            return key == QStringLiteral("opis") ? skipDescription(i) : i;
        }
        seen_.insert(canonical, line);

        if (key == QStringLiteral("typ"))
            typ(line, column, value);
        else if (key == QStringLiteral("opis"))
            return description(i, value);
        else if (const int f = choiceField(canonical); f >= 0)
            choice(line, column, value, f);
        else if (key == QStringLiteral("obrazek"))
            setText(line, column, value, Obrazek);
        else if (key == QStringLiteral("dźwięk"))
            setText(line, column, value, Dzwiek);
        else if (key.startsWith(QStringLiteral("długość ")) && fieldNamed(key.mid(8)) >= 0)
            length(line, column, value, fieldNamed(key.mid(8)));
        else if (key.startsWith(QStringLiteral("surowe ")) && fieldNamed(key.mid(7)) >= 0)
            tail(line, column, value, fieldNamed(key.mid(7)));
        else if (key == QStringLiteral("surowe luka"))
            rawBytes(line, column, value, 2, [this](const QByteArray& b) {
                draft_->gap = {std::uint8_t(b[0]), std::uint8_t(b[1])};
            });
        else if (key == QStringLiteral("surowa lista"))
            rawBytes(line, column, value, 21, [this](const QByteArray& b) { draft_->list = b; });
        else
            error(line, 1,
                  QStringLiteral("nieznane pole „%1”; oczekiwano: typ, opis, wybór N, "
                                 "nieużywany wybór N, obrazek, dźwięk, długość POLE, "
                                 "surowe POLE, surowe luka albo surowa lista")
                      .arg(key));
        return i;
    }

    static int choiceField(const QString& key) {
        for (int f = Wybor1; f <= Wybor4; ++f) {
            if (key == kFieldNames[f])
                return f;
        }
        return -1;
    }

    static int fieldNamed(const QString& name) {
        for (int f = 0; f < FieldCount; ++f) {
            if (name == kFieldNames[f])
                return f;
        }
        return -1;
    }

    void typ(int line, int column, const QString& value) {
        for (std::size_t t = 0; t < TypeNames.size(); ++t) {
            if (value == TypeNames[t]) {
                draft_->typ = int(t);
                return;
            }
        }
        bool ok = false;
        const int code = value.toInt(&ok);
        if (ok && code >= 0 && code <= 255 && value.at(0).isDigit()) {
            draft_->typ = code;
            return;
        }
        error(line, column,
              QStringLiteral("nieznany typ „%1”; oczekiwano Poczatek, Normalny, Koniec, Wybory1, "
                             "Wybory2, Wybory3 albo liczby od 0 do 255")
                  .arg(value));
    }

    std::optional<QByteArray> bytesOf(int line, int column, const QString& value, int f) {
        Fault fault;
        std::optional<QByteArray> bytes = unescaped(value, fault);
        if (!bytes) {
            error(line, column + fault.column, fault.message);
            return std::nullopt;
        }
        const int capacity = field(probe_, f).capacity;
        if (bytes->size() > capacity) {
            error(line, column,
                  QStringLiteral("%1 ma %2 bajtów w Windows-1250, a pole mieści najwyżej %3")
                      .arg(f == Nazwa ? QStringLiteral("nazwa") : QStringLiteral("tekst"))
                      .arg(bytes->size())
                      .arg(capacity));
            return std::nullopt;
        }
        return bytes;
    }

    void setText(int line, int column, const QString& value, int f) {
        if (std::optional<QByteArray> bytes = bytesOf(line, column, value, f))
            draft_->fields[std::size_t(f)].text = *bytes;
    }

    void choice(int line, int column, const QString& value, int f) {
        // The text ends at the last arrow: a name with an arrow is written as a number.
        const QString rest = QStringLiteral(" ") + value;
        const qsizetype arrow = rest.lastIndexOf(kArrow);
        if (arrow < 0) {
            error(line, column + int(value.size()),
                  QStringLiteral("oczekiwano „ -> ” i celu wyboru (nazwy sytuacji albo #numeru)"));
            return;
        }
        const QString text = rest.mid(1, std::max<qsizetype>(arrow - 1, 0));
        setText(line, column, text, f);
        const QString where = rest.mid(arrow + 4);
        const int whereColumn = column + int(arrow) + 3;
        TargetRef ref{false, {}, 0, line, whereColumn};
        if (where.startsWith(u'#')) {
            bool ok = false;
            ref.number = where.mid(1).toInt(&ok);
            if (!ok || where.mid(1).startsWith(u'+')) {
                error(line, whereColumn,
                      QStringLiteral("oczekiwano numeru sytuacji po „#” (liczby całkowitej)"));
                return;
            }
        } else {
            Fault fault;
            std::optional<QByteArray> name = unescaped(where, fault);
            if (!name) {
                error(line, whereColumn + fault.column, fault.message);
                return;
            }
            if (name->isEmpty()) {
                error(line, whereColumn,
                      QStringLiteral("oczekiwano celu wyboru: nazwy sytuacji albo #numeru"));
                return;
            }
            ref.byName = true;
            ref.name = *name;
        }
        draft_->targets[std::size_t(f - Wybor1)] = ref;
    }

    int description(int i, const QString& value) {
        if (!value.isEmpty()) {
            error(i + 1, int(lines_.at(i).indexOf(u':')) + 3,
                  QStringLiteral("oczekiwano końca wiersza: opis piszemy w następnych wierszach, "
                                 "wciętych dwiema spacjami"));
        }
        const int last = skipDescription(i);
        QByteArray opis;
        bool indented = true;
        for (int k = i + 1; k <= last; ++k) {
            if (k > i + 1)
                opis += kLineBreak;
            const QString& line = lines_.at(k);
            if (!line.isEmpty() && !line.startsWith(kIndent)) {
                error(k + 1, 1, notIndented(line));
                indented = false;
                continue;
            }
            Fault fault;
            const std::optional<QByteArray> bytes = unescaped(line.mid(2), fault);
            if (!bytes) {
                error(k + 1, 3 + fault.column, fault.message);
                return last;
            }
            opis += *bytes;
        }
        if (!indented)
            return last;
        if (opis.size() > TRekordKroku().Opis.Capacity) {
            error(i + 1, 1,
                  QStringLiteral("opis ma %1 bajtów w Windows-1250 (podział wiersza liczy się za "
                                 "2), a pole mieści najwyżej %2")
                      .arg(opis.size())
                      .arg(TRekordKroku().Opis.Capacity));
            return last;
        }
        draft_->fields[Opis].text = opis;
        return last;
    }

    // The last line of the description that starts after line index i: up to the next header
    // or fact. A line that is neither, indented or not, belongs to it, so that a line the
    // author forgot to indent is one fault of its own and not the end of the description.
    int skipDescription(int i) const {
        int last = i;
        for (int k = i + 1; k < lines_.size(); ++k) {
            const QString& line = lines_.at(k);
            if (line.startsWith(QStringLiteral("==")) || isFact(line))
                break;
            if (!line.isEmpty())
                last = k;
        }
        return last;
    }

    // Why a line of a description is not indented as one.
    static QString notIndented(const QString& line) {
        const QString rule =
            QStringLiteral("wiersze opisu wcina się dwiema spacjami („  %1”)").arg(line.trimmed());
        const qsizetype colon = line.indexOf(u':');
        return colon > 0 && !line.startsWith(u' ')
                   ? QStringLiteral("nieznane pole „%1” albo wiersz opisu bez wcięcia; %2")
                         .arg(line.left(colon), rule)
                   : QStringLiteral("wiersz opisu bez wcięcia; %1").arg(rule);
    }

    // Whether the line is a fact this reader knows, "pole: wartość" of a known field.
    static bool isFact(const QString& line) {
        const qsizetype colon = line.indexOf(u':');
        if (colon <= 0 || line.startsWith(u' '))
            return false;
        const QString key = line.left(colon);
        if (key.startsWith(QStringLiteral("nieużywany ")))
            return choiceField(key.mid(11)) >= 0;
        return key == QStringLiteral("typ") || key == QStringLiteral("opis") ||
               key == QStringLiteral("obrazek") || key == QStringLiteral("dźwięk") ||
               key == QStringLiteral("surowe luka") || key == QStringLiteral("surowa lista") ||
               choiceField(key) >= 0 ||
               (key.startsWith(QStringLiteral("długość ")) && fieldNamed(key.mid(8)) >= 0) ||
               (key.startsWith(QStringLiteral("surowe ")) && fieldNamed(key.mid(7)) >= 0);
    }

    void length(int line, int column, const QString& value, int f) {
        const int capacity = field(probe_, f).capacity;
        bool ok = false;
        const int n = value.toInt(&ok);
        if (!ok || n <= capacity || n > 255 || !value.at(0).isDigit()) {
            error(line, column,
                  QStringLiteral("oczekiwano bajtu długości większego niż pojemność pola: liczby "
                                 "od %1 do 255")
                      .arg(capacity + 1));
            return;
        }
        draft_->fields[std::size_t(f)].length = n;
    }

    void tail(int line, int column, const QString& value, int f) {
        Fault fault;
        const std::optional<QByteArray> bytes = hexBytes(value, fault);
        if (!bytes) {
            error(line, column + fault.column, fault.message);
            return;
        }
        FieldDraft& d = draft_->fields[std::size_t(f)];
        d.tail = *bytes;
        d.tailLine = line;
        d.tailColumn = column;
    }

    template <typename Store>
    void rawBytes(int line, int column, const QString& value, int size, Store store) {
        Fault fault;
        const std::optional<QByteArray> bytes = hexBytes(value, fault);
        if (!bytes) {
            error(line, column + fault.column, fault.message);
            return;
        }
        if (bytes->size() != size) {
            error(line, column,
                  QStringLiteral("oczekiwano dokładnie %1 bajtów (%2 cyfr szesnastkowych)")
                      .arg(size)
                      .arg(size * 2));
            return;
        }
        store(*bytes);
    }

    // Ends the block being read, if any.
    void finish() {
        if (!draft_)
            return;
        if (!seen_.contains(QStringLiteral("typ")))
            error(draft_->line, 1,
                  QStringLiteral("brak wiersza „typ:” w sytuacji %1").arg(expected_ - 1));
        for (int f = 0; f < FieldCount; ++f) {
            const FieldDraft& d = draft_->fields[std::size_t(f)];
            const int capacity = field(probe_, f).capacity;
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

    PairBytes build() {
        QHash<QByteArray, QList<int>> byName;
        for (int k = 0; k < int(drafts_.size()); ++k)
            byName[drafts_[std::size_t(k)].fields[Nazwa].text].append(k);

        PairBytes pair;
        pair.situations.reserve(qsizetype(drafts_.size()) * TRekordKroku::Size);
        pair.list.reserve(qsizetype(drafts_.size()) * TRekordListy::Size);
        for (std::int32_t k = 0; k < std::int32_t(drafts_.size()); ++k) {
            const Draft& d = drafts_[std::size_t(k)];
            TRekordKroku r{};
            for (int f = 0; f < FieldCount; ++f) {
                const FieldDraft& fd = d.fields[std::size_t(f)];
                FieldView v = field(r, f);
                const QByteArray chars = (fd.text + fd.tail).left(v.capacity);
                std::memcpy(v.chars, chars.constData(), std::size_t(chars.size()));
                *v.len = std::uint8_t(fd.length >= 0 ? fd.length : fd.text.size());
            }
            r.Gap = d.gap;
            for (int c = 0; c < 4; ++c) {
                const std::optional<TargetRef>& ref = d.targets[std::size_t(c)];
                if (!ref) {
                    target(r, c).set(defaultTarget(k, std::uint8_t(d.typ.value_or(0)), c));
                    continue;
                }
                if (!ref->byName) {
                    target(r, c).set(ref->number);
                    continue;
                }
                const QList<int> found = byName.value(ref->name);
                if (found.size() == 1) {
                    target(r, c).set(found.first());
                } else if (found.isEmpty()) {
                    error(ref->line, ref->column,
                          QStringLiteral("nie ma sytuacji o nazwie „%1”; oczekiwano nazwy "
                                         "sytuacji albo #numeru")
                              .arg(Cp1250::decode(ref->name)));
                } else {
                    error(ref->line, ref->column,
                          QStringLiteral("nazwę „%1” nosi więcej niż jedna sytuacja (%2 i %3); "
                                         "oczekiwano celu podanego numerem, np. #%2")
                              .arg(Cp1250::decode(ref->name))
                              .arg(found.at(0))
                              .arg(found.at(1)));
                }
            }
            TRekordListy l{};
            if (d.list) {
                std::memcpy(&l.Nazwa, d.list->constData(), sizeof(l.Nazwa));
            } else {
                l.Nazwa.chars = r.Nazwa.chars;
                l.Nazwa.len = std::uint8_t(r.Nazwa.length());
            }
            l.Typ = std::uint8_t(d.typ.value_or(0));
            pair.situations.append(reinterpret_cast<const char*>(&r), sizeof r);
            pair.list.append(reinterpret_cast<const char*>(&l), sizeof l);
        }
        return pair;
    }

    QStringList lines_;
    std::optional<Draft> draft_;
    qlonglong expected_ = 0;   // the number the next header should have
    QHash<QString, int> seen_; // the first line of each key of the block being read
    std::vector<Draft> drafts_;
    std::vector<TextFormError> errors_;
    TRekordKroku probe_{}; // only for the fields' capacities
};

} // namespace

QString toText(const ScenarioSnapshot& snapshot) {
    const std::int32_t n = snapshot.size();
    std::vector<TRekordKroku> rekordy = snapshot.rekordy;

    // A target is written by name when the name says which situation it is.
    QHash<QByteArray, int> uses;
    for (TRekordKroku& r : rekordy)
        ++uses[r.Nazwa.bytes()];
    auto targetText = [&](std::int32_t t) {
        if (t >= 0 && t < n) {
            const QByteArray name = rekordy[std::size_t(t)].Nazwa.bytes();
            const QString text = escaped(name);
            if (!name.isEmpty() && uses.value(name) == 1 && !text.startsWith(u'#') &&
                !text.contains(QStringLiteral("->")))
                return text;
        }
        return QStringLiteral("#%1").arg(t);
    };

    QString out;
    for (std::int32_t k = 0; k < n; ++k) {
        TRekordKroku& r = rekordy[std::size_t(k)];
        const TRekordListy& l = snapshot.listy[std::size_t(k)];
        if (k > 0)
            out += u'\n';
        out += QStringLiteral("== %1").arg(k);
        if (!r.Nazwa.isEmpty())
            out += u' ' + escaped(r.Nazwa.bytes());
        out += u'\n';
        out += QStringLiteral("typ: %1\n")
                   .arg(l.Typ < TypeNames.size() ? TypeNames[l.Typ] : QString::number(l.Typ));
        if (!r.Opis.isEmpty()) {
            out += QStringLiteral("opis:\n");
            for (const QString& line : descriptionLines(r.Opis.bytes()))
                out += (line.isEmpty() ? line : kIndent + line) + u'\n';
        }
        const std::array<bool, 4> offered = offeredChoices(l.Typ);
        for (int c = 0; c < 4; ++c) {
            const FieldView v = field(r, Wybor1 + c);
            const std::int32_t t = target(r, c).get();
            if (!offered[std::size_t(c)] && v.length() == 0 && t == defaultTarget(k, l.Typ, c))
                continue;
            const QString text = escaped(v.text());
            out += QStringLiteral("%1wybór %2:%3 -> %4\n")
                       .arg(offered[std::size_t(c)] ? QString() : QStringLiteral("nieużywany "))
                       .arg(c + 1)
                       .arg(text.isEmpty() ? QString() : u' ' + text, targetText(t));
        }
        if (!r.Bmp.isEmpty())
            out += QStringLiteral("obrazek: %1\n").arg(escaped(r.Bmp.bytes()));
        if (!r.Wav.isEmpty())
            out += QStringLiteral("dźwięk: %1\n").arg(escaped(r.Wav.bytes()));

        // What the lines above cannot say.
        for (int f = 0; f < FieldCount; ++f) {
            const FieldView v = field(r, f);
            if (*v.len > v.capacity)
                out += QStringLiteral("długość %1: %2\n").arg(kFieldNames[f]).arg(*v.len);
        }
        for (int f = 0; f < FieldCount; ++f)
            out += tailLine(kFieldNames[f], field(r, f));
        if (r.Gap != std::array<std::uint8_t, 2>{})
            out += QStringLiteral("surowe luka: %1\n")
                       .arg(hex(QByteArray(reinterpret_cast<const char*>(r.Gap.data()), 2)));
        TRekordListy expected{};
        expected.Nazwa.chars = r.Nazwa.chars;
        expected.Nazwa.len = std::uint8_t(r.Nazwa.length());
        if (std::memcmp(&expected.Nazwa, &l.Nazwa, sizeof l.Nazwa) != 0)
            out +=
                QStringLiteral("surowa lista: %1\n")
                    .arg(hex(QByteArray(reinterpret_cast<const char*>(&l.Nazwa), sizeof l.Nazwa)));
    }
    return out;
}

TextFormResult fromText(const QString& text) {
    // A text of more situations than a scenario may have is refused before its lines are
    // split or a block is read, so what it claims costs no memory.
    int line = 1;
    std::int64_t headers = 0;
    const qsizetype start = text.startsWith(QChar(0xFEFF)) ? 1 : 0;
    for (qsizetype at = start; at < text.size(); ++at) {
        if ((at == start || text.at(at - 1) == u'\n') &&
            QStringView(text).mid(at, 2) == QStringLiteral("==") && ++headers > MaxSituations)
            return {{}, {{line, 1, tooManySituations()}}, {}};
        if (text.at(at) == u'\n')
            ++line;
    }
    return Reader(text).read();
}

QString wholeRecordsFault(std::int64_t situationBytes, std::int64_t listBytes) {
    if (situationBytes % TRekordKroku::Size != 0)
        return QStringLiteral("plik sytuacji ma %1 bajtów, a to nie jest wielokrotność "
                              "rekordu (%2 bajtów)")
            .arg(situationBytes)
            .arg(TRekordKroku::Size);
    if (listBytes % TRekordListy::Size != 0)
        return QStringLiteral("plik listy ma %1 bajtów, a to nie jest wielokrotność "
                              "rekordu (%2 bajtów)")
            .arg(listBytes)
            .arg(TRekordListy::Size);
    if (listBytes / TRekordListy::Size != situationBytes / TRekordKroku::Size)
        return QStringLiteral("plik sytuacji ma %1 rekordów, a plik listy %2")
            .arg(situationBytes / TRekordKroku::Size)
            .arg(listBytes / TRekordListy::Size);
    return {};
}

ScenarioSnapshot snapshotFromBytes(const QByteArray& situations, const QByteArray& list) {
    if (const QString fault = wholeRecordsFault(situations.size(), list.size()); !fault.isEmpty())
        throw AppError(AppError::Other, fault);
    const qsizetype n = situations.size() / TRekordKroku::Size;
    ScenarioSnapshot snapshot;
    snapshot.rekordy.resize(std::size_t(n));
    snapshot.listy.resize(std::size_t(n));
    if (n > 0) {
        std::memcpy(snapshot.rekordy.data(), situations.constData(),
                    std::size_t(situations.size()));
        std::memcpy(snapshot.listy.data(), list.constData(), std::size_t(list.size()));
    }
    snapshot.claimed = n;
    return snapshot;
}

PairBytes pairBytes(const ScenarioSnapshot& snapshot) {
    return {QByteArray(reinterpret_cast<const char*>(snapshot.rekordy.data()),
                       qsizetype(snapshot.rekordy.size()) * TRekordKroku::Size),
            QByteArray(reinterpret_cast<const char*>(snapshot.listy.data()),
                       qsizetype(snapshot.listy.size()) * TRekordListy::Size)};
}
