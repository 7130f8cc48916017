// The scenario as text: the byte-exact round trip over the demo, the fuzz corpus and random
// pairs of every kind of oddity, and the faults of a text with their lines and columns.

#include "authoring/TextForm.h"
#include "platform/core/AppError.h"
#include "tests/support/TestFiles.h"

#include <QDir>
#include <QTest>
#include <cstring>
#include <random>

namespace {

const QString kSource = QStringLiteral(KIT_TESTDATA_DIR "/../..");

// The kinds of oddity a random pair carries on top of what the kit writes.
enum Oddity {
    Ordinary,
    StrayBytes,
    LongLength,
    OddType,
    OddGap,
    ListName,
    ControlChars,
    HiddenChoices,
    AnyBytes
};

class RandomPair {
public:
    RandomPair(unsigned seed, Oddity oddity) : rng_(seed), oddity_(oddity) {}

    ScenarioSnapshot make() {
        ScenarioSnapshot s;
        const int n = pick(1, 12);
        for (int k = 0; k < n; ++k) {
            TRekordKroku r{};
            TRekordListy l{};
            ordinary(k, n, r, l);
            odd(n, r, l);
            s.rekordy.push_back(r);
            s.listy.push_back(l);
        }
        return s;
    }

private:
    int pick(int low, int high) { return std::uniform_int_distribution<int>(low, high)(rng_); }
    bool chance(int percent) { return pick(1, 100) <= percent; }

    // Words with Polish letters, few enough that names repeat now and then.
    QString words(int count) {
        static const QStringList all = {"Rzeka", "żółw", "Łąka", "most", "Źródło",
                                        "las",   "ćma",  "Gęś",  "ą ę",  "Brama"};
        QStringList out;
        for (int i = 0; i < count; ++i)
            out.append(all.at(pick(0, int(all.size()) - 1)));
        return out.join(u' ');
    }

    QString description() {
        QStringList lines;
        for (int i = pick(0, 5); i > 0; --i)
            lines.append(chance(20) ? QString() : words(pick(1, 6)));
        return lines.join(QStringLiteral("\r\n"));
    }

    void ordinary(int k, int n, TRekordKroku& r, TRekordListy& l) {
        l.Typ = std::uint8_t(pick(0, 5));
        r.Nazwa.assign(words(pick(0, 2)));
        r.Opis.assign(description());
        if (chance(50))
            r.Bmp.assign(words(1) + QStringLiteral(".bmp"));
        if (chance(30))
            r.Wav.assign(words(1) + QStringLiteral(".wav"));
        std::array<ShortString<45>*, 4> texts = {&r.Wybor1, &r.Wybor2, &r.Wybor3, &r.Wybor4};
        std::array<LeInt32*, 4> targets = {&r.Krok_Wybrany1, &r.Krok_Wybrany2, &r.Krok_Wybrany3,
                                           &r.Krok_Wybrany4};
        for (int c = 0; c < 4; ++c) {
            const bool offered = c < choicesOffered(l.Typ);
            if (offered)
                texts[std::size_t(c)]->assign(words(pick(0, 4)));
            targets[std::size_t(c)]->set(offered ? pick(0, n - 1) : (k == 0 ? 0 : -1));
        }
        l.Nazwa.assign(r.Nazwa);
    }

    void randomBytes(void* to, std::size_t size) {
        auto* bytes = static_cast<std::uint8_t*>(to);
        for (std::size_t i = 0; i < size; ++i)
            bytes[i] = std::uint8_t(pick(0, 255));
    }

    // A text of the bytes that need escapes, arrows and marks a target name must not carry.
    QByteArray awkward() {
        static const std::vector<QByteArray> parts = {"\r",   "\n",   QByteArray(1, '\0'),
                                                      "\t",   "\x7f", "\x81",
                                                      "\\",   " ",    "  ",
                                                      " -> ", "->",   "#",
                                                      "#3",   "a",    "\r\n",
                                                      "\xb9", "=="};
        QByteArray out;
        for (int i = pick(0, 6); i > 0; --i)
            out += parts.at(std::size_t(pick(0, int(parts.size()) - 1)));
        return out;
    }

    template <int N> void oddText(ShortString<N>& s) {
        const QByteArray bytes = awkward().left(N);
        s.assignBytes(bytes.constData(), int(bytes.size()));
    }

    void odd(int n, TRekordKroku& r, TRekordListy& l) {
        switch (oddity_) {
        case Ordinary:
            return;
        case StrayBytes:
            for (auto* s : {&r.Wybor1, &r.Wybor2, &r.Wybor3, &r.Wybor4})
                if (chance(40))
                    randomBytes(s->chars.data() + s->length(), std::size_t(45 - s->length()));
            if (chance(50))
                randomBytes(r.Nazwa.chars.data() + r.Nazwa.length(),
                            std::size_t(20 - r.Nazwa.length()));
            if (chance(50))
                randomBytes(r.Opis.chars.data() + r.Opis.length(),
                            std::size_t(pick(0, 250 - r.Opis.length())));
            return;
        case LongLength:
            if (chance(50))
                r.Nazwa.len = std::uint8_t(pick(21, 255));
            if (chance(50))
                r.Wybor2.len = std::uint8_t(pick(46, 255));
            if (chance(50))
                r.Opis.len = std::uint8_t(pick(251, 255));
            if (chance(50))
                r.Wav.len = std::uint8_t(pick(21, 255));
            if (chance(30))
                l.Nazwa.len = std::uint8_t(pick(21, 255));
            return;
        case OddType:
            l.Typ = std::uint8_t(pick(6, 255));
            return;
        case OddGap:
            randomBytes(r.Gap.data(), 2);
            return;
        case ListName:
            if (chance(50))
                l.Nazwa.assign(QStringLiteral("Inna"));
            else
                randomBytes(&l.Nazwa, sizeof l.Nazwa);
            return;
        case ControlChars:
            oddText(r.Nazwa);
            oddText(r.Wybor1);
            oddText(r.Opis);
            oddText(r.Bmp);
            l.Nazwa.assign(r.Nazwa);
            return;
        case HiddenChoices:
            for (auto* t : {&r.Krok_Wybrany1, &r.Krok_Wybrany2, &r.Krok_Wybrany3, &r.Krok_Wybrany4})
                if (chance(50))
                    t->set(chance(50) ? pick(-3, n + 3) : std::int32_t(rng_()));
            if (chance(50))
                r.Wybor4.assign(words(2));
            return;
        case AnyBytes:
            randomBytes(&r, sizeof r);
            randomBytes(&l, sizeof l);
            return;
        }
    }

    std::mt19937 rng_;
    Oddity oddity_;
};

// The text's own promises: no trailing spaces, one newline at the end.
bool tidy(const QString& text) {
    if (text.isEmpty())
        return true;
    if (!text.endsWith(u'\n') || text.endsWith(QStringLiteral("\n\n")))
        return false;
    for (const QString& line : text.split(u'\n'))
        if (line.endsWith(u' ') || line.endsWith(u'\t'))
            return false;
    return true;
}

void compareRoundTrip(const PairBytes& pair) {
    const QString text = toText(snapshotFromBytes(pair.situations, pair.list));
    QVERIFY2(tidy(text), qPrintable(text));
    const TextFormResult back = fromText(text);
    QVERIFY2(back.ok(), back.ok() ? "" : qPrintable(back.errors.front().message + "\n" + text));
    QCOMPARE(back.pair.situations, pair.situations);
    QCOMPARE(back.pair.list, pair.list);
}

// A text of `count` situations, each a header and its type.
QString manyBlocks(int count) {
    QString text;
    text.reserve(qsizetype(count) * 24);
    for (int k = 0; k < count; ++k)
        text += QStringLiteral("== %1\ntyp: Koniec\n").arg(k);
    return text;
}

} // namespace

class TestTextForm : public QObject {
    Q_OBJECT

private slots:
    void demoRoundTripReadsCleanly() {
        const QString kro = kSource + QStringLiteral("/scenariusze/demo/Zamek.Kro");
        const PairBytes pair{readFile(kro), readFile(kSource + "/scenariusze/demo/Zamek.lis")};
        QVERIFY(!pair.situations.isEmpty());
        compareRoundTrip(pair);
        const QString text = toText(snapshotFromBytes(pair.situations, pair.list));
        QVERIFY(text.startsWith(QStringLiteral("== 0 Default Koniec\ntyp: Koniec\nopis:\n  ")));
        for (const char* raw : {"surow", "długość", "\\x", "#", "nieużywany"})
            QVERIFY2(!text.contains(QString::fromUtf8(raw)), raw);
    }

    // The fuzz corpus's pairs: the whole ones go round, the others are refused.
    void corpusRoundTrip() {
        const QDir dir(kSource + QStringLiteral("/fuzz/corpus/scenario_pair"));
        int whole = 0;
        int refused = 0;
        for (const QString& name : dir.entryList(QDir::Files)) {
            const QByteArray input = readFile(dir.filePath(name));
            if (input.size() < 4)
                continue;
            quint32 stated = 0;
            std::memcpy(&stated, input.constData(), 4); // little-endian machines only
            const QByteArray rest = input.mid(4);
            const PairBytes pair{rest.left(stated % (rest.size() + 1)),
                                 rest.mid(stated % (rest.size() + 1))};
            try {
                snapshotFromBytes(pair.situations, pair.list);
            } catch (const AppError&) {
                QVERIFY(pair.situations.size() % TRekordKroku::Size != 0 ||
                        pair.list.size() % TRekordListy::Size != 0 ||
                        pair.situations.size() / TRekordKroku::Size !=
                            pair.list.size() / TRekordListy::Size);
                ++refused;
                continue;
            }
            compareRoundTrip(pair);
            ++whole;
        }
        QVERIFY(whole >= 2);
        QVERIFY(refused >= 1);
    }

    void randomRoundTrip_data() {
        QTest::addColumn<int>("oddity");
        QTest::newRow("ordinary") << int(Ordinary);
        QTest::newRow("stray bytes past lengths") << int(StrayBytes);
        QTest::newRow("length bytes above capacity") << int(LongLength);
        QTest::newRow("type codes above 5") << int(OddType);
        QTest::newRow("odd gaps") << int(OddGap);
        QTest::newRow("list names differing") << int(ListName);
        QTest::newRow("control characters, arrows, marks") << int(ControlChars);
        QTest::newRow("targets of choices not offered") << int(HiddenChoices);
        QTest::newRow("any bytes") << int(AnyBytes);
    }
    void randomRoundTrip() {
        QFETCH(int, oddity);
        for (unsigned seed = 1; seed <= 150; ++seed) {
            const ScenarioSnapshot s =
                RandomPair(seed * 97 + unsigned(oddity), Oddity(oddity)).make();
            compareRoundTrip(pairBytes(s));
            if (QTest::currentTestFailed())
                QFAIL(qPrintable(QStringLiteral("seed %1").arg(seed)));
            // What the kit writes needs no raw line.
            if (oddity == Ordinary)
                QVERIFY(!toText(s).contains(QStringLiteral("surow")));
        }
    }

    // Every byte value, wherever a text may hold it, comes back; the text shows no control
    // character but its line breaks, nor DEL, nor a C1 control.
    void everyByteRoundTrip_data() {
        QTest::addColumn<int>("byte");
        for (int b = 0; b < 256; ++b)
            QTest::newRow(qPrintable(QStringLiteral("0x%1").arg(b, 2, 16, QLatin1Char('0')))) << b;
    }
    void everyByteRoundTrip() {
        QFETCH(int, byte);
        const char b = char(byte);
        ScenarioSnapshot s;
        for (const QByteArray& name : {QByteArray("Koniec"), QByteArray() + b + "a" + b + b}) {
            TRekordKroku r{};
            TRekordListy l{};
            r.Nazwa.assign(name);
            r.Opis.assign(QByteArray() + b + "x" + b + "\r\n" + b + "\r\n" + b);
            r.Wybor1.assign(QByteArray() + b + " -> " + b);
            r.Bmp.assign(QByteArray() + b + ".bmp" + b);
            l.Typ = Poczatek;
            l.Nazwa.assign(r.Nazwa);
            s.rekordy.push_back(r);
            s.listy.push_back(l);
        }
        compareRoundTrip(pairBytes(s));
        const QString text = toText(s);
        for (const QChar c : text) {
            const char16_t u = c.unicode();
            QVERIFY2(
                (u >= 0x20 || u == u'\n') && (u < 0x7F || u > 0x9F),
                qPrintable(QStringLiteral("U+%1 in:\n").arg(u, 4, 16, QLatin1Char('0')) + text));
        }
    }

    void refusesPartialRecords_data() {
        QTest::addColumn<int>("situations");
        QTest::addColumn<int>("list");
        QTest::newRow("situation file cut") << 2 * 516 - 1 << 2 * 22;
        QTest::newRow("list file cut") << 2 * 516 << 2 * 22 + 1;
        QTest::newRow("counts differ") << 2 * 516 << 3 * 22;
    }
    void refusesPartialRecords() {
        QFETCH(int, situations);
        QFETCH(int, list);
        QVERIFY_THROWS_EXCEPTION(
            AppError, snapshotFromBytes(QByteArray(situations, '\0'), QByteArray(list, '\0')));
    }

    void errors_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("line");
        QTest::addColumn<int>("column");
        QTest::addColumn<QString>("message");
        const QString end = QStringLiteral("== 0 Koniec\ntyp: Koniec\n\n");
        const QString start = end + QStringLiteral("== 1 Start\ntyp: Poczatek\n");
        QTest::newRow("unknown target name") << start + "wybór 1: Idź -> Zamek\n"
                                             << 6 << 17 << "nie ma sytuacji o nazwie „Zamek”";
        QTest::newRow("duplicate name")
            << start + "wybór 1: Idź -> Las\n\n== 2 Las\ntyp: Koniec\n\n== 3 Las\ntyp: Koniec\n"
            << 6 << 17 << "(2 i 3)";
        QTest::newRow("name too long") << "== 0 " + QString(21, u'ż') + "\ntyp: Koniec\n"
                                       << 1 << 6 << "21 bajtów";
        QTest::newRow("choice text too long")
            << start + "wybór 1: " + QString(46, u'a') + " -> Koniec\n"
            << 6 << 10 << "46 bajtów";
        QTest::newRow("description too long, line breaks counting 2")
            << start + "opis:\n  " + QString(124, u'x') + "\n\n  " + QString(124, u'y') + "\n"
            << 6 << 1 << "252 bajtów";
        QTest::newRow("picture name too long") << start + "obrazek: " + QString(17, u'a') + ".bmp\n"
                                               << 6 << 10 << "21 bajtów";
        QTest::newRow("no Windows-1250 character") << start + "wybór 1: Idź ж -> Koniec\n"
                                                   << 6 << 14 << "znaku U+0436 nie ma";
        // The escape the message offers is one the reader takes (handWrittenText).
        QTest::newRow("no Windows-1250 character, the escape offered")
            << start + "opis:\n  ж\n"
            << 7 << 3
            << "znaku U+0436 nie ma w Windows-1250; oczekiwano znaku, który plik scenariusza "
               "może zapisać (albo „\\xNN”)";
        QTest::newRow("no Windows-1250 character in a description")
            << start + "opis:\n  Dobrze\n  Źle 😀\n"
            << 8 << 7 << "U+1F600";
        QTest::newRow("no header first") << "typ: Koniec\n" << 1 << 1 << "== 0 NAZWA";
        QTest::newRow("situations out of order") << end + "== 2 Las\ntyp: Koniec\n"
                                                 << 4 << 4 << "== 1 NAZWA";
        QTest::newRow("unknown field") << end + "kolor: zielony\n" << 4 << 1 << "„kolor”";
        QTest::newRow("field twice") << end + "typ: Koniec\n" << 4 << 1 << "wierszu 2";
        QTest::newRow("no colon") << end + "coś\n" << 4 << 1 << "pole: wartość";
        QTest::newRow("unknown type") << "== 0 A\ntyp: Zwykły\n" << 2 << 6 << "Zwykły";
        QTest::newRow("no type") << "== 0 A\nobrazek: a.bmp\n" << 1 << 1 << "typ:";
        QTest::newRow("no arrow") << start + "wybór 1: Idź\n" << 6 << 13 << "„ -> ”";
        QTest::newRow("no target") << start + "wybór 1: Idź ->\n" << 6 << 16 << "„ -> ”";
        QTest::newRow("bad number") << start + "wybór 1: Idź -> #x\n" << 6 << 17 << "po „#”";
        QTest::newRow("bad escape") << start + "wybór 1: I\\q -> Koniec\n" << 6 << 11 << "„\\q";
        QTest::newRow("short escape") << "== 0 A\\x4\ntyp: Koniec\n" << 1 << 7 << "\\xNN";
        QTest::newRow("escape of one digit and a space") << start + "wybór 1: A\\x1 z -> Koniec\n"
                                                         << 6 << 11 << "nieznana sekwencja „\\x1 ”";
        QTest::newRow("escape of a space and one digit") << "== 0 A\\x 1\ntyp: Koniec\n"
                                                         << 1 << 7 << "„\\x 1”";
        QTest::newRow("escape with a sign") << end + "opis:\n  a\\x+1\n" << 5 << 4 << "\\xNN";
        QTest::newRow("escape of one digit at a line's end") << end + "opis:\n  a\\xF\n  b\n"
                                                             << 5 << 4 << "\\xNN";
        const QString most = QStringLiteral("najwyżej 1000000 sytuacji");
        QTest::newRow("header past the most situations") << end + "== 1500000 Las\ntyp: Koniec\n"
                                                         << 4 << 4 << most;
        QTest::newRow("header past any integer") << "== 99999999999999999999999\ntyp: Koniec\n"
                                                 << 1 << 4 << most;
        QTest::newRow("1 000 001 situations") << manyBlocks(1'000'001) << 2'000'001 << 1 << most;
        QTest::newRow("1 000 001 headers alone")
            << QStringLiteral("==\n").repeated(1'000'001) << 1'000'001 << 1 << most;
        QTest::newRow("odd hex") << end + "surowe nazwa: abc\n" << 4 << 18 << "parzystej";
        QTest::newRow("not hex") << end + "surowe luka: 0g00\n" << 4 << 15 << "szesnastkowej";
        QTest::newRow("gap size") << end + "surowe luka: 000000\n" << 4 << 14 << "dokładnie 2";
        QTest::newRow("raw bytes past the field")
            << "== 0 Koniec\ntyp: Koniec\nsurowe nazwa: " + QString(30, u'1') + "\n"
            << 3 << 15 << "razem 21";
        QTest::newRow("length within capacity") << end + "długość nazwa: 20\n"
                                                << 4 << 16 << "od 21 do 255";
        QTest::newRow("description on its header line") << end + "opis: tekst\n"
                                                        << 4 << 7 << "wciętych";
    }
    void errors() {
        QFETCH(QString, text);
        QFETCH(int, line);
        QFETCH(int, column);
        QFETCH(QString, message);
        const TextFormResult result = fromText(text);
        QVERIFY(!result.ok());
        QVERIFY(result.pair.situations.isEmpty() && result.pair.list.isEmpty());
        const TextFormError& e = result.errors.front();
        QVERIFY2(e.message.contains(message), qPrintable(e.message));
        QCOMPARE(e.line, line);
        QCOMPARE(e.column, column);
    }

    // A fault's consequences are not faults of their own: each cause is one message.
    void eachCauseReportedOnce_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("expected"); // "LINE:COLUMN" and a part of the message
        const QString end = QStringLiteral("== 0 Koniec\ntyp: Koniec\n\n");
        const QString indent = QStringLiteral("wiersze opisu wcina się dwiema spacjami");
        QTest::newRow("description line not indented")
            << end + "== 1 Start\ntyp: Koniec\nopis:\n  Noc.\nWiatr wieje.\n  Cisza.\n"
            << QStringList{"8:1 wiersz opisu bez wcięcia; " + indent + " („  Wiatr wieje.”)"};
        QTest::newRow("first description line not indented")
            << end + "== 1 Start\ntyp: Koniec\nopis:\nNoc.\n  Cisza.\n"
            << QStringList{"7:1 " + indent};
        QTest::newRow("description line indented by one space")
            << end + "== 1 Start\ntyp: Koniec\nopis:\n Noc.\n"
            << QStringList{"7:1 " + indent};
        QTest::newRow("description line with a colon, not indented")
            << end + "== 1 Start\ntyp: Koniec\nopis:\nUwaga: most.\n  Dalej.\n"
            << QStringList{"7:1 nieznane pole „Uwaga” albo wiersz opisu bez wcięcia"};
        QTest::newRow("a fact ends the description") << end + "opis:\n  Noc.\ntyp: Koniec\n"
                                                     << QStringList{"6:1 „typ” już podano"};
        QTest::newRow("block 0 left out")
            << "== 1 Start\ntyp: Poczatek\nwybór 1: Idź -> Las\n\n== 2 Las\ntyp: Koniec\n"
            << QStringList{"1:4 brak bloku sytuacji 0: tekst zaczyna się od sytuacji 1"};
        QTest::newRow("block 1 left out")
            << end + "== 2 Las\ntyp: Koniec\nwybór 1: -> Łąka\n\n== 3 Łąka\ntyp: Koniec\n"
            << QStringList{"4:4 brak bloku sytuacji 1: po sytuacji 0 następuje 2"};
        QTest::newRow("blocks 1 and 2 left out") << end + "== 3 Las\ntyp: Koniec\n"
                                                 << QStringList{"4:4 brak bloków sytuacji 1–2"};
        QTest::newRow("a block twice")
            << end + "== 1 A\ntyp: Koniec\n\n== 1 B\ntyp: Koniec\n\n== 2 C\ntyp: Koniec\n"
            << QStringList{"7:4 oczekiwano nagłówka sytuacji „== 2 NAZWA”: sytuacja 1 już była"};
    }
    void eachCauseReportedOnce() {
        QFETCH(QString, text);
        QFETCH(QStringList, expected);
        const TextFormResult result = fromText(text);
        QStringList found;
        for (const TextFormError& e : result.errors)
            found << QStringLiteral("%1:%2 %3").arg(e.line).arg(e.column).arg(e.message);
        QCOMPARE(found.size(), expected.size());
        for (qsizetype i = 0; i < found.size(); ++i) {
            const QString& want = expected.at(i);
            const qsizetype space = want.indexOf(u' ');
            QVERIFY2(found.at(i).startsWith(want.left(space + 1)) &&
                         found.at(i).contains(want.mid(space + 1)),
                     qPrintable(found.at(i)));
        }
    }

    // A hand-written text: the defaults of what it leaves out, and targets by name and number.
    void handWrittenText() {
        const TextFormResult r =
            fromText(QStringLiteral("== 0 Koniec\ntyp: Koniec\n\n== 1 Start\r\ntyp: Wybory2  \n"
                                    "opis:\n  Noc\\xb9.\n\n  Wiatr.\nwybór 1: Idź -> Start\n"));
        QVERIFY(r.ok());
        const ScenarioSnapshot s = snapshotFromBytes(r.pair.situations, r.pair.list);
        QCOMPARE(s.size(), 2);
        QCOMPARE(s.rekordy[1].Opis.text(), QStringLiteral("Nocą.\r\n\r\nWiatr.")); // \xb9: ą
        QCOMPARE(s.rekordy[1].Krok_Wybrany1.get(), 1);
        QCOMPARE(s.rekordy[1].Krok_Wybrany2.get(), 0);  // offered: the default end
        QCOMPARE(s.rekordy[1].Krok_Wybrany3.get(), -1); // not offered
        QCOMPARE(s.rekordy[0].Krok_Wybrany3.get(), 0);
        QCOMPARE(s.listy[1].Typ, std::uint8_t(Wybory2));
        QCOMPARE(s.listy[1].Nazwa.text(), QStringLiteral("Start"));
    }
};

QTEST_GUILESS_MAIN(TestTextForm)
#include "tst_text_form.moc"
