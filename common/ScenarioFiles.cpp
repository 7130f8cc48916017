#include "ScenarioFiles.h"

#include "core/AppError.h"
#include "core/FileSystem.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace {

const QString kDefaultEndText =
    QStringLiteral("Default!!! Koniec gry dla slepych drog (niedopatrzenie scenarzysty)."
                   "Jesli masz edytor sprawdz wszystkie drogi");
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

const QString ScenarioPair::BusyMessage =
    QStringLiteral("Inny program trzyma plik scenariusza zablokowany - nic nie zostalo zapisane");
const QString ScenarioPair::BusyOpenMessage = QStringLiteral(
    "Inny program trzyma plik scenariusza zablokowany - scenariusz nie zostal otwarty");

ScenarioPair::ScenarioPair(RecordFileFactory& files)
    : kro_(files.make()), lis_(files.make()), journal_(files.make()) {}

void ScenarioPair::openExisting(const QString& situationFilePath, RecordFile::Access access) {
    release();
    kroPath_ = situationFilePath;
    lisPath_ = listFilePath(situationFilePath);
    access_ = access;
    // "Las.lis" chosen as a situation file would be its own list file: every save would
    // write both kinds of record into one file.
    if (FileSystem::sameFile(kroPath_, lisPath_))
        throw AppError(AppError::InvalidFileName);
    try {
        kro_->open(kroPath_, TRekordKroku::Size, access);
        lis_->open(lisPath_, TRekordListy::Size, access);
        if (access == RecordFile::Access::ReadWrite) {
            const PairLock locked(*kro_, RecordFile::Lock::Exclusive);
            if (!locked.taken)
                throw AppError(AppError::Other, BusyOpenMessage);
            recoverPending();
        }
    } catch (...) {
        release();
        throw;
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
        krok.Ustaw(DefaultEndName, {}, {}, {}, {}, kDefaultEndText, {}, 0, 0, 0, 0);
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

void ScenarioPair::write(std::int32_t k, const TRekordKroku& rekord, TRekordListy& lista,
                         std::uint8_t typ) {
    if (!kro_->isOpen() || !lis_->isOpen())
        throw AppError(AppError::FileNotOpen);
    // A pair opened for reading only is refused before any call.
    if (access_ == RecordFile::Access::ReadOnly)
        throw AppError(AppError::FileNotOpenForOutput);
    if (k < 0)
        throw AppError(AppError::NegativeSeek);
    const PairLock locked(*kro_, RecordFile::Lock::Exclusive);
    if (!locked.taken)
        throw AppError(AppError::Other, BusyMessage);
    recoverPending();

    // What the save overwrites, kept in the journal before either file is touched.
    SaveJournal journal;
    journal.k = k;
    journal.situationBytes = kro_->byteSize();
    journal.listBytes = lis_->byteSize();
    kro_->seek(k);
    journal.situationHeld = kro_->readUpTo(journal.situation.data());
    lis_->seek(k);
    journal.listHeld = lis_->readUpTo(journal.list.data());
    const QByteArray bytes = journal.encode();
    try {
        journal_->create(SaveJournal::pathFor(kroPath_), SaveJournal::Size);
        journal_->write(bytes.constData());
    } catch (...) {
        journal_->release(true); // the files are untouched: a part of a journal means nothing
        throw;
    }

    try {
        writeRecords(k, rekord, lista, typ);
        journal_->remove(); // the save happens here
    } catch (...) {
        try {
            rollBack(journal);
            if (journal_->isOpen())
                journal_->remove();
        } catch (...) {
            // The journal stays on the disk, and the next open undoes the save; until then
            // nothing more is written through this pair.
            journal_->release(false);
            release();
        }
        throw;
    }
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

bool ScenarioPair::openJournal(RecordFile::Access access, QByteArray& bytes) {
    // Most opens, saves and reads find no journal: a look at the folder tells so without a
    // file call.
    const QString path = SaveJournal::pathFor(kroPath_);
    if (!FileSystem::fileExists(path))
        return false;
    try {
        journal_->open(path, SaveJournal::Size, access);
    } catch (const AppError& error) {
        if (error.code() == AppError::FileNotFound)
            return false; // removed meanwhile
        throw;
    }
    bytes = QByteArray(SaveJournal::Size, '\0');
    try {
        bytes.truncate(journal_->readUpTo(bytes.data()));
    } catch (...) {
        journal_->release(false);
        throw;
    }
    return true;
}

void ScenarioPair::recoverPending() {
    QByteArray bytes;
    if (!openJournal(RecordFile::Access::ReadWrite, bytes))
        return;
    // A journal cut short was being written when the save stopped: the files are untouched.
    if (const std::optional<SaveJournal> pending = SaveJournal::decode(bytes))
        rollBack(*pending);
    journal_->remove();
}

void ScenarioPair::rollBack(const SaveJournal& journal) {
    restore(*kro_, journal.k, journal.situation.data(), journal.situationHeld, TRekordKroku::Size,
            journal.situationBytes);
    restore(*lis_, journal.k, journal.list.data(), journal.listHeld, TRekordListy::Size,
            journal.listBytes);
}

std::optional<SaveJournal> ScenarioPair::pendingJournal() {
    QByteArray bytes;
    if (!openJournal(RecordFile::Access::ReadOnly, bytes))
        return std::nullopt;
    journal_->close();
    return SaveJournal::decode(bytes);
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
    kro_->seek(first);
    lis_->seek(first);
    const auto wanted = static_cast<std::int64_t>(std::min(rekordy.size(), listy.size()));
    const std::int64_t kro = kro_->readRecords(rekordy.data(), wanted);
    const std::int64_t lis = lis_->readRecords(listy.data(), wanted);
    return std::min(kro, lis);
}
