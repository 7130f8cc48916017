#pragma once
// The record file on a POSIX file descriptor.

#include "platform/core/RecordFile.h"

// Record file on a POSIX file descriptor. Reads and writes are positioned
// (pread/pwrite), and every write is flushed to the device before it returns.
// Only regular files are opened: a folder, pipe or device is refused with
// "File access denied", and opening never waits on a pipe.
class PosixRecordFile : public RecordFile {
public:
    PosixRecordFile() = default;
    ~PosixRecordFile() override;
    PosixRecordFile(const PosixRecordFile&) = delete;
    PosixRecordFile& operator=(const PosixRecordFile&) = delete;

    void open(const QString& path, int recordSize, Access access) override;
    void create(const QString& path, int recordSize) override;
    void seek(std::int64_t record) override;
    std::int64_t recordCount() override;
    void read(void* record) override;
    // One positioned read for the whole run of records.
    std::int64_t readRecords(void* out, std::int64_t records) override;
    int readUpTo(void* record) override;
    void write(const void* record) override;
    std::int64_t byteSize() override;
    void truncate(std::int64_t bytes) override;
    void close() override;
    void remove() override;
    void release(bool removeFile) noexcept override;
    bool isOpen() const override { return fd_ >= 0; }
    bool replacedOnDisk() override;
    bool lock(Lock kind) override;
    void unlock() override;

    // Maps an errno value onto the scenario files' error codes.
    static int codeForErrno(int err);

private:
    void openWith(const QString& path, int recordSize, int flags, Access access);
    void requireOpen() const;
    // Whether the byte offset of the current record fits in off_t.
    bool offsetFits() const;

    // Flushes the folder that holds the file, so that a new or removed entry survives a
    // power cut.
    void syncFolder() const;

    int fd_ = -1;
    QString path_;
    int recordSize_ = 0;
    std::int64_t position_ = 0; // in records
    Access access_ = Access::ReadWrite;
    bool locked_ = false;
};
