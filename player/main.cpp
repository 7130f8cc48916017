#include "PlayerWindows.h"
#include "PosixRecordFile.h"
#include "QtSoundDevice.h"

#include <QApplication>

int main(int argc, char* argv[]) {
    // The FFmpeg sound back end of older Qt releases crashes without a sound server.
    if (!qEnvironmentVariableIsSet("QT_MEDIA_BACKEND"))
        qputenv("QT_MEDIA_BACKEND", "gstreamer");
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Zozozarov"));

    QtMessageBoxes boxes(QStringLiteral("Zozozarov"));
    QtFileOpenDialog dialog(FileOpenDialog::Options{});
    PosixRecordFileFactory files;
    const PlayerServices services{boxes, dialog, files, makeQtSoundDevice};

    PlayerWindows windows(services, [] { QApplication::quit(); });
    windows.menu.show();
    return QApplication::exec();
}
