#pragma once
// The fixed frame of the programs' windows.

class QWidget;

// Helpers for the programs' fixed-size windows laid out in pixels.
namespace WindowFrame {

// A fixed dialog border: the client area is exactly w x h, it cannot be
// resized, and it has a close box but no maximise box; a minimise box only
// when asked for. The window is centred on its screen the first time it is
// shown and keeps its place afterwards.
void makeFixed(QWidget* window, int clientWidth, int clientHeight, bool minimiseBox = false);
// A window that opens at w x h and may grow from there (resized or maximised), with minimise
// and maximise boxes; centred the first time it is shown.
void makeGrowing(QWidget* window, int clientWidth, int clientHeight);

} // namespace WindowFrame
