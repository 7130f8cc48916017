#include "MessageBoxes.h"

#include <QApplication>
#include <QGridLayout>
#include <QMessageBox>
#include <QPushButton>
#include <QSpacerItem>

namespace {

// Shows a modal box with one plain "OK" button, wide enough for its title.
void showBox(QMessageBox::Icon icon, const QString& title, const QString& text, QWidget* owner) {
    QMessageBox box(icon, title, text, QMessageBox::Ok, owner);
    // Texts come from scenarios and file names: never read them as markup.
    box.setTextFormat(Qt::PlainText);
    box.button(QMessageBox::Ok)->setIcon(QIcon());
    // The window system cuts a title that is wider than a short message.
    if (auto* grid = qobject_cast<QGridLayout*>(box.layout())) {
        const int titleWidth = box.fontMetrics().horizontalAdvance(title) + 120;
        grid->addItem(new QSpacerItem(titleWidth, 0, QSizePolicy::Minimum, QSizePolicy::Fixed),
                      grid->rowCount(), 0, 1, grid->columnCount());
    }
    box.exec();
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
