#pragma once
// Microsoft and IMA ADPCM samples decoded to 16-bit PCM.

#include "platform/core/WavHeader.h"

#include <QByteArray>
#include <QString>

// The kit decodes ADPCM itself and hands the media back end plain PCM: GStreamer's WAV parser
// times ADPCM blocks as if they held half their samples, so its sink drops part of the sound
// and its duration is half the real one.
namespace Adpcm {

// Whether `format` is one of the ADPCM encodings decoded here.
bool decodes(const WavHeader::Format& format);

// The samples of `data`, the body of the "data" chunk of a file of `format`, as a 16-bit PCM
// WAV file of the same rate and channels. Decoding stops at a block whose header is damaged,
// at a block cut short (its whole sample frames are kept), and after the number of samples a
// "fact" chunk gives. Empty, as a file that cannot be decoded, when `format` is not ADPCM or
// when a block (the last one too) is shorter than its channels' headers.
QByteArray toPcmWav(const WavHeader::Format& format, const QByteArray& data);

// The same for the file at `path`, whose headers read() gave as `format`; empty when it
// cannot be read.
QByteArray fileToPcmWav(const QString& path, const WavHeader::Format& format);

} // namespace Adpcm
