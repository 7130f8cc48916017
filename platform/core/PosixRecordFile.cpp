#include "PosixRecordFile.h"

#include "AppError.h"

#include <QFile>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
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
    openWith(path, recordSize, O_RDWR | O_CREAT | O_TRUNC, Access::ReadWrite);
}

void PosixRecordFile::openWith(const QString& path, int recordSize, int flags, Access access) {
    if (fd_ >= 0)
        close();
    if (path.isEmpty())
        throw AppError(AppError::FileNotFound);
    const QByteArray native = QFile::encodeName(path);
    int fd;
    do {
        fd = ::open(native.constData(), flags | O_CLOEXEC, 0666);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0)
        throwErrno(errno);
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        const int err = S_ISDIR(st.st_mode) ? EISDIR : errno;
        ::close(fd);
        throwErrno(err == 0 ? EACCES : err);
    }
    fd_ = fd;
    recordSize_ = recordSize;
    position_ = 0;
    access_ = access;
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

void PosixRecordFile::read(void* record) {
    requireOpen();
    auto* out = static_cast<char*>(record);
    off_t offset = static_cast<off_t>(position_ * recordSize_);
    int done = 0;
    while (done < recordSize_) {
        const ssize_t n = ::pread(fd_, out + done, recordSize_ - done, offset + done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            throwErrno(errno);
        if (n == 0)
            throw AppError(AppError::ReadBeyondEnd);
        done += static_cast<int>(n);
    }
    ++position_;
}

void PosixRecordFile::write(const void* record) {
    requireOpen();
    if (access_ == Access::ReadOnly)
        throw AppError(AppError::FileNotOpenForOutput);
    const auto* in = static_cast<const char*>(record);
    off_t offset = static_cast<off_t>(position_ * recordSize_);
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

void PosixRecordFile::close() {
    requireOpen();
    const int fd = fd_;
    fd_ = -1;
    if (::close(fd) != 0 && errno != EINTR)
        throwErrno(errno);
}
