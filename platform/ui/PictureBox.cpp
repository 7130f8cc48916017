#include "PictureBox.h"

#include "AppError.h"

#include <QGuiApplication>
#include <QPainter>
#include <QPalette>

namespace PictureBox {

QColor buttonFace() {
    return QGuiApplication::palette().color(QPalette::Button);
}

void fill(QPainter& painter) {
    painter.fillRect(QRect(0, 0, Size, Size), buttonFace());
}

QRect destination(int width, int height) {
    const int halfW = width / 2;
    const int halfH = height / 2;
    return QRect(Size / 2 - halfW, Size / 2 - halfH, 2 * halfW, 2 * halfH);
}

void drawCentred(QPainter& painter, const Bitmap& bitmap) {
    const QRect target = destination(bitmap.width(), bitmap.height());
    if (bitmap.isEmpty() || target.isEmpty())
        return;
    painter.save();
    painter.setClipRect(QRect(0, 0, Size, Size), Qt::IntersectClip);
    painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
    painter.drawImage(target, bitmap.image(), bitmap.image().rect());
    painter.restore();
}

void repaintFile(QPainter& painter, const QString& path) {
    try {
        drawCentred(painter, Bitmap::load(path));
    } catch (const AppError&) {
    }
}

} // namespace PictureBox
