#include "FileSystem.h"

#include <QDir>
#include <QFileInfo>

namespace FileSystem {

bool fileExists(const QString& path) {
    if (path.isEmpty())
        return false;
    const QFileInfo info(path);
    return info.exists() && info.isFile();
}

QStringList listFiles(const QString& folder, const QString& mask) {
    // Without QDir::CaseSensitive the name filter ignores case.
    QDir dir(folder.isEmpty() ? QStringLiteral(".") : folder);
    return dir.entryList(QStringList{mask}, QDir::Files, QDir::Name | QDir::IgnoreCase);
}

} // namespace FileSystem
