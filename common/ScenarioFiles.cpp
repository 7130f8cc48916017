#include "ScenarioFiles.h"

#include <algorithm>

namespace {

const QString kDefaultEndName = QStringLiteral("Default Koniec");
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
class PairLock {
public:
    PairLock(RecordFile& file, RecordFile::Lock kind) : file_(file) { file_.lock(kind); }
    ~PairLock() { file_.unlock(); }
    PairLock(const PairLock&) = delete;
    PairLock& operator=(const PairLock&) = delete;

private:
    RecordFile& file_;
};

} // namespace

QString listFilePath(const QString& situationFilePath) {
    const qsizetype nameStart = situationFilePath.lastIndexOf(u'/') + 1;
    const qsizetype dot = situationFilePath.indexOf(u'.', nameStart);
    const QString stem = dot < 0 ? situationFilePath : situationFilePath.left(dot);
    return stem + QStringLiteral(".lis");
}

ScenarioPair::ScenarioPair(RecordFileFactory& files) : kro_(files.make()), lis_(files.make()) {}

void ScenarioPair::openExisting(const QString& situationFilePath, RecordFile::Access access) {
    kroPath_ = situationFilePath;
    lisPath_ = listFilePath(situationFilePath);
    kro_->open(kroPath_, TRekordKroku::Size, access);
    lis_->open(lisPath_, TRekordListy::Size, access);
}

void ScenarioPair::createNew(const QString& situationFilePath, TKrok& krok, TRekordKroku& rekord,
                             TRekordListy& lista) {
    kroPath_ = situationFilePath;
    lisPath_ = listFilePath(situationFilePath);
    kro_->create(kroPath_, TRekordKroku::Size);
    lis_->create(lisPath_, TRekordListy::Size);

    krok.Ustaw(kDefaultEndName, {}, {}, {}, {}, kDefaultEndText, {}, 0, 0, 0, 0);
    krok.DoRekordu(rekord);
    write(0, rekord, lista, Koniec);

    krok.Ustaw(kDefaultStartName, kDefaultStartChoice, {}, {}, {}, kDefaultStartText, {}, 0, 0, 0,
               0);
    krok.DoRekordu(rekord);
    write(1, rekord, lista, Poczatek);
}

int ScenarioPair::count() {
    const std::int64_t records = kro_->recordCount();
    return static_cast<int>(std::clamp<std::int64_t>(records, 1, INT32_MAX));
}

void ScenarioPair::read(std::int32_t k, TRekordKroku& rekord, TRekordListy& lista) {
    const PairLock locked(*kro_, RecordFile::Lock::Shared);
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
    const PairLock locked(*kro_, RecordFile::Lock::Exclusive);
    kro_->seek(k);
    kro_->write(&rekord);
    lista.Nazwa.assign(rekord.Nazwa);
    lista.Typ = typ;
    lis_->seek(k);
    lis_->write(&lista);
}

void ScenarioPair::close() {
    kro_->close();
    lis_->close();
}

void ScenarioPair::closeOpen() {
    if (kro_->isOpen())
        kro_->close();
    if (lis_->isOpen())
        lis_->close();
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
