#pragma once
// The sound device on Qt Multimedia.

#include "core/SoundDevice.h"

#include <QAudioDevice> // complete for the moc of QMediaPlayer's signals
#include <QMediaPlayer>
#include <QString>

class QAudioOutput;

// The sound device on Qt Multimedia. Our own state is the one reported: Qt's
// stop() rewinds, so stop pauses, and the end of the sound or an error while
// playing returns the device to Stopped.
class QtSoundDevice : public SoundDevice {
    Q_OBJECT

public:
    // The device's error texts, worded as the platform's media control words them.
    static const QString NoDriverText;
    static const QString FileNotFoundText;
    static const QString CannotPlayFileText;
    static const QString UnknownExtensionText;
    static const QString UnknownDeviceText;

    explicit QtSoundDevice(QObject* parent = nullptr);
    ~QtSoundDevice() override;

    void open(const QString& file, const QString& deviceType) override;
    void close() override;
    void play() override;
    void stop() override;
    void rewind() override;
    State state() const override { return state_; }
    // Where playback stands, in milliseconds from the start (0 without a file).
    qint64 position() const { return hasFile_ ? player_->position() : 0; }

private:
    void checkCanOpen(const QString& file, const QString& deviceType) const;
    void ensurePlayer();
    void setState(State state);
    void onMediaStatusChanged(QMediaPlayer::MediaStatus status);
    void onPlaybackStateChanged(QMediaPlayer::PlaybackState playbackState);

    QMediaPlayer* player_ = nullptr;
    QAudioOutput* output_ = nullptr;
    bool hasFile_ = false;
    bool atEnd_ = false;
    State state_ = State::Closed;
};

// The real device: Qt Multimedia playing through the default audio output.
std::unique_ptr<SoundDevice> makeQtSoundDevice();
