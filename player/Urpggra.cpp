#include "player/Urpggra.h"

#include "common/MediaFiles.h"
#include "platform/core/AppError.h"
#include "platform/core/Bitmap.h"
#include "platform/ui/Controls.h"
#include "platform/ui/Guarded.h"
#include "platform/ui/PaintBox.h"
#include "platform/ui/PictureBox.h"
#include "platform/ui/SoundControl.h"
#include "platform/ui/WindowFrame.h"

#include <QCloseEvent>
#include <QFrame>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>

namespace {

QPushButton* choiceButton(QWidget* parent, const char* name, const QString& text, int top) {
    return Controls::button(parent, name, text, {16, top, 33, 29},
                            Controls::font(QStringLiteral("Arial"), 13));
}

QLabel* choiceLabel(QWidget* parent, const char* name, int top, int height) {
    auto* label = Controls::label(parent, name, {}, {60, top, 293, height}, Controls::times(13));
    label->setWordWrap(false);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    return label;
}

} // namespace

TFoRpgGra::TFoRpgGra(PlayerServices services)
    : services_(std::move(services)), game_(services_.files) {
    setObjectName(QStringLiteral("FoRpgGra"));
    setWindowTitle(QStringLiteral("Gra"));
    WindowFrame::makeFixed(this, 439, 318);
    setFont(Controls::font(QStringLiteral("System"), 13));

    BuWyjscie = Controls::button(this, "BuWyjscie", QStringLiteral("&Wyjście"), {360, 280, 74, 25},
                                 Controls::times(16));

    BuWybor1 = choiceButton(this, "BuWybor1", QStringLiteral("1"), 180);
    BuWybor2 = choiceButton(this, "BuWybor2", QStringLiteral("2"), 212);
    BuWybor3 = choiceButton(this, "BuWybor3", QStringLiteral("3"), 244);
    BuWybor4 = choiceButton(this, "BuWybor4", QStringLiteral("4"), 276);
    LaWybor1 = choiceLabel(this, "LaWybor1", 188, 19);
    LaWybor2 = choiceLabel(this, "LaWybor2", 220, 19);
    LaWybor3 = choiceLabel(this, "LaWybor3", 252, 19);
    LaWybor4 = choiceLabel(this, "LaWybor4", 284, 15);

    MeOpis =
        Controls::make<QPlainTextEdit>(this, "MeOpis", {16, 16, 241, 145}, Controls::times(15));
    MeOpis->setReadOnly(true);
    MeOpis->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    MeOpis->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    MeOpis->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);

    Bevel1 = Controls::make<QFrame>(this, "Bevel1", {280, 16, 145, 145}, font());
    Bevel1->setFrameStyle(QFrame::Panel | QFrame::Raised);
    Bevel1->setLineWidth(1);

    PaObrazek = Controls::make<PaintBox>(this, "PaObrazek",
                                         {288, 24, PictureBox::Size, PictureBox::Size}, font());
    PaObrazek->setPaintHandler([this](QPainter& painter) { PaObrazekPaint(painter); });

    MPWav = Controls::place(new SoundControl(services_.soundDevice(), this), "MPWav",
                            {337, 168, 85, 20}, font());
    MPWav->setVisible(false);

    // What a screen reader says of the controls; the choice buttons take their choice texts
    // from each situation shown.
    BuWyjscie->setAccessibleName(QStringLiteral("Wyjście"));
    BuWyjscie->setAccessibleDescription(QStringLiteral("Kończy grę i wraca do menu"));
    MeOpis->setAccessibleName(QStringLiteral("Opis sytuacji"));
    PictureBox::describe(*PaObrazek, {});
    nameChoiceButtons();

    setTabOrder(BuWyjscie, BuWybor1);
    setTabOrder(BuWybor1, BuWybor2);
    setTabOrder(BuWybor2, BuWybor3);
    setTabOrder(BuWybor3, BuWybor4);
    setTabOrder(BuWybor4, MeOpis);

    connect(BuWyjscie, &QPushButton::clicked, this, &TFoRpgGra::BuWyjscieClick);
    connect(BuWybor1, &QPushButton::clicked, this, [this] { BuWyborClick(1); });
    connect(BuWybor2, &QPushButton::clicked, this, [this] { BuWyborClick(2); });
    connect(BuWybor3, &QPushButton::clicked, this, [this] { BuWyborClick(3); });
    connect(BuWybor4, &QPushButton::clicked, this, [this] { BuWyborClick(4); });
    ustawPrzyciski();
}

TFoRpgGra::~TFoRpgGra() = default;

// --- events ----------------------------------------------------------------

void TFoRpgGra::showEvent(QShowEvent* event) {
    if (!event->spontaneous())
        FormShow();
    QWidget::showEvent(event);
}

void TFoRpgGra::hideEvent(QHideEvent* event) {
    if (!event->spontaneous())
        FormHide();
    QWidget::hideEvent(event);
}

void TFoRpgGra::closeEvent(QCloseEvent* event) {
    // Closing only hides the window and returns to the menu.
    BuWyjscieClick();
    event->accept();
}

void TFoRpgGra::startGame(const ScenarioChoice& scenario, std::int32_t number) {
    scenario_ = scenario;
    startNumber_ = number;
    show();
    // A game that could not begin elsewhere leaves at once; one that could not begin at
    // situation 1 keeps the window, as the ordinary start always has.
    if (!started_ && number != 1)
        BuWyjscieClick();
}

void TFoRpgGra::BuWyjscieClick() {
    hide();
    emit left();
}

void TFoRpgGra::FormShow() {
    started_ = guarded(services_.boxes, [this] {
        CzyscOkno();
        OtworzScenariusz();
        ustawPrzyciski();
        // Only a game started elsewhere than situation 1 can be over at once.
        if (game_.isOver())
            KoniecGry();
    });
}

void TFoRpgGra::FormHide() {
    // A game that could not begin at its situation leaves at once: its error is shown already,
    // and a file that did not open is no second error.
    if (!started_ && startNumber_ != 1)
        guarded(services_.boxes, [this] { game_.closeOpen(); });
    else
        guarded(services_.boxes, [this] { game_.close(); });
}

void TFoRpgGra::BuWyborClick(int wybor) {
    guarded(services_.boxes, [this, wybor] {
        CzyscOkno();
        // Only the buttons of the choices offered are enabled: the game takes every click.
        if (!game_.choose(wybor, [this] { Pokaz(); }))
            return;
        ustawPrzyciski();
        if (game_.isOver())
            KoniecGry();
    });
}

void TFoRpgGra::PaObrazekPaint(QPainter& painter) {
    PictureBox::fill(painter);
    if (!obrazPokazany_ || game_.pictureName().isEmpty())
        return;
    // The file was found and loaded when the situation was shown.
    obraz_.repaint(painter, obraz_.path());
}

// --- the game ----------------------------------------------------------------

void TFoRpgGra::OtworzScenariusz() {
    game_.startAt(scenario_.path, startNumber_, [this] { Pokaz(); });
}

void TFoRpgGra::CzyscOkno() {
    MeOpis->clear();
    MeOpis->setAccessibleDescription(QString());
    LaWybor1->clear();
    LaWybor2->clear();
    LaWybor3->clear();
    LaWybor4->clear();
    obrazPokazany_ = false;
    PictureBox::describe(*PaObrazek, {});
    PaObrazek->update();
    MPWav->close();
}

std::array<QPushButton*, 4> TFoRpgGra::choiceButtons() const {
    return {BuWybor1, BuWybor2, BuWybor3, BuWybor4};
}

void TFoRpgGra::nameChoiceButtons() {
    const TKrok& sytuacja = game_.situation();
    const std::array<QString, 4> texts = {sytuacja.Wybor1.text(), sytuacja.Wybor2.text(),
                                          sytuacja.Wybor3.text(), sytuacja.Wybor4.text()};
    const std::array<QPushButton*, 4> buttons = choiceButtons();
    for (std::size_t i = 0; i < buttons.size(); ++i) {
        const QString number = QStringLiteral("Wybór %1").arg(i + 1);
        const QString name = texts[i].isEmpty() ? number : texts[i];
        // A rename of the focused button is what a screen reader speaks after a step.
        if (buttons[i]->accessibleName() != name)
            buttons[i]->setAccessibleName(name);
        if (buttons[i]->accessibleDescription() != number)
            buttons[i]->setAccessibleDescription(number);
    }
}

void TFoRpgGra::ustawPrzyciski() {
    const std::array<bool, 4>& offered = game_.choicesOffered();
    const std::array<QPushButton*, 4> buttons = choiceButtons();
    for (std::size_t i = 0; i < buttons.size(); ++i)
        buttons[i]->setEnabled(offered[i]);
}

void TFoRpgGra::KoniecGry() {
    // ustawPrzyciski has disabled every choice button: an ended game offers none.
    services_.boxes.message(QStringLiteral("To juz koniec gry"));
}

void TFoRpgGra::Pokaz() {
    const TKrok& sytuacja = game_.situation();
    LaWybor1->setText(sytuacja.Wybor1.text());
    LaWybor2->setText(sytuacja.Wybor2.text());
    LaWybor3->setText(sytuacja.Wybor3.text());
    LaWybor4->setText(sytuacja.Wybor4.text());
    nameChoiceButtons();
    MeOpis->setPlainText(game_.description());
    // The new description as the field's own: the change is the announcement of the step that
    // screen readers hear (cleared first by CzyscOkno, so it changes at every step).
    MeOpis->setAccessibleDescription(game_.description());

    if (const QString name = game_.pictureName(); !name.isEmpty()) {
        const QString file = MediaFiles::findPicture(scenario_.folder, name);
        if (file.isEmpty()) {
            services_.boxes.message(QStringLiteral("Nie masz obrazu \"%1\"").arg(name));
        } else {
            // Load once here so that a bad picture is reported now; the box
            // draws it on its next repaint.
            obraz_.load(file);
            obrazPokazany_ = true;
            PictureBox::describe(*PaObrazek, name);
            PaObrazek->update();
        }
    }

    if (const QString name = game_.soundName(); !name.isEmpty()) {
        const QString file = MediaFiles::findSound(scenario_.folder, name);
        if (file.isEmpty()) {
            services_.boxes.message(QStringLiteral("Nie masz dzwieku \"%1\"").arg(name));
        } else {
            // A game needs no sound: one that cannot play (no sound server, no device, a file
            // the device refuses) is reported here, and the step goes on to set the choices.
            try {
                MPWav->setFileName(file);
                MPWav->open();
                MPWav->play();
            } catch (const AppError& error) {
                services_.boxes.error(error);
            }
        }
    }
}
