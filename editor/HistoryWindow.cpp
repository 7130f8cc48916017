#include "editor/HistoryWindow.h"

#include "authoring/ScenarioDiff.h"
#include "authoring/TextForm.h"
#include "common/ScenarioFiles.h"
#include "platform/core/AppError.h"
#include "platform/core/FileSystem.h"
#include "platform/ui/FileDialog.h"
#include "platform/ui/Guarded.h"
#include "platform/ui/MessageBoxes.h"

#include <QFileInfo>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStandardItemModel>
#include <QTextBlock>
#include <QTextCursor>
#include <QTimer>
#include <QTreeView>
#include <QVBoxLayout>
#include <cstring>

namespace {

enum Column { TimeColumn, SituationsColumn, ChangesColumn, ReasonColumn, ColumnCount };

// What a "Zmiany" cell says until its summary is computed, and for a version that cannot be read.
const QString Pending = QStringLiteral("…");
const QString Unreadable = QStringLiteral("nie można odczytać");
const QString SameText = QStringLiteral("Ta wersja jest taka sama jak obecny scenariusz.");

QStandardItem* cell(const QString& text) {
    auto* item = new QStandardItem(text);
    item->setEditable(false);
    return item;
}

template <class Record>
bool sameRecords(const std::vector<Record>& a, const std::vector<Record>& b) {
    return a.size() == b.size() &&
           (a.empty() || std::memcmp(a.data(), b.data(), a.size() * sizeof(Record)) == 0);
}

// Whether two reads of the present scenario hold the same records, so that the summaries
// computed against the first still hold.
bool samePresent(const ScenarioSnapshot& a, const ScenarioSnapshot& b) {
    return sameRecords(a.rekordy, b.rekordy) && sameRecords(a.listy, b.listy);
}

// The look of a diff line by its first character: removed lines red, added ones green, hunk
// headers grey; the two file headers bold. The prefixes stay, so colour is never the only sign.
void styleLine(const QString& line, bool header, QTextBlockFormat& block, QTextCharFormat& chars) {
    block = QTextBlockFormat();
    chars = QTextCharFormat();
    if (header) {
        chars.setFontWeight(QFont::Bold);
    } else if (line.startsWith(u'-')) {
        block.setBackground(QColor(0xff, 0xe4, 0xe4));
        chars.setForeground(QColor(0x8b, 0x00, 0x00));
    } else if (line.startsWith(u'+')) {
        block.setBackground(QColor(0xe2, 0xf6, 0xe2));
        chars.setForeground(QColor(0x00, 0x64, 0x00));
    } else if (line.startsWith(QStringLiteral("@@"))) {
        chars.setForeground(QColor(0x70, 0x70, 0x70));
    }
}

// Puts `diff` into `box` line by line, each line's block styled; the first two lines are the
// file headers.
void showDiff(QPlainTextEdit* box, const QString& diff) {
    box->clear();
    QTextCursor cursor(box->document());
    cursor.beginEditBlock();
    QStringList lines = diff.split(u'\n');
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    QTextBlockFormat block;
    QTextCharFormat chars;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        styleLine(lines[i], i < 2, block, chars);
        if (i == 0) {
            cursor.setBlockFormat(block);
            cursor.setBlockCharFormat(chars);
        } else {
            cursor.insertBlock(block, chars);
        }
        cursor.insertText(lines[i], chars);
    }
    cursor.endEditBlock();
    box->moveCursor(QTextCursor::Start);
}

// Version `id` of the scenario as a snapshot, or why there is none: a version that cannot be
// read, or whose text would not give back its bytes, is told about in the diff's place rather
// than in a box, as choosing a row is no action that can fail.
struct Version {
    std::optional<ScenarioSnapshot> snapshot;
    QString fault;
};
Version readVersion(const VersionStore& store, const QString& path, const QString& id) {
    Version version;
    try {
        const PairContent v = store.read(path, id);
        version.fault = wholeRecordsFault(v.situations.size(), v.list.size());
        if (version.fault.isEmpty())
            version.snapshot = snapshotFromBytes(v.situations, v.list);
    } catch (const AppError& e) {
        version.fault = e.message();
    }
    return version;
}

// Names a control for the tests and for screen readers.
template <class Control> Control* named(Control* control, const char* name, const QString& spoken) {
    control->setObjectName(QString::fromLatin1(name));
    control->setAccessibleName(spoken);
    return control;
}

QPushButton* button(QWidget* parent, const QString& caption, const char* name,
                    const QString& spoken) {
    auto* b = named(new QPushButton(caption, parent), name, spoken);
    // The list keeps Enter: no button of this window is a default one.
    b->setAutoDefault(false);
    return b;
}

} // namespace

HistoryWindow::HistoryWindow(QWidget* parent, MessageBoxes& boxes, RecordFileFactory& files,
                             VersionStore& store, FileOpenDialog& saveCopyDialog)
    : QWidget(parent, Qt::Window), boxes_(boxes), files_(files), store_(store),
      saveCopyDialog_(saveCopyDialog) {
    setObjectName(QStringLiteral("HistoryWindow"));
    setWindowTitle(QStringLiteral("Historia"));
    resize(760, 520);
    buildControls();
    showChosen();

    // One summary per tick, so that a long list of large scenarios never stops the window.
    filler_ = new QTimer(this);
    filler_->setInterval(0);
    connect(filler_, &QTimer::timeout, this,
            [this] { guarded(boxes_, [this] { fillNextSummary(); }); });
    connect(TVWersje->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this] { guarded(boxes_, [this] { showChosen(); }); });
    connect(BuPrzywroc, &QPushButton::clicked, this, &HistoryWindow::BuPrzywrocClick);
    connect(BuZapiszKopie, &QPushButton::clicked, this, &HistoryWindow::BuZapiszKopieClick);
    connect(BuZamknij, &QPushButton::clicked, this, &QWidget::close);
}

void HistoryWindow::buildControls() {
    wersje = new QStandardItemModel(0, ColumnCount, this);
    wersje->setHorizontalHeaderLabels({QStringLiteral("Czas"), QStringLiteral("Sytuacje"),
                                       QStringLiteral("Zmiany"), QStringLiteral("Powód")});
    wersje->setHeaderData(ChangesColumn, Qt::Horizontal,
                          QStringLiteral("Co obecny scenariusz dodał, zmienił i usunął "
                                         "w porównaniu z tą wersją"),
                          Qt::ToolTipRole);
    TVWersje = named(new QTreeView(this), "TVWersje", QStringLiteral("Wersje"));
    TVWersje->setAccessibleDescription(
        QStringLiteral("Zachowane wersje scenariusza, od najnowszej; kolumna Zmiany mówi, co "
                       "obecny scenariusz zmienił w porównaniu z wersją"));
    TVWersje->setModel(wersje);
    TVWersje->setRootIsDecorated(false);
    TVWersje->setUniformRowHeights(true);
    TVWersje->setAllColumnsShowFocus(true);
    TVWersje->setSelectionMode(QAbstractItemView::SingleSelection);
    TVWersje->setEditTriggers(QAbstractItemView::NoEditTriggers);
    TVWersje->header()->setStretchLastSection(true);
    TVWersje->setColumnWidth(TimeColumn, 160);
    TVWersje->setColumnWidth(SituationsColumn, 70);
    TVWersje->setColumnWidth(ChangesColumn, 260);

    LaBrak = new QLabel(QStringLiteral("Ten scenariusz nie ma jeszcze zachowanych wersji."), this);
    named(LaBrak, "LaBrak", LaBrak->text());
    LaBrak->hide();

    LaWersja = new QLabel(this);
    LaWersja->setObjectName(QStringLiteral("LaWersja"));
    LaWersja->setTextFormat(Qt::PlainText);
    LaWersja->setWordWrap(true);
    // A label's name is its text: what it is goes in its description.
    LaWersja->setAccessibleDescription(QStringLiteral("Zmiany od wybranej wersji"));
    PTRoznice = named(new QPlainTextEdit(this), "PTRoznice", QStringLiteral("Różnice"));
    PTRoznice->setAccessibleDescription(
        QStringLiteral("Wiersze wersji zaczynające się od minusa zniknęły z obecnego "
                       "scenariusza, zaczynające się od plusa zostały w nim dodane"));
    PTRoznice->setReadOnly(true);
    PTRoznice->setUndoRedoEnabled(false);
    // A description is one long line: wrapped, its changed words stay in view.
    PTRoznice->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    PTRoznice->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));

    BuPrzywroc =
        button(this, QStringLiteral("&Przywróć"), "BuPrzywroc", QStringLiteral("Przywróć"));
    BuZapiszKopie = button(this, QStringLiteral("Zapisz &kopię jako…"), "BuZapiszKopie",
                           QStringLiteral("Zapisz kopię jako"));
    BuZamknij = button(this, QStringLiteral("&Zamknij"), "BuZamknij", QStringLiteral("Zamknij"));
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(BuPrzywroc);
    buttons->addWidget(BuZapiszKopie);
    buttons->addStretch(1);
    buttons->addWidget(BuZamknij);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(LaBrak);
    layout->addWidget(TVWersje, 2);
    layout->addWidget(LaWersja);
    layout->addWidget(PTRoznice, 3);
    layout->addLayout(buttons);
}

void HistoryWindow::setScenario(const QString& situationFilePath) {
    if (situationFilePath != path_)
        summaries_.clear();
    path_ = situationFilePath;
    setWindowTitle(path_.isEmpty()
                       ? QStringLiteral("Historia")
                       : QStringLiteral("Historia – %1").arg(QFileInfo(path_).fileName()));
    list({});
}

void HistoryWindow::refresh() {
    list(chosenId());
}

QString HistoryWindow::chosenId() const {
    const int row = chosenRow();
    return row < 0 ? QString() : versions_[std::size_t(row)].id;
}

int HistoryWindow::chosenRow() const {
    const QModelIndex current = TVWersje->currentIndex();
    return current.isValid() && std::size_t(current.row()) < versions_.size() ? current.row() : -1;
}

QString HistoryWindow::localTime(int row) const {
    return VersionStore::labelOf(versions_[std::size_t(row)].id);
}

void HistoryWindow::list(const QString& keepChosen) {
    filler_->stop();
    // With no versions no row is chosen: the view's passing current rows show nothing.
    versions_.clear();
    wersje->removeRows(0, wersje->rowCount());
    nextToFill_ = 0;
    LaBrak->hide();
    showChosen();
    ScenarioSnapshot now;
    std::vector<VersionInfo> versions;
    if (!path_.isEmpty()) {
        now = readSnapshot(files_, path_);
        versions = store_.list(path_);
    }
    if (!samePresent(now, now_)) {
        summaries_.clear();
        nowText_.reset();
    }
    now_ = std::move(now);
    versions_ = std::move(versions);

    int chosen = -1;
    for (int row = 0; row < int(versions_.size()); ++row) {
        const VersionInfo& v = versions_[std::size_t(row)];
        auto* count = cell(QString::number(v.situations));
        count->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
        wersje->appendRow(
            {cell(localTime(row)), count, cell(summaries_.value(v.id, Pending)), cell(v.reason)});
        if (!keepChosen.isEmpty() && v.id == keepChosen)
            chosen = row;
    }
    LaBrak->setVisible(!path_.isEmpty() && versions_.empty());
    if (chosen >= 0)
        TVWersje->setCurrentIndex(wersje->index(chosen, TimeColumn));
    if (!versions_.empty())
        filler_->start();
}

void HistoryWindow::fillNextSummary() {
    const int rows = int(versions_.size());
    while (nextToFill_ < rows && wersje->item(nextToFill_, ChangesColumn)->text() != Pending)
        ++nextToFill_;
    if (nextToFill_ >= rows) {
        filler_->stop();
        return;
    }
    const int row = nextToFill_++;
    summaryOf(row, readVersion(store_, path_, versions_[std::size_t(row)].id).snapshot);
}

QString HistoryWindow::summaryOf(int row, const std::optional<ScenarioSnapshot>& version) {
    const QString& id = versions_[std::size_t(row)].id;
    if (!summaries_.contains(id))
        summaries_.insert(id, version ? compareScenarios(*version, now_).summary() : Unreadable);
    const QString summary = summaries_.value(id);
    wersje->item(row, ChangesColumn)->setText(summary);
    return summary;
}

void HistoryWindow::showChosen() {
    const int row = chosenRow();
    BuPrzywroc->setEnabled(row >= 0);
    BuZapiszKopie->setEnabled(row >= 0);
    LaWersja->clear();
    PTRoznice->clear();
    if (row < 0)
        return;
    const QString time = localTime(row);
    const Version version = readVersion(store_, path_, versions_[std::size_t(row)].id);
    LaWersja->setText(QStringLiteral("Od wersji z %1 do obecnego scenariusza: %2")
                          .arg(time, summaryOf(row, version.snapshot)));
    if (!version.snapshot) {
        PTRoznice->setPlainText(version.fault);
        return;
    }
    if (!nowText_)
        nowText_ = toText(now_);
    const QString versionText = toText(*version.snapshot);
    if (versionText == *nowText_)
        PTRoznice->setPlainText(SameText);
    else
        showDiff(PTRoznice,
                 unifiedDiff(QStringLiteral("wersja ") + time, QStringLiteral("obecny scenariusz"),
                             diffLines(versionText, *nowText_), 3));
}

void HistoryWindow::BuPrzywrocClick() {
    guarded(boxes_, [this] {
        const int row = chosenRow();
        if (row < 0)
            return;
        const QString id = versions_[std::size_t(row)].id;
        if (boxes_.question(QStringLiteral("Przywrócić wersję z %1?\n\nObecny scenariusz "
                                           "zostanie najpierw zachowany jako wersja, a "
                                           "przywrócenie można cofnąć.")
                                .arg(localTime(row))))
            emit restoreRequested(id);
    });
}

void HistoryWindow::BuZapiszKopieClick() {
    guarded(boxes_, [this] {
        const int row = chosenRow();
        if (row < 0)
            return;
        const QString id = versions_[std::size_t(row)].id;
        const std::optional<QString> target = saveCopyDialog_.execute(this);
        if (!target)
            return;
        const QString list = listFilePath(*target);
        if (FileSystem::sameFile(*target, path_) ||
            FileSystem::sameFile(list, listFilePath(path_))) {
            boxes_.message(QStringLiteral("To jest otwarty scenariusz. Aby przywrócić tę wersję, "
                                          "użyj „Przywróć”."));
            return;
        }
        const QString existing = FileSystem::entryExists(*target) ? *target
                                 : FileSystem::entryExists(list)  ? list
                                                                  : QString();
        if (!existing.isEmpty() &&
            !boxes_.question(QStringLiteral("Plik %1 już istnieje. Zastąpić go?").arg(existing)))
            return;
        const PairContent v = store_.read(path_, id);
        replaceScenario(*target, v.situations, v.list);
        boxes_.message(QStringLiteral("Zapisano kopię wersji jako %1").arg(*target));
    });
}
