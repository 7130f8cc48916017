#pragma once
// The editor's session without widgets: file pair, current situation, names, checks and saving.

#include "common/ObEdKrok.h"
#include "common/Records.h"
#include "common/ScenarioFiles.h"
#include "editor/model/ListRecords.h"

#include <QString>
#include <QStringList>
#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

// What a rebuild of the lists read: situations 0, 1, 2, ... in number order, each one's name
// and grid row (row 0 belongs to situation 0, which the grid does not show). A rebuild that
// fails keeps what it read before the failure.
struct ScenarioList {
    bool emptied = false; // the old names were let go: the count of situations succeeded
    ListRecords rows;
    // The names in number order, decoded.
    QStringList names() const { return rows.names(); }
};

// The editor's fields as the window holds them when a situation is saved.
struct SituationFields {
    QString nazwa;
    QString typ;  // the text of the type box
    QString opis; // as shown: a line break is "\n"
    std::array<QString, 4> wybory;
    std::array<QString, 4> cele; // target texts: situation names
    std::array<bool, 4> wyboryWlaczone{};
    std::array<bool, 4> celeWlaczone{};

    bool operator==(const SituationFields&) const = default;
};

class ScenarioState {
public:
    // Which files of a pair exist on disk.
    enum class OnDisk { Both, Neither, OnlySituationFile, OnlyListFile };
    // Where a move to the previous or next situation ended.
    enum class Move { Moved, AtFirst, AtLast };

    static const QString IncompleteMessage;   // "Zapomniales czegos wpisac :)"
    static const QString NameTakenMessage;    // "Taka nazwa sytuacji juz jest"
    static const QString NoSuchTypeMessage;   // "Nie ma takiego typu"
    static const QString NoSuchTargetMessage; // "Nie ma takiej drogi"

    // The most situations a scenario may have; a pair whose either file holds more records
    // (a file of another kind, a file stretched by a fault) is not opened, and no situation
    // is added past it.
    static constexpr std::int64_t MaxSituations = ::MaxSituations;
    static inline const QString& TooLargeMessage = ::TooLargeMessage;

    // Told how many of how many situations a rebuild of the lists has read; false cancels it.
    using Progress = ScenarioPair::Progress;

    // A pair whose files do not hold the same whole situations, as a crash of an older editor
    // between the two writes of a save left it: the situations both files hold whole are kept.
    struct OutOfStep {
        std::int64_t situationRecords = 0; // whole records of the situation file
        std::int64_t listRecords = 0;      // whole records of the list file
        bool situationTail = false;        // a part of a record at the situation file's end
        bool listTail = false;
        std::int64_t kept() const { return std::min(situationRecords, listRecords); }
    };

    explicit ScenarioState(RecordFileFactory& files);

    // --- the file pair --------------------------------------------------------------------------

    static OnDisk onDisk(const QString& situationFilePath);
    // Closes each file of the pair that is open, then takes the paths of the chosen scenario:
    // the situation file, its list file, and the folder (up to and including the last "/").
    void bind(const QString& situationFilePath);
    // Opens both files for reading and writing. Throws AppError.
    void openExisting();
    // Why the pair opened for reading only although the author may write it: a file beside it
    // at the journal's path that does not fit it. Empty when there is none.
    const QString& unfitJournal() const { return pair_.unfitJournal(); }
    // Whether the pair open now was opened for reading only: the author may not write it, or
    // unfitJournal() tells why not.
    bool readOnly() const { return pair_.readOnly(); }
    // True when another program replaced or removed either file since the pair was opened.
    bool filesReplaced() { return pair_.filesReplaced(); }
    // True when the situation file holds no byte. Throws AppError.
    bool situationFileEmpty();
    // Creates both files with the two situations of a new scenario. Throws AppError.
    void createNew();
    // Closes each file that is open. Throws AppError.
    void close();
    // Lets go of the files after a failure, reporting nothing.
    void release() noexcept { pair_.release(); }
    // True when either file claims more than MaxSituations records, a trailing part of a
    // record counting as one (exceedsLimit). Throws AppError.
    bool tooLarge();
    // How the files are out of step, or nothing when they hold the same whole situations (an
    // empty situation file included). Throws AppError.
    std::optional<OutOfStep> outOfStep();
    // The question that tells the author what is wrong and what a repair does.
    QString outOfStepQuestion(const OutOfStep& found) const;
    // Cuts both files to the situations both hold whole. Throws AppError.
    void repair(const OutOfStep& found);

    const QString& situationFilePath() const { return situationFilePath_; }
    const QString& listPath() const { return listPath_; }
    const QString& folder() const { return folder_; }

    // --- the current situation ------------------------------------------------------------------

    // The number of the situation in the fields.
    std::int32_t numer() const { return numer_; }
    // The current situation, and the record buffers it was read from or is written from.
    const TKrok& krok() const { return krok_; }
    const TRekordKroku& rekord() const { return rekord_; }
    const TRekordListy& lista() const { return lista_; }
    // Between "N&owa" and the next save, move or open: numer() is one past the last situation.
    bool newSituation() const { return newSituation_; }

    // Reads record numer() of both files into the buffers and loads krok(). Throws AppError.
    void CzytajSytuacje();
    // Makes `k` the current situation and reads it, leaving new-situation mode; the number
    // changes even when the read fails. Throws AppError.
    void goTo(std::int32_t k);
    // Closes what is open and takes the paths of `situationFilePath` with nothing open and
    // situation 0 current: what an open that failed leaves.
    void reset(const QString& situationFilePath);
    // Number of situations, never below 1. Throws AppError.
    int count();
    // "&Poprzednia": leaves new-situation mode, then one situation back and read it, or at
    // situation 1 stay there. Throws AppError.
    Move previous();
    // "&Następna": one situation on and read it, or at the last one stay there. Throws AppError.
    Move next();
    // "N&owa": enters new-situation mode; the number becomes the one the new situation will
    // be saved at (the number of situations). Throws AppError.
    void startNewSituation();
    // "Wstaw nową za": enters new-situation mode for a situation to be inserted right after
    // situation k (1 <= k < count), at number k + 1; the situations from k + 1 on are
    // renumbered when it is saved. Throws AppError for another k or a full scenario.
    void startInsertAfter(std::int32_t k);
    // Whether the new situation is to be inserted (startInsertAfter) rather than appended.
    bool inserting() const { return inserting_; }
    // Leaves new-situation mode (after a save of the situation shown).
    void endNewSituation() {
        newSituation_ = false;
        inserting_ = false;
    }
    // The picture (false) or sound (true) name of the current situation, in the situation
    // and in the record buffer that saving writes; empty: none.
    void setMedia(bool sound, const QString& name);
    // Empties the picture and sound names of a situation being written anew.
    void dropMediaOfNew();

    // --- the names
    // --------------------------------------------------------------------------------

    // The names of all situations in number order, as of the last rebuild, decoded.
    QStringList nazwy() const { return spis_.names(); }
    // Rebuilds the names from both files into `list` and the names list; on a failure both
    // hold what was read before it and the AppError is thrown. The list buffer ends holding
    // the current situation's list record (outside new-situation mode). Memory follows the
    // records really read, not the count claimed by the file's length. `progress` is told
    // after each block; when it cancels, false is returned and the names stay as they were.
    bool OdswiezSpis(ScenarioList& list, const Progress& progress = {});
    // Number of the first situation whose name equals `text` ignoring letter case (Polish
    // letters included), or -1.
    int indexOfName(const QString& text) const;
    // The name of situation `target`. Throws AppError "List index out of bounds (<target>)".
    QString targetName(std::int32_t target) const;

    // --- checks
    // -----------------------------------------------------------------------------------

    // True when another situation than the current one has this name (ignoring case).
    bool nameTaken(const QString& text) const;
    // True when `text` is one of the type box's items, ignoring case.
    static bool isTypeItem(const QString& text);
    // The type of an exact type name ("Poczatek" ... "Wybory3"), letter case included.
    static std::optional<std::uint8_t> typeCode(const QString& text);
    // The type box's text for types 0 to 5; empty for others.
    static QString typeName(std::uint8_t typ);

    // --- saving
    // -----------------------------------------------------------------------------------

    // Why the fields may not be saved, or an empty string: the completeness check in its order
    // (name, description, enabled choice texts, enabled targets, exact type name) gives
    // IncompleteMessage; then a name another situation has gives NameTakenMessage, an enabled
    // target that names no situation NoSuchTargetMessage, and a new situation past the
    // limit TooLargeMessage.
    QString refusal(const SituationFields& fields) const;
    // "&Zapisz": unless refused, gathers the fields into the record buffer (texts cut to their
    // capacity, targets as the numbers of their names, picture and sound names as they are),
    // writes both records at numer() and rebuilds the lists into `list`. Returns the refusal,
    // or an empty string when saved. Throws AppError; after a failed rebuild `list` holds what
    // it read.
    QString save(const SituationFields& fields, ScenarioList& list, const Progress& progress = {});
    // The refusal of the fields, or nothing when they may be saved: then they are gathered
    // into the record buffers (the list record's name and type too) as a save writes them,
    // without writing them.
    std::optional<QString> gather(const SituationFields& fields);

    // --- undoing
    // -----------------------------------------------------------------------------------

    using SituationRecords = ScenarioPair::SituationRecords;
    // What the last save() wrote: the situation, its records before (none: it was appended)
    // and after.
    struct Written {
        std::int32_t k = 0;
        std::optional<SituationRecords> before;
        SituationRecords after;
    };
    const Written& lastWrite() const { return lastWrite_; }
    // Both records of situation k as the files hold them, or nothing past the last whole one.
    // Throws AppError.
    std::optional<SituationRecords> recordsAt(std::int32_t k);
    // ScenarioPair::put and ScenarioPair::cutLast on the pair open. Throw AppError.
    void putRecords(std::int32_t k, const SituationRecords& now,
                    const std::optional<SituationRecords>& expected);
    void cutLast(std::int32_t k, const SituationRecords& expected);

private:
    // Throws "File access denied" when the pair opened for reading only.
    void refuseIfReadOnly() const;
    // Copies the fields into the record buffer and loads krok().
    void ZbierzPola(const SituationFields& fields);
    // "N&owa"'s number: the first from numer() + 1 on at or past the end of the situation file.
    void findNewNumber();

    ScenarioPair pair_;
    QString situationFilePath_;
    QString listPath_;
    QString folder_;
    // The situations as of the last rebuild that was not cancelled.
    ListRecords spis_;
    std::int32_t numer_ = 0;
    TKrok krok_;
    TRekordKroku rekord_;
    TRekordListy lista_;
    bool newSituation_ = false;
    bool inserting_ = false;
    Written lastWrite_;
};
