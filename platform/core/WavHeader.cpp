#include "platform/core/WavHeader.h"

#include "platform/core/MediaFile.h"

#include <QByteArray>
#include <QFile>
#include <QFileInfo>
#include <QtEndian>

namespace WavHeader {
namespace {

// Real files have a handful of chunks before "data"; a file of millions of empty chunks is
// refused rather than walked.
constexpr int MaxChunks = 4096;

quint16 u16(const QByteArray& bytes, int offset) {
    return qFromLittleEndian<quint16>(bytes.constData() + offset);
}

quint32 u32(const QByteArray& bytes, int offset) {
    return qFromLittleEndian<quint32>(bytes.constData() + offset);
}

// Whether the samples are of an encoding played, within what its decoder takes: GStreamer's
// A-law and µ-law decoders take one or two channels at 8 to 192 kHz, its GSM decoder mono
// blocks of 65 bytes; ADPCM, which the kit decodes itself, comes in blocks that hold at least
// their headers, of one or two channels as Windows wrote it.
bool encodingOk(const Format& f) {
    switch (f.tag) {
    case Pcm:
        return f.bits == 8 || f.bits == 16 || f.bits == 24 || f.bits == 32;
    case IeeeFloat:
        return f.bits == 32 || f.bits == 64;
    case ALaw:
    case MuLaw:
        return f.bits == 8 && f.channels <= 2 && f.rate >= 8000 && f.rate <= 192000;
    case MsAdpcm:
        return f.bits == 4 && f.channels <= 2 && f.blockAlign >= 7 * f.channels;
    case ImaAdpcm:
        return f.bits == 4 && f.channels <= 2 && f.blockAlign >= 4 * f.channels;
    case Gsm610:
        return f.channels == 1 && f.blockAlign == 65;
    default:
        return false;
    }
}

// The body of a "fmt " chunk: channels, rate and block size must make sense, and the samples
// must be of an encoding played.
std::optional<Format> parseFormat(const QByteArray& fmt) {
    if (fmt.size() < 16)
        return std::nullopt;
    Format f;
    f.tag = u16(fmt, 0);
    f.channels = u16(fmt, 2);
    f.rate = u32(fmt, 4);
    f.blockAlign = u16(fmt, 12);
    f.bits = u16(fmt, 14);
    f.extra = fmt.mid(16);
    if (f.tag == Extensible) {
        // The real tag is the first two bytes of the sub-format GUID. What follows the
        // samples field is the channel mask and the GUID, which no decoder reads as its own.
        if (fmt.size() < 40)
            return std::nullopt;
        f.tag = u16(fmt, 24);
        f.extra.truncate(4);
    }
    if (f.channels == 0 || f.rate == 0 || f.blockAlign == 0 || !encodingOk(f))
        return std::nullopt;
    return f;
}

} // namespace

std::optional<Format> read(QIODevice& device) {
    const QByteArray riff = device.read(12);
    if (riff.size() < 12 || !riff.startsWith("RIFF") || riff.mid(8, 4) != "WAVE")
        return std::nullopt;
    std::optional<Format> format;
    std::optional<quint32> factCount;
    for (int chunks = 0; chunks < MaxChunks; ++chunks) {
        const QByteArray chunk = device.read(8);
        if (chunk.size() < 8)
            return std::nullopt;
        const QByteArray id = chunk.left(4);
        const quint32 size = u32(chunk, 4);
        if (id == "data") {
            if (format) {
                format->factCount = factCount;
                format->dataOffset = device.pos();
                format->dataSize = size;
            }
            return format;
        }
        if (id == "fmt ") {
            if (format || size < 16 || size > 1024)
                return std::nullopt;
            const QByteArray fmt = device.read(size);
            if (fmt.size() < static_cast<int>(size) || !(format = parseFormat(fmt)))
                return std::nullopt;
            if (size % 2 != 0 && !device.skip(1))
                return std::nullopt;
            continue;
        }
        if (id == "fact" && size >= 4) {
            const QByteArray count = device.peek(4);
            if (count.size() == 4)
                factCount = u32(count, 0);
        }
        // Chunks are padded to an even length; a chunk past the end is a cut file.
        const qint64 next = device.pos() + size + (size % 2);
        if (next > device.size() || !device.seek(next))
            return std::nullopt;
    }
    return std::nullopt;
}

bool isPlayable(QIODevice& device) {
    return read(device).has_value();
}

namespace {

// The headers of an open media file, read through its own descriptor.
std::optional<Format> readOpen(const MediaFile& media) {
    QFile file;
    if (!file.open(media.handle(), QIODevice::ReadOnly, QFileDevice::DontCloseHandle))
        return std::nullopt;
    return read(file);
}

} // namespace

std::optional<Format> readFile(const QString& path) {
    // Read only when it is a regular file within the media limit: the sound back end would wait
    // on a pipe for ever, and read a device without end.
    const MediaFile media(path);
    return media.isOpen() ? readOpen(media) : std::nullopt;
}

bool isPlayableFile(const QString& path) {
    return readFile(path).has_value();
}

Refusal refusal(const QString& path, bool chosenByName) {
    if (chosenByName &&
        QFileInfo(path).suffix().compare(QStringLiteral("wav"), Qt::CaseInsensitive) != 0)
        return Refusal::NotWavName;
    if (!QFileInfo(path).isFile())
        return Refusal::NotAFile;
    const MediaFile media(path);
    switch (media.status()) {
    case MediaFile::Status::TooLarge:
        return Refusal::TooLarge;
    case MediaFile::Status::NotRegular:
        return Refusal::NotAFile;
    case MediaFile::Status::CannotOpen:
        return Refusal::NotPlayable;
    case MediaFile::Status::Open:
        break;
    }
    return readOpen(media) ? Refusal::None : Refusal::NotPlayable;
}

QString refusalText(Refusal refusal, const QString& path) {
    switch (refusal) {
    case Refusal::NotWavName:
        return QStringLiteral(
            "Cannot determine the device type from the given filename extension.");
    case Refusal::NotAFile:
        return QStringLiteral(
            "The specified file was not found. Make sure the path and filename are correct.");
    case Refusal::NotPlayable:
        return QStringLiteral(
            "The specified file cannot be played on the specified MCI device. The file may be "
            "corrupt, not in the correct format, or no file handler available for this format.");
    case Refusal::TooLarge:
        return MediaFile::tooLargeText(path);
    case Refusal::None:
        break;
    }
    return {};
}

} // namespace WavHeader
