#pragma once
// A Windows bitmap loaded from a file.

#include <QImage>
#include <QString>

// A Windows bitmap (BMP) loaded from a file.
class Bitmap {
public:
    // Loads the BMP at `path`. Throws AppError with the message
    // "Cannot open file <path>" (cannot be opened, or is no regular file),
    // MediaFile::tooLargeText(path) (larger than MediaFile::MaxBytes; nothing is read),
    // "Bitmap image is not valid" (does not begin with "BM", or cannot be decoded) or
    // "Stream read error" (the file ends before its header or pixel data does). A zero-byte
    // file is an empty bitmap (0 x 0), not an error.
    static Bitmap load(const QString& path);

    int width() const { return image_.width(); }
    int height() const { return image_.height(); }
    bool isEmpty() const { return image_.isNull(); }
    const QImage& image() const { return image_; }

private:
    QImage image_;
};
