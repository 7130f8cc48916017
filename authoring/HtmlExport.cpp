#include "authoring/HtmlExport.h"

#include "HtmlAssets.h"
#include "common/Description.h"
#include "common/MediaFiles.h"
#include "platform/core/Adpcm.h"
#include "platform/core/AppError.h"
#include "platform/core/Bitmap.h"
#include "platform/core/MediaFile.h"
#include "platform/core/WavHeader.h"

#include <QBuffer>
#include <QCryptographicHash>
#include <QFileInfo>
#include <QHash>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QPainter>
#include <QRegularExpression>

#include <iterator>

namespace {

// The side of the player's picture box, in pixels.
constexpr int kBox = 128;

// The picture as the player's box draws it: the whole bitmap stretched into a rectangle
// centred in the box whose sides are each dimension rounded down to an even number, clipped
// to the box, without smoothing. Transparent where the picture does not cover the box.
QImage drawnInBox(const Bitmap& bitmap) {
    QImage box(kBox, kBox, QImage::Format_ARGB32);
    box.fill(Qt::transparent);
    const int halfW = bitmap.width() / 2;
    const int halfH = bitmap.height() / 2;
    const QRect target(kBox / 2 - halfW, kBox / 2 - halfH, 2 * halfW, 2 * halfH);
    if (bitmap.isEmpty() || target.isEmpty())
        return box;
    QPainter painter(&box);
    painter.setClipRect(QRect(0, 0, kBox, kBox));
    painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
    painter.drawImage(target, bitmap.image(), bitmap.image().rect());
    return box;
}

QString dataUri(const char* type, const QByteArray& bytes) {
    return QStringLiteral("data:%1;base64,").arg(QLatin1String(type)) +
           QString::fromLatin1(bytes.toBase64());
}

// Each media file once, by the file found for a name (or by the name when none is found).
class MediaTable {
public:
    MediaTable(MediaKind kind, QString folder) : kind_(kind), folder_(std::move(folder)) {}

    // The index of a situation's media name in the table, or -1 for no name.
    int indexOf(const QString& name) {
        if (name.isEmpty())
            return -1;
        const QString file = kind_ == MediaKind::Pictures ? MediaFiles::findPicture(folder_, name)
                                                          : MediaFiles::findSound(folder_, name);
        const QString key =
            file.isEmpty() ? QStringLiteral("?") + name : QStringLiteral("=") + file;
        if (const auto it = indices_.constFind(key); it != indices_.constEnd())
            return *it;
        entries_.append(file.isEmpty() ? missing(name) : embedded(file));
        indices_.insert(key, int(entries_.size() - 1));
        return int(entries_.size() - 1);
    }

    const QJsonArray& entries() const { return entries_; }

private:
    QJsonObject missing(const QString& name) const {
        const QString message = kind_ == MediaKind::Pictures
                                    ? QStringLiteral("Nie masz obrazu \"%1\"").arg(name)
                                    : QStringLiteral("Nie masz dzwieku \"%1\"").arg(name);
        return {{QStringLiteral("m"), message}};
    }

    QJsonObject embedded(const QString& file) const {
        if (kind_ == MediaKind::Pictures) {
            try {
                const QImage box = drawnInBox(Bitmap::load(file));
                QByteArray png;
                QBuffer buffer(&png);
                if (!buffer.open(QIODevice::WriteOnly) || !box.save(&buffer, "PNG"))
                    return refused(QStringLiteral("Bitmap image is not valid"));
                return {{QStringLiteral("u"), dataUri("image/png", png)}};
            } catch (const AppError& e) {
                // The player shows the bitmap's error, and the step stops there.
                return refused(e.message());
            }
        }
        // The player's sound device refuses some files before it plays a sample; the page
        // shows the device's error, and the step goes on without the sound.
        if (const WavHeader::Refusal why = WavHeader::refusal(file, true);
            why != WavHeader::Refusal::None)
            return refused(WavHeader::refusalText(why, file));
        // Browsers play PCM WAV but not ADPCM: those go in as the PCM the kit decodes. Other
        // files go in whole, read within the media limit (the file may have changed since).
        QByteArray bytes;
        if (const auto format = WavHeader::readFile(file); format && Adpcm::decodes(*format)) {
            bytes = Adpcm::fileToPcmWav(file, *format);
        } else if (const MediaFile wav(file); wav.isOpen()) {
            bytes = wav.read(0, wav.size()).value_or(QByteArray());
        } else if (wav.status() == MediaFile::Status::TooLarge) {
            return refused(MediaFile::tooLargeText(file));
        }
        if (bytes.isEmpty())
            return refused(WavHeader::refusalText(WavHeader::Refusal::NotAFile));
        return {{QStringLiteral("u"), dataUri("audio/wav", bytes)}};
    }

    static QJsonObject refused(const QString& message) {
        return {{QStringLiteral("m"), message}, {QStringLiteral("f"), true}};
    }

    MediaKind kind_;
    QString folder_;
    QHash<QString, int> indices_;
    QJsonArray entries_;
};

QByteArray scenarioJson(const ScenarioSnapshot& snapshot, const QString& title) {
    MediaTable pictures(MediaKind::Pictures, snapshot.folder);
    MediaTable sounds(MediaKind::Sounds, snapshot.folder);
    QJsonArray situations;
    for (std::size_t i = 0; i < snapshot.rekordy.size(); ++i) {
        const TRekordKroku& r = snapshot.rekordy[i];
        const QJsonArray choices{r.Wybor1.text(), r.Wybor2.text(), r.Wybor3.text(),
                                 r.Wybor4.text()};
        const QJsonArray targets{r.Krok_Wybrany1.get(), r.Krok_Wybrany2.get(),
                                 r.Krok_Wybrany3.get(), r.Krok_Wybrany4.get()};
        QJsonObject situation{
            {QStringLiteral("n"), r.Nazwa.text()},
            {QStringLiteral("t"), int(snapshot.listy[i].Typ)},
            {QStringLiteral("d"), Description::shown(r.Opis.text())},
            {QStringLiteral("c"), choices},
            {QStringLiteral("g"), targets},
            {QStringLiteral("p"), pictures.indexOf(r.Bmp.text())},
            {QStringLiteral("s"), sounds.indexOf(r.Wav.text())},
        };
        // The names as written, which the page shows as the picture's text.
        if (!r.Bmp.isEmpty())
            situation.insert(QStringLiteral("b"), r.Bmp.text());
        if (!r.Wav.isEmpty())
            situation.insert(QStringLiteral("w"), r.Wav.text());
        situations.append(situation);
    }
    // Another scenario (or another version of this one) has other situations, so a game kept
    // by one page is never continued by another.
    const QByteArray fingerprint =
        QCryptographicHash::hash(QJsonDocument(situations).toJson(QJsonDocument::Compact),
                                 QCryptographicHash::Sha256)
            .toHex()
            .left(16);
    const QJsonObject document{
        {QStringLiteral("title"), title},
        {QStringLiteral("key"), QString::fromLatin1(fingerprint)},
        {QStringLiteral("situations"), situations},
        {QStringLiteral("pictures"), pictures.entries()},
        {QStringLiteral("sounds"), sounds.entries()},
    };
    QByteArray json = QJsonDocument(document).toJson(QJsonDocument::Compact);
    // Inside a script element "</script" would end it: "<" is written as its JSON escape,
    // which can only occur within strings.
    json.replace("<", "\\u003c");
    return json;
}

QByteArray escapedText(const QString& text) {
    return text.toHtmlEscaped().toUtf8();
}

// The page around the scenario, in the order written; the title and the language go between.
constexpr char kHead[] = "<!DOCTYPE html>\n<html lang=\"";
constexpr char kMeta[] =
    "\">\n<head>\n<meta charset=\"utf-8\">\n"
    "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\n"
    "<meta http-equiv=\"Content-Security-Policy\" content=\"default-src 'none'; "
    "img-src data:; media-src data:; style-src 'unsafe-inline'; "
    "script-src 'unsafe-inline'\">\n<title>";
constexpr char kStyle[] = "</title>\n<style>\n";
constexpr char kBody[] = "</style>\n</head>\n<body>\n";
constexpr char kData[] = "<script type=\"application/json\" id=\"scenario\">";
constexpr char kScript[] = "</script>\n<script>\n";
constexpr char kEnd[] = "</script>\n</body>\n</html>\n";

} // namespace

bool isLanguageTag(const QString& tag) {
    static const QRegularExpression pattern(QStringLiteral("^[A-Za-z]{2,3}(-[A-Za-z0-9]{1,8})*$"));
    return pattern.match(tag).hasMatch();
}

QByteArray exportHtml(const ScenarioSnapshot& snapshot, const HtmlPageOptions& options) {
    const QString title = options.title.isEmpty()
                              ? QFileInfo(snapshot.situationFilePath).completeBaseName()
                              : options.title;
    const QString lang = options.lang.isEmpty() ? QStringLiteral("pl") : options.lang;
    QByteArray page;
    page += kHead;
    page += escapedText(lang);
    page += kMeta;
    page += escapedText(title);
    page += kStyle;
    page += HtmlAssets::PlayerCss;
    page += kBody;
    page += HtmlAssets::PlayerBody;
    page += kData;
    page += scenarioJson(snapshot, title);
    page += kScript;
    page += HtmlAssets::PlayerJs;
    page += kEnd;
    return page;
}

qsizetype htmlFixedPartSize() {
    return qsizetype(std::size(kHead) + std::size(kMeta) + std::size(kStyle) + std::size(kBody) +
                     std::size(kData) + std::size(kScript) + std::size(kEnd) +
                     std::size(HtmlAssets::PlayerCss) + std::size(HtmlAssets::PlayerBody) +
                     std::size(HtmlAssets::PlayerJs)) -
           10; // the arrays' terminating zeros
}
