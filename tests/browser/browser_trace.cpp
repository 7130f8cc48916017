// The player's side of the browser tests: test scenarios, seeded plays through the game model,
// and situation 1's picture as the player's box draws it.
//
//   browser_trace scenarios FOLDER          writes the test scenarios into FOLDER (drogi, media,
//                                           pusty and petla, a road that never ends)
//   browser_trace trace FILE.Kro SEEDS N    prints the plays of the seeds (comma-separated),
//                                           in the page's trace format
//   browser_trace box FILE.Kro OUT.png      writes situation 1's picture drawn in the box

#include "common/Game.h"
#include "common/MediaFiles.h"
#include "platform/core/AppError.h"
#include "platform/core/Bitmap.h"
#include "platform/core/PosixRecordFile.h"
#include "platform/core/WavHeader.h"
#include "platform/media/QtSoundDevice.h"
#include "platform/ui/PictureBox.h"
#include "tests/support/ScenarioBuilder.h"

#include <QFileInfo>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QPainter>
#include <cstdio>

namespace {

// mulberry32, the generator the page's autoplay uses: one 32-bit value per call.
class Mulberry32 {
public:
    explicit Mulberry32(std::uint32_t seed) : a_(seed) {}
    std::uint32_t next() {
        a_ += 0x6D2B79F5u;
        std::uint32_t t = (a_ ^ (a_ >> 15)) * (1u | a_);
        t = (t + ((t ^ (t >> 7)) * (61u | t))) ^ t;
        return t ^ (t >> 14);
    }

private:
    std::uint32_t a_;
};

QString folderOf(const QString& kro) {
    return QFileInfo(kro).path() + u'/';
}

// One play of the scenario as the game window shows it, step by step.
class Play {
public:
    explicit Play(const QString& kro) : kro_(kro), folder_(folderOf(kro)), game_(files_) {}

    QJsonObject run(std::uint32_t seed, int limit) {
        Mulberry32 random(seed);
        QJsonArray steps;
        steps.append(step([this] { game_.start(kro_, [this] { show(); }); }));
        for (int i = 0; i < limit && !game_.isOver(); ++i) {
            QList<int> offered;
            for (int n = 1; n <= 4; ++n) {
                if (game_.offers(n))
                    offered.append(n);
            }
            if (offered.isEmpty())
                break;
            const int n = offered[int(random.next() % std::uint32_t(offered.size()))];
            steps.append(step([this, n] { game_.choose(n, [this] { show(); }); }));
        }
        return {{QStringLiteral("seed"), qint64(seed)},
                {QStringLiteral("steps"), steps},
                {QStringLiteral("end"), game_.isOver()}};
    }

private:
    // What the window shows after one action: cleared first, then filled by the game's show.
    template <typename Action> QJsonObject step(Action action) {
        description_.clear();
        labels_ = {QString(), QString(), QString(), QString()};
        picture_ = QJsonValue::Null;
        sound_ = QJsonValue::Null;
        messages_ = {};
        try {
            action();
            if (game_.isOver())
                messages_.append(QStringLiteral("To juz koniec gry"));
        } catch (const AppError& e) {
            // As the error box shows it.
            messages_.append(standardErrorText(e.message()));
        }
        QJsonArray offered;
        for (bool b : game_.choicesOffered())
            offered.append(b);
        return {{QStringLiteral("n"), game_.number()},
                {QStringLiteral("d"), description_},
                {QStringLiteral("c"), QJsonArray::fromStringList(labels_)},
                {QStringLiteral("o"), offered},
                {QStringLiteral("p"), picture_},
                {QStringLiteral("s"), sound_},
                {QStringLiteral("m"), messages_}};
    }

    // The game window's Pokaz, as far as what it shows and says.
    void show() {
        const TKrok& s = game_.situation();
        labels_ = {s.Wybor1.text(), s.Wybor2.text(), s.Wybor3.text(), s.Wybor4.text()};
        description_ = game_.description();
        if (const QString name = game_.pictureName(); !name.isEmpty()) {
            const QString file = MediaFiles::findPicture(folder_, name);
            if (file.isEmpty()) {
                messages_.append(QStringLiteral("Nie masz obrazu \"%1\"").arg(name));
            } else {
                Bitmap::load(file);
                picture_ = name;
            }
        }
        if (const QString name = game_.soundName(); !name.isEmpty()) {
            const QString file = MediaFiles::findSound(folder_, name);
            if (file.isEmpty()) {
                messages_.append(QStringLiteral("Nie masz dzwieku \"%1\"").arg(name));
            } else {
                // The sound device's checks that need no device, as it words their errors. A
                // game needs no sound: the error box shows and the step goes on.
                try {
                    refuseSound(WavHeader::refusal(file, true));
                    sound_ = name;
                } catch (const AppError& e) {
                    messages_.append(standardErrorText(e.message()));
                }
            }
        }
    }

    static void refuseSound(WavHeader::Refusal refusal) {
        if (refusal == WavHeader::Refusal::NotWavName)
            throw AppError(AppError::Other, QtSoundDevice::UnknownExtensionText);
        if (refusal == WavHeader::Refusal::NotAFile)
            throw AppError(AppError::Other, QtSoundDevice::FileNotFoundText);
        if (refusal == WavHeader::Refusal::NotPlayable)
            throw AppError(AppError::Other, QtSoundDevice::CannotPlayFileText);
    }

    QString kro_;
    QString folder_;
    PosixRecordFileFactory files_;
    Game game_;
    QString description_;
    QStringList labels_;
    QJsonValue picture_;
    QJsonValue sound_;
    QJsonArray messages_;
};

int trace(const QString& kro, const QString& seeds, int limit) {
    QJsonArray runs;
    for (const QString& seed : seeds.split(u',')) {
        Play play(kro);
        runs.append(play.run(seed.toUInt(), limit));
    }
    const QByteArray json = QJsonDocument(runs).toJson(QJsonDocument::Compact);
    std::fwrite(json.constData(), 1, std::size_t(json.size()), stdout);
    return 0;
}

int box(const QString& kro, const QString& out) {
    PosixRecordFileFactory files;
    Game game(files);
    game.start(kro);
    QImage drawn(PictureBox::Size, PictureBox::Size, QImage::Format_ARGB32);
    drawn.fill(Qt::transparent);
    QPainter painter(&drawn);
    PictureBox::drawCentred(
        painter, Bitmap::load(MediaFiles::findPicture(folderOf(kro), game.pictureName())));
    painter.end();
    return drawn.save(out, "PNG") ? 0 : 1;
}

QRgb gradient(int x, int y) {
    return qRgb((x * 7) & 0xff, (y * 13) & 0xff, (x * y) & 0xff);
}

// Broken roads, a type the player does not know reached from situations offering one, two, three
// and four choices, texts that need escaping.
bool writeRoads(const QString& folder) {
    const std::vector<Situation> situations = {
        describedSituation(QStringLiteral("Default Koniec"), Koniec),
        {QStringLiteral("Start"),
         Normalny,
         QStringLiteral("Zażółć gęślą jaźń.\r\nDruga linia & <script>alert(1)</script>\rkoniec"),
         {QStringLiteral("Do dziwnego typu"), QStringLiteral("Rozstaje"), QStringLiteral("Trzy"),
          QStringLiteral("Dwa")},
         {3, 2, 4, 5},
         QString(),
         QString()},
        describedSituation(QStringLiteral("Rozstaje"), Normalny, {1, 99, -5, 3},
                           {QStringLiteral("Wróć"), QStringLiteral("Za koniec"),
                            QStringLiteral("Ujemna"), QStringLiteral("Dziwny typ")}),
        describedSituation(QStringLiteral("Dziwny typ"), 9, {2, 4, 6, 0},
                           {QStringLiteral("\"cudzysłów\""), QStringLiteral("Trzy"),
                            QStringLiteral("Koniec"), QStringLiteral("Domyślny")}),
        describedSituation(
            QStringLiteral("Trzy"), Wybory3, {3, 5, 6, 1},
            {QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c"), QStringLiteral("d")}),
        describedSituation(QStringLiteral("Dwa"), Wybory2, {3, 6, 6, 6},
                           {QStringLiteral("a"), QStringLiteral("b")}),
        describedSituation(QStringLiteral("Koniec"), Koniec),
    };
    return writeScenario(folder + QStringLiteral("/drogi/Drogi.Kro"), situations);
}

// Pictures larger, smaller and odd, in another letter case, missing and refused; sounds.
bool writeMedia(const QString& folder) {
    const QString base = folder + QStringLiteral("/media/");
    const bool media =
        writeFile(base + QStringLiteral("Obrazki/duzy.bmp"), bmp24(201, 77, gradient)) &&
        writeFile(base + QStringLiteral("Obrazki/maly.bmp"), bmp24(5, 3, gradient)) &&
        writeFile(base + QStringLiteral("Obrazki/zly.bmp"), QByteArray("BMxxxx")) &&
        writeFile(base + QStringLiteral("Dzwieki/ton.wav"), toneWav(50)) &&
        writeFile(base + QStringLiteral("Dzwieki/zly.wav"), QByteArray("RIFF....WAVEjunk"));
    Situation first = describedSituation(QStringLiteral("Duży"), Poczatek, {2, 0, 0, 0},
                                         {QStringLiteral("Dalej")});
    first.bmp = QStringLiteral("duzy.bmp");
    first.wav = QStringLiteral("ton.wav");
    Situation small = describedSituation(
        QStringLiteral("Mały"), Wybory3, {3, 4, 1, 0},
        {QStringLiteral("Brak"), QStringLiteral("Zły"), QStringLiteral("Od nowa")});
    small.bmp = QStringLiteral("MALY.BMP");
    small.wav = QStringLiteral("brak.wav");
    Situation missing = describedSituation(QStringLiteral("Brak"), Wybory2, {2, 5, 0, 0},
                                           {QStringLiteral("Mały"), QStringLiteral("Koniec")});
    missing.bmp = QStringLiteral("nie-ma.bmp");
    missing.wav = QStringLiteral("zly.wav");
    Situation bad = describedSituation(QStringLiteral("Zły"), Koniec);
    bad.bmp = QStringLiteral("zly.bmp");
    bad.wav = QStringLiteral("TON.wav");
    Situation end = describedSituation(QStringLiteral("Koniec"), Koniec);
    end.bmp = QStringLiteral("duzy.bmp");
    return media && writeScenario(base + QStringLiteral("Media.Kro"),
                                  {describedSituation(QStringLiteral("Default Koniec"), Koniec),
                                   first, small, missing, bad, end});
}

// No situation 1: the game cannot start.
bool writeEmpty(const QString& folder) {
    return writeScenario(folder + QStringLiteral("/pusty/Pusty.Kro"),
                         {describedSituation(QStringLiteral("Default Koniec"), Koniec)});
}

// A road that never ends: situation 1's only choice leads back to it.
bool writeLoop(const QString& folder) {
    return writeScenario(folder + QStringLiteral("/petla/Petla.Kro"),
                         {describedSituation(QStringLiteral("Default Koniec"), Koniec),
                          describedSituation(QStringLiteral("Pętla"), Poczatek, {1, 0, 0, 0},
                                             {QStringLiteral("Jeszcze raz")})});
}

} // namespace

int main(int argc, char* argv[]) {
    const QStringList args = [&] {
        QStringList list;
        for (int i = 1; i < argc; ++i)
            list.append(QString::fromLocal8Bit(argv[i]));
        return list;
    }();
    try {
        if (args.size() == 2 && args[0] == QStringLiteral("scenarios")) {
            const QString& folder = args[1];
            const bool written =
                writeRoads(folder) && writeMedia(folder) && writeEmpty(folder) && writeLoop(folder);
            return written ? 0 : 1;
        }
        if (args.size() == 4 && args[0] == QStringLiteral("trace"))
            return trace(args[1], args[2], args[3].toInt());
        if (args.size() == 3 && args[0] == QStringLiteral("box"))
            return box(args[1], args[2]);
    } catch (const AppError& e) {
        std::fprintf(stderr, "browser_trace: %s\n", qPrintable(e.message()));
        return 1;
    }
    std::fprintf(stderr, "usage: browser_trace scenarios DIR | trace FILE.Kro SEEDS N | box "
                         "FILE.Kro OUT.png\n");
    return 2;
}
