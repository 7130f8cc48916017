// The page's data without a browser: texts that could end the script block or the page come
// back whole, and each media file is embedded once, or as the message the player shows.

#include "authoring/HtmlExport.h"
#include "common/Description.h"
#include "platform/core/MediaFile.h"
#include "platform/core/PosixRecordFile.h"
#include "tests/support/ByteWriters.h"
#include "tests/support/MediaBuilders.h"
#include "tests/support/ScenarioBuilder.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTest>
#include <sys/stat.h>

namespace {

const QByteArray kOpen = "<script type=\"application/json\" id=\"scenario\">";

// The scenario's JSON as the page carries it; null when the block is not there whole.
QJsonObject embedded(const QByteArray& page) {
    const qsizetype start = page.indexOf(kOpen);
    const qsizetype end = page.indexOf("</script>", start);
    if (start < 0 || end < 0)
        return {};
    return QJsonDocument::fromJson(page.mid(start + kOpen.size(), end - start - kOpen.size()))
        .object();
}

} // namespace

class TestHtmlExport : public QObject {
    Q_OBJECT

private slots:
    void init() { folder_.renew(); }

    void textsComeBackWhole_data() {
        QTest::addColumn<QString>("opis");
        QTest::newRow("end of the script") << QStringLiteral("a</script><script>alert(1)//");
        QTest::newRow("comment and CDATA") << QStringLiteral("<!-- <![CDATA[ ]]> -->");
        QTest::newRow("line breaks") << QStringLiteral("jeden\r\ndwa\rtrzy\nczte");
        QTest::newRow("Polish letters") << QStringLiteral("Zażółć gęślą jaźń ŻÓŁĆ „cytat”");
        QTest::newRow("quotes and ampersand") << QStringLiteral("\"a\" & 'b' \\u003c");
    }
    void textsComeBackWhole() {
        QFETCH(QString, opis);
        Situation first =
            describedSituation(QStringLiteral("Start"), Poczatek, {0, 0, 0, 0}, {opis.left(45)});
        first.opis = opis;
        const QByteArray page = exportOf({describedSituation("Default Koniec", Koniec), first});
        QCOMPARE(page.count("</script>"), 2); // the data's block and the script's
        const QJsonObject situation = embedded(page)["situations"].toArray().at(1).toObject();
        QCOMPARE(situation["d"].toString(), Description::shown(opis));
        QCOMPARE(situation["c"].toArray()[0].toString(), opis.left(45));
    }

    void eachMediaFileOnce_data() {
        QTest::addColumn<QStringList>("pictures"); // the picture names of situations 1, 2, ...
        QTest::addColumn<QStringList>("entries");  // u: embedded, m: a message, f: a refusal
        QTest::addColumn<QList<int>>("indices");
        QTest::newRow("same file twice")
            << QStringList{"a.bmp", "a.bmp"} << QStringList{"u"} << QList<int>{0, 0};
        QTest::newRow("another letter case") << QStringList{"a.bmp", "A.BMP", "b.bmp"}
                                             << QStringList{"u", "u"} << QList<int>{0, 0, 1};
        QTest::newRow("missing, twice")
            << QStringList{"nie.bmp", "", "nie.bmp"} << QStringList{"m"} << QList<int>{0, -1, 0};
        QTest::newRow("refused") << QStringList{"zly.bmp", "a.bmp"} << QStringList{"f", "u"}
                                 << QList<int>{0, 1};
    }
    void eachMediaFileOnce() {
        QFETCH(QStringList, pictures);
        QFETCH(QStringList, entries);
        QFETCH(QList<int>, indices);
        folder_.write(QStringLiteral("Obrazki/a.bmp"), solidBmp(3, 3, qRgb(1, 2, 3)));
        folder_.write(QStringLiteral("Obrazki/b.bmp"), solidBmp(4, 4, qRgb(4, 5, 6)));
        folder_.write(QStringLiteral("Obrazki/zly.bmp"), QByteArray("BM"));
        std::vector<Situation> situations{describedSituation("Default Koniec", Koniec)};
        for (const QString& name : pictures) {
            situations.push_back(describedSituation(name, Normalny));
            situations.back().bmp = name;
        }
        const QJsonObject data = embedded(exportOf(situations));
        const QJsonArray table = data["pictures"].toArray();
        QStringList kinds;
        for (const QJsonValue& entry : table)
            kinds.append(entry["f"].toBool() ? "f" : entry["u"].isString() ? "u" : "m");
        QCOMPARE(kinds, entries);
        const QJsonArray shown = data["situations"].toArray();
        for (int i = 0; i < indices.size(); ++i)
            QCOMPARE(shown[i + 1].toObject()["p"].toInt(), indices[i]);
        for (const QJsonValue& entry : table) {
            if (entry["u"].isString())
                QVERIFY(entry["u"].toString().startsWith("data:image/png;base64,"));
        }
    }

    // Browsers play PCM WAV files: a PCM sound goes in as it is, an ADPCM one as the PCM the
    // kit decodes from it (format tag 1, 16 bits, the same rate).
    void soundsGoInAsBrowsersPlayThem_data() {
        QTest::addColumn<QByteArray>("wav");
        QTest::addColumn<bool>("asItIs");
        QTest::newRow("PCM") << toneWav(20) << true;
        QByteArray ima = fmtBody(0x11, 1, 8000, 4) + le16(2) + le16(65);
        put16(ima, 12, 36);
        const QByteArray block =
            le16(0) + QByteArray(1, 10) + QByteArray(1, 0) + QByteArray(32, 0x3C);
        QTest::newRow("IMA ADPCM")
            << riffWave(riffChunk("fmt ", ima) + riffChunk("data", block + block)) << false;
    }
    void soundsGoInAsBrowsersPlayThem() {
        QFETCH(QByteArray, wav);
        QFETCH(bool, asItIs);
        folder_.write(QStringLiteral("Dzwieki/a.wav"), wav);
        Situation start = describedSituation(QStringLiteral("Start"), Poczatek);
        start.wav = QStringLiteral("a.wav");
        const QJsonArray sounds =
            embedded(exportOf({describedSituation("Default Koniec", Koniec), start}))["sounds"]
                .toArray();
        QCOMPARE(sounds.size(), 1);
        const QString uri = sounds[0]["u"].toString();
        QVERIFY(uri.startsWith("data:audio/wav;base64,"));
        const QByteArray embedded = QByteArray::fromBase64(uri.mid(22).toLatin1());
        QCOMPARE(embedded == wav, asItIs);
        QCOMPARE(embedded.mid(20, 2), le16(1));        // PCM
        QCOMPARE(embedded.mid(24, 4), wav.mid(24, 4)); // the rate
    }

    // A picture or sound past the size limit is refused, as the player refuses it, naming the
    // file and unread; a named pipe is no media file, and the player finds nothing there.
    void mediaPastTheLimitOrAPipe_data() {
        QTest::addColumn<bool>("picture");
        QTest::addColumn<bool>("pipe");
        QTest::newRow("picture past the limit") << true << false;
        QTest::newRow("sound past the limit") << false << false;
        QTest::newRow("picture that is a pipe") << true << true;
        QTest::newRow("sound that is a pipe") << false << true;
    }
    void mediaPastTheLimitOrAPipe() {
        QFETCH(bool, picture);
        QFETCH(bool, pipe);
        const QString name = picture ? QStringLiteral("duzy.bmp") : QStringLiteral("duzy.wav");
        const QString path = folder_.write((picture ? "Obrazki/" : "Dzwieki/") + name,
                                           picture ? solidBmp(2, 2, 0) : toneWav(20));
        QVERIFY(pipe ? QFile::remove(path) &&
                           ::mkfifo(QFile::encodeName(path).constData(), 0600) == 0
                     : QFile::resize(path, MediaFile::MaxBytes + 1));
        Situation start = describedSituation(QStringLiteral("Start"), Poczatek);
        (picture ? start.bmp : start.wav) = name;
        const QJsonObject data =
            embedded(exportOf({describedSituation("Default Koniec", Koniec), start}));
        const QJsonArray table = data[picture ? "pictures" : "sounds"].toArray();
        QCOMPARE(table.size(), 1);
        const QString missing = picture ? "Nie masz obrazu \"%1\"" : "Nie masz dzwieku \"%1\"";
        const QJsonObject expected =
            pipe ? QJsonObject{{"m", missing.arg(name)}}
                 : QJsonObject{{"m", MediaFile::tooLargeText(path)}, {"f", true}};
        QCOMPARE(table[0].toObject(), expected);
    }

private:
    QByteArray exportOf(const std::vector<Situation>& situations) {
        const QString kro = folder_.filePath(QStringLiteral("Gra.Kro"));
        if (!writeScenario(kro, situations))
            return {};
        PosixRecordFileFactory files;
        return exportHtml(readSnapshot(files, kro));
    }

    TestFolder folder_;
};

QTEST_GUILESS_MAIN(TestHtmlExport)
#include "tst_html_export.moc"
