#include "PosixRecordFile.h"
#include "Ulista.h"
#include "Urpggra.h"
#include "Urpgmenu.h"

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

    TFoRPGMenu menu(services, [] { QApplication::quit(); });
    TFoRpgGra gra(services, menu.scenario());
    TFoLista lista;
    menu.setWindows(&gra, &lista);
    gra.setMenu(&menu);
    lista.setMenu(&menu);

    menu.show();
    return QApplication::exec();
}
