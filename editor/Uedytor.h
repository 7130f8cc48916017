#pragma once
// The editor's main window TFoRPGEdit: opening, editing, checking and saving situations.

#include "authoring/VersionStore.h"
#include "common/MediaFiles.h"
#include "editor/EditorMedia.h"
#include "editor/EditorServices.h"
#include "editor/EditorTools.h"
#include "editor/NameListModel.h"
#include "editor/model/EditorSession.h"
#include "editor/model/EditorView.h"
#include "editor/model/ScenarioState.h"

#include <QAbstractButton>
#include <QPointer>
#include <QWidget>
#include <array>
#include <functional>
#include <memory>
#include <utility>
#include <vector>

class QCheckBox;
class QComboBox;
class QFrame;
class QLabel;
class QLineEdit;
class QMenu;
class QPlainTextEdit;
class QPushButton;
class QTableView;
class PaintBox;
class SituationGrid;
class SoundControl;

class TFoRPGEdit : public QWidget, private EditorView {
    Q_OBJECT

public:
    static const QString EditingOffCaption; // "Edycja wyłączona!!!"

    explicit TFoRPGEdit(EditorServices services);
    ~TFoRPGEdit() override;

    // The scenario, the current situation and the names, for tests.
    const ScenarioState& state() const { return session_.state(); }
    const SituationGrid& grid() const { return *grid_; }
    // The model of situation names that the four target boxes share.
    const NameListModel& names() const { return *names_; }
    const EditorTools& tools() const { return *tools_; }
    // Opens (or, when asked and agreed, creates) the scenario at `path` as "&Otwórz/Nowy"
    // does with the name confirmed in its dialog (a name given on the command line).
    void openScenario(const QString& path);
    // Repaints the picture box at once (the chooser after a picture was chosen).
    void PaObrazekRepaint();

signals:
    // "Otwórz &Bmp." or "Otwórz &Wav." asks for the media chooser on the scenario folder; the
    // window stays disabled until the chooser says it has closed.
    void mediaChooserRequested(MediaKind mode, const QString& folder);

public slots:
    // The media chooser's answers: a file chosen (an empty name: none), and its closing.
    void mediaChosen(MediaKind mode, const QString& name);
    void mediaChooserClosed();

protected:
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private slots:
    void BuOtworzClick();
    void BuZapiszClick();
    void BuPrzywrocClick();
    void BuPoprzedniClick();
    void BuNastepnyClick();
    void BuNowyClick();
    void SGSytDblClick();
    void BuBmpClick();
    void BuWavClick();
    void BuSprawdzClick();
    void BuMapaClick();
    void BuGrajClick();
    // The grid's context menu on the row at `position`, which becomes current.
    void SGSytContextMenu(const QPoint& position);
    // "Cofnij" and "Ponów": the session's history, one step back or on.
    void BuCofnijClick();
    void BuPonowClick();
    // Ctrl+F: "Szukaj" on the scenario open; its "Zamień wszystko" as one step.
    void showFind();
    void replaceAll(const QString& needle, const QString& replacement,
                    const SearchOptions& options);
    // "Historia" (Ctrl+H): the versions of the scenario open; "Przywróć" there as one step.
    void showHistory();
    void restoreVersion(const QString& id);

private:
    void buildControls();
    // "Cofnij" and "Ponów", their keys, and their state following the history.
    void buildHistoryControls();
    // Places the controls for the window's size: at 558 x 522 each where it always was; the
    // extra space goes to the description and the grid.
    void layoutFor(const QSize& size);
    // Draws the situation the session made current after a step that changed the files.
    void showCurrent();
    // "N&owa"'s fields: a new situation's type, targets and rows.
    void showNewFields();
    // The names and descriptions a screen reader gives the controls.
    void nameControls();
    void connectHandlers();
    void onFocusChanged(QWidget* old, QWidget* now);
    void limitDescription(int position, int removed, int added);
    // Tells the author, beside `field` and without stopping the typing, that `refused` was not
    // taken: Windows-1250 cannot hold it.
    void hintRefused(QWidget* field, char32_t refused);
    // The window's title and the path line for the scenario at `path`; one the author may not
    // write says so, and where a copy can be written.
    void showScenario(const QString& path, bool readOnly);

    // Operations of the editor, named as the editor has always named them.
    bool FormClose();
    void WlaczEdycje();
    // Enables every editing control (WlaczEdycje without opening the sound device).
    void enableEditing();
    void UstawWybory(bool row1, bool row2, bool row3, bool row4);
    void CzyscPola();
    void Pokaz(const TKrok& krok, std::uint8_t koniec);
    void PokazSytuacje();
    void OdswiezSpis();
    // Shows a rebuilt list in the grid and the target boxes (nothing when it was not emptied).
    void applyList(const ScenarioList& list);
    // Shows the list when the step that rebuilds it ends, also with what a failed rebuild read.
    struct ListShown {
        TFoRPGEdit& window;
        const ScenarioList& list;
        ~ListShown() { window.applyList(list); }
    };

    // Opens the scenario at `path`, which the dialog has confirmed.
    void open(const QString& path);
    // Goes to situation `k` as a double-click on its row of the grid does, the automatic save
    // first; numbers the grid does not show change nothing.
    void jumpTo(int k);
    // The grid's context menu and the actions it shares with the keys.
    void buildGridMenu();
    // Runs `change` on the situation of the grid's current row; when it changed the scenario,
    // shows the situation the session made current.
    void restructureCurrent(const std::function<bool(std::int32_t k)>& change);
    void ENazwaExit(QWidget* focusTaker);
    void CBTypExit(QWidget* focusTaker);
    void CBKrok_WybranyExit(int row, QWidget* focusTaker);

    // Runs a handler's step at the handler boundary; afterwards "N&owa" is enabled exactly
    // when the session is not writing a new situation, whatever the step did.
    template <class Step> void act(Step&& step);
    // The automatic save before a change of situation: false when it refused or failed.
    bool autoSave();

    // What the session asks of the window.
    void message(const QString& text) override;
    bool question(const QString& text) override;
    std::unique_ptr<ReadProgress> readProgress(bool cancellable) override;
    std::unique_ptr<ReadProgress> rewriteProgress() override;
    SituationFields fields() const override;
    bool autoSaving() const override;
    void beforeSwitch(bool again) override;
    void showOpened(const QString& path, bool creating, bool shown) override;
    void showOpenFailed(const QString& path, bool creating) override;
    void showList(const ScenarioList& list) override;
    void showSaved(const QString& path, std::int32_t numer) override;
    void showDropped(const SituationFields& fields, const QString& picture,
                     const QString& sound) override;
    void setDescription(const QString& shown);
    void setNotice(const QString& caption); // LEdycja, sized to its text
    QString memoText() const;
    // A refused field check cancels the click of the button that took the focus.
    void refocus(QWidget* field, QWidget* focusTaker);

    std::array<QLineEdit*, 4> wybory() const;
    std::array<QComboBox*, 4> cele() const;

    // The controls, named as the window has always named them (their object names too).
    QLabel* Label9;
    QLabel* Label16;
    QLabel* Label8;
    QLabel* Label10;
    QLabel* Label6;
    QLabel* Label7;
    QLabel* Label2;
    QLabel* Label3;
    QLabel* Label4;
    QLabel* Label5;
    QLabel* Label12;
    QLabel* Label11;
    QLabel* Label13;
    QLabel* LaBmp;
    QLabel* LaWAV;
    QLabel* LEdycja;
    QLabel* FileNameS;
    QLabel* Label14;
    QFrame* Bevel1;
    PaintBox* PaObrazek;
    QPushButton* BuOtworz;
    QLineEdit* ENazwa;
    QComboBox* CBTyp;
    QPlainTextEdit* MeOpis;
    QLineEdit* EWybor1;
    QLineEdit* EWybor2;
    QLineEdit* EWybor3;
    QLineEdit* EWybor4;
    QComboBox* CBKrok_Wybrany1;
    QComboBox* CBKrok_Wybrany2;
    QComboBox* CBKrok_Wybrany3;
    QComboBox* CBKrok_Wybrany4;
    QPushButton* BuPoprzedni;
    QPushButton* BuNastepny;
    QPushButton* BuNowy;
    QPushButton* BuZapisz;
    QPushButton* BuPrzywroc;
    QCheckBox* CBAuto;
    QPushButton* BuBmp;
    QPushButton* BuWav;
    SoundControl* MPwav;
    QTableView* SGSyt;
    // The author's tools, in the window's empty space under "N&owa".
    QPushButton* BuSprawdz;
    QPushButton* BuMapa;
    QPushButton* BuGraj;
    // The history of changes, beside "&Otwórz/Nowy".
    QPushButton* BuCofnij = nullptr;
    QPushButton* BuPonow = nullptr;
    QPushButton* BuHistoria = nullptr;
    // Every control's place at the window's first size.
    std::vector<std::pair<QWidget*, QRect>> places_;
    // The grid's context menu: delete, move up, move down, duplicate the row's situation.
    QMenu* SGSytMenu = nullptr;

    EditorServices services_;
    VersionStore versions_;
    EditorSession session_;
    SituationGrid* grid_;
    NameListModel* names_;
    std::unique_ptr<EditorMedia> media_;
    std::unique_ptr<EditorTools> tools_;
    bool settingDescription_ = false;
    // A button whose press, already on its way, a refused field check cancels.
    QPointer<QAbstractButton> cancelledPress_;
};
