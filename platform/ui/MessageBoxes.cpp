#include "MessageBoxes.h"

#include <QMessageBox>

QtMessageBoxes::QtMessageBoxes(QString programName, QWidget* parent)
    : programName_(std::move(programName)), parent_(parent) {}

void QtMessageBoxes::message(const QString& text) {
    QMessageBox box(QMessageBox::NoIcon, programName_, text, QMessageBox::Ok, parent_);
    box.exec();
}

void QtMessageBoxes::error(const AppError& error) {
    QMessageBox box(QMessageBox::Critical, programName_, standardErrorText(error.message()),
                    QMessageBox::Ok, parent_);
    box.exec();
}
