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
    }
    void create(const QString& path, int recordSize) override {
        step();
        real_.create(path, recordSize);
    }
    void seek(std::int64_t record) override {
        step();
        real_.seek(record);
    }
    std::int64_t recordCount() override {
        step();
        return real_.recordCount();
    }
    void read(void* record) override {
        step();
        real_.read(record);
    }
    void write(const void* record) override {
        step();
        real_.write(record);
    }
    void close() override {
        step();
        real_.close();
    }
    bool isOpen() const override { return real_.isOpen(); }

private:
    void step() {
        if (++plan_->calls == plan_->failAt)
            throw AppError(plan_->code);
    }

    std::shared_ptr<FaultyRecordFileFactory::Plan> plan_;
    PosixRecordFile real_;
};

} // namespace

std::unique_ptr<RecordFile> FaultyRecordFileFactory::make() {
    return std::make_unique<FaultyRecordFile>(plan_);
}
