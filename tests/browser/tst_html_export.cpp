// The page's data without a browser: texts that could end the script block or the page come
// back whole, each media file is embedded once, or as the message the player shows, and the
// page is no larger than its fixed part, its texts and its media.

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

    void titleAndLanguageAreEscaped_data() {
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("lang");
        QTest::addColumn<QString>("shown"); // the title the page shows
        QTest::newRow("defaults") << QString() << QString() << QStringLiteral("Gra");
        QTest::newRow("end of the script")
            << QStringLiteral("</script><script>alert(1)//") << QStringLiteral("en-GB")
            << QStringLiteral("</script><script>alert(1)//");
        QTest::newRow("markup in both")
            << QStringLiteral("<b>&amp; \"Zamek\" 'ż'") << QStringLiteral("pl\"><i>")
            << QStringLiteral("<b>&amp; \"Zamek\" 'ż'");
    }
    void titleAndLanguageAreEscaped() {
        QFETCH(QString, title);
        QFETCH(QString, lang);
        QFETCH(QString, shown);
        const QByteArray page =
            exportOf({describedSituation("Default Koniec", Koniec)}, {title, lang});
        QCOMPARE(page.count("</script>"), 2);
        QVERIFY(page.contains("<title>" + shown.toHtmlEscaped().toUtf8() + "</title>"));
        const QString language = lang.isEmpty() ? QStringLiteral("pl") : lang;
        QVERIFY(page.contains("<html lang=\"" + language.toHtmlEscaped().toUtf8() + "\">"));
        QCOMPARE(embedded(page)["title"].toString(), shown);
    }

    void languageTags_data() {
        QTest::addColumn<QString>("tag");
        QTest::addColumn<bool>("valid");
        for (const char* tag : {"pl", "eng", "en-GB", "sr-Latn-RS", "de-CH-1996"})
            QTest::newRow(tag) << QString::fromLatin1(tag) << true;
        for (const char* tag : {"", "p", "polski", "pl_PL", "en-", "-pl", "en-abcdefghi", "pl "})
            QTest::newRow(tag) << QString::fromLatin1(tag) << false;
    }
    void languageTags() {
        QFETCH(QString, tag);
        QFETCH(bool, valid);
        QCOMPARE(isLanguageTag(tag), valid);
    }

    // The page is its fixed part, the scenario's texts as JSON and each distinct medium once
    // as base64 (4/3 of its bytes), with a little slack for the rounding and the tables.
    void sizeIsTextsAndMediaOnce_data() {
        QTest::addColumn<int>("situations");
        QTest::addColumn<QStringList>("pictures"); // named by the situations in turn
        QTest::addColumn<QStringList>("sounds");
        QTest::addColumn<int>("distinct"); // the media files the names find
        QTest::newRow("texts only") << 5 << QStringList{} << QStringList{} << 0;
        QTest::newRow("many situations, one picture")
            << 300 << QStringList{"a.bmp"} << QStringList{} << 1;
        QTest::newRow("pictures and sounds shared")
            << 40 << QStringList{"a.bmp", "b.bmp", "A.BMP"} << QStringList{"a.wav", "b.wav"} << 4;
    }
    void sizeIsTextsAndMediaOnce() {
        QFETCH(int, situations);
        QFETCH(QStringList, pictures);
        QFETCH(QStringList, sounds);
        QFETCH(int, distinct);
        folder_.write(QStringLiteral("Obrazki/a.bmp"), solidBmp(100, 60, qRgb(1, 2, 3)));
        folder_.write(QStringLiteral("Obrazki/b.bmp"), solidBmp(30, 90, qRgb(4, 5, 6)));
        folder_.write(QStringLiteral("Dzwieki/a.wav"), toneWav(300));
        folder_.write(QStringLiteral("Dzwieki/b.wav"), toneWav(700));
        std::vector<Situation> list{describedSituation("Default Koniec", Koniec)};
        for (int i = 1; i < situations; ++i) {
            list.push_back(describedSituation(QStringLiteral("Sytuacja %1").arg(i), Normalny,
                                              {i, i + 1, 0, 1}, {"Dalej", "Jeszcze dalej"}));
            list.back().opis = QStringLiteral("Opis sytuacji %1: długi korytarz.").arg(i);
            if (!pictures.isEmpty())
                list.back().bmp = pictures[i % pictures.size()];
            if (!sounds.isEmpty())
                list.back().wav = sounds[i % sounds.size()];
        }
        const QByteArray page = exportOf(list);
        QJsonObject data = embedded(page);
        // The texts: the data with each medium's bytes left out.
        qsizetype media = 0;
        int entries = 0;
        for (const char* table : {"pictures", "sounds"}) {
            QJsonArray stripped;
            for (const QJsonValue& entry : data[table].toArray()) {
                const QString uri = entry["u"].toString();
                media += QByteArray::fromBase64(uri.mid(uri.indexOf(',') + 1).toLatin1()).size();
                stripped.append(QJsonObject{{"u", uri.left(uri.indexOf(',') + 1)}});
                ++entries;
            }
            data[table] = stripped;
        }
        QCOMPARE(entries, distinct); // one entry a file, whatever the letter case of its name
        const qsizetype texts = QJsonDocument(data).toJson(QJsonDocument::Compact).size();
        const qsizetype bound = htmlFixedPartSize() + 2 /* "pl" */ + 3 /* "Gra" */ + texts +
                                (media * 4 + 2) / 3 + 4 * entries + 64;
        QVERIFY2(page.size() <= bound,
                 qPrintable(QStringLiteral("%1 > %2").arg(page.size()).arg(bound)));
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
    QByteArray exportOf(const std::vector<Situation>& situations,
                        const HtmlPageOptions& options = {}) {
        const QString kro = folder_.filePath(QStringLiteral("Gra.Kro"));
        if (!writeScenario(kro, situations))
            return {};
        PosixRecordFileFactory files;
        return exportHtml(readSnapshot(files, kro), options);
    }

    TestFolder folder_;
};

QTEST_GUILESS_MAIN(TestHtmlExport)
#include "tst_html_export.moc"
