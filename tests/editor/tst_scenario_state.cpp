#include "common/Cp1250.h"
#include "common/ScenarioFiles.h"
#include "editor/model/NameIndex.h"
#include "editor/model/ScenarioState.h"
#include "platform/core/AppError.h"
#include "platform/core/PosixRecordFile.h"
#include "tests/support/ByteWriters.h"
#include "tests/support/ExpectError.h"
#include "tests/support/FaultyRecordFile.h"
#include "tests/support/ScenarioBuilder.h"

#include <QFile>
#include <QFileInfo>
#include <QTest>
#include <memory>
#include <random>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

Q_DECLARE_METATYPE(SituationFields)

namespace {

// Offsets and capacities of the counted texts of a situation record.
constexpr std::array<std::pair<int, int>, 8> kTexts = {
    {{0, 20}, {21, 45}, {67, 45}, {113, 45}, {159, 45}, {205, 250}, {456, 20}, {477, 20}}};

// The bytes past a text's length have no meaning: blank them before comparing.
QByteArray defined(QByteArray record) {
    for (const auto& [offset, capacity] : kTexts) {
        if (offset + 1 + capacity > record.size())
            break; // a list record holds the name only
        const int len = std::min<int>(static_cast<unsigned char>(record[offset]), capacity);
        for (int i = offset + 1 + len; i < offset + 1 + capacity; ++i)
            record[i] = 0;
    }
    return record;
}

Situation situation(const QString& nazwa, std::uint8_t typ, std::array<std::int32_t, 4> cele) {
    Situation s;
    s.nazwa = nazwa;
    s.typ = typ;
    s.opis = QStringLiteral("opis");
    s.cele = cele;
    return s;
}

// Situations 0 to 2; situation 2 is a Wybory1 with a leftover choice 2 text and media.
std::vector<Situation> sample() {
    std::vector<Situation> situations{
        situation(QStringLiteral("Default Koniec"), Koniec, {0, 0, 0, 0}),
        situation(QStringLiteral("Poczatek"), Poczatek, {2, 0, 0, 0}),
        situation(QStringLiteral("Łąka"), Wybory1, {1, 0, 0, 0}),
    };
    situations[1].wybory[0] = QStringLiteral("Zaczynamy");
    situations[2].wybory = {QStringLiteral("Idz"), QStringLiteral("stary wybor 2"), {}, {}};
    situations[2].bmp = QStringLiteral("las.bmp");
    situations[2].wav = QStringLiteral("ptak.wav");
    return situations;
}

// Situations "S0" ... "S<n-1>" of types 0, 1, 2, ..., every choice led to situation 1.
std::vector<Situation> numbered(int n) {
    std::vector<Situation> situations;
    for (int k = 0; k < n; ++k)
        situations.push_back(
            situation(QStringLiteral("S%1").arg(k), std::uint8_t(k % 6), {1, 1, 1, 1}));
    return situations;
}

// Complete fields for situation 2 of sample(), saved as a Wybory2.
SituationFields completeFields() {
    SituationFields f;
    f.nazwa = QStringLiteral("Łąka");
    f.typ = QStringLiteral("Wybory2");
    f.opis = QStringLiteral("Trawa");
    f.wybory = {QStringLiteral("Idz"), QStringLiteral("Wracaj"), {}, {}};
    f.cele = {QStringLiteral("Poczatek"), QStringLiteral("Default Koniec"), {}, {}};
    f.wyboryWlaczone = {true, true, false, false};
    f.celeWlaczone = {true, true, false, false};
    return f;
}

template <class Change> SituationFields changed(Change change) {
    SituationFields f = completeFields();
    change(f);
    return f;
}

} // namespace

class TestScenarioState : public QObject {
    Q_OBJECT

private slots:
    void init() {
        dir_.renew();
        files_ = std::make_unique<FaultyRecordFileFactory>();
        state_ = std::make_unique<ScenarioState>(*files_);
    }
    void cleanup() {
        state_.reset();
        files_.reset();
    }

    // --- the file pair --------------------------------------------------------------------------

    void onDiskTellsWhichFilesExist_data() {
        QTest::addColumn<bool>("kro");
        QTest::addColumn<bool>("lis");
        QTest::addColumn<int>("expected");
        using D = ScenarioState::OnDisk;
        QTest::newRow("both") << true << true << int(D::Both);
        QTest::newRow("neither") << false << false << int(D::Neither);
        QTest::newRow("list file missing") << true << false << int(D::OnlySituationFile);
        QTest::newRow("situation file missing") << false << true << int(D::OnlyListFile);
    }
    void onDiskTellsWhichFilesExist() {
        QFETCH(bool, kro);
        QFETCH(bool, lis);
        QFETCH(int, expected);
        const QString path = dir_.filePath(QStringLiteral("Gry.2/las.Kro"));
        QVERIFY(!kro || writeFile(path, QByteArray(516, '\0')));
        QVERIFY(!lis || writeFile(listFilePath(path), QByteArray(22, '\0')));
        QCOMPARE(int(ScenarioState::onDisk(path)), expected);
    }

    // A scenario the user may not write (installed, or on read-only media) opens for reading,
    // and its save is refused with "File access denied" before a file is touched. The files'
    // permissions are real: as root, the open runs in a child process as user "nobody".
    void scenarioNotWritableOpensForReading_data() {
        QTest::addColumn<bool>("kroWritable");
        QTest::addColumn<bool>("lisWritable");
        QTest::addColumn<int>("outcome"); // the child's exit status
        QTest::newRow("both read-only") << false << false << 0;
        QTest::newRow("list file read-only") << true << false << 0;
        QTest::newRow("both writable") << true << true << 3; // the save goes through
    }
    void scenarioNotWritableOpensForReading() {
        QFETCH(bool, kroWritable);
        QFETCH(bool, lisWritable);
        QFETCH(int, outcome);
        const QString kro = dir_.filePath(QStringLiteral("Gra.Kro"));
        QVERIFY(writeScenario(kro, sample()));
        const QByteArray before = readFile(kro) + readFile(listFilePath(kro));
        QVERIFY(::chmod(QFile::encodeName(dir_.path()).constData(), 0777) == 0);
        for (const auto& [path, writable] :
             {std::pair{kro, kroWritable}, std::pair{listFilePath(kro), lisWritable}})
            QVERIFY(::chmod(QFile::encodeName(path).constData(), writable ? 0666 : 0444) == 0);
        const pid_t child = ::fork();
        QVERIFY(child >= 0);
        if (child == 0) {
            if (::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0))
                ::_exit(9);
            PosixRecordFileFactory files;
            ScenarioState state(files);
            state.bind(kro);
            try {
                state.openExisting();
            } catch (const AppError&) {
                ::_exit(1); // not opened at all
            }
            int status = 0;
            try {
                state.goTo(2);
                ScenarioList list;
                state.OdswiezSpis(list);
                status = state.save(completeFields(), list).isEmpty() ? 3 : 4;
            } catch (const AppError& e) {
                status = e.code() == AppError::AccessDenied ? 0 : 10 + e.code();
            }
            ::_exit(status);
        }
        int status = 0;
        QCOMPARE(::waitpid(child, &status, 0), child);
        QVERIFY(WIFEXITED(status));
        QCOMPARE(WEXITSTATUS(status), outcome);
        if (outcome == 0)
            QCOMPARE(readFile(kro) + readFile(listFilePath(kro)), before);
    }

    void bindClosesWhatIsOpenAndTakesThePaths() {
        QVERIFY(open(sample(), 1));
        const int before = files_->calls();
        const QString other = dir_.filePath(QStringLiteral("Inny.stary.Kro"));
        state_->bind(other);
        QCOMPARE(files_->calls(), before + 2); // one close for each file
        QCOMPARE(state_->listPath(), dir_.filePath(QStringLiteral("Inny.lis")));
        QCOMPARE(state_->folder(), dir_.path() + u'/');
        state_->bind(other); // nothing open: nothing to close, no error
        state_->close();
        QCOMPARE(files_->calls(), before + 2);
    }

    // --- moving
    // -----------------------------------------------------------------------------------

    void moves_data() {
        QTest::addColumn<int>("situations");
        QTest::addColumn<int>("start");
        QTest::addColumn<QString>("action");
        QTest::addColumn<int>("move");
        QTest::addColumn<int>("numer");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<int>("fileCalls");
        const int moved = int(ScenarioState::Move::Moved);
        const int first = int(ScenarioState::Move::AtFirst);
        const int last = int(ScenarioState::Move::AtLast);
        // The situation read first is `start` (S1 when it is past the end); "shown" is what the
        // situation object ends holding.
        QTest::newRow("back one reads it") << 4 << 3 << "previous" << moved << 2 << "S2" << 4;
        QTest::newRow("back at the first positions on it")
            << 4 << 1 << "previous" << first << 1 << "S1" << 1;
        QTest::newRow("back from 0 lands on 1 unread")
            << 4 << 0 << "previous" << first << 1 << "S0" << 1;
        QTest::newRow("on one reads it") << 4 << 1 << "next" << moved << 2 << "S2" << 6;
        QTest::newRow("on at the last stays") << 4 << 3 << "next" << last << 3 << "S3" << 3;
        QTest::newRow("on from a new situation stays")
            << 4 << 4 << "next" << last << 4 << "S1" << 3;
        QTest::newRow("three situations: new number 3") << 3 << 1 << "new" << -1 << 3 << "S1" << 2;
        QTest::newRow("new number from the last") << 3 << 2 << "new" << -1 << 3 << "S2" << 2;
        QTest::newRow("new number from 0") << 4 << 0 << "new" << -1 << 4 << "S0" << 2;
    }
    void moves() {
        QFETCH(int, situations);
        QFETCH(int, start);
        QFETCH(QString, action);
        QFETCH(int, move);
        QFETCH(int, numer);
        QFETCH(QString, shown);
        QFETCH(int, fileCalls);
        QVERIFY(open(numbered(situations), 1));
        try {
            state_->goTo(start);
        } catch (const AppError&) {
            // past the end: the number is taken, the situation object keeps S1
        }
        const int before = files_->calls();
        if (action == u"previous")
            QCOMPARE(int(state_->previous()), move);
        else if (action == u"next")
            QCOMPARE(int(state_->next()), move);
        else
            state_->startNewSituation();
        QCOMPARE(state_->numer(), numer);
        QCOMPARE(state_->newSituation(), action == u"new");
        QCOMPARE(state_->krok().Nazwa.text(), shown);
        QCOMPARE(files_->calls() - before, fileCalls);
    }

    // --- the names
    // --------------------------------------------------------------------------------

    void newScenarioList() {
        state_->bind(dir_.filePath(QStringLiteral("Nowy.Kro")));
        state_->createNew();
        state_->goTo(1);
        ScenarioList list;
        state_->OdswiezSpis(list);
        const QStringList names{QStringLiteral("Default Koniec"), QStringLiteral("Poczatek")};
        QCOMPARE(list.names(), names);
        QCOMPARE(state_->nazwy(), names);
        QCOMPARE(list.rows.size(), std::size_t(2));
        QCOMPARE(list.rows[1].name, QStringLiteral("Poczatek"));
        QVERIFY(list.rows[1].typeKnown);
        QCOMPARE(list.rows[1].letter, QStringLiteral("P"));
        QCOMPARE(list.rows[1].mark, QString());
    }

    void gridLetterAndMark_data() {
        QTest::addColumn<int>("typ");
        QTest::addColumn<QList<int>>("cele");
        QTest::addColumn<bool>("known");
        QTest::addColumn<QString>("letter");
        QTest::addColumn<QString>("mark");
        QTest::newRow("start left on 0") << 0 << QList{0, 2, 2, 2} << true << "P"
                                         << "";
        QTest::newRow("start led on") << 0 << QList{2, 0, 0, 0} << true << "P"
                                      << "X";
        QTest::newRow("normal, fourth on 0") << 1 << QList{2, 1, 1, 0} << true << "N"
                                             << "";
        QTest::newRow("normal, -1 is not 0") << 1 << QList{2, 1, -1, 1} << true << "N"
                                             << "X";
        QTest::newRow("end always marked") << 2 << QList{0, 0, 0, 0} << true << "K"
                                           << "X";
        QTest::newRow("one choice, unused rows on 0") << 3 << QList{1, 0, 0, 0} << true << "1"
                                                      << "X";
        QTest::newRow("two choices, second on 0") << 4 << QList{1, 0, 1, 1} << true << "2"
                                                  << "";
        QTest::newRow("two choices led on") << 4 << QList{1, -1, 0, 0} << true << "2"
                                            << "X";
        QTest::newRow("three choices, third on 0") << 5 << QList{1, 1, 0, 1} << true << "3"
                                                   << "";
        QTest::newRow("three choices led on") << 5 << QList{1, 1, 1, 0} << true << "3"
                                              << "X";
        QTest::newRow("type byte 7 unknown") << 7 << QList{1, 1, 1, 1} << false << ""
                                             << "";
    }
    void gridLetterAndMark() {
        QFETCH(int, typ);
        QFETCH(QList<int>, cele);
        QFETCH(bool, known);
        QFETCH(QString, letter);
        QFETCH(QString, mark);
        std::vector<Situation> situations = numbered(3);
        situations[2].typ = static_cast<std::uint8_t>(typ);
        situations[2].cele = {cele[0], cele[1], cele[2], cele[3]};
        QVERIFY(open(situations, 1));
        ScenarioList list;
        state_->OdswiezSpis(list);
        QCOMPARE(list.rows.size(), std::size_t(3));
        const GridRow& row = list.rows[2];
        QCOMPARE(row.name, QStringLiteral("S2"));
        QCOMPARE(row.typeKnown, known);
        QCOMPARE(row.letter, letter);
        QCOMPARE(row.mark, mark);
    }

    void rebuildFailureKeepsWhatWasRead_data() {
        QTest::addColumn<int>("numer");
        QTest::addColumn<int>("situations");
        QTest::addColumn<int>("kroBytes"); // bytes the situation file keeps; -1: all
        QTest::addColumn<int>("lisBytes"); // bytes the list file keeps; -1: all
        QTest::addColumn<int>("failAt");
        QTest::addColumn<int>("code");
        QTest::addColumn<QStringList>("names");
        QTest::addColumn<QStringList>("nazwy");
        QTest::addColumn<QString>("buffer");
        const QStringList none;
        const QStringList s0{QStringLiteral("S0")};
        const QStringList s012{QStringLiteral("S0"), QStringLiteral("S1"), QStringLiteral("S2")};
        const int beyond = int(AppError::ReadBeyondEnd);
        const auto first = [](int n) {
            QStringList names;
            for (int k = 0; k < n; ++k)
                names.append(QStringLiteral("S%1").arg(k));
            return names;
        };
        // File calls: 1 count; 2-5 situation 0; 6-8 the current list record; 9-12 situation 1.
        QTest::newRow("list file shorter than situation file")
            << 1 << 4 << -1 << 2 * 22 << 0 << beyond
            << QStringList{QStringLiteral("S0"), QStringLiteral("S1")}
            << QStringList{QStringLiteral("S0"), QStringLiteral("S1")} << "S1";
        QTest::newRow("partial last situation record")
            << 1 << 4 << 3 * 516 + 100 << -1 << 0 << beyond << s012 << s012 << "S1";
        QTest::newRow("partial last list record")
            << 2 << 4 << -1 << 3 * 22 + 21 << 0 << beyond << s012 << s012 << "S2";
        QTest::newRow("list file ends long after the start")
            << 1 << 5000 << -1 << 4500 * 22 << 0 << beyond << first(4500) << first(4500) << "S1";
        QTest::newRow("partial situation record long after the start")
            << 3 << 4200 << 4199 * 516 + 515 << -1 << 0 << beyond << first(4199) << first(4199)
            << "S3";
        QTest::newRow("count fails: nothing cleared")
            << 2 << 4 << -1 << -1 << 1 << int(AppError::AccessDenied)
            << QStringList{QStringLiteral("stale")} << none << "S2";
        QTest::newRow("situation 0 unreadable")
            << 2 << 4 << -1 << -1 << 4 << int(AppError::AccessDenied) << none << none << "S2";
        QTest::newRow("current list record unreadable")
            << 2 << 4 << -1 << -1 << 8 << int(AppError::AccessDenied) << s0 << s0 << "S0";
        QTest::newRow("row 1 unreadable: buffer back on the current")
            << 2 << 4 << -1 << -1 << 12 << int(AppError::AccessDenied) << s0 << s0 << "S2";
    }
    void rebuildFailureKeepsWhatWasRead() {
        QFETCH(int, numer);
        QFETCH(int, situations);
        QFETCH(int, kroBytes);
        QFETCH(int, lisBytes);
        QFETCH(int, failAt);
        QFETCH(int, code);
        QFETCH(QStringList, names);
        QFETCH(QStringList, nazwy);
        QFETCH(QString, buffer);
        QVERIFY(open(numbered(situations), numer));
        const QString kro = state_->situationFilePath();
        const QString lis = state_->listPath();
        if (kroBytes >= 0)
            QVERIFY(writeFile(kro, readFile(kro).left(kroBytes)));
        if (lisBytes >= 0)
            QVERIFY(writeFile(lis, readFile(lis).left(lisBytes)));
        ScenarioList list;
        list.rows.push_back(GridRow{QStringLiteral("stale"), false, {}, {}});
        if (failAt > 0)
            files_->failCall(failAt, code);
        expectError(code, AppError::messageForCode(code), [&] { state_->OdswiezSpis(list); });
        QCOMPARE(list.emptied, failAt != 1);
        QCOMPARE(list.names(), names);
        QCOMPARE(int(list.rows.size()), names.size());
        QCOMPARE(state_->nazwy(), nazwy);
        QCOMPARE(state_->lista().Nazwa.text(), buffer);
    }

    void listBufferEndsOnCurrentSituation_data() {
        QTest::addColumn<bool>("newMode");
        QTest::addColumn<QString>("buffer");
        QTest::newRow("editing situation 1") << false << "S1";
        QTest::newRow("new situation: the last one") << true << "S3";
    }
    void listBufferEndsOnCurrentSituation() {
        QFETCH(bool, newMode);
        QFETCH(QString, buffer);
        QVERIFY(open(numbered(4), 1));
        if (newMode)
            state_->startNewSituation();
        ScenarioList list;
        state_->OdswiezSpis(list);
        QCOMPARE(list.names().size(), 4);
        QCOMPARE(state_->lista().Nazwa.text(), buffer);
        QCOMPARE(state_->lista().Typ, std::uint8_t(newMode ? 3 : 1));
        // The rows are read into a record of their own, never into the situation buffer.
        QCOMPARE(state_->rekord().Nazwa.text(), QStringLiteral("S1"));
    }

    void targetNameOutOfBounds() {
        QVERIFY(open(sample(), 2));
        ScenarioList list;
        state_->OdswiezSpis(list);
        QCOMPARE(state_->targetName(2), QStringLiteral("Łąka"));
        for (const int target : {-1, 3}) {
            expectError(AppError::Other,
                        QStringLiteral("List index out of bounds (%1)").arg(target),
                        [&] { state_->targetName(target); });
        }
    }

    // A name is found ignoring letter case, the first situation that bears it in any case; also
    // after a save that renamed or added a situation, and after a rebuild that was cancelled
    // (which keeps the names it started with).
    void indexOfName_data() {
        QTest::addColumn<int>("saved");      // saved first as "Polana": -1 none, 0 a new one
        QTest::addColumn<bool>("cancelled"); // the rebuild after that save
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("found");
        QTest::newRow("first of three, other case") << -1 << false << "łĄKa" << 2;
        QTest::newRow("no such name") << -1 << false << "Las" << -1;
        QTest::newRow("longer than a name") << -1 << false << "Łąka Łąka Łąka Łąka Ł" << -1;
        QTest::newRow("a character Windows-1250 lacks") << -1 << false << "Łąka☃" << -1;
        QTest::newRow("first of three renamed: the next") << 2 << false << "ŁĄKA" << 3;
        QTest::newRow("first of three renamed: new name") << 2 << false << "POLANA" << 2;
        QTest::newRow("only one renamed: old name gone") << 1 << false << "poczatek" << -1;
        QTest::newRow("only one renamed: new name") << 1 << false << "polana" << 1;
        QTest::newRow("only one renamed: the others") << 1 << false << "default koniec" << 0;
        QTest::newRow("added: its name") << 0 << false << "polana" << 5;
        QTest::newRow("cancelled: the names before") << 2 << true << "łąka" << 2;
        QTest::newRow("cancelled: not the name read") << 2 << true << "Polana" << -1;
    }
    void indexOfName() {
        QFETCH(int, saved);
        QFETCH(bool, cancelled);
        QFETCH(QString, text);
        QFETCH(int, found);
        std::vector<Situation> situations = sample();
        for (const QString& name : {QStringLiteral("ŁĄKA"), QStringLiteral("łąka")})
            situations.push_back(situation(name, Koniec, {0, 0, 0, 0}));
        QVERIFY(open(situations, saved > 0 ? saved : 2));
        ScenarioList list;
        state_->OdswiezSpis(list);
        if (saved == 0)
            state_->startNewSituation();
        const ScenarioState::Progress cancel = [](std::int64_t, std::int64_t) { return false; };
        if (saved >= 0)
            QCOMPARE(state_->save(changed([](auto& f) { f.nazwa = "Polana"; }), list,
                                  cancelled ? cancel : nullptr),
                     QString());
        QCOMPARE(state_->indexOfName(text), found);
    }

    // An index brought up to date after a few names changed, were added or were cut off finds
    // the first situation of every name, as a look through the decoded names does.
    void nameIndexUpdated_data() {
        QTest::addColumn<int>("renamed");
        QTest::addColumn<int>("added");
        QTest::addColumn<int>("cut");
        QTest::newRow("one renamed") << 1 << 0 << 0;
        QTest::newRow("many renamed") << 60 << 0 << 0;
        QTest::newRow("renamed and added") << 20 << 30 << 0;
        QTest::newRow("renamed and cut") << 20 << 0 << 30;
    }
    void nameIndexUpdated() {
        QFETCH(int, renamed);
        QFETCH(int, added);
        QFETCH(int, cut);
        std::mt19937 random(2024u + unsigned(renamed + added + cut));
        const auto someName = [&random] {
            const QString name = QStringLiteral("Łąka %1").arg(random() % 600);
            return random() % 2 ? name.toUpper() : name;
        };
        std::vector<TRekordListy> old(400);
        for (std::size_t k = 0; k < old.size(); ++k)
            old[k].Nazwa.assign(QStringLiteral("łąka %1").arg(k));
        std::vector<TRekordListy> names = old;
        for (int i = 0; i < renamed; ++i)
            names[random() % names.size()].Nazwa.assign(someName());
        names.resize(names.size() + std::size_t(added) - std::size_t(cut));
        for (std::size_t k = old.size() - std::size_t(cut); k < names.size(); ++k)
            names[k].Nazwa.assign(someName());
        NameIndex before;
        before.build(old);
        NameIndex index;
        QVERIFY(index.update(before, old, names));
        for (int n = 0; n < 600; ++n) {
            const QString text = QStringLiteral("ŁĄKA %1").arg(n);
            const auto equal = [&text](const TRekordListy& lista) {
                return QString::compare(lista.Nazwa.text(), text, Qt::CaseInsensitive) == 0;
            };
            const auto first = std::find_if(names.cbegin(), names.cend(), equal);
            QCOMPARE(index.find(names, text),
                     first == names.cend() ? -1 : int(first - names.cbegin()));
        }
    }

    // Names equal a text exactly as QString::compare(..., Qt::CaseInsensitive) says: every
    // character a name can hold against every character of the basic plane.
    void nameLookupFoldsAsQString() {
        ListRecords rows;
        QStringList names;
        for (int b = 0; b < 256; ++b) {
            const char byte = static_cast<char>(b);
            names.append(Cp1250::decode(&byte, 1));
            rows.push_back(GridRow{names.back(), false, {}, {}});
        }
        for (char32_t c = 0; c < 0x10000; ++c) {
            const QString text{QChar(char16_t(c))};
            const auto equal = [&text](const QString& name) {
                return QString::compare(name, text, Qt::CaseInsensitive) == 0;
            };
            const auto first = std::find_if(names.cbegin(), names.cend(), equal);
            const int expected = first == names.cend() ? -1 : int(first - names.cbegin());
            if (rows.indexOf(text) != expected)
                QFAIL(qPrintable(QStringLiteral("U+%1").arg(quint32(c), 4, 16, QChar(u'0'))));
        }
    }

    // --- checks
    // -----------------------------------------------------------------------------------

    void refusal_data() {
        QTest::addColumn<SituationFields>("fields");
        QTest::addColumn<bool>("newMode");
        QTest::addColumn<QString>("message");
        const QString incomplete = ScenarioState::IncompleteMessage;
        const QString taken = ScenarioState::NameTakenMessage;
        const QString noTarget = ScenarioState::NoSuchTargetMessage;
        QTest::newRow("complete") << completeFields() << false << "";
        QTest::newRow("empty name")
            << changed([](auto& f) { f.nazwa.clear(); }) << false << incomplete;
        QTest::newRow("empty description")
            << changed([](auto& f) { f.opis.clear(); }) << false << incomplete;
        QTest::newRow("empty enabled choice text")
            << changed([](auto& f) { f.wybory[1].clear(); }) << false << incomplete;
        QTest::newRow("empty enabled target")
            << changed([](auto& f) { f.cele[1].clear(); }) << false << incomplete;
        QTest::newRow("type in small letters")
            << changed([](auto& f) { f.typ = "normalny"; }) << false << incomplete;
        QTest::newRow("empty type")
            << changed([](auto& f) { f.typ.clear(); }) << false << incomplete;
        QTest::newRow("start type is a type name")
            << changed([](auto& f) { f.typ = "Poczatek"; }) << false << "";
        QTest::newRow("disabled rows are not checked") << changed([](auto& f) {
            f.wybory[1].clear();
            f.cele[1] = "Nikt";
            f.wyboryWlaczone[1] = f.celeWlaczone[1] = false;
        }) << false << "";
        QTest::newRow("incomplete before a taken name") << changed([](auto& f) {
            f.nazwa = "Poczatek";
            f.opis.clear();
        }) << false << incomplete;
        QTest::newRow("incomplete before an unknown target") << changed([](auto& f) {
            f.cele[0] = "Nikt";
            f.typ = "Wybory4";
        }) << false << incomplete;
        QTest::newRow("name of another situation, other case")
            << changed([](auto& f) { f.nazwa = "POCZATEK"; }) << false << taken;
        QTest::newRow("name of situation 0")
            << changed([](auto& f) { f.nazwa = "default koniec"; }) << false << taken;
        QTest::newRow("own name, other case")
            << changed([](auto& f) { f.nazwa = "ŁĄKA"; }) << false << "";
        QTest::newRow("new situation: own name is taken") << completeFields() << true << taken;
        QTest::newRow("taken name before an unknown target") << changed([](auto& f) {
            f.nazwa = "Poczatek";
            f.cele[0] = "Nikt";
        }) << false << taken;
        QTest::newRow("target naming nothing")
            << changed([](auto& f) { f.cele[1] = "Nikt"; }) << false << noTarget;
        QTest::newRow("target in other case, Polish letters")
            << changed([](auto& f) { f.cele[1] = "łĄKA"; }) << false << "";
    }
    void refusal() {
        QFETCH(SituationFields, fields);
        QFETCH(bool, newMode);
        QFETCH(QString, message);
        QVERIFY(open(sample(), 2));
        ScenarioList list;
        state_->OdswiezSpis(list);
        if (newMode)
            state_->startNewSituation();
        QCOMPARE(state_->refusal(fields), message);
    }

    // A scenario at the most situations it may hold takes no new one.
    void newSituationPastTheLimitIsRefused() {
        QVERIFY(open(sample(), 2));
        ScenarioList list;
        state_->OdswiezSpis(list);
        const QString kro = state_->situationFilePath();
        QVERIFY(QFile::resize(kro, ScenarioState::MaxSituations * TRekordKroku::Size));
        SituationFields fields = completeFields();
        fields.nazwa = QStringLiteral("Nowa");
        state_->startNewSituation();
        QCOMPARE(state_->numer(), ScenarioState::MaxSituations);
        QCOMPARE(state_->refusal(fields), ScenarioState::TooLargeMessage);
        QCOMPARE(state_->save(fields, list), ScenarioState::TooLargeMessage);
        QCOMPARE(QFileInfo(kro).size(), ScenarioState::MaxSituations * TRekordKroku::Size);
    }

    // --- saving
    // -----------------------------------------------------------------------------------

    void savedBytes_data() {
        QTest::addColumn<SituationFields>("fields");
        QTest::addColumn<QByteArray>("name");
        QTest::addColumn<QList<QByteArray>>("wybory");
        QTest::addColumn<QByteArray>("opis");
        QTest::addColumn<QList<int>>("cele");
        QTest::addColumn<int>("typ");
        const QByteArray laka("\xA3\xB9ka"); // "Łąka"
        SituationFields end;
        end.nazwa = QStringLiteral("Łąka");
        end.typ = QStringLiteral("Koniec");
        end.opis = QStringLiteral("Koniec gry");
        QTest::newRow("end: four empty texts, targets -1")
            << end << laka << QList<QByteArray>{"", "", "", ""} << QByteArray("Koniec gry")
            << QList{-1, -1, -1, -1} << int(Koniec);

        SituationFields one = end;
        one.typ = QStringLiteral("Wybory1");
        one.opis = QStringLiteral("Trawa");
        one.wybory = {QStringLiteral("Idz"), QStringLiteral("stary wybor 2"), {}, {}};
        one.cele = {QStringLiteral("Poczatek"), {}, {}, {}};
        one.wyboryWlaczone = one.celeWlaczone = {true, false, false, false};
        QTest::newRow("one choice keeps the stored choice 2 text")
            << one << laka << QList<QByteArray>{"Idz", "stary wybor 2", "", ""}
            << QByteArray("Trawa") << QList{1, -1, -1, -1} << int(Wybory1);

        SituationFields lines = one;
        lines.opis = QStringLiteral("Las\nnoc\n");
        QTest::newRow("line break stored as CR LF")
            << lines << laka << QList<QByteArray>{"Idz", "stary wybor 2", "", ""}
            << QByteArray("Las\r\nnoc\r\n") << QList{1, -1, -1, -1} << int(Wybory1);

        SituationFields normal = end;
        normal.nazwa = QStringLiteral("Polana");
        normal.typ = QStringLiteral("Normalny");
        normal.wybory = {QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c"),
                         QStringLiteral("d")};
        normal.cele = {QStringLiteral("DEFAULT KONIEC"), QStringLiteral("łĄKA"),
                       QStringLiteral("poczatek"), QStringLiteral("ŁĄKA")};
        normal.wyboryWlaczone = normal.celeWlaczone = {true, true, true, true};
        QTest::newRow("targets found ignoring letter case")
            << normal << QByteArray("Polana") << QList<QByteArray>{"a", "b", "c", "d"}
            << QByteArray("Koniec gry") << QList{0, 2, 1, 2} << int(Normalny);
    }
    void savedBytes() {
        QFETCH(SituationFields, fields);
        QFETCH(QByteArray, name);
        QFETCH(QList<QByteArray>, wybory);
        QFETCH(QByteArray, opis);
        QFETCH(QList<int>, cele);
        QFETCH(int, typ);
        QVERIFY(open(sample(), 2));
        ScenarioList list;
        state_->OdswiezSpis(list);
        QCOMPARE(state_->save(fields, list), QString());
        QCOMPARE(list.names().value(2), fields.nazwa);

        QByteArray record(TRekordKroku::Size, '\0');
        putShortString(record, 0, name);
        for (int i = 0; i < 4; ++i)
            putShortString(record, kTexts[std::size_t(i) + 1].first, wybory[i]);
        putShortString(record, 205, opis);
        putShortString(record, 456, "las.bmp");
        putShortString(record, 477, "ptak.wav");
        for (int i = 0; i < 4; ++i)
            put32(record, 500 + 4 * i, quint32(cele[i]));
        QByteArray listRecord(TRekordListy::Size, '\0');
        putShortString(listRecord, 0, name);
        listRecord[21] = static_cast<char>(typ);

        const QByteArray kro = readFile(state_->situationFilePath());
        const QByteArray lis = readFile(state_->listPath());
        QCOMPARE(kro.size(), 3 * TRekordKroku::Size);
        QCOMPARE(lis.size(), 3 * TRekordListy::Size);
        QCOMPARE(defined(kro.mid(2 * TRekordKroku::Size)), record);
        QCOMPARE(defined(lis.mid(2 * TRekordListy::Size)), defined(listRecord));
        // The situation object holds what was saved.
        TRekordKroku fromKrok;
        state_->krok().DoRekordu(fromKrok);
        QCOMPARE(defined(QByteArray(reinterpret_cast<const char*>(&fromKrok), sizeof fromKrok)),
                 record);
    }

private:
    // Writes the situations as Gra.Kro, opens the pair and reads situation `numer`.
    bool open(const std::vector<Situation>& situations, std::int32_t numer) {
        const QString path = dir_.filePath(QStringLiteral("Gra.Kro"));
        if (!writeScenario(path, situations))
            return false;
        state_->bind(path);
        state_->openExisting();
        state_->goTo(numer);
        return true;
    }

    TestFolder dir_;
    std::unique_ptr<FaultyRecordFileFactory> files_;
    std::unique_ptr<ScenarioState> state_;
};

QTEST_GUILESS_MAIN(TestScenarioState)
#include "tst_scenario_state.moc"
