#include "editor/EditorMedia.h"

#include "editor/model/ScenarioState.h"
#include "platform/core/AppError.h"
#include "platform/core/Bitmap.h"
#include "platform/ui/PaintBox.h"
#include "platform/ui/PictureBox.h"
#include "platform/ui/SoundControl.h"

#include <QLabel>

using MediaFiles::NoPictureCaption;
using MediaFiles::NoSoundCaption;

EditorMedia::EditorMedia(Controls controls, ScenarioState& state) : c_(controls), state_(state) {}

void EditorMedia::showPictureName(const QString& name) {
    c_.LaBmp.setText(name.isEmpty() ? NoPictureCaption : name);
    PictureBox::describe(c_.PaObrazek, name);
}

void EditorMedia::czysc() {
    showPictureName({});
    state_.dropMediaOfNew();
    c_.PaObrazek.update();
    c_.LaWAV.setText(NoSoundCaption);
    c_.MPwav.setFileName(QString());
    c_.MPwav.close();
}

void EditorMedia::choose(MediaKind kind, const QString& name) {
    const bool sound = kind == MediaKind::Sounds;
    state_.setMedia(sound, name);
    if (sound) {
        c_.LaWAV.setText(name.isEmpty() ? NoSoundCaption : state_.krok().Wav.text());
        c_.MPwav.setFileName(name.isEmpty() ? QString()
                                            : MediaFiles::soundPath(state_.folder(), name));
    } else {
        c_.LaBmp.setText(name.isEmpty() ? NoPictureCaption : state_.krok().Bmp.text());
        PictureBox::describe(c_.PaObrazek, name.isEmpty() ? QString() : state_.krok().Bmp.text());
        c_.PaObrazek.repaint();
    }
}

void EditorMedia::pokaz() {
    showPictureName(state_.krok().Bmp.text());
    if (!state_.krok().Bmp.isEmpty()) {
        const QString file = MediaFiles::findPicture(state_.folder(), state_.krok().Bmp.text());
        if (!file.isEmpty()) {
            // Read now so that a bad picture is reported once, here.
            picture_.load(file);
            pictureName_ = state_.krok().Bmp.text();
            pictureFolder_ = state_.folder();
            pictureFile_ = file;
            c_.PaObrazek.update();
        }
    }

    if (state_.krok().Wav.isEmpty()) {
        c_.LaWAV.setText(NoSoundCaption);
        c_.MPwav.setFileName(QString());
        return;
    }
    c_.LaWAV.setText(state_.krok().Wav.text());
    const QString file = MediaFiles::findSound(state_.folder(), state_.krok().Wav.text());
    if (file.isEmpty())
        return;
    c_.MPwav.setFileName(file);
    try {
        c_.MPwav.open();
    } catch (const AppError& error) {
        c_.MPwav.setFileName(QString());
        if (!soundReport_)
            throw;
        soundReport_(error);
    }
}

void EditorMedia::maluj(QPainter& painter) {
    PictureBox::fill(painter);
    const QString name = state_.krok().Bmp.text();
    showPictureName(name);
    if (name.isEmpty())
        return;
    if (pictureFile_.isEmpty() || name != pictureName_ || state_.folder() != pictureFolder_) {
        pictureName_ = name;
        pictureFolder_ = state_.folder();
        pictureFile_ = MediaFiles::findPicture(state_.folder(), name);
    }
    if (pictureFile_.isEmpty())
        return;
    picture_.repaint(painter, pictureFile_);
}
