// Fuzz target: any bytes as a sound file's headers, and as ADPCM samples when they say so.

#include "fuzz/FuzzTarget.h"
#include "platform/core/Adpcm.h"
#include "platform/core/WavHeader.h"

#include <QBuffer>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    QByteArray bytes =
        QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size));
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    if (const auto format = WavHeader::read(buffer); format && Adpcm::decodes(*format))
        (void)Adpcm::toPcmWav(*format, bytes.mid(format->dataOffset));
    return 0;
}
