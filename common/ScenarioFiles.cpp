#include "common/ScenarioFiles.h"

#include "platform/core/AppError.h"
#include "platform/core/FileSystem.h"
#include "platform/core/OutputFiles.h"

#include <QFileInfo>

#include <algorithm>
#include <cstring>
#include <vector>

const QString DefaultEndText =
    QStringLiteral("Default!!! Koniec gry dla slepych drog (niedopatrzenie scenarzysty)."
                   "Jesli masz edytor sprawdz wszystkie drogi");

namespace {

const QString kDefaultStartName = QStringLiteral("Poczatek");
const QString kDefaultStartChoice = QStringLiteral("Default!!! Zaczynamy gre?");
const QString kDefaultStartText =
    QStringLiteral("Default!!! poczatek gry...tak naprawde wstep,trzeba tu co wpisac np. opis "
                   "postaci,ktora kierujesz");

// Holds the situation file's advisory lock for one step on both files, so that another
// program never sees the situation record of one save beside the list record of another.
// `taken` is false when another program held the lock for the whole wait.
class PairLock {
public:
    PairLock(RecordFile& file, RecordFile::Lock kind) : file_(file), taken(file_.lock(kind)) {}
    ~PairLock() { file_.unlock(); }
    PairLock(const PairLock&) = delete;
    PairLock& operator=(const PairLock&) = delete;

private:
    RecordFile& file_;

public:
    const bool taken;
};

// Undoes a failed save's writes to one file: the bytes of record k it held, then its length.
void restore(RecordFile& file, std::int32_t k, const char* held, int heldBytes, int recordSize,
             std::int64_t length) {
    if (heldBytes > 0) {
        // The part of the record past the old end is cut off again below.
        std::vector<char> record(static_cast<std::size_t>(recordSize), '\0');
        std::copy(held, held + heldBytes, record.begin());
        file.seek(k);
        file.write(record.data());
    }
    if (file.byteSize() != length)
        file.truncate(length);
}

} // namespace

QString listFilePath(const QString& situationFilePath) {
    const qsizetype nameStart = situationFilePath.lastIndexOf(u'/') + 1;
    const qsizetype dot = situationFilePath.indexOf(u'.', nameStart);
    const QString stem = dot < 0 ? situationFilePath : situationFilePath.left(dot);
    return stem + QStringLiteral(".lis");
}

QString folderOfScenario(const QString& situationFilePath) {
    return situationFilePath.left(situationFilePath.lastIndexOf(u'/') + 1);
}

const QString TooLargeMessage =
    QStringLiteral("Scenariusz ma wiecej niz %1 sytuacji").arg(MaxSituations);

const QString ScenarioPair::BusyMessage =
    QStringLiteral("Inny program trzyma plik scenariusza zablokowany - nic nie zostalo zapisane");
const QString ScenarioPair::ReplacedMessage = QStringLiteral(
    "Inny program zastąpił pliki scenariusza, odkąd zostały otwarte - nic nie zostało zapisane");

const QString ScenarioPair::ChangedMessage =
    QStringLiteral("Inny program zmienił tę sytuację w plikach scenariusza, odkąd edytor ją "
                   "zapisał - nic nie zostało zapisane");

QString ScenarioPair::unfitJournalMessage(const QString& journalPath) {
    return QStringLiteral(
               "Obok scenariusza jest plik „%1”, który nie jest dziennikiem przerwanego zapisu "
               "tego scenariusza. Nie został użyty, a scenariusz jest otwarty tylko do odczytu. "
               "Usuń albo przenieś ten plik i otwórz scenariusz ponownie.")
        .arg(journalPath);
}

const QString ScenarioPair::BusyOpenMessage = QStringLiteral(
    "Inny program trzyma plik scenariusza zablokowany - scenariusz nie zostal otwarty");

ScenarioPair::ScenarioPair(RecordFileFactory& files)
    : kro_(files.make()), lis_(files.make()), journal_(files.make()) {}

void ScenarioPair::openExisting(const QString& situationFilePath, RecordFile::Access access) {
    release();
    kroPath_ = situationFilePath;
    lisPath_ = listFilePath(situationFilePath);
    access_ = access;
    unfitJournal_.clear();
    // "Las.lis" chosen as a situation file would be its own list file: every save would
    // write both kinds of record into one file.
    if (FileSystem::sameFile(kroPath_, lisPath_))
        throw AppError(AppError::InvalidFileName);
    try {
        if (access == RecordFile::Access::ReadOnly)
            openForReading();
        else
            openForWriting();
    } catch (...) {
        release();
        throw;
    }
}

void ScenarioPair::openForReading() {
    // A replace finishing meanwhile renames the staged files away: look again.
    for (int attempt = 0;; ++attempt) {
        QString kro = kroPath_;
        QString lis = lisPath_;
        if (inspectJournal().kind == Found::Kind::Replace) {
            if (FileSystem::entryExists(ReplaceJournal::stagedPath(kroPath_)))
                kro = ReplaceJournal::stagedPath(kroPath_);
            if (FileSystem::entryExists(ReplaceJournal::stagedPath(lisPath_)))
                lis = ReplaceJournal::stagedPath(lisPath_);
        }
        try {
            kro_->open(kro, TRekordKroku::Size, RecordFile::Access::ReadOnly);
            lis_->open(lis, TRekordListy::Size, RecordFile::Access::ReadOnly);
            return;
        } catch (const AppError& e) {
            release();
            if (attempt >= 3 || e.code() != AppError::FileNotFound ||
                (kro == kroPath_ && lis == lisPath_))
                throw;
        }
    }
}

void ScenarioPair::openForWriting() {
    for (int attempt = 0;; ++attempt) {
        kro_->open(kroPath_, TRekordKroku::Size, RecordFile::Access::ReadWrite);
        lis_->open(lisPath_, TRekordListy::Size, RecordFile::Access::ReadWrite);
        bool again = false;
        {
            const PairLock locked(*kro_, RecordFile::Lock::Exclusive);
            if (!locked.taken)
                throw AppError(AppError::Other, BusyOpenMessage);
            // A replace that ended while this waited for the lock left the old files open.
            again = filesReplaced() || recoverPending();
        }
        if (!again)
            return;
        if (attempt >= 3)
            throw AppError(AppError::Other, ReplacedMessage);
        closeOpen();
    }
}

void ScenarioPair::createNew(const QString& situationFilePath, TKrok& krok, TRekordKroku& rekord,
                             TRekordListy& lista) {
    release();
    kroPath_ = situationFilePath;
    lisPath_ = listFilePath(situationFilePath);
    access_ = RecordFile::Access::ReadWrite;
    if (FileSystem::sameFile(kroPath_, lisPath_))
        throw AppError(AppError::InvalidFileName);
    const auto writeDirect = [&](std::int32_t k, std::uint8_t typ) {
        krok.DoRekordu(rekord);
        writeRecords(k, rekord, lista, typ);
    };
    try {
        kro_->create(kroPath_, TRekordKroku::Size);
        lis_->create(lisPath_, TRekordListy::Size);
        krok.Ustaw(DefaultEndName, {}, {}, {}, {}, DefaultEndText, {}, 0, 0, 0, 0);
        writeDirect(0, Koniec);
        krok.Ustaw(kDefaultStartName, kDefaultStartChoice, {}, {}, {}, kDefaultStartText, {}, 0, 0,
                   0, 0);
        writeDirect(1, Poczatek);
    } catch (...) {
        // Only a file that was made here is open: a list file that could not be made (a
        // folder, a pipe of the same name) is left alone.
        kro_->release(true);
        lis_->release(true);
        throw;
    }
}

int ScenarioPair::count() {
    const std::int64_t records = kro_->recordCount();
    return static_cast<int>(std::clamp<std::int64_t>(records, 1, INT32_MAX));
}

void ScenarioPair::read(std::int32_t k, TRekordKroku& rekord, TRekordListy& lista) {
    // A reader that cannot get the lock reads anyway: whole records, and a save that is in
    // flight meanwhile is read as it was before it, through its journal.
    const PairLock locked(*kro_, RecordFile::Lock::Shared);
    if (access_ == RecordFile::Access::ReadOnly && kro_->isOpen()) {
        if (const std::optional<SaveJournal> pending = pendingJournal()) {
            if (k == pending->k) {
                if (!pending->heldWhole())
                    throw AppError(AppError::ReadBeyondEnd);
                std::memcpy(&rekord, pending->situation.data(), TRekordKroku::Size);
                std::memcpy(&lista, pending->list.data(), TRekordListy::Size);
                return;
            }
            if (k >= 0 && !pending->wholeBefore(k))
                throw AppError(AppError::ReadBeyondEnd);
        }
    }
    kro_->seek(k);
    lis_->seek(k);
    TRekordKroku nowyRekord;
    TRekordListy nowaLista;
    kro_->read(&nowyRekord);
    lis_->read(&nowaLista);
    rekord = nowyRekord;
    lista = nowaLista;
}

std::optional<ScenarioPair::SituationRecords> ScenarioPair::write(std::int32_t k,
                                                                  const TRekordKroku& rekord,
                                                                  TRekordListy& lista,
                                                                  std::uint8_t typ) {
    const SaveJournal journal = journaled(k, {}, [&] { writeRecords(k, rekord, lista, typ); });
    if (!journal.heldWhole())
        return std::nullopt;
    SituationRecords held;
    std::memcpy(&held.rekord, journal.situation.data(), TRekordKroku::Size);
    std::memcpy(&held.lista, journal.list.data(), TRekordListy::Size);
    return held;
}

namespace {

// Whether the journal's view of record k (and of the files' lengths) shows exactly `held`:
// both records whole and equal to it.
bool holds(const SaveJournal& journal, const ScenarioPair::SituationRecords& held) {
    return journal.heldWhole() &&
           std::memcmp(journal.situation.data(), &held.rekord, TRekordKroku::Size) == 0 &&
           std::memcmp(journal.list.data(), &held.lista, TRekordListy::Size) == 0;
}

// Whether the files are whole records, the same number in each, that number being `count`.
bool wholeCount(const SaveJournal& journal, std::int64_t count) {
    return journal.situationBytes == count * TRekordKroku::Size &&
           journal.listBytes == count * TRekordListy::Size;
}

} // namespace

bool ScenarioPair::SituationRecords::operator==(const SituationRecords& other) const {
    return std::memcmp(&rekord, &other.rekord, TRekordKroku::Size) == 0 &&
           std::memcmp(&lista, &other.lista, TRekordListy::Size) == 0;
}

void ScenarioPair::put(std::int32_t k, const SituationRecords& now,
                       const std::optional<SituationRecords>& expected) {
    journaled(
        k,
        [&](const SaveJournal& journal) {
            const bool fits = expected ? holds(journal, *expected) : wholeCount(journal, k);
            if (!fits)
                throw AppError(AppError::Other, ChangedMessage);
        },
        [&] {
            kro_->seek(k);
            kro_->write(&now.rekord);
            lis_->seek(k);
            lis_->write(&now.lista);
        });
}

void ScenarioPair::cutLast(std::int32_t k, const SituationRecords& expected) {
    journaled(
        k,
        [&](const SaveJournal& journal) {
            if (k < 2 || !wholeCount(journal, k + 1) || !holds(journal, expected))
                throw AppError(AppError::Other, ChangedMessage);
        },
        [&] {
            kro_->truncate(std::int64_t(k) * TRekordKroku::Size);
            lis_->truncate(std::int64_t(k) * TRekordListy::Size);
        });
}

SaveJournal ScenarioPair::journaled(std::int32_t k,
                                    const std::function<void(const SaveJournal&)>& check,
                                    const std::function<void()>& change) {
    if (!kro_->isOpen() || !lis_->isOpen())
        throw AppError(AppError::FileNotOpen);
    // A pair opened for reading only is refused before any call.
    if (!unfitJournal_.isEmpty())
        throw AppError(AppError::Other, unfitJournal_);
    if (access_ == RecordFile::Access::ReadOnly)
        throw AppError(AppError::FileNotOpenForOutput);
    if (k < 0)
        throw AppError(AppError::NegativeSeek);
    const PairLock locked(*kro_, RecordFile::Lock::Exclusive);
    if (!locked.taken)
        throw AppError(AppError::Other, BusyMessage);
    if (filesReplaced() || recoverPending())
        throw AppError(AppError::Other, ReplacedMessage);
    if (!unfitJournal_.isEmpty())
        throw AppError(AppError::Other, unfitJournal_);

    // What the change overwrites or cuts, kept in the journal before either file is touched.
    SaveJournal journal;
    journal.k = k;
    journal.situationBytes = kro_->byteSize();
    journal.listBytes = lis_->byteSize();
    // A save rewrites a situation or appends one; a record further on would leave a gap that
    // no journal of one record could undo.
    if (k > (journal.situationBytes + TRekordKroku::Size - 1) / TRekordKroku::Size)
        throw AppError(AppError::ReadBeyondEnd);
    kro_->seek(k);
    journal.situationHeld = kro_->readUpTo(journal.situation.data());
    lis_->seek(k);
    journal.listHeld = lis_->readUpTo(journal.list.data());
    if (check)
        check(journal);
    const QByteArray bytes = journal.encode();
    try {
        journal_->create(SaveJournal::pathFor(kroPath_), SaveJournal::Size);
    } catch (...) {
        journal_->release(false); // nothing was made: what is at the path is not ours
        throw;
    }
    try {
        journal_->write(bytes.constData());
    } catch (...) {
        journal_->release(true); // the files are untouched: a part of a journal means nothing
        throw;
    }

    try {
        change();
        journal_->remove(); // the change happens here
    } catch (...) {
        try {
            rollBack(journal);
            if (journal_->isOpen())
                journal_->remove();
        } catch (...) {
            // The journal stays on the disk, and the next open undoes the change; until then
            // nothing more is written through this pair.
            journal_->release(false);
            release();
        }
        throw;
    }
    return journal;
}

void ScenarioPair::writeRecords(std::int32_t k, const TRekordKroku& rekord, TRekordListy& lista,
                                std::uint8_t typ) {
    kro_->seek(k);
    kro_->write(&rekord);
    lista.Nazwa.assign(rekord.Nazwa);
    lista.Typ = typ;
    lis_->seek(k);
    lis_->write(&lista);
}

ScenarioPair::Found ScenarioPair::inspectJournal() {
    // Most opens, saves and reads find no journal: a look at the folder tells so without
    // opening a file.
    const QString path = SaveJournal::pathFor(kroPath_);
    Found found;
    if (!FileSystem::entryExists(path))
        return found;
    // A link, a folder or a pipe is nothing a save ever leaves.
    found.kind = Found::Kind::Unfit;
    if (OutputFiles::kindAt(path) != OutputFiles::Kind::RegularFile)
        return found;
    QByteArray bytes(SaveJournal::Size, '\0');
    try {
        journal_->open(path, SaveJournal::Size, RecordFile::Access::ReadOnly);
        bytes.truncate(journal_->readUpTo(bytes.data()));
        journal_->close();
    } catch (const AppError& error) {
        journal_->release(false);
        if (error.code() == AppError::FileNotFound) {
            found.kind = Found::Kind::None; // removed meanwhile
            return found;
        }
        throw;
    }
    // A journal is written by one call into a new file: a crash leaves a part of it, never
    // other bytes. The files were not touched yet.
    const auto tagged = [&bytes](int size, const char* tag) {
        return bytes.size() < size &&
               (bytes.size() <= 8 ? QByteArray(tag, 8).startsWith(bytes) : bytes.startsWith(tag));
    };
    if (tagged(SaveJournal::Size, "TKJOURN1") || tagged(ReplaceJournal::Size, "TKREPLC1")) {
        found.kind = Found::Kind::CutShort;
        return found;
    }
    if (const std::optional<SaveJournal> save = SaveJournal::decode(bytes)) {
        if (kro_->isOpen() && lis_->isOpen() &&
            save->fits(kro_->byteSize(), lis_->byteSize(), MaxSituations)) {
            found.kind = Found::Kind::Save;
            found.save = *save;
        }
        return found;
    }
    const std::optional<ReplaceJournal> replace = ReplaceJournal::decode(bytes);
    if (!replace || replace->situationBytes % TRekordKroku::Size != 0 ||
        replace->listBytes % TRekordListy::Size != 0 ||
        replace->situationBytes / TRekordKroku::Size != replace->listBytes / TRekordListy::Size ||
        replace->situationBytes / TRekordKroku::Size > MaxSituations)
        return found;
    // Each new file is still staged beside its file, whole, or was renamed over it already.
    const auto settled = [](const QString& target, std::int64_t bytes) {
        const QString staged = ReplaceJournal::stagedPath(target);
        switch (OutputFiles::kindAt(staged)) {
        case OutputFiles::Kind::RegularFile:
            return QFileInfo(staged).size() == bytes;
        case OutputFiles::Kind::Nothing:
            return OutputFiles::kindAt(target) == OutputFiles::Kind::RegularFile &&
                   QFileInfo(target).size() == bytes;
        default:
            return false;
        }
    };
    if (settled(kroPath_, replace->situationBytes) && settled(lisPath_, replace->listBytes)) {
        found.kind = Found::Kind::Replace;
        found.replace = *replace;
    }
    return found;
}

bool ScenarioPair::recoverPending() {
    const Found found = inspectJournal();
    const QString path = SaveJournal::pathFor(kroPath_);
    switch (found.kind) {
    case Found::Kind::None:
        return false;
    case Found::Kind::Unfit:
        // Never applied, never removed: the author is told and decides.
        unfitJournal_ = unfitJournalMessage(path);
        access_ = RecordFile::Access::ReadOnly;
        return false;
    case Found::Kind::Save:
        rollBack(found.save);
        break;
    case Found::Kind::Replace:
        for (const QString& target : {kroPath_, lisPath_}) {
            const QString staged = ReplaceJournal::stagedPath(target);
            if (FileSystem::entryExists(staged))
                OutputFiles::renameOver(staged, target);
        }
        OutputFiles::syncFolder(QFileInfo(kroPath_).absolutePath());
        break;
    case Found::Kind::CutShort:
        break;
    }
    OutputFiles::removeEntry(path);
    OutputFiles::syncFolder(QFileInfo(kroPath_).absolutePath());
    return found.kind == Found::Kind::Replace;
}

void ScenarioPair::rollBack(const SaveJournal& journal) {
    restore(*kro_, journal.k, journal.situation.data(), journal.situationHeld, TRekordKroku::Size,
            journal.situationBytes);
    restore(*lis_, journal.k, journal.list.data(), journal.listHeld, TRekordListy::Size,
            journal.listBytes);
}

std::optional<SaveJournal> ScenarioPair::pendingJournal() {
    const Found found = inspectJournal();
    if (found.kind != Found::Kind::Save)
        return std::nullopt;
    return found.save;
}

bool ScenarioPair::filesReplaced() {
    return kro_->replacedOnDisk() || lis_->replacedOnDisk();
}

void ScenarioPair::close() {
    kro_->close();
    lis_->close();
}

void ScenarioPair::release() noexcept {
    kro_->release(false);
    lis_->release(false);
    journal_->release(false);
}

ScenarioPair::Lengths ScenarioPair::lengths() {
    if (access_ == RecordFile::Access::ReadOnly && kro_->isOpen() && lis_->isOpen()) {
        const PairLock locked(*kro_, RecordFile::Lock::Shared);
        if (const std::optional<SaveJournal> pending = pendingJournal())
            return {pending->situationBytes, pending->listBytes};
    }
    return {kro_->byteSize(), lis_->byteSize()};
}

void ScenarioPair::cutTo(std::int64_t situations) {
    if (access_ == RecordFile::Access::ReadOnly)
        throw AppError(AppError::FileNotOpenForOutput);
    const PairLock locked(*kro_, RecordFile::Lock::Exclusive);
    if (!locked.taken)
        throw AppError(AppError::Other, BusyOpenMessage);
    kro_->truncate(situations * TRekordKroku::Size);
    lis_->truncate(situations * TRekordListy::Size);
}

void ScenarioPair::closeOpen() {
    if (kro_->isOpen())
        kro_->close();
    if (lis_->isOpen())
        lis_->close();
    journal_->release(false);
}

std::int64_t ScenarioPair::situationRecordCount() {
    return kro_->recordCount();
}

void ScenarioPair::seekSituation(std::int32_t k) {
    kro_->seek(k);
}

bool ScenarioPair::situationAtEnd(std::int32_t k) {
    kro_->seek(k);
    return k >= kro_->recordCount();
}

void ScenarioPair::readList(std::int32_t k, TRekordListy& lista) {
    kro_->seek(k);
    lis_->seek(k);
    TRekordListy nowaLista;
    lis_->read(&nowaLista);
    lista = nowaLista;
}

std::int64_t ScenarioPair::readBlock(std::int32_t first, std::vector<TRekordKroku>& rekordy,
                                     std::vector<TRekordListy>& listy) {
    // A reader sees a save in flight as it was before it, as read() does.
    const PairLock locked(*kro_, RecordFile::Lock::Shared);
    std::optional<SaveJournal> pending;
    if (access_ == RecordFile::Access::ReadOnly && kro_->isOpen() && lis_->isOpen())
        pending = pendingJournal();
    kro_->seek(first);
    lis_->seek(first);
    const auto wanted = static_cast<std::int64_t>(std::min(rekordy.size(), listy.size()));
    const std::int64_t kro = kro_->readRecords(rekordy.data(), wanted);
    const std::int64_t lis = lis_->readRecords(listy.data(), wanted);
    std::int64_t got = std::min(kro, lis);
    if (pending) {
        const std::int64_t whole = std::min(pending->situationBytes / TRekordKroku::Size,
                                            pending->listBytes / TRekordListy::Size);
        got = std::clamp<std::int64_t>(whole - first, 0, got);
        if (pending->k >= first && pending->k < first + got) {
            const auto at = static_cast<std::size_t>(pending->k - first);
            std::memcpy(&rekordy[at], pending->situation.data(), TRekordKroku::Size);
            std::memcpy(&listy[at], pending->list.data(), TRekordListy::Size);
        }
    }
    return got;
}

bool ScenarioPair::readRange(std::int64_t first, std::int64_t end, const Block& take,
                             ShortRead atShort, const Progress& progress) {
    // Large enough for one read call per file to dominate, small enough to report often.
    constexpr std::int64_t kBlock = 4096;
    std::vector<TRekordKroku> rekordy;
    std::vector<TRekordListy> listy;
    for (std::int64_t at = first; at < end;) {
        const std::int64_t wanted = std::min(kBlock, end - at);
        rekordy.resize(static_cast<std::size_t>(wanted));
        listy.resize(static_cast<std::size_t>(wanted));
        const std::int64_t got = readBlock(static_cast<std::int32_t>(at), rekordy, listy);
        const auto held = static_cast<std::size_t>(got);
        if (got > 0)
            take(std::span(rekordy).first(held), std::span(listy).first(held));
        at += got;
        if (got < wanted) {
            if (atShort == ShortRead::Stop)
                return true;
            TRekordKroku rekord;
            TRekordListy lista;
            read(static_cast<std::int32_t>(at), rekord, lista);
            take(std::span(&rekord, 1), std::span(&lista, 1));
            ++at;
        }
        if (progress && !progress(at, end))
            return false;
    }
    return true;
}

std::int64_t claimedSituations(const ScenarioPair::Lengths& lengths) {
    const auto records = [](std::int64_t bytes, std::int64_t size) {
        return bytes / size + (bytes % size != 0 ? 1 : 0);
    };
    return std::max(records(lengths.situationBytes, TRekordKroku::Size),
                    records(lengths.listBytes, TRekordListy::Size));
}
