#include "platform/core/PosixRecordFile.h"

#include "platform/core/AppError.h"
#include "platform/core/LockWait.h"
#include "platform/core/OutputFiles.h"

#include <QFile>
#include <cerrno>
#include <chrono>
#include <fcntl.h>
#include <limits>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace {
// Generic failure codes for errors that have no message of their own.
constexpr int DeviceIoError = 1117;
constexpr int GeneralFailure = 31;

[[noreturn]] void throwErrno(int err) {
    throw AppError(PosixRecordFile::codeForErrno(err));
}
} // namespace

std::unique_ptr<RecordFile> PosixRecordFileFactory::make() {
    return std::make_unique<PosixRecordFile>();
}

PosixRecordFile::~PosixRecordFile() {
    if (fd_ >= 0)
        ::close(fd_);
}

int PosixRecordFile::codeForErrno(int err) {
    switch (err) {
    case ENOENT:
        return AppError::FileNotFound;
    case ENOTDIR:
    case ENAMETOOLONG:
    case EINVAL:
    case ELOOP:
        return AppError::InvalidFileName;
    case EMFILE:
    case ENFILE:
        return AppError::TooManyOpenFiles;
    case EACCES:
    case EPERM:
    case EROFS:
    case EISDIR:
    case ETXTBSY:
        return AppError::AccessDenied;
    case ENOSPC:
    case EDQUOT:
    case EFBIG:
        return AppError::DiskFull;
    case EIO:
        return DeviceIoError;
    default:
        return GeneralFailure;
    }
}

void PosixRecordFile::open(const QString& path, int recordSize, Access access) {
    openWith(path, recordSize, access == Access::ReadOnly ? O_RDONLY : O_RDWR, access);
}

void PosixRecordFile::create(const QString& path, int recordSize) {
    // A link or anything else planted at the path is never followed nor emptied: a new file
    // is made, or nothing.
    if (fd_ >= 0)
        close();
    if (path.isEmpty())
        throw AppError(AppError::FileNotFound);
    int fd;
    do {
        fd = ::open(QFile::encodeName(path).constData(),
                    O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_NOCTTY | O_CLOEXEC, 0666);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0 && (errno == EEXIST || errno == ELOOP))
        throw AppError(AppError::Other, OutputFiles::refusalFor(path, OutputFiles::kindAt(path)));
    if (fd < 0)
        throwErrno(errno);
    fd_ = fd;
    path_ = path;
    recordSize_ = recordSize;
    position_ = 0;
    access_ = Access::ReadWrite;
    // A failure here leaves the new file open for the caller to clean up.
    syncFolder();
}

void PosixRecordFile::syncFolder() const {
    const qsizetype slash = path_.lastIndexOf(u'/');
    const QByteArray folder = QFile::encodeName(slash < 0    ? QStringLiteral(".")
                                                : slash == 0 ? QStringLiteral("/")
                                                             : path_.left(slash));
    const int fd = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        throwErrno(errno);
    // Some file systems cannot flush a folder; their entries are as safe as they get.
    const int err = ::fsync(fd) != 0 && errno != EINVAL && errno != EROFS ? errno : 0;
    ::close(fd);
    if (err != 0)
        throwErrno(err);
}

void PosixRecordFile::openWith(const QString& path, int recordSize, int flags, Access access) {
    if (fd_ >= 0)
        close();
    if (path.isEmpty())
        throw AppError(AppError::FileNotFound);
    const QByteArray native = QFile::encodeName(path);
    // Without O_NONBLOCK, opening a named pipe waits for a writer that may never come; the
    // flag changes nothing for the regular files that are all this accepts.
    int fd;
    do {
        fd = ::open(native.constData(), flags | O_NONBLOCK | O_NOCTTY | O_CLOEXEC, 0666);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0)
        throwErrno(errno);
    struct stat st {};
    int err = 0;
    if (::fstat(fd, &st) != 0)
        err = errno;
    else if (S_ISDIR(st.st_mode))
        err = EISDIR;
    else if (!S_ISREG(st.st_mode))
        err = EACCES; // a pipe, socket or device is no scenario file
    if (err != 0) {
        ::close(fd);
        throwErrno(err);
    }
    fd_ = fd;
    path_ = path;
    recordSize_ = recordSize;
    position_ = 0;
    access_ = access;
}

bool PosixRecordFile::replacedOnDisk() {
    if (fd_ < 0)
        return false;
    struct stat open {};
    struct stat named {};
    if (::fstat(fd_, &open) != 0)
        return false;
    return ::stat(QFile::encodeName(path_).constData(), &named) != 0 ||
           open.st_dev != named.st_dev || open.st_ino != named.st_ino;
}

void PosixRecordFile::requireOpen() const {
    if (fd_ < 0)
        throw AppError(AppError::FileNotOpen);
}

void PosixRecordFile::seek(std::int64_t record) {
    requireOpen();
    if (record < 0)
        throw AppError(AppError::NegativeSeek);
    position_ = record;
}

std::int64_t PosixRecordFile::recordCount() {
    requireOpen();
    struct stat st {};
    if (::fstat(fd_, &st) != 0)
        throwErrno(errno);
    return (static_cast<std::int64_t>(st.st_size) + recordSize_ - 1) / recordSize_;
}

bool PosixRecordFile::offsetFits() const {
    return position_ <= std::numeric_limits<off_t>::max() / recordSize_ - 1;
}

void PosixRecordFile::read(void* record) {
    // A record past the largest offset is past the end of any file, and reads nothing.
    if (readUpTo(record) < recordSize_) {
        --position_;
        throw AppError(AppError::ReadBeyondEnd);
    }
}

int PosixRecordFile::readUpTo(void* record) {
    requireOpen();
    int done = 0;
    if (offsetFits()) {
        auto* out = static_cast<char*>(record);
        const off_t offset = static_cast<off_t>(position_ * recordSize_);
        while (done < recordSize_) {
            const ssize_t n = ::pread(fd_, out + done, recordSize_ - done, offset + done);
            if (n < 0 && errno == EINTR)
                continue;
            if (n < 0)
                throwErrno(errno);
            if (n == 0)
                break;
            done += static_cast<int>(n);
        }
    }
    ++position_;
    return done;
}

std::int64_t PosixRecordFile::readRecords(void* out, std::int64_t records) {
    requireOpen();
    if (records <= 0 || !offsetFits())
        return 0;
    auto* bytes = static_cast<char*>(out);
    const off_t offset = static_cast<off_t>(position_ * recordSize_);
    const std::int64_t wanted = records * recordSize_;
    std::int64_t done = 0;
    while (done < wanted) {
        const ssize_t n = ::pread(fd_, bytes + done, static_cast<size_t>(wanted - done),
                                  offset + static_cast<off_t>(done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break; // the end of the file, or a failure that read() will report
        done += n;
    }
    const std::int64_t whole = done / recordSize_;
    position_ += whole;
    return whole;
}

void PosixRecordFile::write(const void* record) {
    requireOpen();
    if (access_ == Access::ReadOnly)
        throw AppError(AppError::FileNotOpenForOutput);
    if (!offsetFits())
        throwErrno(EFBIG);
    const auto* in = static_cast<const char*>(record);
    const off_t offset = static_cast<off_t>(position_ * recordSize_);
    int done = 0;
    while (done < recordSize_) {
        const ssize_t n = ::pwrite(fd_, in + done, recordSize_ - done, offset + done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            throwErrno(n < 0 ? errno : ENOSPC);
        done += static_cast<int>(n);
    }
    if (::fdatasync(fd_) != 0)
        throwErrno(errno);
    ++position_;
}

std::int64_t PosixRecordFile::byteSize() {
    requireOpen();
    struct stat st {};
    if (::fstat(fd_, &st) != 0)
        throwErrno(errno);
    return st.st_size;
}

void PosixRecordFile::truncate(std::int64_t bytes) {
    requireOpen();
    if (access_ == Access::ReadOnly)
        throw AppError(AppError::FileNotOpenForOutput);
    if (bytes < 0 || bytes > std::numeric_limits<off_t>::max())
        throwErrno(EFBIG);
    int result;
    do {
        result = ::ftruncate(fd_, static_cast<off_t>(bytes));
    } while (result != 0 && errno == EINTR);
    if (result != 0 || ::fdatasync(fd_) != 0)
        throwErrno(errno);
}

void PosixRecordFile::remove() {
    requireOpen();
    const QByteArray native = QFile::encodeName(path_);
    close();
    if (::unlink(native.constData()) != 0)
        throwErrno(errno);
    syncFolder();
}

void PosixRecordFile::release(bool removeFile) noexcept {
    if (fd_ < 0)
        return;
    ::close(fd_);
    fd_ = -1;
    locked_ = false;
    if (removeFile)
        ::unlink(QFile::encodeName(path_).constData());
}

void PosixRecordFile::close() {
    requireOpen();
    const int fd = fd_;
    fd_ = -1;
    locked_ = false; // a lock goes with its open file
    if (::close(fd) != 0 && errno != EINTR)
        throwErrno(errno);
}

// Open file description locks: they belong to this open file, not to the process, so that
// closing another descriptor of the same file elsewhere in the program cannot drop them.
bool PosixRecordFile::lock(Lock kind) {
    if (fd_ < 0 || locked_)
        return true;
    struct flock range {};
    range.l_type = static_cast<short>(kind == Lock::Exclusive ? F_WRLCK : F_RDLCK);
    range.l_whence = SEEK_SET;
    // Ours are held for a few records; one held longer belongs to a program that is waited
    // for only as long as the user action's budget allows.
    using Clock = LockWait::Clock;
    bool waiting = false;
    Clock::time_point giveUp{};
    for (;;) {
        if (::fcntl(fd_, F_OFD_SETLK, &range) == 0) {
            locked_ = true;
            break;
        }
        if (errno != EAGAIN && errno != EACCES && errno != EINTR)
            break; // no locks on this file system: the step goes on as it can
        if (!waiting) {
            // An action that has given up a wait already does not wait again.
            if (LockWait::remaining() <= Clock::duration::zero())
                return false;
            waiting = true;
            giveUp = Clock::now() + LockWait::remaining();
            LockWait::waiting(true);
        }
        if (Clock::now() >= giveUp) {
            LockWait::waiting(false);
            return false;
        }
        std::this_thread::sleep_for(std::chrono::microseconds(200));
    }
    if (waiting)
        LockWait::waiting(false);
    return true;
}

void PosixRecordFile::unlock() {
    if (fd_ < 0 || !locked_)
        return;
    locked_ = false;
    struct flock range {};
    range.l_type = F_UNLCK;
    range.l_whence = SEEK_SET;
    ::fcntl(fd_, F_OFD_SETLK, &range);
}
