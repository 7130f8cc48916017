#include "MessageBoxes.h"

#include <QApplication>
#include <QMessageBox>

QtMessageBoxes::QtMessageBoxes(QString programName, QWidget* parent)
    : programName_(std::move(programName)), parent_(parent) {}

QWidget* QtMessageBoxes::owner() const {
    return parent_ ? parent_ : QApplication::activeWindow();
}

void QtMessageBoxes::message(const QString& text) {
    QMessageBox box(QMessageBox::NoIcon, programName_, text, QMessageBox::Ok, owner());
    // Texts come from scenarios and file names: never read them as markup.
    box.setTextFormat(Qt::PlainText);
    box.exec();
}

void QtMessageBoxes::error(const AppError& error) {
    QMessageBox box(QMessageBox::Critical, programName_, standardErrorText(error.message()),
                    QMessageBox::Ok, owner());
    box.setTextFormat(Qt::PlainText);
    box.exec();
}
