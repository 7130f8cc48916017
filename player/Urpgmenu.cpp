#include "player/Urpgmenu.h"

#include "common/ScenarioFiles.h"
#include "platform/ui/Controls.h"
#include "platform/ui/WindowFrame.h"

#include <QCloseEvent>
#include <QLabel>
#include <QPushButton>

using Controls::button;
using Controls::label;
using Controls::times;

TFoRPGMenu::TFoRPGMenu(PlayerServices services, std::function<void()> terminate)
    : services_(std::move(services)), terminate_(std::move(terminate)) {
    setObjectName(QStringLiteral("FoRPGMenu"));
    setWindowTitle(QStringLiteral("Menu"));
    WindowFrame::makeFixed(this, 260, 218);
    setFont(times(13));

    BuStart = button(this, "BuStart", QStringLiteral("&Start:"), {85, 63, 89, 33}, times(19));
    BuKoniec = button(this, "BuKoniec", QStringLiteral("&Koniec"), {85, 157, 89, 33}, times(19));
    Label1 = label(this, "Label1", QStringLiteral("Menu:"), {9, 8, 38, 19}, times(16));
    Label2 = label(this, "Label2", QStringLiteral("Witamy w grze  tekstowej"), {41, 32, 192, 21},
                   times(19));
    Label3 = label(this, "Label3", QStringLiteral("<< Dzieki nim stało się to możliwe"),
                   {81, 202, 169, 15}, times(12));
    BuPlansza = button(this, "BuPlansza", QStringLiteral("Wybór Scenariusza"), {48, 122, 161, 33},
                       times(19));
    BuTworcy = button(this, "BuTworcy", QStringLiteral("Twórcy"), {0, 200, 49, 17}, times(13));
    // A long path keeps its end, the file name, in view.
    Label4 = label(this, "Label4", QString(), {24, 96, 209, 15}, times(13));
    Label4->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    Label4->setFixedSize(209, 15);
    Label14 = label(this, "Label14", QStringLiteral("V: 1.0 "), {227, 0, 31, 14}, times(11));
    Label14->setForegroundRole(QPalette::WindowText);
    // These labels take the size of their text, whatever the font's metrics.
    for (QLabel* autoSized : {Label1, Label2, Label3, Label14})
        autoSized->adjustSize();

    // What a screen reader says of the controls beyond their captions.
    BuStart->setAccessibleName(QStringLiteral("Start"));
    BuStart->setAccessibleDescription(QStringLiteral("Zaczyna grę w wybranym scenariuszu"));
    BuKoniec->setAccessibleDescription(QStringLiteral("Kończy program"));
    BuPlansza->setAccessibleDescription(QStringLiteral("Wybiera plik scenariusza (*.Kro)"));
    BuTworcy->setAccessibleDescription(QStringLiteral("Pokazuje listę twórców"));
    Label4->setAccessibleDescription(QStringLiteral("Wybrany scenariusz"));

    setTabOrder(BuStart, BuKoniec);
    setTabOrder(BuKoniec, BuPlansza);
    setTabOrder(BuPlansza, BuTworcy);

    connect(BuStart, &QPushButton::clicked, this, &TFoRPGMenu::BuStartClick);
    connect(BuKoniec, &QPushButton::clicked, this, &TFoRPGMenu::BuKoniecClick);
    connect(BuPlansza, &QPushButton::clicked, this, &TFoRPGMenu::BuPlanszaClick);
    connect(BuTworcy, &QPushButton::clicked, this, &TFoRPGMenu::BuTworcyClick);
}

void TFoRPGMenu::closeEvent(QCloseEvent* event) {
    FormClose();
    event->accept();
}

void TFoRPGMenu::otherWindowLeft() {
    if (!ending_)
        show();
}

void TFoRPGMenu::BuStartClick() {
    playFrom(1);
}

void TFoRPGMenu::playFrom(std::int32_t number) {
    if (scenario_.path.isEmpty()) {
        services_.boxes.message(QStringLiteral("Wybierz Scenariusz"));
        return;
    }
    hide();
    emit gameStarted(scenario_, number);
}

void TFoRPGMenu::BuPlanszaClick() {
    if (const std::optional<QString> chosen = services_.scenarioDialog.execute(this))
        chooseScenario(*chosen);
}

bool TFoRPGMenu::chooseNamed(const QString& path) {
    const std::optional<QString> confirmed = services_.scenarioDialog.confirm(this, path);
    if (confirmed)
        chooseScenario(*confirmed);
    return confirmed.has_value();
}

void TFoRPGMenu::chooseScenario(const QString& path) {
    scenario_.path = path;
    Label4->setText(scenario_.path);
    scenario_.folder = folderOfScenario(scenario_.path);
}

void TFoRPGMenu::BuTworcyClick() {
    emit creditsOpened();
    hide();
}

void TFoRPGMenu::BuKoniecClick() {
    // From here on nothing is shown again: leaving the game while it closes
    // must not bring the menu back.
    ending_ = true;
    emit othersHidden();
    hide();
    FormClose();
}

void TFoRPGMenu::FormClose() {
    ending_ = true;
    emit othersClosed();
    terminate_();
}
