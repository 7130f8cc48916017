#pragma once
// Record files that fail on demand, for tests.

#include "platform/core/PosixRecordFile.h"
#include "platform/core/RecordFile.h"

#include <QList>
#include <functional>
#include <memory>

// Record files that fail on demand: every call on any file made by the
// factory is counted (from 1), and call number `failAt` throws `code`
// instead of reaching the disk. With failAt 0 nothing fails. Call number
// `killAt` kills the process instead (SIGKILL), for tests that look at what a
// killed program leaves behind.
class FaultyRecordFileFactory : public RecordFileFactory {
public:
    struct Plan {
        int failAt = 0;
        int killAt = 0;
        int code = 0;
        int calls = 0;
        QList<RecordFile::Access> opens; // the access asked for by each open
        std::function<void()> afterCall; // runs after each call that reached the disk
    };

    std::unique_ptr<RecordFile> make() override;

    void failCall(int n, int code) {
        plan_->failAt = plan_->calls + n;
        plan_->code = code;
    }
    void killAtCall(int n) { plan_->killAt = plan_->calls + n; }
    int calls() const { return plan_->calls; }
    // `observer` runs after every call that reached the disk, whether it succeeded there or
    // not (a test takes snapshots of the files).
    void afterEachCall(std::function<void()> observer) { plan_->afterCall = std::move(observer); }
    const QList<RecordFile::Access>& opens() const { return plan_->opens; }

private:
    std::shared_ptr<Plan> plan_ = std::make_shared<Plan>();
};
