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

bool sameFile(const QString& a, const QString& b) {
    if (a == b)
        return true;
    const QString canonical = QFileInfo(a).canonicalFilePath();
    return !canonical.isEmpty() && canonical == QFileInfo(b).canonicalFilePath();
}

QStringList listFiles(const QString& folder, const QString& mask) {
    // Without QDir::CaseSensitive the name filter ignores case.
    QDir dir(folder.isEmpty() ? QStringLiteral(".") : folder);
    return dir.entryList(QStringList{mask}, QDir::Files, QDir::Name | QDir::IgnoreCase);
}

} // namespace FileSystem
