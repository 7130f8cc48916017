#pragma once
// The check of a WAV file's headers before it is played.

#include <QByteArray>
#include <QString>
#include <optional>

class QIODevice;

// A look at a WAV file's headers before the sound device is given the file,
// so that a file it cannot play is refused at once instead of failing later
// inside the media back end.
namespace WavHeader {

// The format tags of the encodings played: the PCM and floating-point samples that need no
// codec, and the codecs of the Windows 3.1 and 95 era: A-law, µ-law and GSM 6.10, which
// GStreamer decodes with the plug-ins the kit's set-up installs, and Microsoft and IMA ADPCM,
// which the kit decodes itself (Adpcm.h).
enum FormatTag : quint16 {
    Pcm = 1,
    MsAdpcm = 2,
    IeeeFloat = 3,
    ALaw = 6,
    MuLaw = 7,
    ImaAdpcm = 0x11,
    Gsm610 = 0x31,
    Extensible = 0xFFFE,
};

// What the headers of a playable file say.
struct Format {
    quint16 tag = 0; // for an extensible header, the tag of its sub-format
    quint16 channels = 0;
    quint32 rate = 0;
    quint16 blockAlign = 0;
    quint16 bits = 0;
    QByteArray extra; // the "fmt " chunk's bytes after its first 16 (extensible: 4 of them)
    std::optional<quint32> factCount; // samples a channel, from a "fact" chunk before "data"
    qint64 dataOffset = 0;            // where the "data" chunk's body starts
    quint32 dataSize = 0;             // its size as its header says (it may run past the end)
};

// The format of the RIFF "WAVE" file in `device` (positioned at its start), when its
// "fmt " chunk describes samples of an encoding above within what its decoder takes,
// and a "data" chunk follows it; chunks in between are skipped. Nothing for anything
// else, including headers cut short.
std::optional<Format> read(QIODevice& device);

// Whether read() finds a format.
bool isPlayable(QIODevice& device);

// The same for the file at `path`; nothing, and false, when it cannot be read, is no regular
// file or is larger than MediaFile::MaxBytes (MediaFile.h).
std::optional<Format> readFile(const QString& path);
bool isPlayableFile(const QString& path);

// Why the sound device refuses the file at `path` before it plays a sample, by the rules that
// need no device: a device chosen by the file name takes a ".wav" name alone (any letter
// case); the file must be there, a regular file, within MediaFile::MaxBytes, and
// isPlayableFile.
enum class Refusal { None, NotWavName, NotAFile, NotPlayable, TooLarge };
Refusal refusal(const QString& path, bool chosenByName);
// The sound device's error text for a refusal of the file at `path` (empty for None); only
// TooLarge names the file.
QString refusalText(Refusal refusal, const QString& path = {});

} // namespace WavHeader
