#pragma once
// The 128 x 128 picture box of both programs: its fill, and a picture drawn centred in it.

#include "Bitmap.h"

#include <QColor>
#include <QRect>
#include <QString>

class QPainter;

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
