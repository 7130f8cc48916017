#include "player/Ulista.h"

#include "platform/ui/Controls.h"
#include "platform/ui/WindowFrame.h"

#include <QCloseEvent>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QPushButton>

namespace {

QLabel* creditLine(QWidget* parent, const char* name, const QString& text, int left, int top,
                   int px = 13) {
    auto* l = Controls::label(parent, name, text, {left, top, 200, 15}, Controls::times(px));
    l->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    return l;
}

// The green check mark of an OK button.
QIcon checkMark() {
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    QPen pen(QColor(0, 128, 0), 2.5);
    painter.setPen(pen);
    QPainterPath tick;
    tick.moveTo(2.5, 8.5);
    tick.lineTo(6.5, 12.5);
    tick.lineTo(13.5, 3.5);
    painter.drawPath(tick);
    return QIcon(pixmap);
}

} // namespace

TFoLista::TFoLista() {
    setObjectName(QStringLiteral("FoLista"));
    setWindowTitle(QStringLiteral("Lista"));
    WindowFrame::makeFixed(this, 231, 181);
    setFont(Controls::font(QStringLiteral("System"), 13));

    Label1 = creditLine(this, "Label1", QStringLiteral("Gra: zespół Tekstówek"), 16, 9);
    Label2 = creditLine(this, "Label2", QStringLiteral("Edytor: zespół Tekstówek"), 17, 33);
    Label3 = creditLine(this, "Label3", QStringLiteral("Testerzy (dzięki za współprace):"), 17, 57);
    Label4 = creditLine(this, "Label4", QStringLiteral("Tester Pierwszy"), 17, 73);
    Label5 = creditLine(this, "Label5", QStringLiteral("Testerka Druga"), 17, 89);
    Label6 = creditLine(this, "Label6", QStringLiteral("Tester Trzeci"), 17, 105);
    Label8 = creditLine(this, "Label8", QStringLiteral("tekstowki@example.org"), 17, 129, 11);

    BitBtn1 = Controls::button(this, "BitBtn1", QStringLiteral("OK"), {84, 152, 66, 24},
                               Controls::times(19));
    BitBtn1->setIcon(checkMark());
    BitBtn1->setDefault(true);
    BitBtn1->setAutoDefault(true);
    BitBtn1->setAccessibleDescription(QStringLiteral("Wraca do menu"));

    connect(BitBtn1, &QPushButton::clicked, this, &TFoLista::BitBtn1Click);
}

void TFoLista::closeEvent(QCloseEvent* event) {
    FormClose();
    event->accept();
}

void TFoLista::showCredits() {
    show();
    setWindowTitle(QStringLiteral("Lista tworcow"));
}

void TFoLista::BitBtn1Click() {
    emit left();
    hide();
}

void TFoLista::FormClose() {
    emit left();
    setVisible(false);
}
