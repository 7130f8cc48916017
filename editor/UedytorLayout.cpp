// The controls of the editor window, each where the window has always had it.

#include "common/Cp1250.h"
#include "common/Records.h"
#include "editor/SituationGrid.h"
#include "editor/Uedytor.h"
#include "platform/ui/Controls.h"
#include "platform/ui/PaintBox.h"
#include "platform/ui/PictureBox.h"
#include "platform/ui/SoundControl.h"
#include "platform/ui/WindowFrame.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCompleter>
#include <QFrame>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableView>
#include <QValidator>
#include <functional>

using Controls::button;
using Controls::label;
using Controls::make;
using Controls::times;

namespace {

// What the fields take: as much as the record's text fields hold.
constexpr int kNameCapacity = decltype(TRekordListy::Nazwa)::Capacity;
constexpr int kChoiceCapacity = decltype(TRekordKroku::Wybor1)::Capacity;
// The type box takes as many characters as it always did, more than the longest type name.
constexpr int kTypeBoxLength = 10;

QFont bold(int pixelHeight) {
    QFont f = times(pixelHeight);
    f.setBold(true);
    return f;
}

// Keeps a field's text storable: every character Windows-1250 cannot hold is dropped, whether
// typed or pasted, and `refused` is told the first one; then what goes past `maximum`
// characters is cut from the end of what was just typed or pasted, which the cursor follows.
// The field's own limit would count the characters dropped and cut held ones in their stead.
class HeldTextValidator : public QValidator {
public:
    HeldTextValidator(QObject* parent, int maximum, std::function<void(char32_t)> refused)
        : QValidator(parent), maximum_(maximum), refused_(std::move(refused)) {}

    State validate(QString& input, int& pos) const override {
        const std::optional<char32_t> first = Cp1250::firstRefused(input);
        if (first) {
            pos = static_cast<int>(Cp1250::held(QStringView(input).left(pos)).size());
            input = Cp1250::held(input);
        }
        if (input.size() > maximum_) {
            const int cut = std::min(static_cast<int>(input.size()) - maximum_, pos);
            input.remove(pos - cut, cut);
            pos -= cut;
            input.truncate(maximum_);
            pos = std::min(pos, maximum_);
        }
        if (first)
            refused_(*first);
        return Acceptable;
    }

private:
    int maximum_;
    std::function<void(char32_t)> refused_;
};

// Told which field refused which character.
using Refused = std::function<void(QWidget* field, char32_t refused)>;

// A text field of at most `maxLength` characters.
QLineEdit* edit(QWidget* parent, const char* name, const QRect& geometry, int maxLength,
                const Refused& refused) {
    auto* e = make<QLineEdit>(parent, name, geometry, times(11));
    e->setValidator(
        new HeldTextValidator(e, maxLength, [e, refused](char32_t c) { refused(e, c); }));
    return e;
}

// An editable combo box whose typed text never becomes an item of its own.
QComboBox* combo(QWidget* parent, const char* name, const QRect& geometry, int maxLength,
                 const Refused& refused) {
    auto* c = make<QComboBox>(parent, name, geometry, times(11));
    c->setEditable(true);
    c->setInsertPolicy(QComboBox::NoInsert);
    c->lineEdit()->setValidator(new HeldTextValidator(c->lineEdit(), maxLength,
                                                      [c, refused](char32_t r) { refused(c, r); }));
    return c;
}

} // namespace

void TFoRPGEdit::buildControls() {
    const QFont f13 = times(13);
    // No field takes a character Windows-1250 cannot hold (the description drops it in
    // limitDescription): the author is told beside the field.
    const Refused refused = [this](QWidget* field, char32_t c) { hintRefused(field, c); };
    Label9 = label(this, "Label9", QStringLiteral("Nazwa sytuacji:"), {4, 45, 83, 15}, f13);
    Label16 = label(this, "Label16", QStringLiteral("Typ sytuacji:"), {280, 45, 70, 15}, f13);
    Label8 = label(this, "Label8", QStringLiteral("Opis sytuacji:"), {4, 90, 73, 15}, f13);
    Label10 = label(this, "Label10", QStringLiteral("Opcje sytuacji:"), {280, 90, 79, 15}, f13);
    Label6 = label(this, "Label6", QStringLiteral("Teksty wyborów:"), {4, 205, 93, 15}, f13);
    Label7 = label(this, "Label7", QStringLiteral("Wybrana droga:"), {285, 205, 87, 15}, f13);
    Label2 = label(this, "Label2", QStringLiteral("1"), {4, 225, 8, 19}, bold(16));
    Label3 = label(this, "Label3", QStringLiteral("2"), {4, 250, 8, 19}, bold(16));
    Label4 = label(this, "Label4", QStringLiteral("3"), {4, 275, 8, 19}, bold(16));
    Label5 = label(this, "Label5", QStringLiteral("4"), {4, 300, 8, 19}, bold(16));
    Label12 = label(this, "Label12", QStringLiteral("Obrazek i nazwa pliku BMP:"),
                    {4, 330, 147, 15}, f13);
    Label11 = label(this, "Label11", QStringLiteral("Spis sytuacji:"), {278, 330, 71, 15}, f13);
    Label13 = label(this, "Label13", QStringLiteral("Nazwa pliku Wav:"), {166, 420, 96, 15}, f13);
    LaBmp = label(this, "LaBmp", QStringLiteral("?.BMP"), {4, 500, 145, 17}, times(15));
    LaWAV = label(this, "LaWAV", QStringLiteral("?.Wav"), {166, 445, 96, 17}, times(15));
    for (QLabel* centred : {LaBmp, LaWAV})
        centred->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    LEdycja = label(this, "LEdycja", EditingOffCaption, {274, 22, 131, 19}, bold(16));
    // A long path keeps its end, the file name, in view.
    FileNameS = label(this, "FileNameS", QString(), {11, 32, 214, 15}, f13);
    FileNameS->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    Label14 = label(this, "Label14", QStringLiteral("V: 1.0  zespół Tekstówek"), {400, 0, 153, 14},
                    times(11));
    for (QLabel* fixed : {LaBmp, LaWAV, FileNameS})
        fixed->setFixedSize(fixed->size());
    // The other labels take the size of their text, "Tworzenie nowego scenariusza" too.
    for (QLabel* autoSized : {Label9, Label16, Label8, Label10, Label6, Label7, Label2, Label3,
                              Label4, Label5, Label12, Label11, Label13, LEdycja, Label14})
        autoSized->adjustSize();

    Bevel1 = make<QFrame>(this, "Bevel1", {4, 350, 145, 145}, f13);
    Bevel1->setFrameStyle(QFrame::Panel | QFrame::Raised);
    PaObrazek =
        make<PaintBox>(this, "PaObrazek", {12, 358, PictureBox::Size, PictureBox::Size}, f13);
    PaObrazek->setToolTip(QStringLiteral("Obraz jest zawsze wysrodkowany"));

    BuOtworz = button(this, "BuOtworz", QStringLiteral("&Otwórz/Nowy"), {4, 4, 101, 23}, f13);
    ENazwa = edit(this, "ENazwa", {4, 65, 269, 22}, kNameCapacity, refused);
    CBTyp = combo(this, "CBTyp", {280, 65, 145, 22}, kTypeBoxLength, refused);
    // Every type but the first one's, which no situation can be given.
    for (std::size_t t = Normalny; t < TypeNames.size(); ++t)
        CBTyp->addItem(TypeNames[t]);
    CBTyp->setEditText(QString());
    // A type name typed in other letters stays as typed: the combo box must not put it
    // right on leaving, since only the exact name saves.
    CBTyp->completer()->setCaseSensitivity(Qt::CaseSensitive);
    MeOpis = make<QPlainTextEdit>(this, "MeOpis", {4, 110, 269, 90}, times(11));
    MeOpis->setTabChangesFocus(true);
    EWybor1 = edit(this, "EWybor1", {14, 225, 270, 22}, kChoiceCapacity, refused);
    EWybor2 = edit(this, "EWybor2", {14, 250, 270, 22}, kChoiceCapacity, refused);
    EWybor3 = edit(this, "EWybor3", {14, 275, 270, 22}, kChoiceCapacity, refused);
    EWybor4 = edit(this, "EWybor4", {14, 300, 270, 22}, kChoiceCapacity, refused);
    CBKrok_Wybrany1 = combo(this, "CBKrok_Wybrany1", {285, 225, 270, 22}, kNameCapacity, refused);
    CBKrok_Wybrany2 = combo(this, "CBKrok_Wybrany2", {285, 250, 270, 22}, kNameCapacity, refused);
    CBKrok_Wybrany3 = combo(this, "CBKrok_Wybrany3", {285, 275, 270, 22}, kNameCapacity, refused);
    CBKrok_Wybrany4 = combo(this, "CBKrok_Wybrany4", {285, 300, 270, 22}, kNameCapacity, refused);
    // The four target boxes list the same names: one model, filled in one go.
    names_ = new NameListModel(this);
    for (QComboBox* cel : cele()) {
        cel->setModel(names_);
        cel->setEditText(QString());
        cel->setToolTip(QStringLiteral("Sytuacja do ktorej prowadzi wybor"));
    }

    BuPoprzedni =
        button(this, "BuPoprzedni", QStringLiteral("&Poprzednia"), {280, 110, 77, 23}, f13);
    BuNastepny = button(this, "BuNastepny", QStringLiteral("&Następna"), {360, 110, 77, 23}, f13);
    BuNowy = button(this, "BuNowy", QStringLiteral("N&owa"), {440, 110, 77, 23}, f13);
    BuZapisz = button(this, "BuZapisz", QStringLiteral("&Zapisz"), {280, 135, 77, 23}, f13);
    BuPrzywroc = button(this, "BuPrzywroc", QStringLiteral("P&rzywróc"), {360, 135, 77, 23}, f13);
    CBAuto = make<QCheckBox>(this, "CBAuto", {280, 160, 121, 23}, f13);
    CBAuto->setText(QStringLiteral("Auto zapisywanie"));
    CBAuto->setToolTip(QStringLiteral("Zapisuje stan przy zmianie sytuacji"));
    BuBmp = button(this, "BuBmp", QStringLiteral("Otwórz &Bmp."), {164, 350, 100, 23}, f13);
    BuWav = button(this, "BuWav", QStringLiteral("Otwórz &Wav."), {164, 395, 100, 23}, f13);
    MPwav = Controls::place(new SoundControl(services_.soundDevice(), this), "MPwav",
                            {173, 470, 85, 23}, f13);
    MPwav->setDeviceType(QStringLiteral("WaveAudio"));

    // The author's tools fill the empty cells of the button grid under "N&owa".
    BuSprawdz = button(this, "BuSprawdz", QStringLiteral("&Sprawdź"), {440, 135, 77, 23}, f13);
    BuSprawdz->setToolTip(QStringLiteral("Sprawdza wszystkie drogi scenariusza"));
    BuMapa = button(this, "BuMapa", QStringLiteral("&Mapa"), {440, 160, 77, 23}, f13);
    BuMapa->setToolTip(QStringLiteral("Pokazuje mapę sytuacji i dróg"));
    BuGraj = button(this, "BuGraj", QStringLiteral("&Graj stąd"), {440, 185, 77, 23}, f13);
    BuGraj->setToolTip(QStringLiteral("Uruchamia grę od tej sytuacji"));

    grid_ = new SituationGrid(this);
    SGSyt = make<QTableView>(this, "SGSyt", {278, 350, 201, 168}, times(11));
    SGSyt->setModel(grid_);
    SGSyt->setSelectionBehavior(QAbstractItemView::SelectRows);
    SGSyt->setSelectionMode(QAbstractItemView::SingleSelection);
    SGSyt->setEditTriggers(QAbstractItemView::NoEditTriggers);
    SGSyt->setContextMenuPolicy(Qt::CustomContextMenu);
    SGSyt->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    SGSyt->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    SGSyt->setShowGrid(true);
    SGSyt->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    SGSyt->verticalHeader()->hide();
    SGSyt->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    SGSyt->verticalHeader()->setDefaultSectionSize(14);
    SGSyt->verticalHeader()->setMinimumSectionSize(14);
    QHeaderView* header = SGSyt->horizontalHeader();
    header->setSectionResizeMode(QHeaderView::Fixed);
    header->setMinimumSectionSize(13);
    header->setDefaultSectionSize(40);
    header->setFixedHeight(14);
    header->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    header->setHighlightSections(false);
    SGSyt->setColumnWidth(0, 154);
    SGSyt->setColumnWidth(1, 13);
    SGSyt->setColumnWidth(2, 13);

    QWidget* order[] = {
        BuOtworz,        ENazwa,          CBTyp,       MeOpis,          EWybor1,
        EWybor2,         EWybor3,         EWybor4,     CBKrok_Wybrany1, CBKrok_Wybrany2,
        CBKrok_Wybrany3, CBKrok_Wybrany4, BuPoprzedni, BuNastepny,      BuZapisz,
        BuPrzywroc,      BuNowy,          CBAuto,      BuBmp,           BuWav,
        MPwav,           SGSyt,           BuSprawdz,   BuMapa,          BuGraj};
    for (std::size_t i = 1; i < std::size(order); ++i)
        setTabOrder(order[i - 1], order[i]);

    // Only "&Otwórz/Nowy" works until a scenario is open.
    for (QWidget* control : order)
        control->setEnabled(control == BuOtworz);
    nameControls();
}

void TFoRPGEdit::nameControls() {
    // A field is named by the label beside it; the label points at it as its buddy, which a
    // screen reader reads as the field's label (no caption holds an "&", so no shortcut).
    const auto field = [](QLabel* label, QWidget* control, const QString& name,
                          const QString& description) {
        if (label)
            label->setBuddy(control);
        control->setAccessibleName(name);
        control->setAccessibleDescription(description);
        // An editable combo box's typed text is a field of its own to a screen reader.
        if (auto* box = qobject_cast<QComboBox*>(control)) {
            box->lineEdit()->setAccessibleName(name);
            box->lineEdit()->setAccessibleDescription(description);
        }
    };
    field(Label9, ENazwa, QStringLiteral("Nazwa sytuacji"),
          QStringLiteral("Najwyżej 20 znaków, inna niż nazwy pozostałych sytuacji"));
    field(Label16, CBTyp, QStringLiteral("Typ sytuacji"),
          QStringLiteral("Normalny: 4 wybory, Wybory1 do Wybory3: od 1 do 3, Koniec kończy grę"));
    field(Label8, MeOpis, QStringLiteral("Opis sytuacji"), QStringLiteral("Najwyżej 250 znaków"));
    const std::array<QLabel*, 4> numbers = {Label2, Label3, Label4, Label5};
    for (std::size_t i = 0; i < numbers.size(); ++i) {
        const int n = static_cast<int>(i) + 1;
        field(numbers[i], wybory()[i], QStringLiteral("Tekst wyboru %1").arg(n),
              QStringLiteral("Najwyżej 45 znaków"));
        // A combo box is spoken by its text and its label; the shared label above the four
        // is in the description.
        field(nullptr, cele()[i], QStringLiteral("Wybrana droga %1").arg(n),
              QStringLiteral("Wybrana droga %1: sytuacja, do której prowadzi wybór").arg(n));
    }
    field(Label11, SGSyt, QStringLiteral("Spis sytuacji"),
          QStringLiteral("Podwójne kliknięcie lub Enter przechodzi do sytuacji"));

    BuOtworz->setAccessibleDescription(QStringLiteral("Otwiera scenariusz albo tworzy nowy"));
    BuPoprzedni->setAccessibleDescription(QStringLiteral("Poprzednia sytuacja"));
    BuNastepny->setAccessibleDescription(QStringLiteral("Następna sytuacja"));
    BuNowy->setAccessibleDescription(QStringLiteral("Nowa sytuacja na końcu scenariusza"));
    BuZapisz->setAccessibleDescription(QStringLiteral("Zapisuje pokazaną sytuację"));
    BuPrzywroc->setAccessibleDescription(
        QStringLiteral("Odrzuca zmiany sytuacji od ostatniego zapisu"));
    BuBmp->setAccessibleDescription(QStringLiteral("Wybiera obrazek sytuacji z folderu Obrazki"));
    BuWav->setAccessibleDescription(QStringLiteral("Wybiera dźwięk sytuacji z folderu Dzwieki"));
    LaBmp->setAccessibleDescription(QStringLiteral("Plik obrazka sytuacji"));
    LaWAV->setAccessibleDescription(QStringLiteral("Plik dźwięku sytuacji"));
    FileNameS->setAccessibleDescription(QStringLiteral("Otwarty scenariusz"));
    PictureBox::describe(*PaObrazek, {});
}
