#include "FaultyRecordFile.h"

#include "AppError.h"

namespace {

class FaultyRecordFile : public RecordFile {
public:
    explicit FaultyRecordFile(std::shared_ptr<FaultyRecordFileFactory::Plan> plan)
        : plan_(std::move(plan)) {}

    void open(const QString& path, int recordSize, Access access) override {
        step();
        plan_->opens.append(access);
        real_.open(path, recordSize, access);
        done();
    }
    void create(const QString& path, int recordSize) override {
        step();
        real_.create(path, recordSize);
        done();
    }
    void seek(std::int64_t record) override {
        step();
        real_.seek(record);
        done();
    }
    std::int64_t recordCount() override {
        step();
        const std::int64_t count = real_.recordCount();
        done();
        return count;
    }
    void read(void* record) override {
        step();
        real_.read(record);
        done();
    }
    std::int64_t readRecords(void* out, std::int64_t records) override {
        step();
        const std::int64_t read = real_.readRecords(out, records);
        done();
        return read;
    }
    void write(const void* record) override {
        step();
        real_.write(record);
        done();
    }
    void close() override {
        step();
        real_.close();
        done();
    }
    bool isOpen() const override { return real_.isOpen(); }
    // The advisory lock is no step that can fail: it is passed on and not counted.
    void lock(Lock kind) override { real_.lock(kind); }
    void unlock() override { real_.unlock(); }

private:
    void step() {
        if (++plan_->calls == plan_->failAt)
            throw AppError(plan_->code);
    }
    void done() {
        if (plan_->afterCall)
            plan_->afterCall();
    }

    std::shared_ptr<FaultyRecordFileFactory::Plan> plan_;
    PosixRecordFile real_;
};

} // namespace

std::unique_ptr<RecordFile> FaultyRecordFileFactory::make() {
    return std::make_unique<FaultyRecordFile>(plan_);
}
