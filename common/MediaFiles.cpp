#include "MediaFiles.h"

#include "FileSystem.h"

#include <QDir>

namespace {

bool isPlainName(const QString& name) {
    return !name.isEmpty() && name != u"." && name != u".." && !name.contains(u'/') &&
           !name.contains(u'\\');
}

QString find(const QString& prefix, const QString& folder, const QString& name) {
    if (!isPlainName(name))
        return {};
    const QString exact = prefix + folder + name;
    if (FileSystem::fileExists(exact))
        return exact;
    const QDir dir(prefix + folder);
    const QStringList entries = dir.entryList(QDir::Files | QDir::Hidden, QDir::Name);
    for (const QString& entry : entries) {
        if (entry.compare(name, Qt::CaseInsensitive) == 0)
            return dir.filePath(entry);
    }
    return {};
}

} // namespace

namespace MediaFiles {

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
