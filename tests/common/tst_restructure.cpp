// Deleting, moving and duplicating a situation in memory: every road is checked by the names of
// the situations it joins, before and after, and every refusal leaves the records as they were.

#include "common/ObEdKrok.h"
#include "common/Restructure.h"
#include "platform/core/AppError.h"

#include <QMap>
#include <QTest>
#include <array>
#include <vector>

namespace {

struct Records {
    std::vector<TRekordKroku> rekordy;
    std::vector<TRekordListy> listy;
};

// Six situations whose roads lead into every other one, to themselves, to 0, to a number past
// the end (99) and to an unused row (-1); each has its own type so that the list travels too.
Records fixture() {
    const std::vector<std::pair<QString, std::array<std::int32_t, 4>>> rows = {
        {"Koniec", {0, -1, 99, 0}}, {"Start", {2, 3, 5, 0}}, {"Brama", {2, 4, 1, 5}},
        {"Most", {3, 2, 5, -1}},    {"Wieża", {4, 5, 3, 2}}, {"Lochy", {5, 4, 2, 99}},
    };
    Records r;
    for (const auto& [name, cele] : rows) {
        TKrok krok;
        krok.Ustaw(name, {}, {}, {}, {}, {}, {}, cele[0], cele[1], cele[2], cele[3]);
        TRekordKroku rekord{};
        krok.DoRekordu(rekord);
        TRekordListy lista{};
        lista.Nazwa.assign(name);
        lista.Typ = std::uint8_t(r.listy.size());
        r.rekordy.push_back(rekord);
        r.listy.push_back(lista);
    }
    return r;
}

QStringList names(const Records& r) {
    QStringList all;
    for (const TRekordKroku& rekord : r.rekordy)
        all << rekord.Nazwa.text();
    return all;
}

// Each situation by name: its list name and type and where its four roads lead, by name for a
// situation and by number for anything else.
QMap<QString, QString> roads(const Records& r) {
    const QStringList all = names(r);
    QMap<QString, QString> byName;
    for (std::size_t k = 0; k < r.rekordy.size(); ++k) {
        QString text = r.listy[k].Nazwa.text() + '/' + QString::number(r.listy[k].Typ);
        for (int i = 1; i <= 4; ++i) {
            const std::int32_t t = TKrok::cel(r.rekordy[k], i);
            text += " -> " + (t >= 0 && t < all.size() ? all[t] : '#' + QString::number(t));
        }
        byName[all[int(k)]] = text;
    }
    return byName;
}

QByteArray bytesOf(const Records& r) {
    QByteArray bytes(reinterpret_cast<const char*>(r.rekordy.data()),
                     qsizetype(r.rekordy.size() * sizeof(TRekordKroku)));
    return bytes.append(reinterpret_cast<const char*>(r.listy.data()),
                        qsizetype(r.listy.size() * sizeof(TRekordListy)));
}

} // namespace

class TestRestructure : public QObject {
    Q_OBJECT

private slots:
    void deleteRenumbers_data() {
        QTest::addColumn<int>("n");
        QTest::newRow("first that may go") << 2;
        QTest::newRow("middle") << 3;
        QTest::newRow("last") << 5;
    }
    void deleteRenumbers() {
        QFETCH(int, n);
        Records r = fixture();
        const QStringList before = names(r);
        QMap<QString, QString> expected = roads(r);
        const QString gone = before[n];
        expected.remove(gone);
        int into = 0;
        for (QString& text : expected) {
            into += int(text.count(" -> " + gone));
            text.replace(" -> " + gone, " -> " + before[0]);
        }
        const DeletedSituation deleted = deleteSituation(r.rekordy, r.listy, n);
        QStringList order = before;
        order.removeAt(n);
        QCOMPARE(names(r), order);
        QCOMPARE(roads(r), expected);
        QCOMPARE(deleted.name, gone);
        QCOMPARE(deleted.roadsToEnd, into);
    }

    void moveKeepsRoads_data() {
        QTest::addColumn<int>("n");
        QTest::addColumn<int>("to");
        QTest::newRow("first to last") << 2 << 5;
        QTest::newRow("last to first") << 5 << 2;
        QTest::newRow("one down across the middle") << 3 << 4;
        QTest::newRow("one up across the middle") << 4 << 3;
        QTest::newRow("onto itself") << 3 << 3;
    }
    void moveKeepsRoads() {
        QFETCH(int, n);
        QFETCH(int, to);
        Records r = fixture();
        QStringList order = names(r);
        order.move(n, to);
        const QMap<QString, QString> expected = roads(r);
        moveSituation(r.rekordy, r.listy, n, to);
        QCOMPARE(names(r), order);
        QCOMPARE(roads(r), expected);
    }

    void duplicateNamesTheCopy_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("taken");
        QTest::addColumn<QString>("copy");
        QTest::newRow("short") << "Brama"
                               << "Most"
                               << "Brama 2";
        QTest::newRow("suffix taken, other case") << "Brama"
                                                  << "BRAMA 2"
                                                  << "Brama 3";
        QTest::newRow("at the limit") << "Komnata Smoka Wielka"
                                      << "Most"
                                      << "Komnata Smoka Wiel 2";
        QTest::newRow("at the limit, taken") << "Komnata Smoka Wielka"
                                             << "komnata smoka wiel 2"
                                             << "Komnata Smoka Wiel 3";
        QTest::newRow("cut before a space") << "Stara brama zamku X"
                                            << "Most"
                                            << "Stara brama zamku 2";
    }
    void duplicateNamesTheCopy() {
        QFETCH(QString, name);
        QFETCH(QString, taken);
        QFETCH(QString, copy);
        Records r = fixture();
        r.rekordy[2].Nazwa.assign(name);
        r.listy[2].Nazwa.assign(name);
        r.rekordy[3].Nazwa.assign(taken);
        r.listy[3].Nazwa.assign(taken);
        QMap<QString, QString> expected = roads(r);
        const QString original = expected[name];
        expected[copy] = copy + original.mid(name.size());
        const std::int32_t at = duplicateSituation(r.rekordy, r.listy, 2);
        QCOMPARE(at, 6);
        QCOMPARE(names(r).last(), copy);
        QCOMPARE(roads(r), expected);
    }

    void refusalChangesNothing_data() {
        QTest::addColumn<QString>("operation");
        QTest::addColumn<int>("n");
        QTest::addColumn<int>("to");
        QTest::newRow("delete the default end") << "delete" << 0 << 0;
        QTest::newRow("delete the start") << "delete" << 1 << 0;
        QTest::newRow("delete past the end") << "delete" << 6 << 0;
        QTest::newRow("delete a negative") << "delete" << -1 << 0;
        QTest::newRow("move the default end") << "move" << 0 << 3;
        QTest::newRow("move the start") << "move" << 1 << 3;
        QTest::newRow("move onto the default end") << "move" << 3 << 0;
        QTest::newRow("move onto the start") << "move" << 3 << 1;
        QTest::newRow("move past the end") << "move" << 3 << 6;
        QTest::newRow("duplicate past the end") << "duplicate" << 6 << 0;
    }
    void refusalChangesNothing() {
        QFETCH(QString, operation);
        QFETCH(int, n);
        QFETCH(int, to);
        Records r = fixture();
        const QByteArray before = bytesOf(r);
        try {
            if (operation == "delete")
                deleteSituation(r.rekordy, r.listy, n);
            else if (operation == "move")
                moveSituation(r.rekordy, r.listy, n, to);
            else
                duplicateSituation(r.rekordy, r.listy, n);
            QFAIL("not refused");
        } catch (const AppError& e) {
            QCOMPARE(e.code(), int(AppError::Other));
            QVERIFY(!e.message().isEmpty());
        }
        QCOMPARE(bytesOf(r), before);
    }
};

QTEST_GUILESS_MAIN(TestRestructure)
#include "tst_restructure.moc"
