#pragma once
// A sound device that plays nothing, for tests.

#include "platform/core/SoundDevice.h"

#include <QPointer>
#include <QString>
#include <QStringList>
#include <memory>

class FakeSoundDevice;

// What the fake sound devices of one test did, shared between the test and
// the devices that a window owns, so that the test can watch them throughout.
struct FakeSoundLog {
    // One entry a call, in order: "open(<file>, <type>)", "close", "play",
    // "stop", "rewind".
    QStringList calls;
    // When not empty, the next open fails with this error text (once).
    QString refuseNextOpen;
    // When not empty, every open on a file fails with this error text, as on a machine without
    // a sound server; an open without a file still succeeds, as it does there.
    QString refuseEveryOpen;
    // The device made last, or null when it is gone.
    QPointer<FakeSoundDevice> device;
};

// A sound device that plays nothing. The sound has a start, an inside and an
// end: playing leaves the start, the test ends the playback (`finishPlayback`),
// stop keeps the position, rewind goes back to the start. As the real device,
// it plays nothing when opened without a file, and it emits stateChanged on
// every change of state.
class FakeSoundDevice : public SoundDevice {
    Q_OBJECT

public:
    enum class Position { Start, Inside, End };

    explicit FakeSoundDevice(std::shared_ptr<FakeSoundLog> log = std::make_shared<FakeSoundLog>());

    // A factory whose devices all write to `log`.
    static SoundDeviceFactory factory(std::shared_ptr<FakeSoundLog> log);

    void open(const QString& file, const QString& deviceType) override;
    void close() override;
    void play() override;
    void stop() override;
    void rewind() override;
    State state() const override { return state_; }

    // The sound reached its end while playing: back to Stopped, at the end.
    void finishPlayback();

    const FakeSoundLog& log() const { return *log_; }
    FakeSoundLog& log() { return *log_; }
    const QString& file() const { return file_; }
    const QString& deviceType() const { return deviceType_; }
    Position position() const { return position_; }

private:
    void setState(State state);

    std::shared_ptr<FakeSoundLog> log_;
    QString file_;
    QString deviceType_;
    Position position_ = Position::Start;
    State state_ = State::Closed;
};
