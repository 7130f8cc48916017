// The floor for the programs' start-up: a Qt program that shows one empty window. With
// KIT_QUIT_WHEN_SHOWN set it ends as soon as the window is shown, as the player does.

#include <QApplication>
#include <QTimer>
#include <QWidget>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QWidget window;
    window.resize(380, 250);
    window.show();
    if (qEnvironmentVariableIsSet("KIT_QUIT_WHEN_SHOWN"))
        QTimer::singleShot(0, &app, &QCoreApplication::quit);
    return QApplication::exec();
}
