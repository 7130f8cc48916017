#include "PlayerWindows.h"
#include "core/PosixRecordFile.h"
#include "media/QtSoundDevice.h"
#include "media/SoundBackend.h"

#include <QApplication>
#include <QTimer>

int main(int argc, char* argv[]) {
    useGStreamerSoundBackend();
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Zozozarov"));

    QtMessageBoxes boxes(QStringLiteral("Zozozarov"));
    // run.sh opens the first scenario dialog in the demo's folder; the player itself has no
    // settings, and without the variable the dialog opens where Qt chooses.
    QtFileOpenDialog dialog(FileOpenDialog::Options{});
    dialog.setStartFolder(qEnvironmentVariable("KIT_SCENARIO_FOLDER"));
    PosixRecordFileFactory files;
    const PlayerServices services{boxes, dialog, files, makeQtSoundDevice};

    PlayerWindows windows(services, [] { QApplication::quit(); });
    windows.menu.show();
    // The start-up benchmark times the program up to the menu shown.
    if (qEnvironmentVariableIsSet("KIT_QUIT_WHEN_SHOWN"))
        QTimer::singleShot(0, &app, &QCoreApplication::quit);
    return QApplication::exec();
}
