#pragma once
// The editor window's picture box, media labels and sound control.

#include "common/MediaFiles.h"
#include "platform/ui/PictureBox.h"

#include <QString>
#include <functional>

class AppError;
class QLabel;
class QPainter;
class PaintBox;
class ScenarioState;
class SoundControl;

// The editor's picture box, media labels and sound control, driven by the
// current situation of the editor's session. The editor window owns the
// controls and the session; this class only holds references to them.
class EditorMedia {
public:
    struct Controls {
        QLabel& LaBmp;
        QLabel& LaWAV;
        PaintBox& PaObrazek;
        SoundControl& MPwav;
    };

    EditorMedia(Controls controls, ScenarioState& state);

    // Resets the labels, clears the box, empties and closes the sound control;
    // a new situation also loses its media names.
    void czysc();
    // Shows the picture and opens the sound (without playing). Throws AppError
    // when the picture cannot be read; what came before stays shown. A sound the
    // device cannot open (no sound server, no device, a file it refuses) leaves the
    // control closed and without a file, so that nothing opens it again unasked, and
    // goes to the sound report when one is set; without one, pokaz throws its AppError.
    void pokaz();
    // Where pokaz reports a sound that cannot be opened: a situation needs no sound,
    // so the showing goes on past it.
    void setSoundReport(std::function<void(const AppError&)> report) {
        soundReport_ = std::move(report);
    }
    // Repaints the box: the picture when its file exists, else plain. Sets LaBmp.
    void maluj(QPainter& painter);
    // A file chosen in the media chooser (an empty name: none) becomes the situation's
    // picture or sound, stored with the next save: its label shows it, the box is redrawn at
    // once, and the sound control takes the file (opened when the chooser has closed).
    void choose(MediaKind kind, const QString& name);

private:
    // LaBmp shows the picture's name (an empty one: "?.BMP"); the box says it to a screen reader.
    void showPictureName(const QString& name);

    Controls c_;
    ScenarioState& state_;
    // The picture file that the box's picture name was last found as, and the picture drawn
    // from it: repaints look the name up again only when it or the folder changed.
    QString pictureName_;
    QString pictureFolder_;
    QString pictureFile_;
    PictureBox::Shown picture_;
    std::function<void(const AppError&)> soundReport_;
};
