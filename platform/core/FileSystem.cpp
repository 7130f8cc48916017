#include "platform/core/FileSystem.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <sys/stat.h>
#include <unistd.h>

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

bool sameInode(const QString& a, const QString& b) {
    struct stat first {};
    struct stat second {};
    return ::stat(QFile::encodeName(a).constData(), &first) == 0 &&
           ::stat(QFile::encodeName(b).constData(), &second) == 0 &&
           first.st_dev == second.st_dev && first.st_ino == second.st_ino;
}

bool entryExists(const QString& path) {
    struct stat st {};
    return !path.isEmpty() && ::lstat(QFile::encodeName(path).constData(), &st) == 0;
}

bool writeForbidden(const QString& path) {
    const QByteArray name = QFile::encodeName(path);
    return ::access(name.constData(), F_OK) == 0 && ::access(name.constData(), W_OK) != 0 &&
           (errno == EACCES || errno == EROFS || errno == EPERM);
}

QStringList listFiles(const QString& folder, const QString& mask) {
    // Without QDir::CaseSensitive the name filter ignores case.
    QDir dir(folder.isEmpty() ? QStringLiteral(".") : folder);
    return dir.entryList(QStringList{mask}, QDir::Files, QDir::Name | QDir::IgnoreCase);
}

} // namespace FileSystem
