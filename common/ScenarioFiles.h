#pragma once
// The scenario file pair ScenarioPair and the list file's name.

#include "common/ObEdKrok.h"
#include "common/Records.h"
#include "common/SaveJournal.h"
#include "platform/core/RecordFile.h"

#include <QString>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <vector>

// The name of situation 0, where every choice not pointed elsewhere ends the game.
inline const QString DefaultEndName = QStringLiteral("Default Koniec");
// The description a new scenario gives situation 0.
extern const QString DefaultEndText;

// The list file's path for a situation file's path: everything before the
// first "." of the file's own name, then ".lis"; with no "." in the name,
// ".lis" is appended. A "." in a folder name does not count.
QString listFilePath(const QString& situationFilePath);
// The folder of a scenario, where its pictures and sounds are looked for: the situation file's
// path up to and including its last "/" (empty for a bare file name).
QString folderOfScenario(const QString& situationFilePath);

// The most situations a scenario may have; a pair whose either file holds more records (a file
// of another kind, a file stretched by a fault) is read by no program, and no situation is
// added past it.
inline constexpr std::int64_t MaxSituations = 1'000'000;
// Why such a pair is refused.
extern const QString TooLargeMessage;

// Replaces the whole pair at `situationFilePath` (and its list file) by these bytes, all or
// nothing, through the pair's lock and a journal that covers both files: a replace that a kill
// or a power cut stops is finished by the next open of either program. Every check that can
// fail (what is at either path, a pending journal, the folder's permissions, the disk's space)
// runs before either file is touched. Throws AppError(Other) naming the file and the reason.
// With `readBefore` (the bytes of both files that the new ones were made from), a pair that
// another program changed since is refused under the lock, so that its save is not lost.
struct PairContent {
    QByteArray situations;
    QByteArray list;
};
void replaceScenario(const QString& situationFilePath, const QByteArray& situations,
                     const QByteArray& list, const PairContent* readBefore = nullptr);
// What replaceScenario refuses before it reads or writes anything, for a caller that reads the
// pair first: either path holding something other than a regular file (a pipe would hold a
// read up for ever), or a save of the editor never finished. Throws AppError(Other).
void refuseUnreplaceable(const QString& situationFilePath);

// Whether the file at `path` holds exactly `expected` (a file that cannot be opened holding
// nothing). The lengths are compared first; the bytes then in large blocks into one buffer, so
// that a pair of tens of megabytes costs a read of it and no copy of its size.
bool fileHoldsExactly(const QString& path, const QByteArray& expected);

// The scenario file pair: the situation file (*.Kro, 516-byte records) and
// the list file (*.lis, 22-byte records), record k of each belonging to
// situation k. Every call on the files is checked; the first failure throws
// AppError and the rest of the operation is not carried out.
//
// A save is all or nothing: a journal beside the pair (SaveJournal) lets the next open undo a
// save that a crash, a kill or a full disk stopped half way. An open or create that fails
// leaves no file of the pair open, and a create that fails leaves no file behind.
class ScenarioPair {
public:
    // The messages of a save and of an open (for writing) given up because another program
    // held the scenario's lock.
    static const QString BusyMessage;
    static const QString BusyOpenMessage;
    // The message of a save refused because another program replaced the files since they
    // were opened: the save would land in files no longer in the folder.
    static const QString ReplacedMessage;
    // The message of an undo or a redo refused because the files no longer hold what the
    // editor wrote there.
    static const QString ChangedMessage;
    // The message for a file at the journal's path that does not fit the pair.
    static QString unfitJournalMessage(const QString& journalPath);

    explicit ScenarioPair(RecordFileFactory& files);

    // Opens both existing files, the situation file first. The editor opens
    // them for reading and writing, and a save that never finished is undone (a replace
    // that never finished is finished); the player opens them for reading only, and reads
    // the pair as it was before such a save (and as after such a replace). A journal that
    // does not fit the pair is applied by neither: the editor's pair is then open for
    // reading only and unfitJournal() tells why; a reader reads the files as they are. A
    // situation file that is its own list file is "Invalid filename".
    void openExisting(const QString& situationFilePath, RecordFile::Access access);
    // Whether the pair was opened for reading only: every write and cut is refused.
    bool readOnly() const { return access_ == RecordFile::Access::ReadOnly; }
    // The message about a file at the journal's path that does not fit the pair, found when
    // the pair was opened for writing; empty when there was none.
    const QString& unfitJournal() const { return unfitJournal_; }
    // True when another program replaced or removed either file since it was opened.
    bool filesReplaced();
    // Creates both files, the situation file first, and writes the two
    // situations of a new scenario (0 "Default Koniec", 1 "Poczatek"),
    // staging each in `krok` and the record buffers, which keep the last one.
    // On a failure the files it made are removed.
    void createNew(const QString& situationFilePath, TKrok& krok, TRekordKroku& rekord,
                   TRekordListy& lista);
    // Number of records of the situation file, a trailing part of a record
    // counting as one; never below 1.
    int count();
    // Reads record k of both files, the situation record first. The buffers
    // change only when both reads succeed.
    void read(std::int32_t k, TRekordKroku& rekord, TRekordListy& lista);
    // Both records of one situation, byte for byte.
    struct SituationRecords {
        TRekordKroku rekord{};
        TRekordListy lista{};
        bool operator==(const SituationRecords& other) const;
    };
    // Writes the situation record at k, then the list record (its name taken
    // from the situation record, its type `typ`) at k, both or neither: a
    // failure puts both files back as they were, and what a crash stops is
    // undone by the next open. Both records have reached the disk when this
    // returns. With the pair not open it throws "I/O error 103" and writes
    // nothing; with the lock held elsewhere too long, BusyMessage.
    // Returns what record k of both files held before, when both were whole.
    std::optional<SituationRecords> write(std::int32_t k, const TRekordKroku& rekord,
                                          TRekordListy& lista, std::uint8_t typ);
    // Writes both records at k exactly as given, all or nothing as write() does (what an undo
    // or a redo of a save puts back), when the files hold `expected` at k; with no `expected`,
    // when k is the end of two files of k whole records each (an append). Otherwise throws
    // ChangedMessage and touches no file.
    void put(std::int32_t k, const SituationRecords& now,
             const std::optional<SituationRecords>& expected);
    // Removes situation k, the last one, from both files, all or nothing as write() does (what
    // an undo of an appended situation does), when both files hold k + 1 whole records and
    // record k is `expected`. Otherwise throws ChangedMessage and touches no file. Situations 0
    // and 1 are never cut.
    void cutLast(std::int32_t k, const SituationRecords& expected);
    // Closes the situation file, then the list file; a file that is not open
    // throws "I/O error 103".
    void close();

    // Closes each file of the pair that is open, the situation file first;
    // a pair with no file open is left as it is.
    void closeOpen();
    // Lets go of both files after a failure, reporting nothing.
    void release() noexcept;

    // The files' lengths in bytes.
    struct Lengths {
        std::int64_t situationBytes = 0;
        std::int64_t listBytes = 0;
    };
    Lengths lengths();
    // Cuts both files to their first `situations` records (a repair of a pair out of step).
    void cutTo(std::int64_t situations);
    // Records of the situation file as the file holds them: 0 for an empty
    // file (count() never gives less than 1).
    std::int64_t situationRecordCount();
    // Positions the situation file at record k.
    void seekSituation(std::int32_t k);
    // Positions the situation file at record k and tells whether that is at
    // or past the end of the file.
    bool situationAtEnd(std::int32_t k);
    // Positions both files at k and reads the list record alone. The buffer
    // changes only when the read succeeds.
    void readList(std::int32_t k, TRekordListy& lista);
    // Reads situations first, first + 1, ... of both files at once, one read per file (the
    // situation file first), as many as the smaller buffer holds. Returns how
    // many situations both files held whole from `first` on; a run cut short by the end of a
    // file or by a failing read throws nothing, so that read() on the next situation tells
    // the reason, as a read record by record would have stopped there.
    std::int64_t readBlock(std::int32_t first, std::vector<TRekordKroku>& rekordy,
                           std::vector<TRekordListy>& listy);

    // Told how many of how many situations a read has taken; false stops the read.
    using Progress = std::function<bool(std::int64_t read, std::int64_t total)>;
    // The next situations read, both records of each, in number order.
    using Block = std::function<void(std::span<const TRekordKroku> rekordy,
                                     std::span<const TRekordListy> listy)>;
    // What readRange does where a block ends short of `end`.
    enum class ShortRead {
        Stop, // it stops there and throws nothing: what both files held whole was read
        Fail, // it reads the next situation alone with read(), which fails at that situation
              // with that file's error (and goes on past it if it does not fail)
    };
    // Reads situations [first, end) with readBlock(), up to 4096 at a time, and hands each
    // block to `take` as it comes: memory follows the records really read, whatever length
    // the files claim. After each block `progress` is told how far the read got out of `end`.
    // False when `progress` stopped the read; AppError as read() throws it.
    bool readRange(std::int64_t first, std::int64_t end, const Block& take, ShortRead atShort,
                   const Progress& progress = {});

    bool situationFileOpen() const { return kro_->isOpen(); }
    bool listFileOpen() const { return lis_->isOpen(); }
    const QString& situationFilePath() const { return kroPath_; }
    const QString& listPath() const { return lisPath_; }

private:
    // The situation record, then the list record (its name from the situation record), at k.
    void writeRecords(std::int32_t k, const TRekordKroku& rekord, TRekordListy& lista,
                      std::uint8_t typ);
    // Runs `change` on the files under the pair's lock with a journal of record k (and of the
    // files' lengths) beside them: a failure puts both files back, what a crash stops is undone
    // by the next open.
    // `check` (when given) sees the journal's view of record k before anything is written and
    // may refuse by throwing.
    // Returns the journal, which holds what record k held before.
    SaveJournal journaled(std::int32_t k, const std::function<void(const SaveJournal&)>& check,
                          const std::function<void()>& change);
    // What is at the journal's path.
    struct Found {
        enum class Kind { None, CutShort, Save, Replace, Unfit } kind = Kind::None;
        SaveJournal save;
        ReplaceJournal replace;
    };
    // Reads what is at the journal's path and tells whether it fits the pair (a save's
    // journal against the open files' lengths).
    Found inspectJournal();
    // Opens both files for reading only; a replace that never finished is read as finished.
    void openForReading();
    // Opens both files for writing under the lock, settling a save or a replace that never
    // finished.
    void openForWriting();
    // Undoes a save that never finished or finishes a replace, if a journal that fits is
    // there, and removes the journal. True when a replace was finished: the open files are
    // no longer the pair's. A journal that does not fit leaves the pair for reading only.
    bool recoverPending();
    // Puts both files back as the journal says they were.
    void rollBack(const SaveJournal& journal);
    // The journal of a save that never finished, if there is a whole one that fits; read only.
    std::optional<SaveJournal> pendingJournal();

    std::unique_ptr<RecordFile> kro_;
    std::unique_ptr<RecordFile> lis_;
    std::unique_ptr<RecordFile> journal_;
    RecordFile::Access access_ = RecordFile::Access::ReadWrite;
    QString kroPath_;
    QString lisPath_;
    QString unfitJournal_;
};

// How many situations a pair of these lengths claims: the records of the longer file, a
// trailing part of a record counting as one.
std::int64_t claimedSituations(const ScenarioPair::Lengths& lengths);
// Whether a pair claiming `situations` is past MaxSituations: no program reads it.
inline bool exceedsLimit(std::int64_t situations) {
    return situations > MaxSituations;
}
inline bool exceedsLimit(const ScenarioPair::Lengths& lengths) {
    return exceedsLimit(claimedSituations(lengths));
}
