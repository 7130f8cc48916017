#pragma once

#include <QColor>
#include <QImage>
#include <QRect>
#include <QString>

class QPainter;

// A Windows bitmap (BMP) loaded from a file.
class Bitmap {
public:
    // Loads the BMP at `path`. Throws AppError with the message
    // "Cannot open file <path>" (cannot be opened), "Bitmap image is not valid"
    // (does not begin with "BM", or cannot be decoded) or "Stream read error"
    // (the file ends before its header or pixel data does). A zero-byte file
    // is an empty bitmap (0 x 0), not an error.
    static Bitmap load(const QString& path);

    int width() const { return image_.width(); }
    int height() const { return image_.height(); }
    bool isEmpty() const { return image_.isNull(); }
    const QImage& image() const { return image_; }

private:
    QImage image_;
};

// Drawing into the 128 x 128 picture box that shows a situation's picture.
namespace PictureBox {

constexpr int Size = 128;

// The system button-face colour that the box is filled with.
QColor buttonFace();

// Fills the whole box with the button-face colour, without a border.
void fill(QPainter& painter);

// Where a picture of w x h pixels is drawn in box coordinates: centred, each
// half-size dimension rounded down, so an odd dimension loses one pixel and
// a dimension of 1 gives an empty rectangle. Not clipped to the box.
QRect destination(int width, int height);

// Stretches the whole bitmap into its destination rectangle, clipped to the box.
void drawCentred(QPainter& painter, const Bitmap& bitmap);

// Loads the picture file and draws it centred. A file that cannot be read
// leaves the box as it was and reports nothing: repaints use this, and the
// error was reported when the picture was first shown.
void repaintFile(QPainter& painter, const QString& path);

} // namespace PictureBox
