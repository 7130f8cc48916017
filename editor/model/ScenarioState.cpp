#include "editor/model/ScenarioState.h"

#include "common/Description.h"
#include "platform/core/AppError.h"
#include "platform/core/FileSystem.h"

#include <algorithm>

const QString ScenarioState::IncompleteMessage = QStringLiteral("Zapomniales czegos wpisac :)");
const QString ScenarioState::NameTakenMessage = QStringLiteral("Taka nazwa sytuacji juz jest");
const QString ScenarioState::NoSuchTypeMessage = QStringLiteral("Nie ma takiego typu");
const QString ScenarioState::NoSuchTargetMessage = QStringLiteral("Nie ma takiej drogi");

ScenarioState::ScenarioState(RecordFileFactory& files) : pair_(files) {}

// --- the file pair ------------------------------------------------------------------------------

ScenarioState::OnDisk ScenarioState::onDisk(const QString& situationFilePath) {
    const bool kro = FileSystem::fileExists(situationFilePath);
    const bool lis = FileSystem::fileExists(listFilePath(situationFilePath));
    if (kro && lis)
        return OnDisk::Both;
    if (kro)
        return OnDisk::OnlySituationFile;
    if (lis)
        return OnDisk::OnlyListFile;
    return OnDisk::Neither;
}

void ScenarioState::bind(const QString& situationFilePath) {
    pair_.closeOpen();
    situationFilePath_ = situationFilePath;
    listPath_ = listFilePath(situationFilePath);
    folder_ = folderOfScenario(situationFilePath);
}

void ScenarioState::openExisting() {
    try {
        pair_.openExisting(situationFilePath_, RecordFile::Access::ReadWrite);
    } catch (const AppError& denied) {
        if (denied.code() != AppError::AccessDenied ||
            !(FileSystem::writeForbidden(situationFilePath_) ||
              FileSystem::writeForbidden(listPath_)))
            throw;
        // A scenario the author may not write (an installed one, read-only media) is opened
        // for reading: it can be looked through and played from, and every save is refused
        // with the same error before any file is touched.
        try {
            pair_.openExisting(situationFilePath_, RecordFile::Access::ReadOnly);
        } catch (const AppError&) {
            throw denied;
        }
    }
}

void ScenarioState::refuseIfReadOnly() const {
    // The author may not write a scenario that opened for reading only.
    if (!pair_.unfitJournal().isEmpty())
        throw AppError(AppError::Other, pair_.unfitJournal());
    if (pair_.readOnly())
        throw AppError(AppError::AccessDenied);
}

bool ScenarioState::situationFileEmpty() {
    return pair_.situationRecordCount() == 0;
}

void ScenarioState::createNew() {
    pair_.createNew(situationFilePath_, krok_, rekord_, lista_);
}

void ScenarioState::close() {
    pair_.closeOpen();
}

bool ScenarioState::tooLarge() {
    return exceedsLimit(pair_.lengths());
}

std::optional<ScenarioState::OutOfStep> ScenarioState::outOfStep() {
    const ScenarioPair::Lengths bytes = pair_.lengths();
    OutOfStep found;
    found.situationRecords = bytes.situationBytes / TRekordKroku::Size;
    found.listRecords = bytes.listBytes / TRekordListy::Size;
    found.situationTail = bytes.situationBytes % TRekordKroku::Size != 0;
    found.listTail = bytes.listBytes % TRekordListy::Size != 0;
    // An empty situation file opens empty, whatever the list file holds.
    if (bytes.situationBytes == 0)
        return std::nullopt;
    if (found.situationRecords == found.listRecords && !found.situationTail && !found.listTail)
        return std::nullopt;
    return found;
}

QString ScenarioState::outOfStepQuestion(const OutOfStep& found) const {
    const auto held = [](std::int64_t records, bool tail) {
        QString text = QStringLiteral("%1 sytuacji").arg(records);
        if (tail)
            text += QStringLiteral(" i niepelny zapis na koncu");
        return text;
    };
    const auto fileName = [](const QString& path) { return path.mid(path.lastIndexOf(u'/') + 1); };
    return QStringLiteral("Pliki scenariusza nie zgadzaja sie, bo zapis zostal kiedys przerwany: "
                          "\"%1\" ma %2, a \"%3\" ma %4.\n\n"
                          "Naprawa zostawi %5 sytuacji zapisanych w obu plikach i usunie to, co "
                          "zostalo zapisane tylko w jednym z nich.\n\n"
                          "Naprawic pliki i otworzyc scenariusz?")
        .arg(fileName(situationFilePath_), held(found.situationRecords, found.situationTail),
             fileName(listPath_), held(found.listRecords, found.listTail))
        .arg(found.kept());
}

void ScenarioState::repair(const OutOfStep& found) {
    refuseIfReadOnly();
    pair_.cutTo(found.kept());
}

// --- the current situation ----------------------------------------------------------------------

void ScenarioState::CzytajSytuacje() {
    pair_.read(numer_, rekord_, lista_);
    krok_.ZRekordu(rekord_);
}

void ScenarioState::goTo(std::int32_t k) {
    newSituation_ = false;
    inserting_ = false;
    numer_ = k;
    CzytajSytuacje();
}

void ScenarioState::reset(const QString& situationFilePath) {
    pair_.release();
    bind(situationFilePath);
    numer_ = 0;
    newSituation_ = false;
    inserting_ = false;
}

int ScenarioState::count() {
    return pair_.count();
}

ScenarioState::Move ScenarioState::previous() {
    newSituation_ = false;
    inserting_ = false;
    if (numer_ >= 2) {
        --numer_;
        CzytajSytuacje();
        return Move::Moved;
    }
    numer_ = 1;
    pair_.seekSituation(numer_);
    return Move::AtFirst;
}

ScenarioState::Move ScenarioState::next() {
    // A situation to be inserted has not got its number yet: the next one is the one after.
    if (inserting_) {
        inserting_ = false;
        newSituation_ = false;
        --numer_;
    }
    ++numer_;
    if (pair_.situationAtEnd(numer_)) {
        --numer_;
        pair_.seekSituation(numer_);
        return Move::AtLast;
    }
    CzytajSytuacje();
    return Move::Moved;
}

void ScenarioState::startNewSituation() {
    newSituation_ = true;
    inserting_ = false;
    findNewNumber();
}

void ScenarioState::startInsertAfter(std::int32_t k) {
    if (k < 1 || k >= pair_.count())
        throw AppError(
            AppError::Other,
            QStringLiteral("Nie ma sytuacji %1 - nie można wstawić nowej za nią").arg(k));
    if (pair_.count() >= MaxSituations)
        throw AppError(AppError::Other, TooLargeMessage);
    newSituation_ = true;
    inserting_ = true;
    numer_ = k + 1;
}

std::optional<ScenarioState::SituationRecords> ScenarioState::recordsAt(std::int32_t k) {
    if (k >= pair_.situationRecordCount())
        return std::nullopt;
    SituationRecords held;
    pair_.read(k, held.rekord, held.lista);
    return held;
}

void ScenarioState::putRecords(std::int32_t k, const SituationRecords& now,
                               const std::optional<SituationRecords>& expected) {
    refuseIfReadOnly();
    pair_.put(k, now, expected);
}

void ScenarioState::cutLast(std::int32_t k, const SituationRecords& expected) {
    refuseIfReadOnly();
    pair_.cutLast(k, expected);
}

std::optional<QString> ScenarioState::gather(const SituationFields& fields) {
    QString refused = refusal(fields);
    if (!refused.isEmpty())
        return refused;
    ZbierzPola(fields);
    lista_.Nazwa.assign(rekord_.Nazwa);
    lista_.Typ = *typeCode(fields.typ);
    return std::nullopt;
}

void ScenarioState::findNewNumber() {
    // The first number from numer + 1 on that is at or past the end of the situation file.
    const std::int64_t records = pair_.situationRecordCount();
    const auto k = static_cast<std::int32_t>(
        std::clamp<std::int64_t>(records, std::int64_t(numer_) + 1, INT32_MAX));
    pair_.seekSituation(k);
    numer_ = k;
}

void ScenarioState::setMedia(bool sound, const QString& name) {
    if (sound) {
        krok_.Wav.assign(name);
        rekord_.Wav.assign(name);
    } else {
        krok_.Bmp.assign(name);
        rekord_.Bmp.assign(name);
    }
}

void ScenarioState::dropMediaOfNew() {
    if (!newSituation_)
        return;
    krok_.Bmp.len = 0;
    rekord_.Bmp.len = 0;
    krok_.Wav.len = 0;
    rekord_.Wav.len = 0;
}

// --- the names ----------------------------------------------------------------------------------

bool ScenarioState::OdswiezSpis(ScenarioList& list, const Progress& progress) {
    list.emptied = false;
    const int n = count();
    // A file stretched past any real scenario is not read record by record.
    if (exceedsLimit(n))
        throw AppError(AppError::Other, TooLargeMessage);
    list.emptied = true;
    list.rows.clear();

    // Outside new-situation mode the list buffer is to end on the current situation's list
    // record. It is read once, after the first row (where a failure to read it would have
    // stopped a rebuild that read it after every row), and put back into the buffer whenever
    // the rebuild ends, since the rows are read through the same buffer.
    std::optional<TRekordListy> current;
    bool done = false;
    try {
        TRekordKroku local;
        pair_.read(0, local, lista_);
        list.rows.append({&local, 1}, {&lista_, 1});
        if (!newSituation_) {
            TRekordListy own;
            pair_.readList(numer_, own);
            current = own;
        }
        // Where a block stops short, the next row is read alone: the rebuild fails there, at
        // that row and with that file's error.
        done = pair_.readRange(
            1, n,
            [&](std::span<const TRekordKroku> rekordy, std::span<const TRekordListy> listy) {
                list.rows.append(rekordy, listy);
                lista_ = listy.back();
            },
            ScenarioPair::ShortRead::Fail, progress);
    } catch (...) {
        spis_ = list.rows;
        if (current)
            lista_ = *current;
        throw;
    }
    // A cancelled rebuild keeps the names it started with.
    if (done) {
        list.rows.indexFrom(spis_);
        spis_ = list.rows;
    }
    if (current)
        lista_ = *current;
    return done;
}

int ScenarioState::indexOfName(const QString& text) const {
    return spis_.indexOf(text);
}

QString ScenarioState::targetName(std::int32_t target) const {
    if (target < 0 || std::size_t(target) >= spis_.size())
        throw AppError(AppError::Other,
                       QStringLiteral("List index out of bounds (%1)").arg(target));
    return spis_.name(std::size_t(target));
}

// --- checks -------------------------------------------------------------------------------------

bool ScenarioState::nameTaken(const QString& text) const {
    const int found = indexOfName(text);
    // A situation being inserted has no name in the lists yet: the one at its number is
    // another.
    return found >= 0 && (inserting_ || found != numer_);
}

bool ScenarioState::isTypeItem(const QString& text) {
    // The type box offers every type but "Poczatek".
    for (std::size_t t = Normalny; t < TypeNames.size(); ++t) {
        if (QString::compare(TypeNames[t], text, Qt::CaseInsensitive) == 0)
            return true;
    }
    return false;
}

std::optional<std::uint8_t> ScenarioState::typeCode(const QString& text) {
    for (std::size_t t = 0; t < TypeNames.size(); ++t) {
        if (TypeNames[t] == text)
            return static_cast<std::uint8_t>(t);
    }
    return std::nullopt;
}

QString ScenarioState::typeName(std::uint8_t typ) {
    return typ < TypeNames.size() ? TypeNames[typ] : QString();
}

// --- saving -------------------------------------------------------------------------------------

QString ScenarioState::refusal(const SituationFields& fields) const {
    if (fields.nazwa.isEmpty() || fields.opis.isEmpty())
        return IncompleteMessage;
    for (std::size_t i = 0; i < 4; ++i) {
        if (fields.wybory[i].isEmpty() && fields.wyboryWlaczone[i])
            return IncompleteMessage;
    }
    for (std::size_t i = 0; i < 4; ++i) {
        if (fields.cele[i].isEmpty() && fields.celeWlaczone[i])
            return IncompleteMessage;
    }
    if (!typeCode(fields.typ))
        return IncompleteMessage;

    if (nameTaken(fields.nazwa))
        return NameTakenMessage;
    for (std::size_t i = 0; i < 4; ++i) {
        if (fields.celeWlaczone[i] && indexOfName(fields.cele[i]) < 0)
            return NoSuchTargetMessage;
    }
    if (newSituation_ && numer_ >= MaxSituations)
        return TooLargeMessage;
    return {};
}

QString ScenarioState::save(const SituationFields& fields, ScenarioList& list,
                            const Progress& progress) {
    const QString refused = refusal(fields);
    if (!refused.isEmpty())
        return refused;
    ZbierzPola(fields);
    refuseIfReadOnly();
    Written written;
    written.k = numer_;
    written.before = pair_.write(numer_, rekord_, lista_, *typeCode(fields.typ));
    written.after = {rekord_, lista_};
    lastWrite_ = written;
    OdswiezSpis(list, progress);
    return {};
}

void ScenarioState::ZbierzPola(const SituationFields& fields) {
    rekord_.Nazwa.assign(fields.nazwa);
    rekord_.Wybor1.assign(fields.wybory[0]);
    rekord_.Wybor2.assign(fields.wybory[1]);
    rekord_.Wybor3.assign(fields.wybory[2]);
    rekord_.Wybor4.assign(fields.wybory[3]);
    rekord_.Opis.assign(Description::stored(fields.opis));
    // A disabled row has an empty target text: it names no situation.
    const auto target = [this](const QString& text) {
        return text.isEmpty() ? -1 : indexOfName(text);
    };
    rekord_.Krok_Wybrany1.set(target(fields.cele[0]));
    rekord_.Krok_Wybrany2.set(target(fields.cele[1]));
    rekord_.Krok_Wybrany3.set(target(fields.cele[2]));
    rekord_.Krok_Wybrany4.set(target(fields.cele[3]));
    krok_.ZRekordu(rekord_);
}
