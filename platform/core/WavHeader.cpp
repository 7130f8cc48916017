#include "WavHeader.h"

#include <QByteArray>
#include <QFile>
#include <QFileInfo>
#include <QtEndian>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace WavHeader {
namespace {

enum FormatTag : quint16 { Pcm = 1, IeeeFloat = 3, Extensible = 0xFFFE };

// Real files have a handful of chunks before "data"; a file of millions of empty chunks is
// refused rather than walked.
constexpr int MaxChunks = 4096;

quint16 u16(const QByteArray& bytes, int offset) {
    return qFromLittleEndian<quint16>(bytes.constData() + offset);
}

quint32 u32(const QByteArray& bytes, int offset) {
    return qFromLittleEndian<quint32>(bytes.constData() + offset);
}

bool sampleFormatOk(quint16 tag, quint16 bits) {
    if (tag == Pcm)
        return bits == 8 || bits == 16 || bits == 24 || bits == 32;
    if (tag == IeeeFloat)
        return bits == 32 || bits == 64;
    return false;
}

// The body of a "fmt " chunk: channels, rate and block size must make sense,
// and the samples must be of a kind the back end decodes without a codec.
bool formatOk(const QByteArray& fmt) {
    if (fmt.size() < 16)
        return false;
    quint16 tag = u16(fmt, 0);
    const quint16 channels = u16(fmt, 2);
    const quint32 rate = u32(fmt, 4);
    const quint16 blockAlign = u16(fmt, 12);
    const quint16 bits = u16(fmt, 14);
    if (tag == Extensible) {
        // The real tag is the first two bytes of the sub-format GUID.
        if (fmt.size() < 40)
            return false;
        tag = u16(fmt, 24);
    }
    return channels > 0 && rate > 0 && blockAlign > 0 && sampleFormatOk(tag, bits);
}

} // namespace

bool isPlayable(QIODevice& device) {
    const QByteArray riff = device.read(12);
    if (riff.size() < 12 || !riff.startsWith("RIFF") || riff.mid(8, 4) != "WAVE")
        return false;
    bool haveFormat = false;
    for (int chunks = 0; chunks < MaxChunks; ++chunks) {
        const QByteArray chunk = device.read(8);
        if (chunk.size() < 8)
            return false;
        const QByteArray id = chunk.left(4);
        const quint32 size = u32(chunk, 4);
        if (id == "data")
            return haveFormat;
        if (id == "fmt ") {
            if (haveFormat || size < 16 || size > 1024)
                return false;
            const QByteArray fmt = device.read(size);
            if (fmt.size() < static_cast<int>(size) || !formatOk(fmt))
                return false;
            haveFormat = true;
            if (size % 2 != 0 && !device.skip(1))
                return false;
            continue;
        }
        // Chunks are padded to an even length; a chunk past the end is a cut file.
        const qint64 next = device.pos() + size + (size % 2);
        if (next > device.size() || !device.seek(next))
            return false;
    }
    return false;
}

bool isPlayableFile(const QString& path) {
    // Opened without waiting on a pipe, and read only when it is a regular file: the sound
    // back end would wait on a pipe for ever, and read a device without end.
    int fd;
    do {
        fd = ::open(QFile::encodeName(path).constData(),
                    O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0)
        return false;
    struct stat st {};
    QFile file;
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) ||
        !file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return false;
    }
    return isPlayable(file);
}

Refusal refusal(const QString& path, bool chosenByName) {
    if (chosenByName &&
        QFileInfo(path).suffix().compare(QStringLiteral("wav"), Qt::CaseInsensitive) != 0)
        return Refusal::NotWavName;
    if (!QFileInfo(path).isFile())
        return Refusal::NotAFile;
    return isPlayableFile(path) ? Refusal::None : Refusal::NotPlayable;
}

QString refusalText(Refusal refusal) {
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
    case Refusal::None:
        break;
    }
    return {};
}

} // namespace WavHeader
