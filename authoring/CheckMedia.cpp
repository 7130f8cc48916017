// The check of a situation's picture and sound as the player would open them.

#include "authoring/CheckParts.h"

#include "platform/core/AppError.h"
#include "platform/core/Bitmap.h"
#include "platform/core/FileSystem.h"
#include "platform/core/MediaFile.h"
#include "platform/core/WavHeader.h"

namespace CheckParts {

namespace {

QString folderName(MediaKind kind) {
    return kind == MediaKind::Pictures ? MediaFiles::PictureFolder : MediaFiles::SoundFolder;
}

// Why the player's picture box would refuse the file, or nothing.
QString pictureRefusal(const QString& path) {
    try {
        Bitmap::load(path);
    } catch (const AppError& e) {
        return oneLine(e.message());
    }
    return {};
}

// Why the player's sound device would refuse the file, or nothing. The player chooses its
// device by the file's name.
QString soundRefusal(const QString& path) {
    switch (WavHeader::refusal(path, true)) {
    case WavHeader::Refusal::NotWavName:
        return QStringLiteral("nazwa pliku dźwięku musi kończyć się na .wav");
    case WavHeader::Refusal::NotAFile:
        return QStringLiteral("to nie jest zwykły plik");
    case WavHeader::Refusal::NotPlayable:
        return QStringLiteral("to nie jest plik WAV z próbkami PCM, który da się odtworzyć");
    case WavHeader::Refusal::TooLarge:
        return oneLine(MediaFile::tooLargeText(path));
    case WavHeader::Refusal::None:
        break;
    }
    return {};
}

Finding mediaFinding(FindingKind kind, const QString& message) {
    return {Severity::Error, kind, 0, {}, 0, message};
}

} // namespace

QString oneLine(QString text) {
    for (QChar& ch : text) {
        if (ch.category() == QChar::Other_Control)
            ch = u' ';
    }
    return text;
}

QString quoted(const QString& text) {
    return QStringLiteral("„%1”").arg(oneLine(text));
}

void MediaLookup::check(MediaKind kind, const MediaName& field, std::vector<Finding>& out) {
    const bool picture = kind == MediaKind::Pictures;
    const QString what = picture ? QStringLiteral("obrazka") : QStringLiteral("dźwięku");
    if (field.len > MediaName::Capacity) {
        out.push_back(mediaFinding(FindingKind::BadMediaName,
                                   QStringLiteral("nazwa %1 ma zapisaną długość %2, a pole "
                                                  "mieści %3 znaków; wybierz plik w edytorze "
                                                  "ponownie")
                                       .arg(what)
                                       .arg(field.len)
                                       .arg(MediaName::Capacity)));
        return;
    }
    const QString name = field.text();
    if (name.isEmpty())
        return;
    if (name == u"." || name == u".." || name.contains(u'/') || name.contains(u'\\')) {
        out.push_back(mediaFinding(FindingKind::BadMediaName,
                                   QStringLiteral("nazwa %1 %2 nie może być nazwą pliku w "
                                                  "folderze %3 („/”, „\\”, „.” i „..” są "
                                                  "niedozwolone)")
                                       .arg(what, quoted(name), folderName(kind))));
        return;
    }
    if (!filesToo_)
        return;
    const auto found = byName_[int(kind)].constFind(name);
    const QString path = found != byName_[int(kind)].cend()
                             ? *found
                             : *byName_[int(kind)].insert(name, find(kind, name));
    if (path.isEmpty()) {
        // A pipe, a device or a folder of that name (or a link to one) is no media file: the
        // player looks past it, as past nothing.
        const QString entry = MediaFiles::folderOf(kind, folder_) + name;
        const QString why = FileSystem::entryExists(entry)
                                ? QStringLiteral("; %1 nie jest zwykłym plikiem, zastąp go plikiem")
                                      .arg(quoted(entry))
                                : QStringLiteral("; dodaj plik lub popraw nazwę");
        out.push_back(
            mediaFinding(picture ? FindingKind::MissingPicture : FindingKind::MissingSound,
                         QStringLiteral("gracz nie znajdzie %1 %2 w folderze %3")
                                 .arg(what, quoted(name), folderName(kind)) +
                             why));
        return;
    }
    auto refusal = refusals_.constFind(path);
    if (refusal == refusals_.cend())
        refusal = refusals_.insert(path, picture ? pictureRefusal(path) : soundRefusal(path));
    if (!refusal->isEmpty())
        out.push_back(mediaFinding(
            picture ? FindingKind::BadPicture : FindingKind::BadSound,
            QStringLiteral("gracz odrzuci plik %1 %2: %3").arg(what, quoted(name), *refusal)));
}

QString MediaLookup::find(MediaKind kind, const QString& name) const {
    return kind == MediaKind::Pictures ? MediaFiles::findPicture(folder_, name)
                                       : MediaFiles::findSound(folder_, name);
}

} // namespace CheckParts
