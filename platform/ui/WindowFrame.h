#pragma once

class QWidget;
class QFont;
class QString;

// Helpers for the programs' fixed-size windows laid out in pixels.
namespace WindowFrame {

// A fixed dialog border: the client area is exactly w x h, it cannot be
// resized, and it has a close box but no minimise or maximise box. The
// window is centred on its screen the first time it is shown and keeps its
// place afterwards.
void makeFixed(QWidget* window, int clientWidth, int clientHeight);

// A font given by family and character height in pixels.
QFont font(const QString& family, int pixelHeight);

} // namespace WindowFrame
