#include "editor/Uedytor.h"

#include "authoring/Restructuring.h"
#include "authoring/TextForm.h"
#include "common/Cp1250.h"
#include "common/Description.h"
#include "editor/FindWindow.h"
#include "editor/LoadProgress.h"
#include "editor/SituationGrid.h"
#include "platform/ui/Controls.h"
#include "platform/ui/Guarded.h"
#include "platform/ui/PaintBox.h"
#include "platform/ui/SoundControl.h"
#include "platform/ui/WindowFrame.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QResizeEvent>
#include <QTableView>
#include <QTextBlock>
#include <QTextCursor>
#include <QToolTip>
#include <QUndoStack>
#include <vector>

const QString TFoRPGEdit::EditingOffCaption = QStringLiteral("Edycja wyłączona!!!");

namespace {
const QString kTitle = QStringLiteral("Diziru tekstówek");
const QString kNewScenarioCaption = QStringLiteral("Tworzenie nowego scenariusza");
// The window's first size, at which every control is where it has always been.
constexpr int kWidth = 558;
constexpr int kHeight = 522;
// The description field of a situation record holds this many bytes.
constexpr int kDescriptionCapacity = decltype(TRekordKroku::Opis)::Capacity;
} // namespace

template <class Step> void TFoRPGEdit::act(Step&& step) {
    guarded(services_.boxes, std::forward<Step>(step));
    BuNowy->setEnabled(!session_.state().newSituation());
}

TFoRPGEdit::TFoRPGEdit(EditorServices services)
    : services_(std::move(services)),
      versions_(services_.versionRoot.isEmpty() ? VersionStore::defaultRoot()
                                                : services_.versionRoot),
      session_(
          services_.files, *this,
          [this](const QString& path, const EditorSession::RecordsChange& change,
                 const ScenarioState::Progress& progress) {
              return restructureScenario(
                  services_.files, path,
                  [&](ScenarioSnapshot& snapshot) {
                      return change(snapshot.rekordy, snapshot.listy);
                  },
                  progress);
          },
          VersionSchedule([this](const QString& path, const QString& reason) {
              versions_.keep(path, reason);
          })) {
    setObjectName(QStringLiteral("FoRPGEdit"));
    setWindowTitle(kTitle);
    WindowFrame::makeGrowing(this, kWidth, kHeight);
    setFont(Controls::times(13));
    buildControls();
    buildHistoryControls();
    for (QWidget* control : findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        if (!control->isWindow())
            places_.emplace_back(control, control->geometry());
    }

    media_ = std::make_unique<EditorMedia>(
        EditorMedia::Controls{*LaBmp, *LaWAV, *PaObrazek, *MPwav}, session_.state());
    PaObrazek->setPaintHandler([this](QPainter& painter) { media_->maluj(painter); });
    // A sound that cannot play is told in its box, and showing the situation goes on.
    media_->setSoundReport([this](const AppError& error) { services_.boxes.error(error); });
    tools_ = std::make_unique<EditorTools>(this, services_.boxes, services_.files, versions_);
    connectHandlers();

    // The wave-audio device is opened once, without a file. A machine without a sound
    // device must still be able to edit: the lack is reported when a sound is opened.
    try {
        MPwav->open();
    } catch (const AppError&) {
    }
}

TFoRPGEdit::~TFoRPGEdit() {
    // Closing the window moves the focus while its base classes are being destroyed: the
    // handler of this class must not hear of it any more.
    disconnect(qApp, &QApplication::focusChanged, this, nullptr);
}

void TFoRPGEdit::connectHandlers() {
    connect(BuOtworz, &QPushButton::clicked, this, &TFoRPGEdit::BuOtworzClick);
    connect(BuZapisz, &QPushButton::clicked, this, &TFoRPGEdit::BuZapiszClick);
    connect(BuPrzywroc, &QPushButton::clicked, this, &TFoRPGEdit::BuPrzywrocClick);
    connect(BuPoprzedni, &QPushButton::clicked, this, &TFoRPGEdit::BuPoprzedniClick);
    connect(BuNastepny, &QPushButton::clicked, this, &TFoRPGEdit::BuNastepnyClick);
    connect(BuNowy, &QPushButton::clicked, this, &TFoRPGEdit::BuNowyClick);
    connect(BuBmp, &QPushButton::clicked, this, &TFoRPGEdit::BuBmpClick);
    connect(BuWav, &QPushButton::clicked, this, &TFoRPGEdit::BuWavClick);
    connect(SGSyt, &QTableView::doubleClicked, this, &TFoRPGEdit::SGSytDblClick);
    connect(BuSprawdz, &QPushButton::clicked, this, &TFoRPGEdit::BuSprawdzClick);
    connect(BuMapa, &QPushButton::clicked, this, &TFoRPGEdit::BuMapaClick);
    connect(BuGraj, &QPushButton::clicked, this, &TFoRPGEdit::BuGrajClick);
    connect(tools_.get(), &EditorTools::restoreRequested, this, &TFoRPGEdit::restoreVersion);
    connect(tools_.get(), &EditorTools::jumpRequested, this, [this](std::int32_t k) {
        activateWindow();
        raise();
        jumpTo(k);
    });
    connect(tools_.get(), &EditorTools::replaceRequested, this, &TFoRPGEdit::replaceAll);
    SGSyt->installEventFilter(this);
    connect(SGSyt, &QWidget::customContextMenuRequested, this, &TFoRPGEdit::SGSytContextMenu);
    buildGridMenu();
    connect(qApp, &QApplication::focusChanged, this, &TFoRPGEdit::onFocusChanged);
    connect(MeOpis->document(), &QTextDocument::contentsChange, this,
            &TFoRPGEdit::limitDescription);
}

// --- events ------------------------------------------------------------------------------------

void TFoRPGEdit::closeEvent(QCloseEvent* event) {
    if (FormClose())
        event->accept();
    else
        event->ignore();
}

void TFoRPGEdit::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    layoutFor(event->size());
}

void TFoRPGEdit::layoutFor(const QSize& size) {
    // Half the extra width widens the left column's fields and moves the right column; the
    // other half widens the right column's boxes and the grid. Half the extra height goes to
    // the description, moving what is under it; the other half to the grid.
    const int dw = std::max(0, size.width() - kWidth);
    const int dh = std::max(0, size.height() - kHeight);
    const int left = dw / 2;
    const int down = dh / 2;
    const QWidget* widening[] = {ENazwa, MeOpis, EWybor1, EWybor2, EWybor3, EWybor4};
    const QWidget* rightWidening[] = {CBKrok_Wybrany1, CBKrok_Wybrany2, CBKrok_Wybrany3,
                                      CBKrok_Wybrany4, SGSyt};
    for (const auto& [control, place] : places_) {
        QRect r = place;
        if (r.x() >= 274)
            r.translate(left, 0);
        if (r.y() >= 205)
            r.translate(0, down);
        if (std::find(std::begin(widening), std::end(widening), control) != std::end(widening))
            r.setWidth(r.width() + left);
        if (std::find(std::begin(rightWidening), std::end(rightWidening), control) !=
            std::end(rightWidening))
            r.setWidth(r.width() + dw - left);
        if (control == MeOpis)
            r.setHeight(r.height() + down);
        if (control == SGSyt)
            r.setHeight(r.height() + dh - down);
        // Labels sized to their text (the notice line changes its text) keep their size.
        if (qobject_cast<QLabel*>(control) && control != LaBmp && control != LaWAV &&
            control != FileNameS)
            control->move(r.topLeft());
        else
            control->setGeometry(r);
    }
    SGSyt->setColumnWidth(0, 154 + dw - left);
}

bool TFoRPGEdit::eventFilter(QObject* watched, QEvent* event) {
    if (watched == cancelledPress_ && (event->type() == QEvent::MouseButtonPress ||
                                       event->type() == QEvent::MouseButtonDblClick)) {
        cancelledPress_->removeEventFilter(this);
        cancelledPress_ = nullptr;
        return true;
    }
    // Enter in the grid jumps as a double click does; other keys move the selection.
    if (watched == SGSyt && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            SGSytDblClick();
            return true;
        }
        // The grid menu's keys, on the current row.
        const QKeyCombination keys = static_cast<QKeyEvent*>(event)->keyCombination();
        const QKeySequence pressed(
            QKeyCombination(keys.keyboardModifiers() & ~Qt::KeypadModifier, keys.key()));
        for (QAction* action : SGSytMenu->actions()) {
            if (!action->shortcut().isEmpty() && action->shortcut() == pressed) {
                action->trigger();
                return true;
            }
        }
    }
    return QWidget::eventFilter(watched, event);
}

// Leaving a field is the focus moving to another control of this window. A box or a popup
// taking the focus is not: a check's own message box must not run the check again.
void TFoRPGEdit::onFocusChanged(QWidget* old, QWidget* now) {
    if (!old || !now || now->window() != this || old->window() != this)
        return;
    // An editable combo box is the box and its edit: moving between them is no exit.
    auto leaves = [old, now](QWidget* field) {
        return (old == field || field->isAncestorOf(old)) && now != field &&
               !field->isAncestorOf(now);
    };
    if (leaves(ENazwa))
        ENazwaExit(now);
    else if (leaves(CBTyp))
        CBTypExit(now);
    for (int i = 0; i < 4; ++i) {
        if (leaves(cele()[static_cast<std::size_t>(i)]))
            CBKrok_WybranyExit(i, now);
    }
}

// What is typed or pasted into the description must be storable. Characters Windows-1250
// cannot hold are dropped (the author is told of the first), then the description holds at
// most 250 bytes, a line break counting two: what goes past the limit is cut from the end of
// what was just typed or pasted. The cursor stays after what is kept.
void TFoRPGEdit::limitDescription(int position, int, int added) {
    if (settingDescription_ || added <= 0)
        return;
    const struct Editing {
        bool& flag;
        explicit Editing(bool& f) : flag(f) { flag = true; }
        ~Editing() { flag = false; }
    } editing{settingDescription_};
    QString text = memoText();
    added = std::min(added, static_cast<int>(text.size()) - position);
    // The refused characters of what was added, as runs of positions, first to last.
    struct Run {
        int at;
        int length;
    };
    std::vector<Run> refused;
    std::optional<char32_t> first;
    for (int i = position; i < position + added;) {
        const QChar c = text.at(i);
        const bool pair =
            c.isHighSurrogate() && i + 1 < position + added && text.at(i + 1).isLowSurrogate();
        const int length = pair ? 2 : 1;
        const char32_t code = pair ? QChar::surrogateToUcs4(c, text.at(i + 1)) : c.unicode();
        if (!Cp1250::holds(code)) {
            if (!first)
                first = code;
            if (!refused.empty() && refused.back().at + refused.back().length == i)
                refused.back().length += length;
            else
                refused.push_back({i, length});
        }
        i += length;
    }
    QTextCursor cursor(MeOpis->document());
    for (auto run = refused.rbegin(); run != refused.rend(); ++run) {
        cursor.setPosition(run->at);
        cursor.setPosition(run->at + run->length, QTextCursor::KeepAnchor);
        cursor.removeSelectedText();
        added -= run->length;
    }
    if (first) {
        text = memoText();
        hintRefused(MeOpis, *first);
    }
    const int cut = Description::overflow(text, position + added, added, kDescriptionCapacity);
    if (cut == 0)
        return;
    cursor.setPosition(position + added - cut);
    cursor.setPosition(position + added, QTextCursor::KeepAnchor);
    cursor.removeSelectedText();
}

void TFoRPGEdit::hintRefused(QWidget* field, char32_t refused) {
    QToolTip::showText(field->mapToGlobal(QPoint(0, field->height())),
                       Cp1250::refusedMessage(refused), field);
}

// --- handlers ----------------------------------------------------------------------------------

void TFoRPGEdit::BuOtworzClick() {
    if (const std::optional<QString> chosen = services_.scenarioDialog.execute(this))
        open(*chosen);
}

void TFoRPGEdit::openScenario(const QString& path) {
    if (const std::optional<QString> confirmed = services_.scenarioDialog.confirm(this, path))
        open(*confirmed);
}

void TFoRPGEdit::open(const QString& path) {
    act([&] { session_.open(path); });
}

void TFoRPGEdit::beforeSwitch(bool again) {
    if (again)
        enableEditing();
    else
        WlaczEdycje();
}

void TFoRPGEdit::showOpened(const QString& path, bool creating, bool shown) {
    setNotice(creating ? kNewScenarioCaption : QString());
    showScenario(path, session_.state().readOnly());
    CzyscPola();
    if (!shown)
        return;
    PokazSytuacje();
    tools_->refresh(path, session_.state().numer());
}

void TFoRPGEdit::showOpenFailed(const QString& path, bool creating) {
    // An open that failed leaves editing on and the fields empty.
    enableEditing();
    try {
        MPwav->open();
    } catch (const AppError&) {
        // The open's own failure is the one reported; the sound device tells its own later.
    }
    setNotice(creating ? kNewScenarioCaption : QString());
    showScenario(path, false);
    CzyscPola();
    tools_->closeAll();
}

bool TFoRPGEdit::FormClose() {
    if (services_.scenarioDialog.fileName().isEmpty() || LEdycja->text() == EditingOffCaption)
        return true;
    bool closed = false;
    act([&] { closed = session_.close(); });
    return closed;
}

void TFoRPGEdit::BuZapiszClick() {
    act([this] {
        // An inserted situation is saved by a rewrite, after which the scenario is open anew.
        const bool inserting = session_.state().inserting();
        if (!session_.save())
            return;
        BuPrzywroc->setEnabled(true);
        if (inserting)
            showCurrent();
    });
}

void TFoRPGEdit::BuPrzywrocClick() {
    act([this] {
        session_.keepTyped();
        session_.state().CzytajSytuacje();
        CzyscPola();
        PokazSytuacje();
    });
}

void TFoRPGEdit::BuPoprzedniClick() {
    act([this] {
        if (!autoSave())
            return;
        BuPrzywroc->setEnabled(true);
        if (session_.state().previous() == ScenarioState::Move::AtFirst) {
            services_.boxes.message(QStringLiteral("To jest pierwszy krok ..."));
            return;
        }
        CzyscPola();
        PokazSytuacje();
    });
}

void TFoRPGEdit::BuNastepnyClick() {
    act([this] {
        if (!autoSave())
            return;
        if (session_.state().next() == ScenarioState::Move::AtLast) {
            services_.boxes.message(QStringLiteral("Wiecej juz nie ma ... naprawde!!!"));
            return;
        }
        CzyscPola();
        PokazSytuacje();
    });
}

void TFoRPGEdit::BuNowyClick() {
    act([this] {
        if (!autoSave())
            return;
        session_.state().startNewSituation();
        showNewFields();
        OdswiezSpis();
    });
}

void TFoRPGEdit::showNewFields() {
    UstawWybory(true, true, true, true);
    BuPrzywroc->setEnabled(false);
    CBTyp->setEnabled(true);
    CzyscPola();
    CBTyp->setEditText(QStringLiteral("Normalny"));
    for (QComboBox* cel : cele())
        cel->setEditText(DefaultEndName);
}

void TFoRPGEdit::showCurrent() {
    SGSyt->setCurrentIndex(grid_->index(session_.state().numer() - 1, 0));
    BuPrzywroc->setEnabled(true);
    CzyscPola();
    PokazSytuacje();
}

void TFoRPGEdit::showFind() {
    if (LEdycja->text() == EditingOffCaption)
        return;
    act([this] { tools_->showFind(session_.state().situationFilePath()); });
}

void TFoRPGEdit::replaceAll(const QString& needle, const QString& replacement,
                            const SearchOptions& options) {
    act([&] {
        ReplaceResult result;
        if (session_.replaceAll(needle, replacement, options, result))
            showCurrent();
        if (FindWindow* find = tools_->findWindow())
            find->showReplaced(result);
    });
}

void TFoRPGEdit::showHistory() {
    if (LEdycja->text() == EditingOffCaption)
        return;
    act([this] { tools_->showHistory(session_.state().situationFilePath()); });
}

void TFoRPGEdit::restoreVersion(const QString& id) {
    act([&] {
        const QString path = session_.state().situationFilePath();
        const PairContent version = versions_.read(path, id);
        const QString fault = wholeRecordsFault(version.situations.size(), version.list.size());
        if (!fault.isEmpty())
            throw AppError(AppError::Other, QStringLiteral("Wersja %1: %2").arg(id, fault));
        ScenarioSnapshot records = snapshotFromBytes(version.situations, version.list);
        if (session_.restoreVersion(VersionStore::labelOf(id), std::move(records.rekordy),
                                    std::move(records.listy)))
            showCurrent();
    });
}

void TFoRPGEdit::BuCofnijClick() {
    act([this] {
        if (!session_.undo())
            return;
        showCurrent();
        // The tool windows show the files as the step left them.
        tools_->refresh(session_.state().situationFilePath(), session_.state().numer());
    });
}

void TFoRPGEdit::BuPonowClick() {
    act([this] {
        if (!session_.redo())
            return;
        showCurrent();
        // The tool windows show the files as the step left them.
        tools_->refresh(session_.state().situationFilePath(), session_.state().numer());
    });
}

void TFoRPGEdit::showDropped(const SituationFields& f, const QString& picture,
                             const QString& sound) {
    if (session_.state().newSituation()) {
        showNewFields();
        media_->czysc();
    } else {
        showCurrent();
    }
    ENazwa->setText(f.nazwa);
    CBTyp->setEditText(f.typ);
    setDescription(f.opis);
    for (std::size_t i = 0; i < 4; ++i) {
        wybory()[i]->setEnabled(f.wyboryWlaczone[i]);
        wybory()[i]->setText(f.wybory[i]);
        cele()[i]->setEnabled(f.celeWlaczone[i]);
        cele()[i]->setEditText(f.cele[i]);
    }
    media_->choose(MediaKind::Pictures, picture);
    media_->choose(MediaKind::Sounds, sound);
}

void TFoRPGEdit::SGSytDblClick() {
    jumpTo(SGSyt->currentIndex().isValid() ? SGSyt->currentIndex().row() + 1 : 0);
}

void TFoRPGEdit::jumpTo(int row) {
    act([this, row] {
        if (!autoSave())
            return;
        if (row < 1 || row >= grid_->gridRowCount())
            return;
        // A save rebuilt the grid: the row chosen is chosen again.
        SGSyt->setCurrentIndex(grid_->index(row - 1, 0));
        session_.state().goTo(row);
        CzyscPola();
        PokazSytuacje();
    });
}

void TFoRPGEdit::buildGridMenu() {
    SGSytMenu = new QMenu(this);
    SGSytMenu->setObjectName(QStringLiteral("SGSytMenu"));
    SGSytMenu->setAccessibleName(QStringLiteral("Sytuacja w spisie"));
    const auto add = [this](const char* name, const QString& caption, const QKeySequence& keys,
                            const std::function<bool(std::int32_t)>& change) {
        QAction* action = SGSytMenu->addAction(caption);
        action->setObjectName(QString::fromLatin1(name));
        action->setShortcut(keys);
        // The keys work through the grid's filter; the menu shows them (its items are named by
        // their captions to a screen reader).
        action->setShortcutContext(Qt::WidgetShortcut);
        connect(action, &QAction::triggered, this, [this, change] { restructureCurrent(change); });
    };
    add("AkUsunSytuacje", QStringLiteral("Usuń sytuację"), QKeySequence(Qt::Key_Delete),
        [this](std::int32_t k) { return session_.deleteSituation(k); });
    add("AkPrzesunWyzej", QStringLiteral("Przesuń wyżej"),
        QKeySequence(Qt::AltModifier | Qt::ShiftModifier | Qt::Key_Up),
        [this](std::int32_t k) { return session_.moveSituation(k, EditorSession::Direction::Up); });
    add("AkPrzesunNizej", QStringLiteral("Przesuń niżej"),
        QKeySequence(Qt::AltModifier | Qt::ShiftModifier | Qt::Key_Down), [this](std::int32_t k) {
            return session_.moveSituation(k, EditorSession::Direction::Down);
        });
    add("AkPowielSytuacje", QStringLiteral("Powiel sytuację"), QKeySequence(),
        [this](std::int32_t k) { return session_.duplicateSituation(k); });
    // A new situation after the row's: edited as "N&owa" edits, inserted when saved.
    QAction* insert = SGSytMenu->addAction(QStringLiteral("Wstaw nową za"));
    insert->setObjectName(QStringLiteral("AkWstawNowa"));
    insert->setShortcut(QKeySequence(Qt::Key_Insert));
    insert->setShortcutContext(Qt::WidgetShortcut);
    connect(insert, &QAction::triggered, this, [this] {
        if (!SGSyt->currentIndex().isValid())
            return;
        const std::int32_t k = SGSyt->currentIndex().row() + 1;
        act([&] {
            if (!session_.insertAfter(k))
                return;
            showNewFields();
            OdswiezSpis();
            ENazwa->setFocus(Qt::OtherFocusReason);
        });
    });
}

void TFoRPGEdit::buildHistoryControls() {
    // In the empty space of the top row, beside "&Otwórz/Nowy".
    const QFont f13 = Controls::times(13);
    BuCofnij = Controls::place(new QPushButton(QStringLiteral("Cofnij"), this), "BuCofnij",
                               {110, 4, 77, 23}, f13);
    BuPonow = Controls::place(new QPushButton(QStringLiteral("Ponów"), this), "BuPonow",
                              {190, 4, 77, 23}, f13);
    // In the column of the author's tools, right of the situation's type.
    BuHistoria = Controls::place(new QPushButton(QStringLiteral("Historia"), this), "BuHistoria",
                                 {440, 64, 77, 23}, f13);
    BuHistoria->setToolTip(
        QStringLiteral("Wersje scenariusza zachowane na tym komputerze (Ctrl+H)"));
    BuHistoria->setAccessibleDescription(BuHistoria->toolTip());
    BuHistoria->setEnabled(false);
    QUndoStack& history = session_.history();
    const auto follow = [this, &history] {
        BuCofnij->setEnabled(history.canUndo());
        BuPonow->setEnabled(history.canRedo());
        BuCofnij->setToolTip(history.canUndo() ? QStringLiteral("Cofnij: ") + history.undoText()
                                               : QStringLiteral("Nie ma czego cofnąć"));
        BuPonow->setToolTip(history.canRedo() ? QStringLiteral("Ponów: ") + history.redoText()
                                              : QStringLiteral("Nie ma czego ponowić"));
        BuCofnij->setAccessibleDescription(BuCofnij->toolTip());
        BuPonow->setAccessibleDescription(BuPonow->toolTip());
    };
    connect(&history, &QUndoStack::indexChanged, this, follow);
    connect(&history, &QUndoStack::cleanChanged, this, follow);
    follow();
    setTabOrder(BuOtworz, BuCofnij);
    setTabOrder(BuCofnij, BuPonow);
    setTabOrder(BuPonow, ENazwa);
    setTabOrder(BuGraj, BuHistoria);
    connect(BuCofnij, &QPushButton::clicked, this, &TFoRPGEdit::BuCofnijClick);
    connect(BuPonow, &QPushButton::clicked, this, &TFoRPGEdit::BuPonowClick);
    connect(BuHistoria, &QPushButton::clicked, this, &TFoRPGEdit::showHistory);
    // The keys work where the focus is not in a text field: a field keeps its own undo.
    const auto key = [this](const QKeySequence& keys, void (TFoRPGEdit::*handler)()) {
        auto* action = new QAction(this);
        action->setShortcut(keys);
        action->setShortcutContext(Qt::WindowShortcut);
        addAction(action);
        connect(action, &QAction::triggered, this, handler);
    };
    key(QKeySequence(Qt::ControlModifier | Qt::Key_Z), &TFoRPGEdit::BuCofnijClick);
    key(QKeySequence(Qt::ControlModifier | Qt::ShiftModifier | Qt::Key_Z),
        &TFoRPGEdit::BuPonowClick);
    // "Szukaj" in its own window.
    key(QKeySequence(Qt::ControlModifier | Qt::Key_F), &TFoRPGEdit::showFind);
    key(QKeySequence(Qt::ControlModifier | Qt::Key_H), &TFoRPGEdit::showHistory);
}

void TFoRPGEdit::SGSytContextMenu(const QPoint& position) {
    const QModelIndex row = SGSyt->indexAt(position);
    if (!row.isValid())
        return;
    SGSyt->setCurrentIndex(row);
    SGSytMenu->popup(SGSyt->viewport()->mapToGlobal(position));
}

void TFoRPGEdit::restructureCurrent(const std::function<bool(std::int32_t k)>& change) {
    if (!SGSyt->currentIndex().isValid())
        return;
    const std::int32_t k = SGSyt->currentIndex().row() + 1;
    act([&] {
        if (change(k))
            showCurrent();
    });
}

void TFoRPGEdit::BuSprawdzClick() {
    act([this] {
        tools_->showCheck(session_.state().situationFilePath(), session_.state().numer());
    });
}

void TFoRPGEdit::BuMapaClick() {
    act([this] {
        tools_->showMap(session_.state().situationFilePath(), session_.state().numer());
    });
}

void TFoRPGEdit::BuGrajClick() {
    act([this] {
        if (session_.playFromHere(services_.startPlayer))
            BuPrzywroc->setEnabled(true);
    });
}

void TFoRPGEdit::BuBmpClick() {
    setEnabled(false);
    emit mediaChooserRequested(MediaKind::Pictures, session_.state().folder());
}

void TFoRPGEdit::BuWavClick() {
    setEnabled(false);
    emit mediaChooserRequested(MediaKind::Sounds, session_.state().folder());
}

void TFoRPGEdit::mediaChosen(MediaKind mode, const QString& name) {
    media_->choose(mode, name);
}

void TFoRPGEdit::mediaChooserClosed() {
    setEnabled(true);
    // Opening closes the device first: a sound that is playing stops and goes to the start.
    act([this] { MPwav->open(); });
}

void TFoRPGEdit::setNotice(const QString& caption) {
    LEdycja->setText(caption);
    LEdycja->adjustSize();
}

void TFoRPGEdit::showScenario(const QString& path, bool readOnly) {
    // A scenario the author may not write says so when it opens, not at the first save. The
    // path line shows its end: the hint is what stays in view, the whole in its tooltip.
    setWindowTitle(readOnly ? kTitle + QStringLiteral(" (tylko do odczytu)") : kTitle);
    QString shown = path;
    if (readOnly && session_.state().unfitJournal().isEmpty())
        shown +=
            QStringLiteral(" — tylko do odczytu; zapisz kopię w folderze, do którego masz "
                           "prawo zapisu, np. %1")
                .arg(QDir::toNativeSeparators(QDir::homePath() + QStringLiteral("/Tekstowki")));
    else if (readOnly)
        shown += QStringLiteral(" — tylko do odczytu");
    FileNameS->setText(shown);
    FileNameS->setToolTip(readOnly ? shown : QString());
}

void TFoRPGEdit::PaObrazekRepaint() {
    PaObrazek->repaint();
}

// --- field checks --------------------------------------------------------------------------

void TFoRPGEdit::refocus(QWidget* field, QWidget* focusTaker) {
    // A button pressed with the mouse takes the focus before it hears of the press: the
    // press that is on its way must not reach it, or its click would run after all.
    auto* button = qobject_cast<QAbstractButton*>(focusTaker);
    if (button && (QGuiApplication::mouseButtons() & Qt::LeftButton)) {
        cancelledPress_ = button;
        button->installEventFilter(this);
    }
    field->setFocus(Qt::OtherFocusReason);
}

void TFoRPGEdit::ENazwaExit(QWidget* focusTaker) {
    if (!session_.state().nameTaken(ENazwa->text()))
        return;
    ENazwa->clear();
    refocus(ENazwa, focusTaker);
    services_.boxes.message(ScenarioState::NameTakenMessage);
}

void TFoRPGEdit::CBTypExit(QWidget* focusTaker) {
    const QString text = CBTyp->currentText();
    if (!text.isEmpty() && !ScenarioState::isTypeItem(text)) {
        services_.boxes.message(ScenarioState::NoSuchTypeMessage);
        CBTyp->setEditText(QString());
        refocus(CBTyp, focusTaker);
        return;
    }
    // Rows follow the exact type name; another letter case changes nothing.
    const std::optional<std::uint8_t> typ = ScenarioState::typeCode(text);
    if (!typ || *typ == Poczatek)
        return;
    const std::array<bool, 4> rows = offeredChoices(*typ);
    UstawWybory(rows[0], rows[1], rows[2], rows[3]);
}

void TFoRPGEdit::CBKrok_WybranyExit(int row, QWidget* focusTaker) {
    QComboBox* cel = cele()[static_cast<std::size_t>(row)];
    const QString text = cel->currentText();
    if (text.isEmpty() || session_.state().indexOfName(text) >= 0)
        return;
    services_.boxes.message(ScenarioState::NoSuchTargetMessage);
    cel->setEditText(QString());
    refocus(cel, focusTaker);
}

// --- operations ----------------------------------------------------------------------------

bool TFoRPGEdit::autoSave() {
    return session_.autoSave();
}

// --- what the session asks of the window ------------------------------------------------------

void TFoRPGEdit::message(const QString& text) {
    services_.boxes.message(text);
}

bool TFoRPGEdit::question(const QString& text) {
    return services_.boxes.question(text);
}

std::unique_ptr<ReadProgress> TFoRPGEdit::readProgress(bool cancellable) {
    return std::make_unique<LoadProgress>(this, cancellable);
}

std::unique_ptr<ReadProgress> TFoRPGEdit::rewriteProgress() {
    return std::make_unique<LoadProgress>(this, true, QStringLiteral("Przebudowa scenariusza..."));
}

bool TFoRPGEdit::autoSaving() const {
    return CBAuto->isChecked();
}

void TFoRPGEdit::showList(const ScenarioList& list) {
    applyList(list);
}

void TFoRPGEdit::showSaved(const QString& path, std::int32_t numer) {
    tools_->refresh(path, numer);
}

std::array<QLineEdit*, 4> TFoRPGEdit::wybory() const {
    return {EWybor1, EWybor2, EWybor3, EWybor4};
}

std::array<QComboBox*, 4> TFoRPGEdit::cele() const {
    return {CBKrok_Wybrany1, CBKrok_Wybrany2, CBKrok_Wybrany3, CBKrok_Wybrany4};
}

void TFoRPGEdit::WlaczEdycje() {
    enableEditing();
    MPwav->open();
}

void TFoRPGEdit::enableEditing() {
    QWidget* controls[] = {
        MeOpis,   EWybor1,         EWybor2,         EWybor3,         EWybor4,
        ENazwa,   BuPoprzedni,     BuNastepny,      BuPrzywroc,      BuNowy,
        BuZapisz, CBKrok_Wybrany1, CBKrok_Wybrany2, CBKrok_Wybrany3, CBKrok_Wybrany4,
        CBTyp,    SGSyt,           CBAuto,          BuBmp,           BuWav,
        MPwav,    BuSprawdz,       BuMapa,          BuGraj,          BuHistoria};
    for (QWidget* control : controls)
        control->setEnabled(true);
}

void TFoRPGEdit::UstawWybory(bool row1, bool row2, bool row3, bool row4) {
    const bool on[] = {row1, row2, row3, row4};
    for (std::size_t i = 0; i < 4; ++i) {
        wybory()[i]->setEnabled(on[i]);
        cele()[i]->setEnabled(on[i]);
        if (!on[i]) {
            wybory()[i]->clear();
            cele()[i]->setEditText(QString());
        }
    }
}

// The description as typed: unlike toPlainText(), no-break spaces stay what they are.
QString TFoRPGEdit::memoText() const {
    QString text = MeOpis->document()->toRawText();
    text.replace(QChar::ParagraphSeparator, u'\n');
    text.replace(QChar::LineSeparator, u'\n');
    return text;
}

void TFoRPGEdit::setDescription(const QString& shown) {
    settingDescription_ = true;
    MeOpis->setPlainText(shown);
    settingDescription_ = false;
}

void TFoRPGEdit::CzyscPola() {
    ENazwa->clear();
    for (QLineEdit* wybor : wybory())
        wybor->clear();
    setDescription(QString());
    for (QComboBox* cel : cele())
        cel->setEditText(QString());
    CBTyp->setEditText(QString());
    media_->czysc();
}

void TFoRPGEdit::Pokaz(const TKrok& krok, std::uint8_t koniec) {
    ENazwa->setText(krok.Nazwa.text());
    setDescription(Description::shown(krok.Opis.text()));
    const std::uint8_t typ = session_.state().lista().Typ;
    CBTyp->setEnabled(typ != Poczatek);
    CBTyp->setEditText(ScenarioState::typeName(typ));
    if (koniec == 1)
        return;
    const QString teksty[] = {krok.Wybor1.text(), krok.Wybor2.text(), krok.Wybor3.text(),
                              krok.Wybor4.text()};
    for (std::size_t i = 0; i < 4; ++i)
        wybory()[i]->setText(teksty[i]);
    for (int i = 0; i < 4; ++i) {
        QComboBox* cel = cele()[static_cast<std::size_t>(i)];
        if (cel->isEnabled())
            cel->setEditText(session_.state().targetName(krok.cel(i + 1)));
    }
}

void TFoRPGEdit::PokazSytuacje() {
    tools_->setCurrent(session_.state().numer());
    // However far the showing gets (a target past the last situation stops it), what the
    // fields then hold counts as the situation saved: only the author's changes are unsaved.
    const struct Shown {
        TFoRPGEdit& window;
        ~Shown() { window.session_.markSaved(); }
    } shown{*this};
    CzyscPola();
    const std::uint8_t typ = session_.state().lista().Typ;
    if (typ <= Wybory3) {
        const std::array<bool, 4> rows = offeredChoices(typ);
        UstawWybory(rows[0], rows[1], rows[2], rows[3]);
        Pokaz(session_.state().krok(), typ == Koniec ? 1 : 0);
    }
    media_->pokaz();
}

SituationFields TFoRPGEdit::fields() const {
    SituationFields f;
    f.nazwa = ENazwa->text();
    f.typ = CBTyp->currentText();
    f.opis = memoText();
    for (std::size_t i = 0; i < 4; ++i) {
        f.wybory[i] = wybory()[i]->text();
        f.wyboryWlaczone[i] = wybory()[i]->isEnabled();
        f.cele[i] = cele()[i]->currentText();
        f.celeWlaczone[i] = cele()[i]->isEnabled();
    }
    return f;
}

void TFoRPGEdit::OdswiezSpis() {
    ScenarioList list;
    const ListShown shown{*this, list};
    LoadProgress progress(this, false);
    session_.state().OdswiezSpis(list, progress.callback());
}

void TFoRPGEdit::applyList(const ScenarioList& list) {
    if (!list.emptied)
        return;
    // The target boxes' texts are theirs, not their lists': a rebuild keeps them.
    QStringList texts;
    for (QComboBox* cel : cele())
        texts.append(cel->currentText());
    names_->setRows(list.rows);
    for (std::size_t i = 0; i < 4; ++i)
        cele()[i]->setEditText(texts[static_cast<qsizetype>(i)]);
    grid_->apply(list);
    // The grid always has a current row, the first one to begin with.
    if (!SGSyt->currentIndex().isValid() && grid_->rowCount() > 0)
        SGSyt->setCurrentIndex(grid_->index(0, 0));
}
