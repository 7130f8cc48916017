#include "platform/ui/WindowFrame.h"

#include <QEvent>
#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

namespace {

// Centres its window when the window is shown for the first time, then goes.
class CentreOnFirstShow : public QObject {
public:
    using QObject::QObject;

    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Show && !event->spontaneous()) {
            auto* window = static_cast<QWidget*>(watched);
            const QScreen* screen =
                window->screen() ? window->screen() : QGuiApplication::primaryScreen();
            if (screen) {
                QRect frame = window->frameGeometry();
                frame.moveCenter(screen->availableGeometry().center());
                window->move(frame.topLeft());
            }
            deleteLater();
            window->removeEventFilter(this);
        }
        return false;
    }
};

} // namespace

namespace WindowFrame {

void makeFixed(QWidget* window, int clientWidth, int clientHeight, bool minimiseBox) {
    Qt::WindowFlags flags = Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                            Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint |
                            Qt::MSWindowsFixedSizeDialogHint;
    if (minimiseBox)
        flags |= Qt::WindowMinimizeButtonHint;
    window->setWindowFlags(flags);
    window->setFixedSize(clientWidth, clientHeight);
    window->installEventFilter(new CentreOnFirstShow(window));
}

void makeGrowing(QWidget* window, int clientWidth, int clientHeight) {
    window->setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                           Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint |
                           Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint);
    window->setMinimumSize(clientWidth, clientHeight);
    window->resize(clientWidth, clientHeight);
    window->installEventFilter(new CentreOnFirstShow(window));
}

} // namespace WindowFrame
