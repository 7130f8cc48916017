// The demo scenario that ships in scenariusze/demo: a game that can be played to its end
// whatever the player chooses, with every picture and sound in place, and exactly the files
// that its generator writes.

#include "common/ScenarioFiles.h"
#include "platform/core/AppError.h"
#include "platform/core/Bitmap.h"
#include "platform/core/PosixRecordFile.h"
#include "platform/core/WavHeader.h"
#include "tests/support/TestFiles.h"
#include "tests/support/TestMain.h"
#include "tools/demo/DemoScenario.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <set>
#include <vector>

namespace {

const QString DemoDir = QStringLiteral(KIT_DEMO_DIR);

struct Situation {
    TRekordKroku rekord;
    TRekordListy lista;

    int offered() const { return choicesOffered(lista.Typ); }
    std::int32_t target(int choice) const {
        TKrok krok;
        krok.ZRekordu(rekord);
        return krok.cel(choice);
    }
};

// Every situation of the demo as the player reads it, situation 0 included.
std::vector<Situation> readDemo() {
    PosixRecordFileFactory files;
    ScenarioPair pair(files);
    pair.openExisting(QDir(DemoDir).filePath(DemoScenario::SituationFileName),
                      RecordFile::Access::ReadOnly);
    std::vector<Situation> all(static_cast<std::size_t>(pair.count()));
    for (std::size_t k = 0; k < all.size(); ++k)
        pair.read(std::int32_t(k), all[k].rekord, all[k].lista);
    pair.close();
    return all;
}

// Situations reachable from `from` through the choices their types offer.
std::set<std::int32_t> reachableFrom(const std::vector<Situation>& all, std::int32_t from) {
    std::set<std::int32_t> seen{from};
    std::vector<std::int32_t> todo{from};
    while (!todo.empty()) {
        const Situation& s = all[std::size_t(todo.back())];
        todo.pop_back();
        for (int c = 1; c <= s.offered(); ++c)
            if (seen.insert(s.target(c)).second)
                todo.push_back(s.target(c));
    }
    return seen;
}

QStringList filesUnder(const QString& folder) {
    QStringList names;
    QDirIterator it(folder, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext())
        names << QDir(folder).relativeFilePath(it.next());
    names.sort();
    return names;
}

quint32 le(const QByteArray& bytes, int offset, int size) {
    quint32 v = 0;
    for (int i = size - 1; i >= 0; --i)
        v = v << 8 | quint8(bytes[offset + i]);
    return v;
}

} // namespace

class TestDemo : public QObject {
    Q_OBJECT

private:
    std::vector<Situation> all_;

private slots:
    void initTestCase() {
        all_ = readDemo();
        QVERIFY2(all_.size() >= 13, "the demo needs at least 12 situations besides situation 0");
    }

    // No offered choice may fall to the default end situation 0: that is a forgotten choice.
    void everyOfferedChoiceLeadsToAnExistingSituation() {
        for (std::size_t k = 1; k < all_.size(); ++k)
            for (int c = 1; c <= all_[k].offered(); ++c) {
                const std::int32_t target = all_[k].target(c);
                QVERIFY2(target >= 1 && target < std::int32_t(all_.size()),
                         qPrintable(QStringLiteral("situation %1, choice %2 leads to %3")
                                        .arg(k)
                                        .arg(c)
                                        .arg(target)));
            }
    }

    void everySituationIsReachableFromTheStart() {
        const std::set<std::int32_t> reached = reachableFrom(all_, 1);
        for (std::size_t k = 1; k < all_.size(); ++k)
            QVERIFY2(reached.count(std::int32_t(k)),
                     qPrintable(QStringLiteral("situation %1 cannot be reached").arg(k)));
    }

    // Wherever the player goes, a Koniec situation can still be reached: no loop without a
    // way out. The demo has more than one ending.
    void everyPathEndsInAKoniecSituation() {
        std::set<std::int32_t> endings;
        for (std::size_t k = 1; k < all_.size(); ++k) {
            if (all_[k].lista.Typ == Koniec)
                endings.insert(std::int32_t(k));
            bool endReachable = false;
            for (const std::int32_t s : reachableFrom(all_, std::int32_t(k)))
                endReachable = endReachable || all_[std::size_t(s)].lista.Typ == Koniec;
            QVERIFY2(endReachable,
                     qPrintable(QStringLiteral("no ending after situation %1").arg(k)));
        }
        QVERIFY(endings.size() >= 2);
    }

    void usesEveryTypeAndPolishLetters() {
        std::set<int> types;
        bool polish = false;
        for (std::size_t k = 1; k < all_.size(); ++k) {
            types.insert(all_[k].lista.Typ);
            const QString text = all_[k].lista.Nazwa.text() + all_[k].rekord.Opis.text();
            for (const QChar ch : text)
                polish = polish || QStringLiteral("ąćęłńóśźżĄĆĘŁŃÓŚŹŻ").contains(ch);
        }
        QCOMPARE(types, (std::set<int>{Poczatek, Normalny, Koniec, Wybory1, Wybory2, Wybory3}));
        QVERIFY(polish);
        QCOMPARE(all_[1].lista.Typ, std::uint8_t(Poczatek));
    }

    // Every named picture loads; between them they are 24-bit, 8-bit and 4-bit RLE bitmaps,
    // one of odd size and one larger than the 128-pixel box.
    void everyNamedPictureLoads() {
        std::set<std::pair<int, int>> kinds; // bits per pixel, compression
        bool odd = false, large = false;
        for (std::size_t k = 1; k < all_.size(); ++k) {
            if (all_[k].rekord.Bmp.isEmpty())
                continue;
            const QString path = DemoDir + "/Obrazki/" + all_[k].rekord.Bmp.text();
            try {
                const Bitmap bitmap = Bitmap::load(path);
                QVERIFY2(!bitmap.isEmpty(), qPrintable(path));
                odd = odd || bitmap.width() % 2 || bitmap.height() % 2;
                large = large || bitmap.width() > 128 || bitmap.height() > 128;
            } catch (const AppError& e) {
                QFAIL(qPrintable(path + ": " + e.message()));
            }
            const QByteArray header = readFile(path).left(54);
            kinds.insert({int(le(header, 28, 2)), int(le(header, 30, 4))});
        }
        QVERIFY(kinds.count({24, 0}));
        QVERIFY(kinds.count({8, 0}));
        QVERIFY(kinds.count({4, 2}));
        QVERIFY(odd);
        QVERIFY(large);
    }

    void everyNamedSoundIsPlayable() {
        int sounds = 0;
        for (std::size_t k = 1; k < all_.size(); ++k) {
            if (all_[k].rekord.Wav.isEmpty())
                continue;
            const QString path = DemoDir + "/Dzwieki/" + all_[k].rekord.Wav.text();
            QVERIFY2(WavHeader::isPlayableFile(path), qPrintable(path));
            ++sounds;
        }
        QVERIFY(sounds >= 2);
    }

    // The media chooser refuses a file name longer than 20 characters.
    void mediaFileNamesFitTheirFields() {
        for (const QString& name : filesUnder(DemoDir))
            if (name.startsWith("Obrazki/") || name.startsWith("Dzwieki/"))
                QVERIFY2(QFileInfo(name).fileName().size() <= 20, qPrintable(name));
    }

    // The files in the repository are exactly what the generator writes now.
    void generatorWritesTheShippedFiles() {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        DemoScenario::write(dir.path());
        const QStringList written = filesUnder(dir.path());
        QCOMPARE(filesUnder(DemoDir), written);
        for (const QString& name : written)
            QVERIFY2(readFile(dir.filePath(name)) == readFile(DemoDir + "/" + name),
                     qPrintable(name + " differs from the generator's output: run "
                                       "build/tools/demo/demo_generator scenariusze/demo"));
    }
};

KIT_TEST_MAIN(TestDemo)
#include "tst_demo.moc"
