#pragma once
// The credits window TFoLista: "OK" (also Enter) or closing it returns to the menu.

#include <QDialog>

class QLabel;
class QPushButton;

class TFoLista : public QDialog {
    Q_OBJECT

public:
    TFoLista();

    // Escape does nothing here, as the window has no cancel button.
    void reject() override {}

signals:
    // The credits were left; the menu shows itself again.
    void left();

public slots:
    // Shows the credits, captioned "Lista tworcow".
    void showCredits();

protected:
    void closeEvent(QCloseEvent* event) override;

private slots:
    void BitBtn1Click();

private:
    void FormClose();

    // The controls, each named by its object name.
    QPushButton* BitBtn1;
    QLabel* Label1;
    QLabel* Label2;
    QLabel* Label3;
    QLabel* Label4;
    QLabel* Label5;
    QLabel* Label6;
    QLabel* Label8;
};
