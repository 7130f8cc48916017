#include "AtomicFiles.h"

#include "AppError.h"

#include <QFileInfo>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace AtomicFiles {
namespace {

[[noreturn]] void fail(const QString& path, int error) {
    throw AppError(AppError::Other, QStringLiteral("%1: %2").arg(
                                        path, QString::fromLocal8Bit(std::strerror(error))));
}

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
            ::unlink(QFile::encodeName(temp_).constData());
    }

    // Writes `bytes` to a new temporary file and flushes it to the disk.
    void write(const QByteArray& bytes) {
        static int counter = 0;
        const QString temp =
            QStringLiteral("%1.tmp-%2-%3").arg(path_).arg(::getpid()).arg(++counter);
        const QByteArray name = QFile::encodeName(temp);
        const int fd = ::open(name.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0)
            fail(path_, errno);
        temp_ = temp;
        int error = 0;
        struct stat old {};
        if (::stat(QFile::encodeName(path_).constData(), &old) == 0 &&
            ::fchmod(fd, old.st_mode & 07777) != 0)
            error = errno;
        const char* data = bytes.constData();
        qsizetype left = bytes.size();
        while (error == 0 && left > 0) {
            const ssize_t n = ::write(fd, data, static_cast<std::size_t>(left));
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0) {
                error = n < 0 ? errno : EIO;
                break;
            }
            data += n;
            left -= n;
        }
        if (error == 0 && ::fsync(fd) != 0)
            error = errno;
        if (::close(fd) != 0 && error == 0)
            error = errno;
        if (error != 0)
            fail(temp, error);
    }

    // Renames the temporary file over the file.
    void commit() {
        if (::rename(QFile::encodeName(temp_).constData(), QFile::encodeName(path_).constData()) !=
            0)
            fail(path_, errno);
        temp_.clear();
    }

private:
    QString path_;
    QString temp_;
};

void syncFolder(const QString& folder) {
    const int fd =
        ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        fail(folder, errno);
    const int error = ::fsync(fd) == 0 ? 0 : errno;
    ::close(fd);
    if (error != 0)
        fail(folder, error);
}

} // namespace

void replaceFiles(const std::vector<Contents>& files) {
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

} // namespace AtomicFiles
