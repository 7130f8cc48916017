#pragma once
// The message box and the standard error box.

#include "platform/core/AppError.h"

#include <QString>

class QWidget;

// The two modal boxes of both programs, titled with the program's name.
class MessageBoxes {
public:
    virtual ~MessageBoxes() = default;
    // A message of the program's own: the text, one "OK", no icon.
    virtual void message(const QString& text) = 0;
    // The standard error box: stop icon, one "OK", the error's message with
    // the full-stop rule applied.
    virtual void error(const AppError& error) = 0;
    // A question of the program's own: the text, "Tak" and "Nie", no icon; true for "Tak".
    virtual bool question(const QString& text) = 0;
};

// The real boxes, over the parent window given, or else the active window.
class QtMessageBoxes : public MessageBoxes {
public:
    QtMessageBoxes(QString programName, QWidget* parent = nullptr);
    void setParent(QWidget* parent) { parent_ = parent; }
    void message(const QString& text) override;
    void error(const AppError& error) override;
    bool question(const QString& text) override;

private:
    QWidget* owner() const;

    QString programName_;
    QWidget* parent_;
};
