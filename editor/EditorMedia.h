#pragma once
// The editor window's picture box, media labels and sound control.

#include "common/ObEdKrok.h"
#include "common/Records.h"
#include "ui/PictureBox.h"

#include <QString>
#include <functional>

class QLabel;
class QPainter;
class PaintBox;
class SoundControl;

// The editor's picture box, media labels and sound control, driven by the
// current situation. The editor window owns the controls and the state;
// this class only holds references to them.
class EditorMedia {
public:
    struct Controls {
        QLabel& LaBmp;
        QLabel& LaWAV;
        PaintBox& PaObrazek;
        SoundControl& MPwav;
    };
    struct State {
        TKrok& krok;
        TRekordKroku& rekord;  // the record buffer that saving writes
        const QString& folder; // the scenario folder, ending in "/"
        // True while a new situation is being written (it has no media yet).
        std::function<bool()> nowaSytuacja;
    };

    EditorMedia(Controls controls, State state);

    // Resets the labels, clears the box, empties and closes the sound control;
    // a new situation also loses its media names.
    void czysc();
    // Shows the picture and opens the sound (without playing). Throws AppError
    // when the picture cannot be read or the sound device refuses the file;
    // what came before stays shown.
    void pokaz();
    // Repaints the box: the picture when its file exists, else plain. Sets LaBmp.
    void maluj(QPainter& painter);

private:
    Controls c_;
    State s_;
    // The picture file that the box's picture name was last found as, and the picture drawn
    // from it: repaints look the name up again only when it or the folder changed.
    QString pictureName_;
    QString pictureFolder_;
    QString pictureFile_;
    PictureBox::Shown picture_;
};
