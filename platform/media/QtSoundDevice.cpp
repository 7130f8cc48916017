#include "QtSoundDevice.h"

#include "core/AppError.h"
#include "core/WavHeader.h"

#include <QAudioOutput>
#include <QFileInfo>
#include <QMediaDevices>
#include <QUrl>

const QString QtSoundDevice::NoDriverText =
    QStringLiteral("There is no driver installed on your system.");
const QString QtSoundDevice::FileNotFoundText =
    WavHeader::refusalText(WavHeader::Refusal::NotAFile);
const QString QtSoundDevice::CannotPlayFileText =
    WavHeader::refusalText(WavHeader::Refusal::NotPlayable);
const QString QtSoundDevice::UnknownExtensionText =
    WavHeader::refusalText(WavHeader::Refusal::NotWavName);
const QString QtSoundDevice::UnknownDeviceText =
    QStringLiteral("The specified device is not open or is not recognized by MCI.");

namespace {
const QString WaveAudio = QStringLiteral("WaveAudio");
}

QtSoundDevice::QtSoundDevice(QObject* parent) : SoundDevice(parent) {}

QtSoundDevice::~QtSoundDevice() {
    // Quietly: the owner is going away and must not hear of it.
    blockSignals(true);
    close();
}

void QtSoundDevice::open(const QString& file, const QString& deviceType) {
    close();
    if (!file.isEmpty()) {
        checkCanOpen(file, deviceType);
        ensurePlayer();
        player_->setSource(QUrl::fromLocalFile(QFileInfo(file).absoluteFilePath()));
        hasFile_ = true;
    }
    atEnd_ = false;
    setState(State::Stopped);
}

// Every reason for refusing a file that can be known before the back end
// sees it, checked here so that the error comes at once and only once.
void QtSoundDevice::checkCanOpen(const QString& file, const QString& deviceType) const {
    // Without a device type the file name's extension chooses the device.
    if (!deviceType.isEmpty() && deviceType.compare(WaveAudio, Qt::CaseInsensitive) != 0)
        throw AppError(AppError::Other, UnknownDeviceText);
    if (const WavHeader::Refusal refused = WavHeader::refusal(file, deviceType.isEmpty());
        refused != WavHeader::Refusal::None)
        throw AppError(AppError::Other, WavHeader::refusalText(refused));
    if (QMediaDevices::audioOutputs().isEmpty())
        throw AppError(AppError::Other, NoDriverText);
}

void QtSoundDevice::ensurePlayer() {
    if (player_)
        return;
    player_ = new QMediaPlayer(this);
    output_ = new QAudioOutput(player_);
    player_->setAudioOutput(output_);
    connect(player_, &QMediaPlayer::mediaStatusChanged, this, &QtSoundDevice::onMediaStatusChanged);
    connect(player_, &QMediaPlayer::playbackStateChanged, this,
            &QtSoundDevice::onPlaybackStateChanged);
    // A failure while playing is not reported: the device just stops.
    connect(player_, &QMediaPlayer::errorOccurred, this, [this] {
        if (state_ == State::Playing)
            setState(State::Stopped);
    });
}

void QtSoundDevice::close() {
    if (state_ == State::Closed)
        return;
    if (hasFile_) {
        player_->stop();
        player_->setSource(QUrl());
        hasFile_ = false;
    }
    setState(State::Closed);
}

void QtSoundDevice::play() {
    // Without a file there is nothing to play, and that is not reported.
    if (state_ != State::Stopped || !hasFile_)
        return;
    if (atEnd_ || (player_->duration() > 0 && player_->position() >= player_->duration()))
        player_->setPosition(0);
    atEnd_ = false;
    setState(State::Playing);
    player_->play();
}

void QtSoundDevice::stop() {
    if (state_ != State::Playing)
        return;
    player_->pause();
    setState(State::Stopped);
}

void QtSoundDevice::rewind() {
    if (state_ == State::Closed || !hasFile_)
        return;
    if (player_->playbackState() == QMediaPlayer::PlayingState)
        player_->pause();
    player_->setPosition(0);
    atEnd_ = false;
    setState(State::Stopped);
}

void QtSoundDevice::setState(State state) {
    if (state_ == state)
        return;
    state_ = state;
    emit stateChanged();
}

void QtSoundDevice::onMediaStatusChanged(QMediaPlayer::MediaStatus status) {
    if (status != QMediaPlayer::EndOfMedia || state_ == State::Closed)
        return;
    atEnd_ = true;
    setState(State::Stopped);
}

void QtSoundDevice::onPlaybackStateChanged(QMediaPlayer::PlaybackState playbackState) {
    // The back end stopping on its own (end of the sound, a lost stream).
    if (playbackState == QMediaPlayer::StoppedState && state_ == State::Playing)
        setState(State::Stopped);
}

std::unique_ptr<SoundDevice> makeQtSoundDevice() {
    return std::make_unique<QtSoundDevice>();
}
