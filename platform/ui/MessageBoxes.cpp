#include "platform/ui/MessageBoxes.h"

#include <QApplication>
#include <QGridLayout>
#include <QMessageBox>
#include <QPushButton>
#include <QSpacerItem>

namespace {

// Shows a modal box with plain buttons, wide enough for its title; returns the button pressed.
QMessageBox::StandardButton showBox(QMessageBox::Icon icon, const QString& title,
                                    const QString& text, QWidget* owner,
                                    QMessageBox::StandardButtons buttons = QMessageBox::Ok) {
    QMessageBox box(icon, title, text, buttons, owner);
    // Texts come from scenarios and file names: never read them as markup.
    box.setTextFormat(Qt::PlainText);
    for (QAbstractButton* button : box.buttons())
        button->setIcon(QIcon());
    if (buttons & QMessageBox::Yes) {
        box.button(QMessageBox::Yes)->setText(QStringLiteral("Tak"));
        box.button(QMessageBox::No)->setText(QStringLiteral("Nie"));
        box.setDefaultButton(QMessageBox::No);
        box.setEscapeButton(QMessageBox::No);
    }
    // The window system cuts a title that is wider than a short message.
    if (auto* grid = qobject_cast<QGridLayout*>(box.layout())) {
        const int titleWidth = box.fontMetrics().horizontalAdvance(title) + 120;
        grid->addItem(new QSpacerItem(titleWidth, 0, QSizePolicy::Minimum, QSizePolicy::Fixed),
                      grid->rowCount(), 0, 1, grid->columnCount());
    }
    box.exec();
    return box.standardButton(box.clickedButton());
}

} // namespace

QtMessageBoxes::QtMessageBoxes(QString programName, QWidget* parent)
    : programName_(std::move(programName)), parent_(parent) {}

QWidget* QtMessageBoxes::owner() const {
    return parent_ ? parent_ : QApplication::activeWindow();
}

void QtMessageBoxes::message(const QString& text) {
    showBox(QMessageBox::NoIcon, programName_, text, owner());
}

void QtMessageBoxes::error(const AppError& error) {
    showBox(QMessageBox::Critical, programName_, standardErrorText(error.message()), owner());
}

bool QtMessageBoxes::question(const QString& text) {
    return showBox(QMessageBox::NoIcon, programName_, text, owner(),
                   QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes;
}
