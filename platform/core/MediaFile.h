#pragma once
// A picture or sound file opened for reading, within the one size limit of media files.

#include <QByteArray>
#include <QFile>
#include <QString>
#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>

// A picture or sound file, opened without waiting on a named pipe and kept open only when it
// is a regular file of at most MaxBytes: a pipe or a device (or a link to one) may never begin
// or never end, and a forged or sparse file of gigabytes must not be read, decoded or embedded.
class MediaFile {
public:
    // The largest picture or sound the programs read. No scenario of the Windows 3.1 and 95
    // era comes near it: a 24-bit 4096 x 4096 bitmap is 48 MiB, and 64 MiB of 44.1 kHz 16-bit
    // stereo PCM plays for over six minutes.
    static constexpr qint64 MaxBytes = qint64(64) * 1024 * 1024;

    // The message that refuses the file at `path` for being larger than MaxBytes.
    static QString tooLargeText(const QString& path) {
        // One pass of arg(): a "%" in the path is not taken for a place-holder.
        return QStringLiteral("Plik %1 jest większy niż %2 MB, na które pozwala program")
            .arg(path, QString::number(MaxBytes / (1024 * 1024)));
    }

    enum class Status { Open, CannotOpen, NotRegular, TooLarge };

    explicit MediaFile(const QString& path) {
        int fd;
        do {
            fd = ::open(QFile::encodeName(path).constData(),
                        O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
        } while (fd < 0 && errno == EINTR);
        if (fd < 0)
            return;
        struct stat st {};
        if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
            status_ = Status::NotRegular;
        } else if (st.st_size > MaxBytes) {
            status_ = Status::TooLarge;
        } else {
            status_ = Status::Open;
            size_ = st.st_size;
            fd_ = fd;
            return;
        }
        ::close(fd);
    }
    ~MediaFile() {
        if (fd_ >= 0)
            ::close(fd_);
    }
    MediaFile(const MediaFile&) = delete;
    MediaFile& operator=(const MediaFile&) = delete;

    Status status() const { return status_; }
    bool isOpen() const { return status_ == Status::Open; }
    // The file's size when it was opened (0 unless open).
    qint64 size() const { return size_; }
    // The open descriptor, which stays the file's (-1 unless open).
    int handle() const { return fd_; }

    // Up to `length` bytes from `offset`, fewer when the file ends first; nothing when the
    // file is not open or a read fails. Never more than MaxBytes, whatever the file became.
    std::optional<QByteArray> read(qint64 offset, qint64 length) const {
        if (fd_ < 0 || offset < 0 || length < 0)
            return std::nullopt;
        QByteArray bytes(std::min(length, MaxBytes), Qt::Uninitialized);
        qint64 done = 0;
        while (done < bytes.size()) {
            const ssize_t n = ::pread(fd_, bytes.data() + done, size_t(bytes.size() - done),
                                      off_t(offset + done));
            if (n < 0 && errno == EINTR)
                continue;
            if (n < 0)
                return std::nullopt;
            if (n == 0)
                break;
            done += n;
        }
        bytes.truncate(done);
        return bytes;
    }

private:
    Status status_ = Status::CannotOpen;
    qint64 size_ = 0;
    int fd_ = -1;
};
