#include "tests/support/MediaBuilders.h"

#include "tests/support/ByteWriters.h"

#include <cmath>
#include <numbers>

QByteArray bmpFile(int width, int height, int bitCount, quint32 compression,
                   const QList<QRgb>& palette, const QByteArray& pixels) {
    const int pixelsAt = 14 + 40 + 4 * int(palette.size());
    QByteArray b(pixelsAt, '\0');
    b[0] = 'B';
    b[1] = 'M';
    put32(b, 2, quint32(pixelsAt + pixels.size()));
    put32(b, 10, quint32(pixelsAt));
    put32(b, 14, 40);
    put32(b, 18, quint32(width));
    put32(b, 22, quint32(height));
    put16(b, 26, 1);
    put16(b, 28, quint16(bitCount));
    put32(b, 30, compression);
    put32(b, 34, quint32(pixels.size()));
    put32(b, 46, quint32(palette.size()));
    for (int i = 0; i < palette.size(); ++i)
        put32(b, 54 + 4 * i, palette[i] & 0xFFFFFF);
    return b + pixels;
}

QByteArray bmp24(int width, int height, const std::function<QRgb(int x, int y)>& colourAt) {
    const int stride = (width * 3 + 3) / 4 * 4;
    QByteArray pixels(stride * height, '\0');
    for (int y = 0; y < height; ++y) {
        char* row = pixels.data() + (height - 1 - y) * stride; // bottom-up
        for (int x = 0; x < width; ++x) {
            const QRgb c = colourAt(x, y);
            row[3 * x] = char(qBlue(c));
            row[3 * x + 1] = char(qGreen(c));
            row[3 * x + 2] = char(qRed(c));
        }
    }
    return bmpFile(width, height, 24, 0, {}, pixels);
}

QByteArray solidBmp(int width, int height, QRgb colour) {
    return bmp24(width, height, [colour](int, int) { return colour; });
}

QByteArray riffChunk(const QByteArray& id, const QByteArray& body) {
    QByteArray c = id + le32(quint32(body.size())) + body;
    if (body.size() % 2 != 0)
        c += '\0';
    return c;
}

QByteArray riffWave(const QByteArray& chunks) {
    return "RIFF" + le32(quint32(4 + chunks.size())) + "WAVE" + chunks;
}

QByteArray fmtBody(quint16 tag, quint16 channels, quint32 rate, quint16 bits) {
    const quint16 align = quint16(channels * bits / 8);
    return le16(tag) + le16(channels) + le32(rate) + le32(rate * align) + le16(align) + le16(bits);
}

QByteArray fmtChunk(quint16 tag, quint16 channels, quint32 rate, quint16 bits) {
    return riffChunk("fmt ", fmtBody(tag, channels, rate, bits));
}

QByteArray toneWav(int milliseconds) {
    constexpr int Rate = 22050;
    const int count = Rate * milliseconds / 1000;
    QByteArray samples;
    for (int i = 0; i < count; ++i) {
        const double v = 0.5 * std::sin(2 * std::numbers::pi * 440 * i / Rate);
        samples += le16(quint16(qint16(v * 32767)));
    }
    return riffWave(fmtChunk(1, 1, Rate, 16) + riffChunk("data", samples));
}
