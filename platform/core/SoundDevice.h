#pragma once
// The interface of the platform's sound device.

#include <QObject>
#include <QString>
#include <functional>
#include <memory>

// The platform's sound device, bound to one file at a time. Tests use a fake.
class SoundDevice : public QObject {
    Q_OBJECT

public:
    enum class State { Closed, Stopped, Playing };

    using QObject::QObject;

    // Opens the device on `file` (a WAV file; empty: the device without a file).
    // `deviceType` is "WaveAudio" in the editor, empty in the player (chosen
    // from the file name). Throws AppError(AppError::Other, <device's error
    // text>) when the device cannot be opened; the device is then closed.
    virtual void open(const QString& file, const QString& deviceType) = 0;
    // Closes the device, stopping any playback. Nothing happens when closed.
    virtual void close() = 0;
    // Starts playing from the current position without waiting; at the end of
    // the sound it rewinds first. Failures are not reported.
    virtual void play() = 0;
    // Stops playing and keeps the position.
    virtual void stop() = 0;
    // Moves to the start of the sound, stopping playback.
    virtual void rewind() = 0;

    virtual State state() const = 0;

signals:
    // Every change of state, the end of playback included, and the device closing itself
    // when the file it opened turns out to be one it cannot decode.
    void stateChanged();
};

using SoundDeviceFactory = std::function<std::unique_ptr<SoundDevice>()>;
