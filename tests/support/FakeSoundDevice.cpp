#include "tests/support/FakeSoundDevice.h"

#include "platform/core/AppError.h"

#include <utility>

FakeSoundDevice::FakeSoundDevice(std::shared_ptr<FakeSoundLog> log) : log_(std::move(log)) {
    log_->device = this;
}

SoundDeviceFactory FakeSoundDevice::factory(std::shared_ptr<FakeSoundLog> log) {
    return [log] { return std::make_unique<FakeSoundDevice>(log); };
}

void FakeSoundDevice::open(const QString& file, const QString& deviceType) {
    log_->calls << QStringLiteral("open(%1, %2)").arg(file, deviceType);
    setState(State::Closed);
    if (!log_->refuseNextOpen.isEmpty()) {
        const QString text = std::exchange(log_->refuseNextOpen, QString());
        throw AppError(AppError::Other, text);
    }
    if (!log_->refuseEveryOpen.isEmpty() && !file.isEmpty())
        throw AppError(AppError::Other, log_->refuseEveryOpen);
    file_ = file;
    deviceType_ = deviceType;
    position_ = Position::Start;
    setState(State::Stopped);
}

void FakeSoundDevice::close() {
    log_->calls << QStringLiteral("close");
    setState(State::Closed);
}

void FakeSoundDevice::play() {
    log_->calls << QStringLiteral("play");
    if (state_ != State::Stopped || file_.isEmpty())
        return;
    position_ = Position::Inside;
    setState(State::Playing);
}

void FakeSoundDevice::stop() {
    log_->calls << QStringLiteral("stop");
    if (state_ == State::Playing)
        setState(State::Stopped);
}

void FakeSoundDevice::rewind() {
    log_->calls << QStringLiteral("rewind");
    if (state_ == State::Closed)
        return;
    position_ = Position::Start;
    setState(State::Stopped);
}

void FakeSoundDevice::finishPlayback() {
    if (state_ != State::Playing)
        return;
    position_ = Position::End;
    setState(State::Stopped);
}

void FakeSoundDevice::setState(State state) {
    if (state_ == state)
        return;
    state_ = state;
    emit stateChanged();
}
