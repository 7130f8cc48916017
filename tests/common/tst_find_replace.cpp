// Finding a text across a scenario under each way of matching, and replacing it all at once:
// every refusal leaves its situation's bytes as they were, and a replace touches only texts.

#include "common/FindReplace.h"
#include "common/ObEdKrok.h"
#include "tests/support/ScenarioBuilder.h"

#include <QTest>
#include <cstring>
#include <vector>

namespace {

struct Records {
    std::vector<TRekordKroku> rekordy;
    std::vector<TRekordListy> listy;
};

Situation situation(const QString& nazwa, std::uint8_t typ, const QString& opis,
                    std::array<QString, 4> wybory = {}, std::array<std::int32_t, 4> cele = {},
                    const QString& bmp = {}, const QString& wav = {}) {
    return {nazwa, typ, opis, std::move(wybory), cele, bmp, wav};
}

Records build(const std::vector<Situation>& situations) {
    Records r;
    for (const Situation& s : situations) {
        TKrok krok;
        krok.Ustaw(s.nazwa, s.wybory[0], s.wybory[1], s.wybory[2], s.wybory[3], s.opis, s.bmp,
                   s.cele[0], s.cele[1], s.cele[2], s.cele[3]);
        TRekordKroku rekord{};
        krok.Wav.assign(s.wav);
        krok.DoRekordu(rekord);
        TRekordListy lista{};
        lista.Nazwa.assign(s.nazwa);
        lista.Typ = s.typ;
        r.rekordy.push_back(rekord);
        r.listy.push_back(lista);
    }
    return r;
}

template <class T> bool sameBytes(const T& a, const T& b) {
    return std::memcmp(&a, &b, sizeof(T)) == 0;
}

Records findFixture() {
    return build({
        situation("Koniec", Koniec, "Koniec gry...."),
        situation("Żółty dom", Normalny, "Stoisz przed domem.\r\nDrzwi są żółte.",
                  {"Wejdź", "Odejdź", "Zapukaj", "Zolty most"}),
        situation("Łąka", Normalny, "Na łące leży LAMPA i lina."),
    });
}

// Situation 2's name fills its 20 bytes, situation 3's first choice its 45 and situation 4's
// description takes 248 bytes stored, 247 shown. "Góra" and "Gora" differ only by a diacritic.
Records replaceFixture() {
    return build({
        situation("Koniec", Koniec, "Koniec."),
        situation("Start", Poczatek, "Początek drogi nad jeziorem.", {"Idź na most"}, {3, 0, 0, 0}),
        situation("Wieża nad jeziorem 1", Normalny, "Wieża.", {"Wróć"}, {1, 0, 0, 0}, "w.bmp",
                  "w.wav"),
        situation("Chata", Normalny, "Nad jeziorem stoi chata.",
                  {"Przejdź przez most i idź dalej wzdłuż brzegu."}),
        situation("Lochy", Normalny, "Ciemno.\r\n" + QString(239, u'x')),
        situation("Góra", Wybory2, "Szczyt."),
        situation("Gora", Wybory3, "Dolina."),
    });
}

} // namespace

class TestFindReplace : public QObject {
    Q_OBJECT

private slots:
    void find_data() {
        QTest::addColumn<QString>("needle");
        QTest::addColumn<bool>("ignoreCase");
        QTest::addColumn<bool>("ignoreDiacritics");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("zolty, both")
            << "zolty" << true << true << QStringList{"1 Nazwa 0", "1 Wybór 4 0"};
        QTest::newRow("zolty, case only") << "zolty" << true << false << QStringList{"1 Wybór 4 0"};
        QTest::newRow("zolty, diacritics only") << "zolty" << false << true << QStringList{};
        QTest::newRow("Żółty, exact") << "Żółty" << false << false << QStringList{"1 Nazwa 0"};
        QTest::newRow("ŻÓŁTY, both")
            << "ŻÓŁTY" << true << true << QStringList{"1 Nazwa 0", "1 Wybór 4 0"};
        QTest::newRow("ł, both") << "ł" << true << true
                                 << QStringList{"1 Nazwa 2", "1 Opis 31", "1 Wybór 4 2",
                                                "2 Nazwa 0", "2 Opis 3",  "2 Opis 8",
                                                "2 Opis 13", "2 Opis 21"};
        QTest::newRow("L, diacritics only")
            << "L" << false << true << QStringList{"2 Nazwa 0", "2 Opis 13"};
        QTest::newRow("Ł, case only")
            << "Ł" << true << false
            << QStringList{"1 Nazwa 2", "1 Opis 31", "2 Nazwa 0", "2 Opis 3"};
        QTest::newRow("l, exact") << "l" << false << false
                                  << QStringList{"1 Wybór 4 2", "2 Opis 8", "2 Opis 21"};
        QTest::newRow("choices 1 and 2")
            << "jdz" << true << true << QStringList{"1 Wybór 1 2", "1 Wybór 2 3"};
        QTest::newRow("choice 3") << "pukaj" << true << true << QStringList{"1 Wybór 3 2"};
        QTest::newRow("after a line break") << "drzwi" << true << true << QStringList{"1 Opis 20"};
        QTest::newRow("across a line break")
            << "domem.\ndrzwi" << true << true << QStringList{"1 Opis 13"};
        QTest::newRow("non-overlapping")
            << ".." << true << true << QStringList{"0 Opis 10", "0 Opis 12"};
        QTest::newRow("empty needle") << "" << true << true << QStringList{};
    }
    void find() {
        QFETCH(QString, needle);
        QFETCH(bool, ignoreCase);
        QFETCH(bool, ignoreDiacritics);
        QFETCH(QStringList, expected);
        QStringList found;
        for (const SearchHit& hit :
             findInScenario(findFixture().rekordy, needle, {ignoreCase, ignoreDiacritics})) {
            QCOMPARE(hit.length, needle.size());
            found << QStringLiteral("%1 %2 %3")
                         .arg(hit.situation)
                         .arg(fieldCaption(hit.field))
                         .arg(hit.position);
        }
        QCOMPARE(found, expected);
    }

    void context_data() {
        QTest::addColumn<QString>("opis");
        QTest::addColumn<QString>("needle");
        QTest::addColumn<QString>("expected");
        QTest::newRow("short text whole") << "Krótki opis ze smokiem."
                                          << "smok"
                                          << "Krótki opis ze smokiem.";
        QTest::newRow("cut at words on both sides")
            << "Stary zamek stoi na wzgórzu nad rzeką, a w jego lochach śpi smok od tysiąca lat "
               "i nikt go nie budzi."
            << "smok"
            << "…rzeką, a w jego lochach śpi smok od tysiąca lat i nikt go nie…";
        QTest::newRow("line breaks as spaces") << "Wejście.\r\nSmok śpi.\r\nWyjście."
                                               << "smok"
                                               << "Wejście. Smok śpi. Wyjście.";
    }
    void context() {
        QFETCH(QString, opis);
        QFETCH(QString, needle);
        QFETCH(QString, expected);
        const auto hits =
            findInScenario(build({situation("A", Normalny, opis)}).rekordy, needle, {});
        QCOMPARE(hits.size(), std::size_t(1));
        QCOMPARE(hits[0].context, expected);
    }

    void replace_data() {
        QTest::addColumn<QString>("needle");
        QTest::addColumn<QString>("replacement");
        QTest::addColumn<bool>("ignoreDiacritics");
        QTest::addColumn<QList<int>>("changed");
        QTest::addColumn<QList<int>>("refused");
        QTest::addColumn<QString>("reason");
        QTest::newRow("name at 20 grown")
            << "jeziorem"
            << "jeziorami" << true << QList{1, 3} << QList{2} << "20 znaków";
        QTest::newRow("name at 20 kept")
            << "jeziorem"
            << "jeziorom" << true << QList{1, 2, 3} << QList<int>{} << "";
        QTest::newRow("choice past 45") << "most"
                                        << "mostek" << true << QList{1} << QList{3} << "45 znaków";
        QTest::newRow("description past 250 with CR LF")
            << "Ciemno"
            << "Ciemnoooo" << true << QList<int>{} << QList{4} << "250 bajtów";
        QTest::newRow("description at 250") << "Ciemno"
                                            << "Ciemnooo" << true << QList{4} << QList<int>{} << "";
        QTest::newRow("character Windows-1250 cannot hold")
            << "Start"
            << "Start ☃" << true << QList<int>{} << QList{1} << "„☃” (U+2603)";
        QTest::newRow("name clash with another")
            << "Chata"
            << "LOCHY" << true << QList<int>{} << QList{3} << "sytuacja 4";
        QTest::newRow("name clash within the replace")
            << "gora"
            << "Szczyt" << true << QList<int>{} << QList{5, 6} << "sytuacja 6";
        QTest::newRow("one renamed, the other kept by its diacritic")
            << "gora"
            << "Szczyt" << false << QList{6} << QList<int>{} << "";
        QTest::newRow("empty name") << "Lochy"
                                    << "" << true << QList<int>{} << QList{4} << "pusta";
        QTest::newRow("empty needle") << ""
                                      << "x" << true << QList<int>{} << QList<int>{} << "";
    }
    void replace() {
        QFETCH(QString, needle);
        QFETCH(QString, replacement);
        QFETCH(bool, ignoreDiacritics);
        QFETCH(QList<int>, changed);
        QFETCH(QList<int>, refused);
        QFETCH(QString, reason);
        const SearchOptions options{true, ignoreDiacritics};
        const Records before = replaceFixture();
        Records r = before;
        const ReplaceResult result = replaceAll(r.rekordy, r.listy, needle, replacement, options);

        QCOMPARE(QList<int>(result.changed.begin(), result.changed.end()), changed);
        QList<int> refusedNow;
        for (const ReplaceRefusal& refusal : result.refused)
            refusedNow << refusal.situation;
        QCOMPARE(refusedNow, refused);
        if (!refused.isEmpty())
            QVERIFY2(result.refused.front().reason.contains(reason),
                     qPrintable(result.refused.front().reason));
        int expectedReplacements = 0;
        for (const SearchHit& hit : findInScenario(before.rekordy, needle, options))
            expectedReplacements += refused.contains(hit.situation) ? 0 : 1;
        QCOMPARE(result.replacements, expectedReplacements);

        for (std::size_t k = 0; k < r.rekordy.size(); ++k) {
            const TRekordKroku& now = r.rekordy[k];
            const TRekordKroku& was = before.rekordy[k];
            if (!changed.contains(int(k))) {
                QVERIFY2(sameBytes(now, was) && sameBytes(r.listy[k], before.listy[k]),
                         qPrintable(QString::number(k)));
                continue;
            }
            QVERIFY(findInScenario({now}, needle, options).empty() ||
                    replacement.contains(needle, Qt::CaseInsensitive));
            QVERIFY(sameBytes(now.Bmp, was.Bmp) && sameBytes(now.Wav, was.Wav));
            QCOMPARE(
                std::memcmp(&now.Gap, &was.Gap, TRekordKroku::Size - offsetof(TRekordKroku, Gap)),
                0);
            QCOMPARE(r.listy[k].Typ, before.listy[k].Typ);
            QCOMPARE(r.listy[k].Nazwa.text(), now.Nazwa.text());
        }
    }

    // Only the renamed name is written: a description with a lone LF (which a rewrite would turn
    // into CR LF) and the bytes past each text's length stay; the list name is assigned the way
    // ShortString::assign leaves the bytes past it.
    void untouchedBytesStay() {
        Records r = replaceFixture();
        TRekordKroku& rekord = r.rekordy[1];
        rekord.Opis.assignBytes("Droga\nw dal", 11);
        rekord.Wybor1.chars.fill('Q');
        rekord.Wybor1.len = 3;
        r.listy[1].Nazwa.chars.fill('Z');
        r.listy[1].Nazwa.len = 5;
        TRekordKroku expected = rekord;
        expected.Nazwa.assign(QStringLiteral("Go"));
        TRekordListy expectedList = r.listy[1];
        expectedList.Nazwa.assign(QStringLiteral("Go"));

        const ReplaceResult result = replaceAll(r.rekordy, r.listy, "start", "Go", {});
        QCOMPARE(result.changed, std::vector<std::int32_t>{1});
        QVERIFY(sameBytes(rekord, expected));
        QVERIFY(sameBytes(r.listy[1], expectedList));
    }
};

QTEST_GUILESS_MAIN(TestFindReplace)
#include "tst_find_replace.moc"
