#pragma once

#include <QDialog>

class QLabel;
class QPushButton;

// The credits window. "OK" (also Enter) or closing it returns to the menu.
class TFoLista : public QDialog {
    Q_OBJECT

public:
    TFoLista();

    void setMenu(QWidget* menu) { menu_ = menu; }

    QPushButton* BitBtn1;
    QLabel* Label1;
    QLabel* Label2;
    QLabel* Label3;
    QLabel* Label4;
    QLabel* Label5;
    QLabel* Label6;
    QLabel* Label8;

    // Escape does nothing here, as the window has no cancel button.
    void reject() override {}

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void BitBtn1Click();
    void FormClose();

    QWidget* menu_ = nullptr;
};
