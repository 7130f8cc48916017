#pragma once
// The 128 x 128 picture box of both programs: its fill, and a picture drawn centred in it.

#include "platform/core/Bitmap.h"

#include <QColor>
#include <QImage>
#include <QRect>
#include <QString>
#include <cstdint>

class QPainter;
class QWidget;

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

// What a screen reader says of a picture box: "Obrazek sytuacji", a picture (its role), and
// the file it shows, `fileName`, or "brak obrazka" when it is empty.
void describe(QWidget& box, const QString& fileName);

// Stretches the whole bitmap into its destination rectangle, clipped to the box.
void drawCentred(QPainter& painter, const Bitmap& bitmap);

// Loads the picture file and draws it centred. A file that cannot be read
// leaves the box as it was and reports nothing: repaints use this, and the
// error was reported when the picture was first shown.
void repaintFile(QPainter& painter, const QString& path);

// A picture file as a box drew it, kept so that repaints neither load nor decode it again.
// It stays valid while the file keeps its identity (path, size, modification and change
// times, inode): a file changed on disk is loaded again at the next repaint.
class Shown {
public:
    // Loads the picture file now and keeps it as drawn. Throws what Bitmap::load throws;
    // the picture kept before is then forgotten.
    void load(const QString& path);
    // Draws the picture of `path` as drawCentred would: the kept one while the file is
    // unchanged, else the file loaded again. A file that is missing or cannot be read leaves
    // the box as it was and reports nothing, as repaintFile does.
    void repaint(QPainter& painter, const QString& path);
    // Forgets the kept picture.
    void clear();
    // The file last loaded, or an empty string.
    const QString& path() const { return identity_.path; }
    // How many times a file was loaded: what the cache saves.
    int loads() const { return loads_; }

private:
    struct Identity {
        QString path;
        std::int64_t size = -1;
        std::int64_t mtimeNs = 0;
        std::int64_t ctimeNs = 0;
        std::uint64_t inode = 0;
        bool operator==(const Identity&) const = default;
    };
    static bool identify(const QString& path, Identity& identity);
    void keep(const Identity& identity, qreal ratio);

    Identity identity_;
    bool kept_ = false;
    qreal ratio_ = 1; // the device pixel ratio the picture was drawn for
    QImage drawn_;    // transparent where the picture does not cover the box; null when
                      // the file could not be read
    int loads_ = 0;
};

} // namespace PictureBox
