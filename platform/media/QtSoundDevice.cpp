#include "platform/media/QtSoundDevice.h"

#include "platform/core/Adpcm.h"
#include "platform/core/AppError.h"
#include "platform/core/MediaFile.h"
#include "platform/core/WavHeader.h"

#include <QAudioOutput>
#include <QFileInfo>
#include <QMediaDevices>
#include <QUrl>
#include <optional>

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

// What the back end is given in place of the file at `path`, of `format`, when it would not
// play the file itself: the PCM the kit decodes from ADPCM, or the file without the few bytes
// after its "data" chunk (a pad byte after an odd length, as RIFF wants), which GStreamer's
// WAV parser takes for a cut chunk header and then plays nothing. Nothing when the file
// plays as it is; an empty array when it cannot be read.
std::optional<QByteArray> replacement(const QString& path, const WavHeader::Format& format) {
    if (Adpcm::decodes(format))
        return Adpcm::fileToPcmWav(path, format);
    const MediaFile file(path);
    const qint64 size = format.dataOffset + format.dataSize;
    const qint64 after = file.size() - size;
    if (file.isOpen() && (after <= 0 || after >= 8))
        return std::nullopt;
    const std::optional<QByteArray> bytes = file.read(0, size);
    return bytes && bytes->size() == size ? *bytes : QByteArray();
}

} // namespace

QtSoundDevice::QtSoundDevice(QObject* parent, FileCheck check)
    : SoundDevice(parent), check_(std::move(check)) {}

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
        setSource(file);
        hasFile_ = true;
        ++opened_;
    }
    atEnd_ = false;
    setState(State::Stopped);
}

// Hands the back end the file, or what replaces it. Throws the device's error for a file
// that has gone or cannot be read since it was checked.
void QtSoundDevice::setSource(const QString& file) {
    // A file that has since grown past the limit, or been replaced by a pipe or a device, is
    // never handed over: the back end would read it to its end, or wait on it for ever.
    if (const MediaFile media(file); !media.isOpen())
        throw AppError(AppError::Other, media.status() == MediaFile::Status::TooLarge
                                            ? MediaFile::tooLargeText(file)
                                            : FileNotFoundText);
    const auto format = WavHeader::readFile(file);
    if (auto bytes = format ? replacement(file, *format) : std::nullopt) {
        if (bytes->isEmpty())
            throw AppError(AppError::Other, CannotPlayFileText);
        replacement_ = std::move(*bytes);
        replacementBuffer_.setBuffer(&replacement_);
        if (!replacementBuffer_.open(QIODevice::ReadOnly))
            throw AppError(AppError::Other, CannotPlayFileText);
        // The name tells the back end what the bytes are.
        player_->setSourceDevice(&replacementBuffer_, QUrl(QStringLiteral("sound.wav")));
        return;
    }
    player_->setSource(QUrl::fromLocalFile(QFileInfo(file).absoluteFilePath()));
}

// Every reason for refusing a file that can be known before the back end
// sees it, checked here so that the error comes at once and only once.
void QtSoundDevice::checkCanOpen(const QString& file, const QString& deviceType) const {
    // Without a device type the file name's extension chooses the device.
    if (!deviceType.isEmpty() && deviceType.compare(WaveAudio, Qt::CaseInsensitive) != 0)
        throw AppError(AppError::Other, UnknownDeviceText);
    if (const WavHeader::Refusal refused = check_(file, deviceType.isEmpty());
        refused != WavHeader::Refusal::None)
        throw AppError(AppError::Other, WavHeader::refusalText(refused, file));
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
        replacementBuffer_.close();
        replacement_.clear();
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
    if (status == QMediaPlayer::InvalidMedia && hasFile_) {
        // The back end cannot decode the file: no sample will ever play. It is closed once
        // the back end has returned from its signal, as a failed open would have left it.
        QMetaObject::invokeMethod(
            this,
            [this, file = opened_] {
                if (hasFile_ && opened_ == file)
                    close();
            },
            Qt::QueuedConnection);
        return;
    }
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
