#pragma once
// The one way the kit creates and replaces files.
//
// Whatever is at a path the kit writes may have been planted there by whoever sent the
// scenario: a link to a file elsewhere, a dangling link, a folder, a pipe. So:
// - a file that must not exist yet is created with O_EXCL|O_NOFOLLOW, and anything at its path
//   (a dangling link included) is refused before a byte is written;
// - a file that is replaced is written whole beside it, flushed, and renamed over the path,
//   only when the path holds a regular file or nothing;
// - a path that is a pipe or a character device (or a link to one) is written into as a
//   stream, never replaced: `-o /dev/stdout` writes to standard output.

#include <QByteArray>
#include <QString>
#include <functional>
#include <utility>
#include <vector>

namespace OutputFiles {

// A file's path and the bytes it is to hold.
using Contents = std::pair<QString, QByteArray>;

// What a path holds, looked at without following a link at the path itself.
enum class Kind {
    Nothing,     // no entry at all
    RegularFile, // a regular file (not a link)
    Stream,      // a pipe or a character device, or a link to one
    Other,       // a folder, a link to anything but a stream (dangling too), a socket, ...
};
Kind kindAt(const QString& path);

// Creates a new, empty file at `path` that nothing may occupy yet, and returns its open
// descriptor (read and write, close-on-exec); the caller owns it. Anything at the path is
// refused with AppError(Other, "<path>: <Polish reason>") and nothing is created.
int createNew(const QString& path);

// Replaces each file by its bytes, all or none: every path must hold a regular file or
// nothing (anything else is refused before a byte is written); each file is written beside
// its path under a temporary name and flushed, then all are renamed over their paths in the
// order given, then their folders are flushed. A file that existed keeps its permissions. A
// failure before the renames removes every temporary file and leaves every path as it was.
// Throws AppError(Other) naming the file and the reason.
void replaceFiles(const std::vector<Contents>& files);

// Writes one output file: a stream (a pipe, a character device, or a link to one) is written
// into; a regular file or nothing is replaced as replaceFiles() does; anything else is
// refused. Throws AppError(Other) naming the file and the reason.
void writeOutput(const QString& path, const QByteArray& bytes);

// Writes `bytes` to a new file at `path` (created as createNew() does) and flushes it to the
// disk; with `permissionsOf` a regular file, the new file takes its permissions. On a failure
// the new file is removed again and AppError(Other) names the path and the reason.
void writeNew(const QString& path, const QByteArray& bytes, const QString& permissionsOf = {});

// Renames `from` over `to` in one step (both in one folder). Throws AppError(Other).
void renameOver(const QString& from, const QString& to);

// Removes the entry at `path` (a link itself, never what it leads to). Throws AppError(Other).
void removeEntry(const QString& path);

// The message for a path that may not be written because of what is there.
QString refusalFor(const QString& path, Kind kind);

// Flushes a folder so that its new and removed entries survive a power cut; every folder
// flush of the kit's writers goes through here. Throws AppError(Other) on failure.
void syncFolder(const QString& folder);

// Tests stop a writer between its file calls: `hook` runs before each call that creates,
// writes, flushes, renames or removes a file (a test's child process ends itself there, as a
// kill would). An empty function removes the hook.
void setCallHookForTests(std::function<void()> hook);

// Tests replace the folder flush to count it or to make it fail: the function gets the
// folder's descriptor and returns 0 or an errno value. An empty function restores fsync.
void setFolderSyncForTests(std::function<int(int fd)> sync);

} // namespace OutputFiles
