#include "platform/core/Adpcm.h"

#include "platform/core/MediaFile.h"

#include <QtEndian>
#include <algorithm>
#include <array>
#include <vector>

namespace Adpcm {
namespace {

using WavHeader::Format;

// A sound longer than this (over four hours of 8 kHz mono) is played up to here, so that
// the samples decoded stay well inside one byte array.
constexpr qint64 MaxDataBytes = 64 * 1024 * 1024;

qint16 i16(const char* bytes) {
    return qFromLittleEndian<qint16>(bytes);
}

qint16 clamp16(qint64 value) {
    return static_cast<qint16>(std::clamp<qint64>(value, -32768, 32767));
}

// The samples a block holds for each channel: what its size allows, or fewer when the
// header's own count (after cbSize) says so.
int samplesPerBlock(const Format& f, int most) {
    if (f.extra.size() >= 4) {
        const int stated = qFromLittleEndian<quint16>(f.extra.constData() + 2);
        if (stated >= 1 && stated < most)
            return stated;
    }
    return most;
}

// Microsoft ADPCM: a block starts with each channel's predictor, step and two samples, then
// 4-bit codes, high nibble first, the channels taking turns code by code.
constexpr std::array<int, 16> MsAdaptation{230, 230, 230, 230, 307, 409, 512, 614,
                                           768, 614, 512, 409, 307, 230, 230, 230};
constexpr std::array<std::array<int, 2>, 7> MsStandardCoefficients{
    {{256, 0}, {512, -256}, {0, 0}, {192, 64}, {240, 0}, {460, -208}, {392, -232}}};

// The predictor pairs: those the header lists after the sample count, or the standard seven.
std::vector<std::array<int, 2>> msCoefficients(const Format& f) {
    const QByteArray& x = f.extra;
    if (x.size() >= 6) {
        const int count = qFromLittleEndian<quint16>(x.constData() + 4);
        if (count > 0 && x.size() >= 6 + 4 * count) {
            std::vector<std::array<int, 2>> listed(count);
            for (int i = 0; i < count; ++i)
                listed[i] = {i16(x.constData() + 6 + 4 * i), i16(x.constData() + 8 + 4 * i)};
            return listed;
        }
    }
    return {MsStandardCoefficients.begin(), MsStandardCoefficients.end()};
}

// Both decoders return false for data whose last block is shorter than its channels'
// headers: no encoder writes such a block, and nothing of it can be decoded.
bool decodeMs(const Format& f, const QByteArray& data, std::vector<qint16>& out) {
    const int ch = f.channels;
    const int header = 7 * ch;
    const int perBlock = samplesPerBlock(f, (f.blockAlign - header) * 2 / ch + 2);
    const auto coefficients = msCoefficients(f);
    std::array<int, 2> coef1{}, coef2{}, delta{}, sample1{}, sample2{};
    for (qsizetype at = 0; at < data.size(); at += f.blockAlign) {
        const char* b = data.constData() + at;
        const qsizetype size = std::min<qsizetype>(f.blockAlign, data.size() - at);
        if (size < header)
            return false;
        for (int c = 0; c < ch; ++c) {
            const auto predictor = static_cast<quint8>(b[c]);
            if (predictor >= coefficients.size())
                return true;
            coef1[c] = coefficients[predictor][0];
            coef2[c] = coefficients[predictor][1];
            delta[c] = i16(b + ch + 2 * c);
            sample1[c] = i16(b + 3 * ch + 2 * c);
            sample2[c] = i16(b + 5 * ch + 2 * c);
        }
        // The header's two samples come first, the older one before.
        for (int c = 0; c < ch; ++c)
            out.push_back(static_cast<qint16>(sample2[c]));
        if (perBlock >= 2)
            for (int c = 0; c < ch; ++c)
                out.push_back(static_cast<qint16>(sample1[c]));
        const qsizetype codes = (size - header) * 2;
        const qsizetype frames = std::min<qsizetype>(perBlock - 2, codes / ch);
        for (qsizetype n = 0; n < frames * ch; ++n) {
            const int c = static_cast<int>(n % ch);
            const auto byte = static_cast<quint8>(b[header + n / 2]);
            const int code = n % 2 == 0 ? byte >> 4 : byte & 0x0F;
            const qint64 predicted =
                (qint64(sample1[c]) * coef1[c] + qint64(sample2[c]) * coef2[c]) >> 8;
            const int signedCode = code >= 8 ? code - 16 : code;
            const qint16 sample = clamp16(predicted + qint64(signedCode) * delta[c]);
            out.push_back(sample);
            sample2[c] = sample1[c];
            sample1[c] = sample;
            // A step past any a real file reaches is held there, so that it cannot overflow.
            delta[c] = static_cast<int>(
                std::clamp<qint64>((qint64(MsAdaptation[code]) * delta[c]) >> 8, 16, 1 << 24));
        }
    }
    return true;
}

// IMA ADPCM as Windows stores it: a block starts with each channel's first sample and step
// index, then each channel in turn gives four bytes, eight 4-bit codes low nibble first.
constexpr std::array<int, 16> ImaIndexChange{-1, -1, -1, -1, 2, 4, 6, 8,
                                             -1, -1, -1, -1, 2, 4, 6, 8};
constexpr std::array<int, 89> ImaSteps{
    7,     8,     9,     10,    11,    12,    13,    14,    16,    17,    19,   21,    23,
    25,    28,    31,    34,    37,    41,    45,    50,    55,    60,    66,   73,    80,
    88,    97,    107,   118,   130,   143,   157,   173,   190,   209,   230,  253,   279,
    307,   337,   371,   408,   449,   494,   544,   598,   658,   724,   796,  876,   963,
    1060,  1166,  1282,  1411,  1552,  1707,  1878,  2066,  2272,  2499,  2749, 3024,  3327,
    3660,  4026,  4428,  4871,  5358,  5894,  6484,  7132,  7845,  8630,  9493, 10442, 11487,
    12635, 13899, 15289, 16818, 18500, 20350, 22385, 24623, 27086, 29794, 32767};

bool decodeIma(const Format& f, const QByteArray& data, std::vector<qint16>& out) {
    const int ch = f.channels;
    const int header = 4 * ch;
    const int group = 4 * ch; // four bytes of each channel: eight samples of each
    const int perBlock = samplesPerBlock(f, (f.blockAlign - header) / group * 8 + 1);
    std::array<int, 2> predictor{}, index{};
    std::vector<qint16> block;
    for (qsizetype at = 0; at < data.size(); at += f.blockAlign) {
        const char* b = data.constData() + at;
        const qsizetype size = std::min<qsizetype>(f.blockAlign, data.size() - at);
        if (size < header)
            return false;
        for (int c = 0; c < ch; ++c) {
            predictor[c] = i16(b + 4 * c);
            index[c] = static_cast<quint8>(b[4 * c + 2]);
            if (index[c] >= int(ImaSteps.size()))
                return true;
        }
        const qsizetype frames = std::min<qsizetype>(perBlock - 1, (size - header) / group * 8);
        block.assign((frames + 1) * ch, 0);
        for (int c = 0; c < ch; ++c)
            block[c] = static_cast<qint16>(predictor[c]);
        for (qsizetype k = 0; k < frames; ++k) {
            for (int c = 0; c < ch; ++c) {
                const auto byte =
                    static_cast<quint8>(b[header + k / 8 * group + 4 * c + k % 8 / 2]);
                const int code = k % 2 == 0 ? byte & 0x0F : byte >> 4;
                const int step = ImaSteps[index[c]];
                int difference = step >> 3;
                if (code & 4)
                    difference += step;
                if (code & 2)
                    difference += step >> 1;
                if (code & 1)
                    difference += step >> 2;
                predictor[c] =
                    clamp16(code & 8 ? predictor[c] - difference : predictor[c] + difference);
                index[c] = std::clamp(index[c] + ImaIndexChange[code], 0, 88);
                block[(k + 1) * ch + c] = static_cast<qint16>(predictor[c]);
            }
        }
        out.insert(out.end(), block.begin(), block.end());
    }
    return true;
}

QByteArray pcmWav(const Format& f, const std::vector<qint16>& samples) {
    const auto dataBytes = static_cast<quint32>(samples.size() * 2);
    QByteArray wav(44 + qsizetype(dataBytes), Qt::Uninitialized);
    char* p = wav.data();
    const auto put16 = [&p](quint16 v) {
        qToLittleEndian(v, p);
        p += 2;
    };
    const auto put32 = [&p](quint32 v) {
        qToLittleEndian(v, p);
        p += 4;
    };
    const auto tag = [&p](const char* id) {
        std::copy(id, id + 4, p);
        p += 4;
    };
    tag("RIFF");
    put32(36 + dataBytes);
    tag("WAVE");
    tag("fmt ");
    put32(16);
    put16(WavHeader::Pcm);
    put16(f.channels);
    put32(f.rate);
    put32(f.rate * f.channels * 2);
    put16(static_cast<quint16>(f.channels * 2));
    put16(16);
    tag("data");
    put32(dataBytes);
    for (const qint16 s : samples)
        put16(static_cast<quint16>(s));
    return wav;
}

} // namespace

bool decodes(const Format& format) {
    return format.tag == WavHeader::MsAdpcm || format.tag == WavHeader::ImaAdpcm;
}

QByteArray toPcmWav(const Format& format, const QByteArray& data) {
    // read() lets through one or two channels and blocks that hold their headers alone.
    if (!decodes(format) || format.channels < 1 || format.channels > 2 ||
        format.blockAlign < (format.tag == WavHeader::MsAdpcm ? 7 : 4) * format.channels)
        return {};
    // Data past the limit is left out in whole blocks.
    const QByteArray used = data.size() > MaxDataBytes
                                ? data.left(MaxDataBytes / format.blockAlign * format.blockAlign)
                                : data;
    std::vector<qint16> samples;
    if (!(format.tag == WavHeader::MsAdpcm ? decodeMs(format, used, samples)
                                           : decodeIma(format, used, samples)))
        return {};
    // Some writers leave the count 0 until the end, and never fill it in.
    if (format.factCount && *format.factCount > 0)
        samples.resize(std::min<std::size_t>(samples.size(),
                                             std::size_t(*format.factCount) * format.channels));
    return pcmWav(format, samples);
}

QByteArray fileToPcmWav(const QString& path, const Format& format) {
    const MediaFile file(path);
    const qint64 size =
        std::min<qint64>({qint64(format.dataSize), MaxDataBytes, file.size() - format.dataOffset});
    const std::optional<QByteArray> data = file.read(format.dataOffset, std::max<qint64>(size, 0));
    if (!data || data->size() != std::max<qint64>(size, 0))
        return {};
    return toPcmWav(format, *data);
}

} // namespace Adpcm
