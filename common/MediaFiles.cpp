#include "common/MediaFiles.h"

#include "platform/core/FileSystem.h"

#include <QDir>
#include <QFile>
#include <QHash>
#include <QMutex>
#include <ctime>
#include <sys/stat.h>

namespace {

bool isPlainName(const QString& name) {
    return !name.isEmpty() && name != u"." && name != u".." && !name.contains(u'/') &&
           !name.contains(u'\\');
}

// True when `path` leads, through any links, to a regular file: a link to a device or a
// named pipe is no picture or sound, and reading one could block or never end.
bool isRegularFile(const QString& path) {
    struct stat st {};
    return ::stat(QFile::encodeName(path).constData(), &st) == 0 && S_ISREG(st.st_mode);
}

std::int64_t nanoseconds(const timespec& t) {
    return std::int64_t(t.tv_sec) * 1000000000 + t.tv_nsec;
}

// A folder's entries in name order, as they were when it was listed. The lookup lists a
// media folder again only when the folder changed since: a folder keeps its modification
// time until an entry is added, removed or renamed.
struct Listing {
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    std::int64_t mtimeNs = 0;
    std::int64_t listedNs = 0;
    QStringList entries;
    // Entries by their case-folded name, each list in name order.
    QHash<QString, QStringList> byFolded;
};

// A folder changed this soon before it was listed may change again without its time moving
// (coarse file system clocks, two seconds on FAT), so such a listing is not kept.
constexpr std::int64_t kSettleNs = 2'000'000'000;
// Folders kept at most; the programs look in two per scenario.
constexpr qsizetype kFoldersKept = 8;

QMutex listingsMutex;
QHash<QString, Listing> listings;

std::int64_t now() {
    timespec t{};
    ::clock_gettime(CLOCK_REALTIME, &t);
    return nanoseconds(t);
}

// The entries of `folder` whose name equals `name` ignoring case, in name order.
QStringList sameNameIgnoringCase(const QString& folder, const QString& name) {
    struct stat st {};
    const QByteArray native = QFile::encodeName(folder.isEmpty() ? QStringLiteral(".") : folder);
    if (::stat(native.constData(), &st) != 0 || !S_ISDIR(st.st_mode))
        return {};
    const QMutexLocker lock(&listingsMutex);
    auto it = listings.find(folder);
    const bool current = it != listings.end() && it->device == st.st_dev &&
                         it->inode == st.st_ino && it->mtimeNs == nanoseconds(st.st_mtim) &&
                         it->listedNs - it->mtimeNs > kSettleNs;
    if (!current) {
        if (it == listings.end() && listings.size() >= kFoldersKept)
            listings.clear();
        Listing listing;
        listing.device = st.st_dev;
        listing.inode = st.st_ino;
        listing.mtimeNs = nanoseconds(st.st_mtim);
        listing.listedNs = now();
        listing.entries =
            QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
        for (const QString& entry : std::as_const(listing.entries))
            listing.byFolded[entry.toCaseFolded()].append(entry);
        it = listings.insert(folder, std::move(listing));
    }
    const auto found = it->byFolded.constFind(name.toCaseFolded());
    if (found != it->byFolded.cend() && found->first().compare(name, Qt::CaseInsensitive) == 0)
        return *found;
    // Case folding and the case-blind comparison agree on every name met so far; should they
    // not, every entry is compared case-blind with the name, and all that match are found.
    QStringList same;
    for (const QString& entry : std::as_const(it->entries)) {
        if (entry.compare(name, Qt::CaseInsensitive) == 0)
            same.append(entry);
    }
    return same;
}

QString find(const QString& prefix, const QString& folder, const QString& name) {
    if (!isPlainName(name))
        return {};
    const QString exact = prefix + folder + name;
    if (FileSystem::fileExists(exact))
        return exact;
    const QDir dir(prefix + folder);
    for (const QString& entry : sameNameIgnoringCase(prefix + folder, name)) {
        const QString path = dir.filePath(entry);
        if (isRegularFile(path))
            return path;
    }
    return {};
}

} // namespace

namespace MediaFiles {

QString folderOf(MediaKind kind, const QString& prefix) {
    return prefix + (kind == MediaKind::Sounds ? SoundFolder : PictureFolder);
}

QString maskOf(MediaKind kind) {
    return kind == MediaKind::Sounds ? SoundMask : PictureMask;
}

QString picturePath(const QString& prefix, const QString& name) {
    return prefix + PictureFolder + name;
}

QString soundPath(const QString& prefix, const QString& name) {
    return prefix + SoundFolder + name;
}

QString findPicture(const QString& prefix, const QString& name) {
    return find(prefix, PictureFolder, name);
}

QString findSound(const QString& prefix, const QString& name) {
    return find(prefix, SoundFolder, name);
}

} // namespace MediaFiles
