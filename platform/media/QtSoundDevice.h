#pragma once
// The sound device on Qt Multimedia.

#include "platform/core/SoundDevice.h"
#include "platform/core/WavHeader.h"

#include <QAudioDevice> // complete for the moc of QMediaPlayer's signals
#include <QBuffer>
#include <QByteArray>
#include <QMediaPlayer>
#include <QString>
#include <functional>

class QAudioOutput;

// The sound device on Qt Multimedia. Our own state is the one reported: Qt's
// stop() rewinds, so stop pauses, and the end of the sound or an error while
// playing returns the device to Stopped. A file that the back end finds it
// cannot decode after all (no decoder for its encoding, damaged samples)
// closes the device, so that its buttons show that nothing can play.
// A few files are handed to the back end as bytes in memory (see setSource).
class QtSoundDevice : public SoundDevice {
    Q_OBJECT

public:
    // The device's error texts, worded as the platform's media control words them.
    static const QString NoDriverText;
    static const QString FileNotFoundText;
    static const QString CannotPlayFileText;
    static const QString UnknownExtensionText;
    static const QString UnknownDeviceText;

    // The check of a file before the back end sees it: WavHeader::refusal, or in tests one
    // that lets through a file no decoder takes.
    using FileCheck = std::function<WavHeader::Refusal(const QString& path, bool chosenByName)>;

    explicit QtSoundDevice(QObject* parent = nullptr, FileCheck check = WavHeader::refusal);
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
    void setSource(const QString& file);
    void setState(State state);
    void onMediaStatusChanged(QMediaPlayer::MediaStatus status);
    void onPlaybackStateChanged(QMediaPlayer::PlaybackState playbackState);

    FileCheck check_;
    QMediaPlayer* player_ = nullptr;
    QAudioOutput* output_ = nullptr;
    // What the back end reads in place of a file it would not play as it is (see setSource).
    QByteArray replacement_;
    QBuffer replacementBuffer_;
    bool hasFile_ = false;
    // Counts the files opened, so that a close that waited for the back end's signal to
    // return closes the file it was meant for and no later one.
    quint64 opened_ = 0;
    bool atEnd_ = false;
    State state_ = State::Closed;
};

// The real device: Qt Multimedia playing through the default audio output.
std::unique_ptr<SoundDevice> makeQtSoundDevice();
