#include <QApplication>
#include <QWidget>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Diziru"));
    QWidget editor;
    editor.setWindowTitle(QStringLiteral("Diziru tekstówek"));
    editor.show();
    return QApplication::exec();
}
