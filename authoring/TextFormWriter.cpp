// The pair as text: one block of lines per situation.

#include "authoring/TextForm.h"
#include "authoring/TextFormEscape.h"
#include "authoring/TextFormFields.h"

#include <QHash>
#include <QStringList>
#include <cstring>

using namespace TextFormParts;

namespace {

// The description's lines: split at CR LF; line breaks at its end are escapes on its last line,
// as an empty last line could not be told from the blank line after the block.
QStringList descriptionLines(QByteArray opis) {
    int trailing = 0;
    while (opis.endsWith(LineBreak)) {
        opis.chop(2);
        ++trailing;
    }
    QStringList lines;
    qsizetype from = 0;
    for (;;) {
        const qsizetype at = opis.indexOf(LineBreak, from);
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

// How a choice's line names where it leads: by the situation's name when the name says which
// situation it is and reads back as a name, else by number.
class TargetNames {
public:
    explicit TargetNames(const std::vector<TRekordKroku>& rekordy) : rekordy_(rekordy) {
        for (const TRekordKroku& r : rekordy)
            ++uses_[r.Nazwa.bytes()];
    }

    QString operator()(std::int32_t t) const {
        if (t >= 0 && t < std::int32_t(rekordy_.size())) {
            const QByteArray name = rekordy_[std::size_t(t)].Nazwa.bytes();
            const QString text = escaped(name);
            if (!name.isEmpty() && uses_.value(name) == 1 && !text.startsWith(u'#') &&
                !text.contains(QStringLiteral("->")))
                return text;
        }
        return QStringLiteral("#%1").arg(t);
    }

private:
    const std::vector<TRekordKroku>& rekordy_;
    QHash<QByteArray, int> uses_;
};

// The lines of the four choices: each one the type offers, and any other that holds a text or
// a target other than the one taken when no line says.
QString choiceLines(std::int32_t k, TRekordKroku& r, std::uint8_t typ, const TargetNames& names) {
    QString out;
    const std::array<bool, 4> offered = offeredChoices(typ);
    for (int c = 0; c < 4; ++c) {
        const FieldView v = field(r, Wybor1 + c);
        const std::int32_t t = target(r, c).get();
        if (!offered[std::size_t(c)] && v.length() == 0 && t == defaultTarget(k, typ, c))
            continue;
        const QString text = escaped(v.text());
        out += QStringLiteral("%1wybór %2:%3 -> %4\n")
                   .arg(offered[std::size_t(c)] ? QString() : QStringLiteral("nieużywany "))
                   .arg(c + 1)
                   .arg(text.isEmpty() ? QString() : u' ' + text, names(t));
    }
    return out;
}

// The lines for what the ordinary lines cannot say: length bytes above the capacity, bytes
// past the lengths, the gap, and a list record's name that does not follow from the
// situation's.
QString rawLines(TRekordKroku& r, const TRekordListy& l) {
    QString out;
    for (int f = 0; f < FieldCount; ++f) {
        const FieldView v = field(r, f);
        if (*v.len > v.capacity)
            out += QStringLiteral("długość %1: %2\n").arg(FieldNames[std::size_t(f)]).arg(*v.len);
    }
    for (int f = 0; f < FieldCount; ++f)
        out += tailLine(FieldNames[std::size_t(f)], field(r, f));
    if (r.Gap != decltype(r.Gap){})
        out += QStringLiteral("surowe luka: %1\n")
                   .arg(hex(QByteArray(reinterpret_cast<const char*>(r.Gap.data()),
                                       qsizetype(r.Gap.size()))));
    const decltype(l.Nazwa) expected = listName(r);
    if (std::memcmp(&expected, &l.Nazwa, sizeof l.Nazwa) != 0)
        out += QStringLiteral("surowa lista: %1\n")
                   .arg(hex(QByteArray(reinterpret_cast<const char*>(&l.Nazwa), sizeof l.Nazwa)));
    return out;
}

// Situation k's block, without the blank line that parts it from the one before.
QString block(std::int32_t k, TRekordKroku& r, const TRekordListy& l, const TargetNames& names) {
    QString out = QStringLiteral("== %1").arg(k);
    if (!r.Nazwa.isEmpty())
        out += u' ' + escaped(r.Nazwa.bytes());
    out += u'\n';
    out += QStringLiteral("typ: %1\n")
               .arg(l.Typ < TypeNames.size() ? TypeNames[l.Typ] : QString::number(l.Typ));
    if (!r.Opis.isEmpty()) {
        out += QStringLiteral("opis:\n");
        for (const QString& line : descriptionLines(r.Opis.bytes()))
            out += (line.isEmpty() ? line : Indent + line) + u'\n';
    }
    out += choiceLines(k, r, l.Typ, names);
    if (!r.Bmp.isEmpty())
        out += QStringLiteral("obrazek: %1\n").arg(escaped(r.Bmp.bytes()));
    if (!r.Wav.isEmpty())
        out += QStringLiteral("dźwięk: %1\n").arg(escaped(r.Wav.bytes()));
    return out + rawLines(r, l);
}

} // namespace

QString toText(const ScenarioSnapshot& snapshot) {
    // A copy, as a field is seen through the same view whether it is read or written.
    std::vector<TRekordKroku> rekordy = snapshot.rekordy;
    const TargetNames names(rekordy);
    QString out;
    for (std::int32_t k = 0; k < snapshot.size(); ++k) {
        if (k > 0)
            out += u'\n';
        out += block(k, rekordy[std::size_t(k)], snapshot.listy[std::size_t(k)], names);
    }
    return out;
}
