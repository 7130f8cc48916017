#pragma once
// Replacing a set of files by new contents, each file whole or not at all.

#include <QByteArray>
#include <QString>
#include <utility>
#include <vector>

namespace AtomicFiles {

// A file's path and the bytes it is to hold.
using Contents = std::pair<QString, QByteArray>;

// Writes every file's bytes beside it under a temporary name in the same folder and flushes
// them to the disk; only when all are written does it rename each over its file, in the order
// given, and then flush the folders. A file that existed keeps its permissions. A failure
// before the renames removes the temporary files and leaves every file as it was; it throws
// AppError naming the file and the system's reason.
void replaceFiles(const std::vector<Contents>& files);

} // namespace AtomicFiles
