#include <QApplication>
#include <QWidget>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Zozozarov"));
    QWidget menu;
    menu.setWindowTitle(QStringLiteral("Menu"));
    menu.setFixedSize(260, 218);
    menu.show();
    return QApplication::exec();
}
