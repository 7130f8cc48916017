#pragma once
// The map as an SVG document, written from the very items the map window draws.

#include <QByteArray>
#include <QRectF>

class QGraphicsScene;

// Writes the part `source` of a scene of paths, polygons and simple texts as SVG, in the
// scene's coordinates (one unit a pixel), on white. An item that carries a situation number
// (data 0) is written with its children as one group, <g class="situation" id="s<number>">,
// so that the boxes can be found in the document. Texts keep their font's family and pixel size;
// characters that XML cannot hold show as "?". Other kinds of items are left out.
QByteArray sceneSvg(const QGraphicsScene& scene, const QRectF& source);
