#include "Urpgmenu.h"

#include "Ulista.h"
#include "Urpggra.h"
#include "WindowFrame.h"

#include <QCloseEvent>
#include <QLabel>
#include <QPushButton>

namespace {

const QString kTimes = QStringLiteral("Times New Roman");

QLabel* label(QWidget* parent, const char* name, const QString& text, QRect geometry, int px) {
    auto* l = new QLabel(text, parent);
    l->setObjectName(QString::fromLatin1(name));
    l->setTextFormat(Qt::PlainText);
    l->setGeometry(geometry);
    l->setFont(WindowFrame::font(kTimes, px));
    return l;
}

QPushButton* button(QWidget* parent, const char* name, const QString& text, QRect geometry,
                    int px) {
    auto* b = new QPushButton(text, parent);
    b->setObjectName(QString::fromLatin1(name));
    b->setGeometry(geometry);
    b->setFont(WindowFrame::font(kTimes, px));
    return b;
}

} // namespace

TFoRPGMenu::TFoRPGMenu(PlayerServices services, std::function<void()> terminate)
    : services_(std::move(services)), terminate_(std::move(terminate)) {
    setObjectName(QStringLiteral("FoRPGMenu"));
    setWindowTitle(QStringLiteral("Menu"));
    WindowFrame::makeFixed(this, 260, 218);
    setFont(WindowFrame::font(kTimes, 13));

    BuStart = button(this, "BuStart", QStringLiteral("&Start:"), {85, 63, 89, 33}, 19);
    BuKoniec = button(this, "BuKoniec", QStringLiteral("&Koniec"), {85, 157, 89, 33}, 19);
    Label1 = label(this, "Label1", QStringLiteral("Menu:"), {9, 8, 38, 19}, 16);
    Label2 =
        label(this, "Label2", QStringLiteral("Witamy w grze  tekstowej"), {41, 32, 192, 21}, 19);
    Label3 = label(this, "Label3", QStringLiteral("<< Dzieki nim stało się to możliwe"),
                   {81, 202, 169, 15}, 12);
    BuPlansza =
        button(this, "BuPlansza", QStringLiteral("Wybór Scenariusza"), {48, 122, 161, 33}, 19);
    BuTworcy = button(this, "BuTworcy", QStringLiteral("Twórcy"), {0, 200, 49, 17}, 13);
    // A long path keeps its end, the file name, in view.
    Label4 = label(this, "Label4", QString(), {24, 96, 209, 15}, 13);
    Label4->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    Label4->setFixedSize(209, 15);
    Label14 = label(this, "Label14", QStringLiteral("V: 1.0 "), {227, 0, 31, 14}, 11);
    Label14->setForegroundRole(QPalette::WindowText);
    // These labels take the size of their text, whatever the font's metrics.
    for (QLabel* autoSized : {Label1, Label2, Label3, Label14})
        autoSized->adjustSize();

    setTabOrder(BuStart, BuKoniec);
    setTabOrder(BuKoniec, BuPlansza);
    setTabOrder(BuPlansza, BuTworcy);

    connect(BuStart, &QPushButton::clicked, this, [this] { BuStartClick(); });
    connect(BuKoniec, &QPushButton::clicked, this, [this] { BuKoniecClick(); });
    connect(BuPlansza, &QPushButton::clicked, this, [this] { BuPlanszaClick(); });
    connect(BuTworcy, &QPushButton::clicked, this, [this] { BuTworcyClick(); });
}

void TFoRPGMenu::setWindows(TFoRpgGra* gra, TFoLista* lista) {
    gra_ = gra;
    lista_ = lista;
}

void TFoRPGMenu::closeEvent(QCloseEvent* event) {
    FormClose();
    event->accept();
}

void TFoRPGMenu::BuStartClick() {
    if (scenario_.path.isEmpty()) {
        services_.boxes.message(QStringLiteral("Wybierz Scenariusz"));
        return;
    }
    hide();
    gra_->show();
}

void TFoRPGMenu::BuPlanszaClick() {
    const std::optional<QString> chosen = services_.scenarioDialog.execute(this);
    if (!chosen)
        return;
    scenario_.path = *chosen;
    Label4->setText(scenario_.path);
    scenario_.folder = scenario_.path.left(scenario_.path.lastIndexOf(u'/') + 1);
}

void TFoRPGMenu::BuTworcyClick() {
    lista_->show();
    hide();
    lista_->setWindowTitle(QStringLiteral("Lista tworcow"));
}

void TFoRPGMenu::BuKoniecClick() {
    gra_->hide();
    lista_->hide();
    hide();
    FormClose();
}

void TFoRPGMenu::FormClose() {
    gra_->close();
    lista_->close();
    terminate_();
}
