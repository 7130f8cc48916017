#include "EditorServices.h"
#include "EditorWindows.h"
#include "core/PosixRecordFile.h"
#include "media/QtSoundDevice.h"
#include "media/SoundBackend.h"

#include <QApplication>

int main(int argc, char* argv[]) {
    useGStreamerSoundBackend();
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Diziru"));

    QtMessageBoxes boxes(QStringLiteral("Diziru"));
    QtFileOpenDialog dialog(
        FileOpenDialog::Options{QStringLiteral("Open/New"), QStringLiteral("Kro"), false, true});
    PosixRecordFileFactory files;
    const EditorServices services{boxes, dialog, files, makeQtSoundDevice};

    EditorWindows windows(services);
    windows.edytor.show();
    return QApplication::exec();
}
