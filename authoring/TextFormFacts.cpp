// The values of a block's facts, each read into the situation's draft or refused with a fault
// that says where it is and what was expected there.

#include "authoring/TextFormEscape.h"
#include "authoring/TextFormReader.h"

#include "common/Cp1250.h"

#include <algorithm>
#include <cstring>

namespace TextFormParts {

void Reader::typ(int line, int column, const QString& value) {
    for (std::size_t t = 0; t < TypeNames.size(); ++t) {
        if (value == TypeNames[t]) {
            draft_->typ = int(t);
            return;
        }
    }
    bool ok = false;
    const int code = value.toInt(&ok);
    if (ok && code >= 0 && code <= MaxByte && value.at(0).isDigit()) {
        draft_->typ = code;
        return;
    }
    error(line, column,
          QStringLiteral("nieznany typ „%1”; oczekiwano Poczatek, Normalny, Koniec, Wybory1, "
                         "Wybory2, Wybory3 albo liczby od 0 do 255")
              .arg(value));
}

std::optional<QByteArray> Reader::bytesOf(int line, int column, const QString& value, int f) {
    Fault fault;
    std::optional<QByteArray> bytes = unescaped(value, fault);
    if (!bytes) {
        error(line, column + fault.column, fault.message);
        return std::nullopt;
    }
    const int capacity = capacityOf(f);
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

void Reader::setText(int line, int column, const QString& value, int f) {
    if (std::optional<QByteArray> bytes = bytesOf(line, column, value, f))
        draft_->fields[std::size_t(f)].text = *bytes;
}

void Reader::choice(int line, int column, const QString& value, int f) {
    // The text ends at the last arrow: a name with an arrow is written as a number.
    const QString rest = QStringLiteral(" ") + value;
    const qsizetype arrow = rest.lastIndexOf(Arrow);
    if (arrow < 0) {
        error(line, column + int(value.size()),
              QStringLiteral("oczekiwano „ -> ” i celu wyboru (nazwy sytuacji albo #numeru)"));
        return;
    }
    setText(line, column, rest.mid(1, std::max<qsizetype>(arrow - 1, 0)), f);
    if (std::optional<TargetRef> ref =
            targetRef(line, column + int(arrow) + 3, rest.mid(arrow + 4)))
        draft_->targets[std::size_t(f - Wybor1)] = std::move(*ref);
}

// Where a choice leads, from what follows its arrow at `column`: "#number" or a name.
std::optional<TargetRef> Reader::targetRef(int line, int column, const QString& where) {
    TargetRef ref{false, {}, 0, line, column};
    if (where.startsWith(u'#')) {
        bool ok = false;
        ref.number = where.mid(1).toInt(&ok);
        if (!ok || where.mid(1).startsWith(u'+')) {
            error(line, column,
                  QStringLiteral("oczekiwano numeru sytuacji po „#” (liczby całkowitej)"));
            return std::nullopt;
        }
        return ref;
    }
    Fault fault;
    std::optional<QByteArray> name = unescaped(where, fault);
    if (!name) {
        error(line, column + fault.column, fault.message);
        return std::nullopt;
    }
    if (name->isEmpty()) {
        error(line, column, QStringLiteral("oczekiwano celu wyboru: nazwy sytuacji albo #numeru"));
        return std::nullopt;
    }
    ref.byName = true;
    ref.name = *name;
    return ref;
}

void Reader::length(int line, int column, const QString& value, int f) {
    const int capacity = capacityOf(f);
    bool ok = false;
    const int n = value.toInt(&ok);
    if (!ok || n <= capacity || n > MaxByte || !value.at(0).isDigit()) {
        error(line, column,
              QStringLiteral("oczekiwano bajtu długości większego niż pojemność pola: liczby "
                             "od %1 do 255")
                  .arg(capacity + 1));
        return;
    }
    draft_->fields[std::size_t(f)].length = n;
}

void Reader::tail(int line, int column, const QString& value, int f) {
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

// Exactly `size` bytes in hexadecimal digits.
std::optional<QByteArray> Reader::rawBytes(int line, int column, const QString& value, int size) {
    Fault fault;
    std::optional<QByteArray> bytes = hexBytes(value, fault);
    if (!bytes) {
        error(line, column + fault.column, fault.message);
        return std::nullopt;
    }
    if (bytes->size() != size) {
        error(line, column,
              QStringLiteral("oczekiwano dokładnie %1 bajtów (%2 cyfr szesnastkowych)")
                  .arg(size)
                  .arg(size * 2));
        return std::nullopt;
    }
    return bytes;
}

// Reads one of the facts that keep what the ordinary lines cannot say; false when the key is
// none of them.
bool Reader::rawFact(int line, int column, const QString& key, const QString& value) {
    if (key.startsWith(QStringLiteral("długość ")) && fieldNamed(key.mid(8)) >= 0) {
        length(line, column, value, fieldNamed(key.mid(8)));
    } else if (key.startsWith(QStringLiteral("surowe ")) && fieldNamed(key.mid(7)) >= 0) {
        tail(line, column, value, fieldNamed(key.mid(7)));
    } else if (key == QStringLiteral("surowe luka")) {
        Draft& d = *draft_;
        if (const std::optional<QByteArray> b = rawBytes(line, column, value, sizeof d.gap))
            std::memcpy(d.gap.data(), b->constData(), sizeof d.gap);
    } else if (key == QStringLiteral("surowa lista")) {
        if (std::optional<QByteArray> b =
                rawBytes(line, column, value, sizeof(decltype(TRekordListy::Nazwa))))
            draft_->list = std::move(*b);
    } else {
        return false;
    }
    return true;
}

int Reader::description(int i, const QString& value) {
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
            opis += LineBreak;
        const QString& line = lines_.at(k);
        if (!line.isEmpty() && !line.startsWith(Indent)) {
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
    if (opis.size() > capacityOf(Opis)) {
        error(i + 1, 1,
              QStringLiteral("opis ma %1 bajtów w Windows-1250 (podział wiersza liczy się za "
                             "2), a pole mieści najwyżej %2")
                  .arg(opis.size())
                  .arg(capacityOf(Opis)));
        return last;
    }
    draft_->fields[Opis].text = opis;
    return last;
}

// The last line of the description that starts after line index i: up to the next header or
// fact. A line that is neither, indented or not, belongs to it, so that a line the author forgot
// to indent is one fault of its own and not the end of the description.
int Reader::skipDescription(int i) const {
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
QString Reader::notIndented(const QString& line) {
    const QString rule =
        QStringLiteral("wiersze opisu wcina się dwiema spacjami („  %1”)").arg(line.trimmed());
    const qsizetype colon = line.indexOf(u':');
    return colon > 0 && !line.startsWith(u' ')
               ? QStringLiteral("nieznane pole „%1” albo wiersz opisu bez wcięcia; %2")
                     .arg(line.left(colon), rule)
               : QStringLiteral("wiersz opisu bez wcięcia; %1").arg(rule);
}

// Whether the line is a fact this reader knows, "pole: wartość" of a known field.
bool Reader::isFact(const QString& line) {
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

} // namespace TextFormParts
