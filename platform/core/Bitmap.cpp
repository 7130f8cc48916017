#include "platform/core/Bitmap.h"

#include "platform/core/AppError.h"
#include "platform/core/MediaFile.h"

#include <QBuffer>
#include <QImageReader>
#include <QtEndian>
#include <algorithm>
#include <cstdlib>

namespace {

constexpr qint64 FileHeaderSize = 14;
// Larger pictures are refused before anything is decoded: a forged header
// must not make the program allocate gigabytes.
constexpr qint64 MaxSide = 16384;
constexpr qint64 MaxPixels = qint64(1) << 26;
// The largest info header (124 bytes, version 5) and what may sit between the headers and
// the pixels: masks, a colour table, a gap. No real picture has more; a forged offset must
// not make the program read gigabytes it then ignores.
constexpr qint64 MaxInfoSize = 124;
constexpr qint64 MaxPixelsAt = qint64(1) << 20;
constexpr qint64 MaxColours = 65536;

enum Compression : quint32 { Rgb = 0, Rle8 = 1, Rle4 = 2, BitFields = 3, AlphaBitFields = 6 };

[[noreturn]] void notValid() {
    throw AppError(AppError::Other, QStringLiteral("Bitmap image is not valid"));
}

[[noreturn]] void readError() {
    throw AppError(AppError::Other, QStringLiteral("Stream read error"));
}

quint16 u16(const QByteArray& bytes, qint64 at) {
    return qFromLittleEndian<quint16>(bytes.constData() + at);
}

quint32 u32(const QByteArray& bytes, qint64 at) {
    return qFromLittleEndian<quint32>(bytes.constData() + at);
}

struct Header {
    qint64 pixelsAt = 0;
    qint64 infoSize = 0;
    qint64 width = 0;
    qint64 height = 0; // negative: the rows run top-down
    int bitCount = 0;
    quint32 compression = Rgb;
    qint64 imageSize = 0;
    qint64 colours = 0;
    qint64 tableEnd = 0;   // where the colour table ends
    qint64 pixelBytes = 0; // the pixel data that is read: the rows, or the runs
    bool rle() const { return compression == Rle8 || compression == Rle4; }
    // The bytes of the file that decoding reads, from its start.
    qint64 bytesNeeded() const { return std::max(tableEnd, pixelsAt + pixelBytes); }
};

// Checks the headers (`bytes`, the file's first bytes) against the file's length `size` and
// against sizes that no real picture has, before any more of the file is read.
Header readHeader(const QByteArray& bytes, qint64 size) {
    // A file too short even for its type is cut short only when it begins
    // as a bitmap would.
    if (!QByteArrayView("BM").startsWith(bytes.left(2)))
        notValid();
    if (size < FileHeaderSize)
        readError();
    if (size < FileHeaderSize + 4)
        readError();
    Header h;
    h.pixelsAt = u32(bytes, 10);
    h.infoSize = u32(bytes, 14);
    // The Windows headers (40, 108, 124, and 52/56 with their masks), the
    // OS/2 1.x header (12) and the OS/2 2.x header, whole or cut (16, 64).
    static constexpr qint64 knownSizes[] = {12, 16, 40, 52, 56, 64, 108, 124};
    if (std::find(std::begin(knownSizes), std::end(knownSizes), h.infoSize) == std::end(knownSizes))
        notValid();
    const qint64 at = FileHeaderSize;
    if (size < at + h.infoSize)
        readError();

    const bool core = h.infoSize == 12;
    h.width = core ? u16(bytes, at + 4) : qint32(u32(bytes, at + 4));
    h.height = core ? u16(bytes, at + 6) : qint32(u32(bytes, at + 8));
    const int planes = u16(bytes, at + (core ? 8 : 12));
    h.bitCount = u16(bytes, at + (core ? 10 : 14));
    h.compression = h.infoSize >= 20 ? u32(bytes, at + 16) : Rgb;
    h.imageSize = h.infoSize >= 24 ? u32(bytes, at + 20) : 0;
    const qint64 coloursUsed = h.infoSize >= 36 ? u32(bytes, at + 32) : 0;
    h.colours = coloursUsed ? coloursUsed : (h.bitCount <= 8 ? 1 << h.bitCount : 0);
    const qint64 rows = std::abs(h.height);

    if (h.width <= 0 || rows == 0 || h.width > MaxSide || rows > MaxSide ||
        h.width * rows > MaxPixels || planes != 1)
        notValid();
    static constexpr int knownBitCounts[] = {1, 4, 8, 16, 24, 32};
    if (std::find(std::begin(knownBitCounts), std::end(knownBitCounts), h.bitCount) ==
        std::end(knownBitCounts))
        notValid();
    if (h.rle() && (h.height < 0 || h.bitCount != (h.compression == Rle8 ? 8 : 4)))
        notValid();
    if (!h.rle() && h.compression != Rgb && h.compression != BitFields &&
        h.compression != AlphaBitFields)
        notValid();

    // The colour table follows the info header: entries of 3 bytes after
    // the OS/2 1.x header, of 4 bytes otherwise.
    h.tableEnd = at + h.infoSize + h.colours * (core ? 3 : 4);
    if (h.tableEnd > size)
        readError();
    if (h.colours > MaxColours)
        notValid();
    const qint64 stride = (h.width * h.bitCount + 31) / 32 * 4;
    const qint64 pixelBytes = h.rle() ? h.imageSize : std::max(h.imageSize, stride * rows);
    if (h.pixelsAt > size || pixelBytes > size - h.pixelsAt)
        readError();
    if (h.pixelsAt > MaxPixelsAt)
        notValid();
    if (h.rle()) {
        // Runs go on to the stated length or the end of the file; four bytes a pixel (a
        // one-pixel run or skip), an end-of-line mark a row and the end mark are more than
        // any encoder writes.
        const qint64 stated = h.imageSize ? h.imageSize : size - h.pixelsAt;
        h.pixelBytes = std::min(stated, 4 * h.width * rows + 2 * rows + 2);
    } else {
        // A stated image size larger than the rows is checked above but never read.
        h.pixelBytes = stride * rows;
    }
    return h;
}

// Run-length encoded pictures are decoded here rather than by Qt, which
// leaves the pixels that the runs skip or never reach uninitialised. Here
// they keep colour 0 of the table; a run that leaves the picture makes the
// file invalid.
QImage decodeRle(const QByteArray& bytes, const Header& h) {
    const int width = int(h.width);
    const int height = int(h.height);
    QImage image(width, height, QImage::Format_Indexed8);
    QList<QRgb> table(256, qRgb(0, 0, 0));
    const qint64 tableAt = FileHeaderSize + h.infoSize;
    for (qint64 i = 0; i < std::min<qint64>(h.colours, 256); ++i) {
        const auto* entry = reinterpret_cast<const uchar*>(bytes.constData() + tableAt + 4 * i);
        table[i] = qRgb(entry[2], entry[1], entry[0]);
    }
    image.setColorTable(table);
    image.fill(0);

    const auto* data = reinterpret_cast<const uchar*>(bytes.constData() + h.pixelsAt);
    const qint64 length = h.pixelBytes;
    const bool four = h.compression == Rle4;
    qint64 at = 0;
    int x = 0;
    int y = 0; // counted from the bottom row
    auto put = [&](int index) {
        if (x >= width || y >= height)
            notValid();
        image.scanLine(height - 1 - y)[x++] = uchar(index);
    };
    // Runs until the data ends or the end-of-bitmap mark.
    while (at + 2 <= length) {
        const int count = data[at];
        const int value = data[at + 1];
        at += 2;
        if (count > 0) {
            for (int i = 0; i < count; ++i)
                put(four ? (i % 2 ? value & 0x0F : value >> 4) : value);
        } else if (value == 0) {
            x = 0;
            ++y;
        } else if (value == 1) {
            break;
        } else if (value == 2) {
            if (at + 2 > length)
                break;
            x += data[at];
            y += data[at + 1];
            at += 2;
        } else {
            const qint64 used = four ? (value + 1) / 2 : value;
            if (at + used > length)
                readError();
            for (int i = 0; i < value; ++i)
                put(four ? (i % 2 ? data[at + i / 2] & 0x0F : data[at + i / 2] >> 4)
                         : data[at + i]);
            at += (used + 1) / 2 * 2;
        }
    }
    return image;
}

// The picture file as a media file: refused at once when it is no regular file or is larger
// than media files may be; its headers and pixels are read from the one descriptor opened.
class PictureFile {
public:
    explicit PictureFile(const QString& path) : path_(path), file_(path) {
        if (file_.status() == MediaFile::Status::TooLarge)
            throw AppError(AppError::Other, MediaFile::tooLargeText(path));
        if (!file_.isOpen())
            cannotOpen();
    }

    qint64 size() const { return file_.size(); }

    // The first `length` bytes of the file; a file that has shrunk since is cut short.
    QByteArray read(qint64 length) const {
        const std::optional<QByteArray> bytes = file_.read(0, length);
        if (!bytes)
            cannotOpen();
        if (bytes->size() < length)
            readError();
        return *bytes;
    }

private:
    [[noreturn]] void cannotOpen() const {
        throw AppError(AppError::Other, QStringLiteral("Cannot open file ") + path_);
    }

    QString path_;
    MediaFile file_;
};

} // namespace

Bitmap Bitmap::load(const QString& path) {
    PictureFile file(path);
    Bitmap bitmap;
    if (file.size() == 0)
        return bitmap;
    const Header header =
        readHeader(file.read(std::min(file.size(), FileHeaderSize + MaxInfoSize)), file.size());
    const QByteArray bytes = file.read(header.bytesNeeded());
    if (header.rle()) {
        bitmap.image_ = decodeRle(bytes, header);
        return bitmap;
    }

    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, "bmp");
    reader.setAllocationLimit(int(MaxPixels * 8 / (1024 * 1024)));
    QImage image;
    if (!reader.read(&image) || image.isNull())
        notValid();
    // A bitmap's alpha is ignored: the picture box shows every pixel opaque.
    if (image.hasAlphaChannel())
        image = image.convertToFormat(QImage::Format_RGB32);
    bitmap.image_ = std::move(image);
    return bitmap;
}
