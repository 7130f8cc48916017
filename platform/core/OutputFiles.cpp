#include "platform/core/OutputFiles.h"

#include "platform/core/AppError.h"

#include <QFile>
#include <QFileInfo>
#include <QStringList>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace OutputFiles {
namespace {

std::function<int(int)>& folderSync() {
    static std::function<int(int)> sync;
    return sync;
}

std::function<void()>& callHook() {
    static std::function<void()> hook;
    return hook;
}

// Runs before each file call of a writer.
void beforeCall() {
    if (callHook())
        callHook()();
}

QByteArray native(const QString& path) {
    return QFile::encodeName(path);
}

[[noreturn]] void fail(const QString& path, int error) {
    throw AppError(AppError::Other, QStringLiteral("%1: %2").arg(
                                        path, QString::fromLocal8Bit(std::strerror(error))));
}

[[noreturn]] void refuse(const QString& path, Kind kind) {
    throw AppError(AppError::Other, refusalFor(path, kind));
}

// Writes all of `bytes` to `fd`; 0 or the errno value of the failure.
int writeAll(int fd, const QByteArray& bytes) {
    const char* data = bytes.constData();
    qsizetype left = bytes.size();
    while (left > 0) {
        const ssize_t n = ::write(fd, data, static_cast<std::size_t>(left));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return n < 0 ? errno : EIO;
        data += n;
        left -= n;
    }
    return 0;
}

// Writes a new file at `path` (named `shown` in messages) and flushes it; a failure removes
// it again.
void writeNewFile(const QString& path, const QString& shown, const QByteArray& bytes,
                  const QString& permissionsOf);

// A temporary file beside `path` that exists until it is renamed over the file or dropped.
class Staged {
public:
    explicit Staged(const QString& path) : path_(path) {}
    Staged(const Staged&) = delete;
    Staged& operator=(const Staged&) = delete;
    Staged(Staged&& other) noexcept : path_(std::move(other.path_)), temp_(std::move(other.temp_)) {
        other.temp_.clear();
    }
    ~Staged() {
        if (!temp_.isEmpty())
            ::unlink(native(temp_).constData());
    }

    // Writes `bytes` to a new temporary file and flushes it to the disk.
    void write(const QByteArray& bytes) {
        static int counter = 0;
        const QString temp =
            QStringLiteral("%1.tmp-%2-%3").arg(path_).arg(::getpid()).arg(++counter);
        writeNewFile(temp, path_, bytes, path_);
        temp_ = temp;
    }

    // Renames the temporary file over the file.
    void commit() {
        renameOver(temp_, path_);
        temp_.clear();
    }

private:
    QString path_;
    QString temp_;
};

} // namespace

Kind kindAt(const QString& path) {
    struct stat st {};
    if (::lstat(native(path).constData(), &st) != 0)
        return errno == ENOENT ? Kind::Nothing : Kind::Other;
    if (S_ISREG(st.st_mode))
        return Kind::RegularFile;
    if (S_ISLNK(st.st_mode) && ::stat(native(path).constData(), &st) != 0)
        return Kind::Other; // dangling: whatever it would create lies elsewhere
    return S_ISFIFO(st.st_mode) || S_ISCHR(st.st_mode) ? Kind::Stream : Kind::Other;
}

QString refusalFor(const QString& path, Kind kind) {
    struct stat st {};
    const bool link = ::lstat(native(path).constData(), &st) == 0 && S_ISLNK(st.st_mode);
    QString why;
    if (link)
        why = QStringLiteral("jest tam dowiązanie symboliczne; program nie zapisuje przez "
                             "dowiązania, bo mogą prowadzić poza folder");
    else if (kind == Kind::Other && ::lstat(native(path).constData(), &st) == 0 &&
             S_ISDIR(st.st_mode))
        why = QStringLiteral("jest tam folder");
    else if (kind == Kind::Stream)
        why = QStringLiteral("to potok albo urządzenie, a ma tu powstać nowy plik");
    else if (kind == Kind::RegularFile)
        why = QStringLiteral("plik już istnieje, a ma tu powstać nowy");
    else
        why = QStringLiteral("to nie jest zwykły plik");
    return QStringLiteral("%1: nic nie zostało zapisane, bo %2").arg(path, why);
}

int createNew(const QString& path) {
    beforeCall();
    int fd;
    do {
        fd = ::open(native(path).constData(),
                    O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_NOCTTY | O_CLOEXEC, 0666);
    } while (fd < 0 && errno == EINTR);
    if (fd >= 0)
        return fd;
    const int error = errno;
    if (error == EEXIST || error == ELOOP)
        refuse(path, kindAt(path));
    fail(path, error);
}

void writeNew(const QString& path, const QByteArray& bytes, const QString& permissionsOf) {
    writeNewFile(path, path, bytes, permissionsOf);
}

namespace {
void writeNewFile(const QString& path, const QString& shown, const QByteArray& bytes,
                  const QString& permissionsOf) {
    int fd = -1;
    try {
        fd = createNew(path);
    } catch (const AppError& e) {
        if (path == shown)
            throw;
        // The temporary name means nothing to the user; the reason is the same for the file.
        throw AppError(AppError::Other, QString(e.message()).replace(path, shown));
    }
    int error = 0;
    struct stat old {};
    if (!permissionsOf.isEmpty() && ::lstat(native(permissionsOf).constData(), &old) == 0 &&
        S_ISREG(old.st_mode) && ::fchmod(fd, old.st_mode & 07777) != 0)
        error = errno;
    beforeCall();
    if (error == 0)
        error = writeAll(fd, bytes);
    beforeCall();
    if (error == 0 && ::fsync(fd) != 0)
        error = errno;
    if (::close(fd) != 0 && error == 0 && errno != EINTR)
        error = errno;
    if (error != 0) {
        ::unlink(native(path).constData());
        fail(shown, error);
    }
}
} // namespace

void renameOver(const QString& from, const QString& to) {
    beforeCall();
    if (::rename(native(from).constData(), native(to).constData()) != 0)
        fail(to, errno);
}

void removeEntry(const QString& path) {
    beforeCall();
    if (::unlink(native(path).constData()) != 0)
        fail(path, errno);
}

void replaceFiles(const std::vector<Contents>& files) {
    for (const Contents& file : files) {
        const Kind kind = kindAt(file.first);
        if (kind != Kind::Nothing && kind != Kind::RegularFile)
            refuse(file.first, kind);
    }
    std::vector<Staged> staged;
    staged.reserve(files.size());
    for (const Contents& file : files) {
        staged.emplace_back(file.first);
        staged.back().write(file.second);
    }
    for (Staged& file : staged)
        file.commit();
    QStringList folders;
    for (const Contents& file : files) {
        const QString folder = QFileInfo(file.first).absolutePath();
        if (!folders.contains(folder))
            folders.append(folder);
    }
    for (const QString& folder : folders)
        syncFolder(folder);
}

void writeOutput(const QString& path, const QByteArray& bytes) {
    if (kindAt(path) != Kind::Stream) {
        replaceFiles({{path, bytes}});
        return;
    }
    // O_NONBLOCK keeps a pipe nobody reads from holding the program at the open; the writes
    // themselves then wait as a stream's writer does.
    int fd;
    do {
        fd = ::open(native(path).constData(), O_WRONLY | O_NOCTTY | O_CLOEXEC | O_NONBLOCK);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0)
        fail(path, errno == ENXIO ? EPIPE : errno);
    struct stat st {};
    int error = ::fstat(fd, &st) != 0 ? errno : 0;
    if (error == 0 && !S_ISFIFO(st.st_mode) && !S_ISCHR(st.st_mode))
        error = EINVAL; // replaced by something else since it was looked at
    const int flags = ::fcntl(fd, F_GETFL);
    if (error == 0 && (flags < 0 || ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != 0))
        error = errno;
    if (error == 0)
        error = writeAll(fd, bytes);
    if (::close(fd) != 0 && error == 0 && errno != EINTR)
        error = errno;
    if (error != 0)
        fail(path, error);
}

void syncFolder(const QString& folder) {
    beforeCall();
    const int fd = ::open(native(folder.isEmpty() ? QStringLiteral(".") : folder).constData(),
                          O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        fail(folder, errno);
    int error = 0;
    if (folderSync())
        error = folderSync()(fd);
    else if (::fsync(fd) != 0)
        error = errno;
    ::close(fd);
    // Some file systems cannot flush a folder; their entries are as safe as they get.
    if (error != 0 && error != EINVAL && error != EROFS)
        fail(folder, error);
}

void setCallHookForTests(std::function<void()> hook) {
    callHook() = std::move(hook);
}

void setFolderSyncForTests(std::function<int(int fd)> sync) {
    folderSync() = std::move(sync);
}

} // namespace OutputFiles
