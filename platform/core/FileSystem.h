#pragma once
// File existence and folder listing.

#include <QString>
#include <QStringList>

// File existence and folder listing.
namespace FileSystem {

// True when an ordinary file (not a folder) exists at `path`.
bool fileExists(const QString& path);

// True when both paths name one file: the same path, or links to one file.
bool sameFile(const QString& a, const QString& b);

// True when both paths exist and are one file: the same device and inode, links followed.
bool sameInode(const QString& a, const QString& b);

// True when anything at all is at `path`: a file, a folder, or a link, a dangling one too.
bool entryExists(const QString& path);

// True when the user may not write the existing file at `path`: its permissions, or a file
// system mounted read-only, forbid it.
bool writeForbidden(const QString& path);

// Names of the ordinary files in `folder` that match the wildcard `mask`
// ("*.bmp"), without regard to letter case; folders and hidden files are
// left out, and the names are sorted ignoring case. A folder that does not
// exist or cannot be read gives an empty list.
QStringList listFiles(const QString& folder, const QString& mask);

} // namespace FileSystem
