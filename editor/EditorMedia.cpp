#include "EditorMedia.h"

#include "common/MediaFiles.h"
#include "core/AppError.h"
#include "core/Bitmap.h"
#include "ui/PaintBox.h"
#include "ui/PictureBox.h"
#include "ui/SoundControl.h"

#include <QLabel>

namespace {
const QString kNoPicture = QStringLiteral("?.BMP");
const QString kNoSound = QStringLiteral("?.WAV");
} // namespace

EditorMedia::EditorMedia(Controls controls, State state) : c_(controls), s_(std::move(state)) {}

void EditorMedia::czysc() {
    const bool nowa = s_.nowaSytuacja && s_.nowaSytuacja();
    c_.LaBmp.setText(kNoPicture);
    if (nowa) {
        s_.krok.Bmp.len = 0;
        s_.rekord.Bmp.len = 0;
    }
    c_.PaObrazek.update();
    c_.LaWAV.setText(kNoSound);
    if (nowa) {
        s_.krok.Wav.len = 0;
        s_.rekord.Wav.len = 0;
    }
    c_.MPwav.setFileName(QString());
    c_.MPwav.close();
}

void EditorMedia::pokaz() {
    if (s_.krok.Bmp.isEmpty()) {
        c_.LaBmp.setText(kNoPicture);
    } else {
        c_.LaBmp.setText(s_.krok.Bmp.text());
        const QString file = MediaFiles::findPicture(s_.folder, s_.krok.Bmp.text());
        if (!file.isEmpty()) {
            // Read now so that a bad picture is reported once, here.
            picture_.load(file);
            pictureName_ = s_.krok.Bmp.text();
            pictureFolder_ = s_.folder;
            pictureFile_ = file;
            c_.PaObrazek.update();
        }
    }

    if (s_.krok.Wav.isEmpty()) {
        c_.LaWAV.setText(kNoSound);
        c_.MPwav.setFileName(QString());
        return;
    }
    c_.LaWAV.setText(s_.krok.Wav.text());
    const QString file = MediaFiles::findSound(s_.folder, s_.krok.Wav.text());
    if (!file.isEmpty()) {
        c_.MPwav.setFileName(file);
        c_.MPwav.open();
    }
}

void EditorMedia::maluj(QPainter& painter) {
    PictureBox::fill(painter);
    if (s_.krok.Bmp.isEmpty()) {
        c_.LaBmp.setText(kNoPicture);
        return;
    }
    c_.LaBmp.setText(s_.krok.Bmp.text());
    const QString name = s_.krok.Bmp.text();
    if (pictureFile_.isEmpty() || name != pictureName_ || s_.folder != pictureFolder_) {
        pictureName_ = name;
        pictureFolder_ = s_.folder;
        pictureFile_ = MediaFiles::findPicture(s_.folder, name);
    }
    if (pictureFile_.isEmpty())
        return;
    picture_.repaint(painter, pictureFile_);
}
