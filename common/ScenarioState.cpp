#include "ScenarioState.h"

#include "Cp1250.h"
#include "core/AppError.h"
#include "core/FileSystem.h"

#include <algorithm>

namespace {

// Type names by type code; the index is the code.
const std::array<QString, 6> kTypeNames = {
    QStringLiteral("Poczatek"), QStringLiteral("Normalny"), QStringLiteral("Koniec"),
    QStringLiteral("Wybory1"),  QStringLiteral("Wybory2"),  QStringLiteral("Wybory3"),
};

// Grid letters by type code.
const std::array<QString, 6> kTypeLetters = {
    QStringLiteral("P"), QStringLiteral("N"), QStringLiteral("K"),
    QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("3"),
};

std::int32_t targetOf(const TRekordKroku& rekord, int row) {
    switch (row) {
    case 0:
        return rekord.Krok_Wybrany1.get();
    case 1:
        return rekord.Krok_Wybrany2.get();
    case 2:
        return rekord.Krok_Wybrany3.get();
    default:
        return rekord.Krok_Wybrany4.get();
    }
}

} // namespace

const QString ScenarioState::IncompleteMessage = QStringLiteral("Zapomniales czegos wpisac :)");
const QString ScenarioState::NameTakenMessage = QStringLiteral("Taka nazwa sytuacji juz jest");
const QString ScenarioState::NoSuchTypeMessage = QStringLiteral("Nie ma takiego typu");
const QString ScenarioState::NoSuchTargetMessage = QStringLiteral("Nie ma takiej drogi");
const QString ScenarioState::TooLargeMessage =
    QStringLiteral("Scenariusz ma wiecej niz %1 sytuacji").arg(MaxSituations);

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
    folder_ = situationFilePath.left(situationFilePath.lastIndexOf(u'/') + 1);
}

void ScenarioState::openExisting() {
    pair_.openExisting(situationFilePath_, RecordFile::Access::ReadWrite);
}

bool ScenarioState::situationFileEmpty() {
    return pair_.situationRecordCount() == 0;
}

void ScenarioState::createNew() {
    pair_.createNew(situationFilePath_, krok, rekord, lista);
}

void ScenarioState::close() {
    pair_.closeOpen();
}

bool ScenarioState::tooLarge() {
    const ScenarioPair::Lengths bytes = pair_.lengths();
    return bytes.situationBytes / TRekordKroku::Size > MaxSituations ||
           bytes.listBytes / TRekordListy::Size > MaxSituations;
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
    pair_.cutTo(found.kept());
}

// --- the current situation ----------------------------------------------------------------------

void ScenarioState::CzytajSytuacje() {
    pair_.read(numer, rekord, lista);
    krok.ZRekordu(rekord);
}

int ScenarioState::count() {
    return pair_.count();
}

ScenarioState::Move ScenarioState::previous() {
    if (numer >= 2) {
        --numer;
        CzytajSytuacje();
        return Move::Moved;
    }
    numer = 1;
    pair_.seekSituation(numer);
    return Move::AtFirst;
}

ScenarioState::Move ScenarioState::next() {
    ++numer;
    if (pair_.situationAtEnd(numer)) {
        --numer;
        pair_.seekSituation(numer);
        return Move::AtLast;
    }
    CzytajSytuacje();
    return Move::Moved;
}

void ScenarioState::findNewNumber() {
    // The first number from numer + 1 on that is at or past the end of the situation file.
    const std::int64_t records = pair_.situationRecordCount();
    const auto k = static_cast<std::int32_t>(
        std::clamp<std::int64_t>(records, std::int64_t(numer) + 1, INT32_MAX));
    pair_.seekSituation(k);
    numer = k;
}

// --- the names ----------------------------------------------------------------------------------

bool ScenarioState::OdswiezSpis(ScenarioList& list, const Progress& progress) {
    list.emptied = false;
    const int n = count();
    // A file stretched past any real scenario is not read record by record.
    if (n > MaxSituations)
        throw AppError(AppError::Other, TooLargeMessage);
    // The names read so far stay until the rebuild is done: a cancelled one keeps them.
    const QStringList before = nazwy_;
    list.emptied = true;
    list.names.clear();
    list.rows.clear();

    // Outside new-situation mode the list buffer is to end on the current situation's list
    // record. It is read once, after the first row (where a failure to read it would have
    // stopped a rebuild that read it after every row), and put back into the buffer whenever
    // the rebuild ends, since the rows are read through the same buffer.
    std::optional<TRekordListy> current;
    const auto addRow = [&](const TRekordListy& own, const TRekordKroku& rekordKroku) {
        GridRow row = gridRow(own, rekordKroku);
        list.names.append(row.name);
        list.rows.push_back(std::move(row));
    };
    bool cancelled = false;
    try {
        TRekordKroku local;
        pair_.read(0, local, lista);
        addRow(lista, local);
        if (!nowaSytuacja) {
            TRekordListy own;
            pair_.readList(numer, own);
            current = own;
        }
        // The other rows come a block at a time. Where a block stops short, the next row is
        // read alone: it fails there, at that row and with that file's error. The blocks
        // grow only as records really come, whatever length the file claims.
        constexpr int kBlock = 4096;
        std::vector<TRekordKroku> rekordy;
        std::vector<TRekordListy> listy;
        int i = 1;
        while (i < n && !cancelled) {
            const auto wanted = static_cast<std::size_t>(std::min(kBlock, n - i));
            rekordy.resize(wanted);
            listy.resize(wanted);
            const auto got = static_cast<int>(pair_.readBlock(i, rekordy, listy));
            for (int j = 0; j < got; ++j)
                addRow(listy[std::size_t(j)], rekordy[std::size_t(j)]);
            if (got > 0)
                lista = listy[std::size_t(got - 1)];
            i += got;
            if (i < n && std::size_t(got) < wanted) {
                pair_.read(i, local, lista);
                addRow(lista, local);
                ++i;
            }
            cancelled = progress && !progress(i, n);
        }
        nazwy_ = cancelled ? before : list.names;
    } catch (...) {
        nazwy_ = list.names;
        if (current)
            lista = *current;
        throw;
    }
    if (current)
        lista = *current;
    return !cancelled;
}

int ScenarioState::indexOfName(const QString& text) const {
    for (qsizetype i = 0; i < nazwy_.size(); ++i) {
        if (QString::compare(nazwy_[i], text, Qt::CaseInsensitive) == 0)
            return static_cast<int>(i);
    }
    return -1;
}

QString ScenarioState::targetName(std::int32_t target) const {
    if (target < 0 || target >= nazwy_.size())
        throw AppError(AppError::Other,
                       QStringLiteral("List index out of bounds (%1)").arg(target));
    return nazwy_[target];
}

// --- checks -------------------------------------------------------------------------------------

bool ScenarioState::nameTaken(const QString& text) const {
    const int found = indexOfName(text);
    return found >= 0 && found != numer;
}

bool ScenarioState::isTypeItem(const QString& text) {
    // The type box offers every type but "Poczatek".
    for (std::size_t t = Normalny; t < kTypeNames.size(); ++t) {
        if (QString::compare(kTypeNames[t], text, Qt::CaseInsensitive) == 0)
            return true;
    }
    return false;
}

std::optional<std::uint8_t> ScenarioState::typeCode(const QString& text) {
    for (std::size_t t = 0; t < kTypeNames.size(); ++t) {
        if (kTypeNames[t] == text)
            return static_cast<std::uint8_t>(t);
    }
    return std::nullopt;
}

QString ScenarioState::typeName(std::uint8_t typ) {
    return typ < kTypeNames.size() ? kTypeNames[typ] : QString();
}

std::array<bool, 4> ScenarioState::rowsOf(std::uint8_t typ) {
    std::array<bool, 4> rows{};
    const int offered = choicesOffered(typ);
    for (int i = 0; i < offered; ++i)
        rows[static_cast<std::size_t>(i)] = true;
    return rows;
}

GridRow ScenarioState::gridRow(const TRekordListy& lista, const TRekordKroku& rekord) {
    GridRow row;
    row.name = lista.Nazwa.text();
    if (lista.Typ >= kTypeLetters.size())
        return row;
    row.typeKnown = true;
    row.letter = kTypeLetters[lista.Typ];
    // A target of 0 leads to the default end: a used choice still pointing there leaves the
    // situation unfinished. Unused rows are not looked at.
    const std::array<bool, 4> rows = rowsOf(lista.Typ);
    bool complete = true;
    for (int i = 0; i < 4; ++i) {
        if (rows[static_cast<std::size_t>(i)] && targetOf(rekord, i) == 0)
            complete = false;
    }
    if (complete)
        row.mark = QStringLiteral("X");
    return row;
}

QString ScenarioState::storedDescription(const QString& shown) {
    QString stored;
    stored.reserve(shown.size() + 8);
    for (qsizetype i = 0; i < shown.size(); ++i) {
        if (shown[i] == u'\n' && (i == 0 || shown[i - 1] != u'\r'))
            stored.append(u'\r');
        stored.append(shown[i]);
    }
    return stored;
}

QString ScenarioState::shownDescription(const QString& stored) {
    QString shown = stored;
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    shown.replace(u'\r', u'\n');
    return shown;
}

int ScenarioState::storedLength(const QString& shown) {
    return static_cast<int>(Cp1250::encode(storedDescription(shown)).size());
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
    return {};
}

void ScenarioState::ZbierzPola(const SituationFields& fields) {
    rekord.Nazwa.assign(fields.nazwa);
    rekord.Wybor1.assign(fields.wybory[0]);
    rekord.Wybor2.assign(fields.wybory[1]);
    rekord.Wybor3.assign(fields.wybory[2]);
    rekord.Wybor4.assign(fields.wybory[3]);
    rekord.Opis.assign(storedDescription(fields.opis));
    // A disabled row has an empty target text: it names no situation.
    const auto target = [this](const QString& text) {
        return text.isEmpty() ? -1 : indexOfName(text);
    };
    rekord.Krok_Wybrany1.set(target(fields.cele[0]));
    rekord.Krok_Wybrany2.set(target(fields.cele[1]));
    rekord.Krok_Wybrany3.set(target(fields.cele[2]));
    rekord.Krok_Wybrany4.set(target(fields.cele[3]));
    krok.ZRekordu(rekord);
}

void ScenarioState::write(std::uint8_t typ) {
    pair_.write(numer, rekord, lista, typ);
}
