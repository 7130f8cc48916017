#include "tests/support/FaultyRecordFile.h"

#include "platform/core/AppError.h"

#include <csignal>

namespace {

class FaultyRecordFile : public RecordFile {
public:
    explicit FaultyRecordFile(std::shared_ptr<FaultyRecordFileFactory::Plan> plan)
        : plan_(std::move(plan)) {}

    void open(const QString& path, int recordSize, Access access) override {
        step();
        const Observed observed(*plan_);
        plan_->opens.append(access);
        real_.open(path, recordSize, access);
    }
    void create(const QString& path, int recordSize) override {
        step();
        const Observed observed(*plan_);
        real_.create(path, recordSize);
    }
    void seek(std::int64_t record) override {
        step();
        const Observed observed(*plan_);
        real_.seek(record);
    }
    std::int64_t recordCount() override {
        step();
        const Observed observed(*plan_);
        const std::int64_t count = real_.recordCount();
        return count;
    }
    void read(void* record) override {
        step();
        const Observed observed(*plan_);
        real_.read(record);
    }
    std::int64_t readRecords(void* out, std::int64_t records) override {
        step();
        const Observed observed(*plan_);
        const std::int64_t read = real_.readRecords(out, records);
        return read;
    }
    int readUpTo(void* record) override {
        step();
        const Observed observed(*plan_);
        const int read = real_.readUpTo(record);
        return read;
    }
    bool replacedOnDisk() override { return real_.replacedOnDisk(); }
    void write(const void* record) override {
        step();
        const Observed observed(*plan_);
        real_.write(record);
    }
    std::int64_t byteSize() override {
        step();
        const Observed observed(*plan_);
        const std::int64_t size = real_.byteSize();
        return size;
    }
    void truncate(std::int64_t bytes) override {
        step();
        const Observed observed(*plan_);
        real_.truncate(bytes);
    }
    void close() override {
        step();
        const Observed observed(*plan_);
        real_.close();
    }
    void remove() override {
        step();
        const Observed observed(*plan_);
        real_.remove();
    }
    // Cleaning up after a failure and the advisory lock are no steps that can fail: they are
    // passed on and not counted.
    void release(bool removeFile) noexcept override { real_.release(removeFile); }
    bool isOpen() const override { return real_.isOpen(); }
    bool lock(Lock kind) override { return real_.lock(kind); }
    void unlock() override { real_.unlock(); }

private:
    void step() {
        ++plan_->calls;
        if (plan_->calls == plan_->killAt)
            ::raise(SIGKILL);
        if (plan_->calls == plan_->failAt)
            throw AppError(plan_->code);
    }
    // Runs the observer when the call that reached the disk ends, whether it succeeded or
    // failed there (a look for a file that is not there fails on the disk too).
    struct Observed {
        FaultyRecordFileFactory::Plan& plan;
        ~Observed() {
            if (plan.afterCall)
                plan.afterCall();
        }
    };

    std::shared_ptr<FaultyRecordFileFactory::Plan> plan_;
    PosixRecordFile real_;
};

} // namespace

std::unique_ptr<RecordFile> FaultyRecordFileFactory::make() {
    return std::make_unique<FaultyRecordFile>(plan_);
}
