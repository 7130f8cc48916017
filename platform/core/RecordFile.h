#pragma once
// A file of fixed-size records, and the factory that makes them.

#include <QString>
#include <cstdint>
#include <memory>

// A file of fixed-size records, as the scenario files are. Every call either
// succeeds or throws AppError with the operating system's error mapped onto
// the scenario files' codes; a call on a file that is not open throws 103.
class RecordFile {
public:
    enum class Access { ReadWrite, ReadOnly };

    virtual ~RecordFile() = default;

    // Opens an existing file; others may still read and write it.
    virtual void open(const QString& path, int recordSize, Access access) = 0;
    // Creates a new, empty file for reading and writing; anything already at the path (a
    // file, a folder, a link, a dangling one too) is refused and nothing is created. Its
    // entry in the folder has reached the device when this returns.
    virtual void create(const QString& path, int recordSize) = 0;
    // Moves to record `record`; a negative number throws 131. A position
    // past the end is allowed; reading there fails.
    virtual void seek(std::int64_t record) = 0;
    // Records in the file, a trailing part of a record counting as one.
    virtual std::int64_t recordCount() = 0;
    // Reads one whole record at the position and moves past it; a record
    // that is missing or only partly there throws 100.
    virtual void read(void* record) = 0;
    // Reads up to `records` whole records from the position into `out` and moves past them;
    // returns how many were read. It stops early, without throwing, where the file ends or a
    // read fails, so that read() on the next record tells what stopped it. This default reads
    // nothing and leaves every record to read().
    virtual std::int64_t readRecords(void* /*out*/, std::int64_t /*records*/) { return 0; }
    // Reads what the file holds of the record at the position: the whole record, the part of
    // it before the end of the file, or nothing past the end. Returns the bytes read and moves
    // past the record.
    virtual int readUpTo(void* record) = 0;
    // Writes one whole record at the position and moves past it. The bytes
    // have reached the device when this returns.
    virtual void write(const void* record) = 0;
    // The file's length in bytes.
    virtual std::int64_t byteSize() = 0;
    // Cuts (or extends with zero bytes) the file to `bytes`; the new length has reached the
    // device when this returns.
    virtual void truncate(std::int64_t bytes) = 0;
    virtual void close() = 0;
    // Closes the file and removes it from its folder; the removal has reached the device
    // when this returns.
    virtual void remove() = 0;
    // Cleaning up after a failure: closes the file if it is open, and with `removeFile` also
    // removes it, reporting nothing. It is no step of an action and never fails one.
    virtual void release(bool removeFile) noexcept = 0;
    virtual bool isOpen() const = 0;
    // True when the path the file was opened at no longer names the open file (another
    // program renamed a new file over it, or removed it). A file that is not open: false.
    virtual bool replacedOnDisk() { return false; }

    // An advisory lock on the whole file for a step of a few calls, against other programs
    // that take it too: shared for reading, exclusive for writing. False when another program
    // held it for the whole wait; the waits of one user action together stay within one
    // budget (LockWait.h). A file system without locks counts as locked. Closing the file
    // lets it go.
    enum class Lock { Shared, Exclusive };
    virtual bool lock(Lock kind) {
        (void)kind;
        return true;
    }
    virtual void unlock() {}
};

// Makes record files: the real ones, or in tests ones that fail on demand.
class RecordFileFactory {
public:
    virtual ~RecordFileFactory() = default;
    virtual std::unique_ptr<RecordFile> make() = 0;
};

// The operating system's record files.
class PosixRecordFileFactory : public RecordFileFactory {
public:
    std::unique_ptr<RecordFile> make() override;
};
