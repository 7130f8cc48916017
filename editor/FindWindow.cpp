#include "editor/FindWindow.h"

#include "authoring/ScenarioSnapshot.h"
#include "platform/ui/Guarded.h"
#include "platform/ui/MessageBoxes.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShowEvent>
#include <QStandardItemModel>
#include <QTreeView>

namespace {

enum Column { SituationColumn, FieldColumn, TextColumn };

// The rows a search lists at most: a common letter in a large scenario hits millions of times,
// and a list that long helps nobody.
constexpr std::size_t MaxRows = 10'000;
// The refused situations a message names at most, the rest counted.
constexpr std::size_t MaxRefusalLines = 20;

QString situationCaption(const ScenarioSnapshot& snapshot, std::int32_t k) {
    return QStringLiteral("%1 „%2”").arg(k).arg(snapshot.rekordy[std::size_t(k)].Nazwa.text());
}

QStandardItem* cell(const QString& text) {
    auto* item = new QStandardItem(text);
    item->setEditable(false);
    return item;
}

} // namespace

FindWindow::FindWindow(QWidget* parent, MessageBoxes& boxes, RecordFileFactory& files)
    : QWidget(parent, Qt::Window), boxes_(boxes), files_(files) {
    setObjectName(QStringLiteral("FindWindow"));
    setWindowTitle(QStringLiteral("Szukaj"));
    resize(640, 400);
    buildControls();

    connect(BuSzukaj, &QPushButton::clicked, this, &FindWindow::BuSzukajClick);
    // The window is no dialog: its default button answers Enter in the text only through this.
    connect(ESzukaj, &QLineEdit::returnPressed, this, &FindWindow::BuSzukajClick);
    connect(BuZamienWszystko, &QPushButton::clicked, this, &FindWindow::BuZamienWszystkoClick);
    connect(BuZamknij, &QPushButton::clicked, this, &QWidget::close);
    // Double-click and Enter both activate a row.
    connect(TVWyniki, &QTreeView::activated, this, [this](const QModelIndex& index) {
        if (index.isValid())
            emit jumpRequested(index.siblingAtColumn(SituationColumn).data(Qt::UserRole).toInt());
    });
}

void FindWindow::buildControls() {
    auto* LaSzukaj = new QLabel(QStringLiteral("Szukaj:"), this);
    LaSzukaj->setObjectName(QStringLiteral("LaSzukaj"));
    ESzukaj = new QLineEdit(this);
    ESzukaj->setObjectName(QStringLiteral("ESzukaj"));
    ESzukaj->setAccessibleName(QStringLiteral("Szukaj"));
    LaSzukaj->setBuddy(ESzukaj);

    auto* LaZamien = new QLabel(QStringLiteral("Zamień na:"), this);
    LaZamien->setObjectName(QStringLiteral("LaZamien"));
    EZamien = new QLineEdit(this);
    EZamien->setObjectName(QStringLiteral("EZamien"));
    EZamien->setAccessibleName(QStringLiteral("Zamień na"));
    LaZamien->setBuddy(EZamien);

    CBWielkosc = new QCheckBox(QStringLiteral("Wielkość liter bez znaczenia"), this);
    CBWielkosc->setObjectName(QStringLiteral("CBWielkosc"));
    CBWielkosc->setAccessibleName(CBWielkosc->text());
    CBWielkosc->setChecked(true);
    CBZnaki = new QCheckBox(QStringLiteral("Bez polskich znaków"), this);
    CBZnaki->setObjectName(QStringLiteral("CBZnaki"));
    CBZnaki->setAccessibleName(CBZnaki->text());
    CBZnaki->setAccessibleDescription(QStringLiteral("Litera ze znakiem pasuje do litery bez "
                                                     "niego, na przykład „ż” do „z”"));
    CBZnaki->setChecked(true);

    BuSzukaj = new QPushButton(QStringLiteral("Szukaj"), this);
    BuSzukaj->setObjectName(QStringLiteral("BuSzukaj"));
    BuSzukaj->setAccessibleName(QStringLiteral("Szukaj"));
    BuSzukaj->setDefault(true);
    BuZamienWszystko = new QPushButton(QStringLiteral("Zamień wszystko"), this);
    BuZamienWszystko->setObjectName(QStringLiteral("BuZamienWszystko"));
    BuZamienWszystko->setAccessibleName(QStringLiteral("Zamień wszystko"));
    BuZamknij = new QPushButton(QStringLiteral("Zamknij"), this);
    BuZamknij->setObjectName(QStringLiteral("BuZamknij"));
    BuZamknij->setAccessibleName(QStringLiteral("Zamknij"));

    wyniki = new QStandardItemModel(0, 3, this);
    wyniki->setHorizontalHeaderLabels(
        {QStringLiteral("Sytuacja"), QStringLiteral("Pole"), QStringLiteral("Tekst")});
    TVWyniki = new QTreeView(this);
    TVWyniki->setObjectName(QStringLiteral("TVWyniki"));
    TVWyniki->setAccessibleName(QStringLiteral("Wyniki"));
    TVWyniki->setAccessibleDescription(
        QStringLiteral("Podwójne kliknięcie lub Enter przechodzi do sytuacji"));
    TVWyniki->setModel(wyniki);
    TVWyniki->setRootIsDecorated(false);
    TVWyniki->setUniformRowHeights(true);
    TVWyniki->setAllColumnsShowFocus(true);
    TVWyniki->setSelectionMode(QAbstractItemView::SingleSelection);
    TVWyniki->setEditTriggers(QAbstractItemView::NoEditTriggers);
    TVWyniki->header()->setStretchLastSection(true);
    TVWyniki->setColumnWidth(SituationColumn, 180);
    TVWyniki->setColumnWidth(FieldColumn, 70);

    LaWynik = new QLabel(this);
    LaWynik->setObjectName(QStringLiteral("LaWynik"));
    LaWynik->setTextFormat(Qt::PlainText);
    // A label's name is its text: what it is goes in its description.
    LaWynik->setAccessibleDescription(QStringLiteral("Wynik wyszukiwania"));

    auto* layout = new QGridLayout(this);
    layout->addWidget(LaSzukaj, 0, 0);
    layout->addWidget(ESzukaj, 0, 1, 1, 2);
    layout->addWidget(BuSzukaj, 0, 3);
    layout->addWidget(LaZamien, 1, 0);
    layout->addWidget(EZamien, 1, 1, 1, 2);
    layout->addWidget(BuZamienWszystko, 1, 3);
    layout->addWidget(CBWielkosc, 2, 1);
    layout->addWidget(CBZnaki, 2, 2);
    layout->addWidget(BuZamknij, 2, 3);
    layout->addWidget(TVWyniki, 3, 0, 1, 4);
    layout->addWidget(LaWynik, 4, 0, 1, 4);
    layout->setRowStretch(3, 1);
    layout->setColumnStretch(1, 1);
    layout->setColumnStretch(2, 1);
}

void FindWindow::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    // Ctrl+F again in the editor: the text is ready to be typed over.
    ESzukaj->setFocus(Qt::OtherFocusReason);
    ESzukaj->selectAll();
}

SearchOptions FindWindow::options() const {
    return {CBWielkosc->isChecked(), CBZnaki->isChecked()};
}

void FindWindow::setScenario(const QString& situationFilePath) {
    path_ = situationFilePath;
    if (searched_)
        search();
}

void FindWindow::search() {
    ScenarioSnapshot snapshot;
    list(snapshot);
}

void FindWindow::list(ScenarioSnapshot& snapshot) {
    searched_ = true;
    wyniki->removeRows(0, wyniki->rowCount());
    LaWynik->clear();
    const QString needle = ESzukaj->text();
    if (path_.isEmpty() || needle.isEmpty())
        return;
    snapshot = readSnapshot(files_, path_);
    const std::vector<SearchHit> hits = findInScenario(snapshot.rekordy, needle, options());
    const std::size_t shown = std::min(hits.size(), MaxRows);
    for (std::size_t i = 0; i < shown; ++i) {
        const SearchHit& hit = hits[i];
        QStandardItem* situation = cell(situationCaption(snapshot, hit.situation));
        situation->setData(hit.situation, Qt::UserRole);
        wyniki->appendRow({situation, cell(fieldCaption(hit.field)), cell(hit.context)});
    }
    if (shown > 0)
        TVWyniki->setCurrentIndex(wyniki->index(0, SituationColumn));
    if (hits.empty())
        LaWynik->setText(QStringLiteral("Nie znaleziono „%1”").arg(needle));
    else if (shown < hits.size())
        LaWynik->setText(
            QStringLiteral("Znaleziono: %1 (pokazano pierwsze %2)").arg(hits.size()).arg(shown));
    else
        LaWynik->setText(QStringLiteral("Znaleziono: %1").arg(hits.size()));
}

void FindWindow::showReplaced(const ReplaceResult& result) {
    ScenarioSnapshot snapshot;
    list(snapshot);
    const std::size_t m = result.changed.size();
    QString told = QStringLiteral("Zamieniono: %1 w %2 %3")
                       .arg(result.replacements)
                       .arg(m)
                       .arg(m == 1 ? QStringLiteral("sytuacji") : QStringLiteral("sytuacjach"));
    if (wyniki->rowCount() > 0)
        told += u'\n' + LaWynik->text();
    LaWynik->setText(told);
    if (result.refused.empty())
        return;

    // A refused situation kept its name, so the scenario as read now names it.
    QStringList lines{QStringLiteral("Nie zamieniono w %1 %2:")
                          .arg(result.refused.size())
                          .arg(result.refused.size() == 1 ? QStringLiteral("sytuacji")
                                                          : QStringLiteral("sytuacjach"))};
    for (std::size_t i = 0; i < std::min(result.refused.size(), MaxRefusalLines); ++i) {
        const ReplaceRefusal& refusal = result.refused[i];
        const QString name =
            refusal.situation >= 0 && refusal.situation < snapshot.size()
                ? QStringLiteral(" „%1”").arg(
                      snapshot.rekordy[std::size_t(refusal.situation)].Nazwa.text())
                : QString();
        lines
            << QStringLiteral("sytuacja %1%2: %3").arg(refusal.situation).arg(name, refusal.reason);
    }
    if (result.refused.size() > MaxRefusalLines)
        lines << QStringLiteral("i jeszcze %1").arg(result.refused.size() - MaxRefusalLines);
    boxes_.message(lines.join(u'\n'));
}

void FindWindow::BuSzukajClick() {
    guarded(boxes_, [this] { search(); });
}

void FindWindow::BuZamienWszystkoClick() {
    if (ESzukaj->text().isEmpty())
        return;
    emit replaceAllRequested(ESzukaj->text(), EZamien->text(), options());
}
