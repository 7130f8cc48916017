// Fuzz target: any bytes as a sound file's headers.

#include "FuzzTarget.h"
#include "core/WavHeader.h"

#include <QBuffer>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    QByteArray bytes =
        QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size));
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    (void)WavHeader::isPlayable(buffer);
    return 0;
}
