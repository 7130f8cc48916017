// tekstowki versions FILE.Kro and tekstowki restore FILE.Kro VERSION: the versions of a scenario
// kept in the user's version store, listed, and one of them brought back whole.

#include "authoring/VersionStore.h"
#include "cli/Command.h"
#include "common/SaveJournal.h"
#include "common/ScenarioFiles.h"
#include "platform/core/AppError.h"
#include "platform/core/FileSystem.h"
#include "platform/core/OutputFiles.h"

#include <QCommandLineParser>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <algorithm>

namespace {

const QString kVersionsCommand = QStringLiteral("tekstowki versions");
const QString kRestoreCommand = QStringLiteral("tekstowki restore");

// Where the versions live and how long they stay, told by both commands' help.
const QString kStoreHelp = QStringLiteral(
    "Wersje leżą w ~/.local/share/tekstowki/wersje (albo $XDG_DATA_HOME/tekstowki/wersje),\n"
    "w osobnym folderze dla każdego scenariusza. Zachowywane są oba pliki pary (*.Kro i\n"
    "*.lis), bez obrazków i dźwięków. Wersje zachowuje edytor, a także polecenia from-text,\n"
    "delete, move, duplicate i restore, zanim zastąpią parę.\n"
    "Zostają wszystkie wersje z ostatnich 48 godzin, starsze po jednej (najnowszej) z każdego\n"
    "dnia przez 60 dni; gdy wersje scenariusza zajmują więcej niż 200 MiB, najstarsze\n"
    "odchodzą pierwsze.\n\n");

const QString kVersionsHelp =
    QStringLiteral(
        "Użycie: tekstowki versions PLIK.Kro [--json]\n\n"
        "Wypisuje zachowane wersje scenariusza, od najnowszej, po jednej w wierszu; pola\n"
        "rozdziela tabulator:\n"
        "  WERSJA  CZAS (lokalny, RRRR-MM-DD GG:MM:SS)  LICZBA SYTUACJI  POWÓD\n"
        "WERSJA podaje się poleceniu restore. Wersje scenariusza, którego pliki usunięto,\n"
        "też są wypisywane. Gdy nie ma żadnej, nic nie jest wypisywane na standardowe wyjście,\n"
        "a na standardowe wyjście błędów: tekstowki: PLIK.Kro: brak zachowanych wersji\n\n") +
    kStoreHelp +
    QStringLiteral("Opcje:\n"
                   "  --json      wypisuje jedną tablicę JSON: obiekty z polami id, time (czas\n"
                   "              UTC w ISO 8601), situations, bytes (oba pliki) i reason\n"
                   "  -h, --help  pokazuje tę pomoc\n\n"
                   "Kod wyjścia: 0 gdy gotowe (także gdy wersji nie ma), 2 gdy polecenie jest\n"
                   "błędne.\n");

const QString kRestoreHelp =
    QStringLiteral(
        "Użycie: tekstowki restore PLIK.Kro WERSJA\n\n"
        "Zastępuje oba pliki scenariusza wersją WERSJA (z listy tekstowki versions PLIK.Kro):\n"
        "po przywróceniu pliki są bajt w bajt takie, jak w tej wersji. Przywraca też\n"
        "scenariusz, którego pliki usunięto. Obecny stan pary zostaje najpierw zachowany jako\n"
        "wersja „przed przywróceniem wersji” z czasem przywracanej wersji, więc przywrócenie\n"
        "można odwrócić tym samym poleceniem; gdy nie da się go zachować, nic nie jest\n"
        "zmieniane. Para jest zastępowana w całości albo wcale, pod blokadą scenariusza, jak\n"
        "zapis edytora; gdy inny program zmienił ją w międzyczasie albo ma ona niedokończony\n"
        "zapis edytora, polecenie odmawia.\n\n") +
    kStoreHelp +
    QStringLiteral("Opcje:\n"
                   "  -h, --help  pokazuje tę pomoc\n\n"
                   "Kod wyjścia: 0 gdy przywrócono, 2 gdy takiej wersji nie ma, nie da się\n"
                   "zachować obecnego stanu ani zapisać scenariusza, albo polecenie jest błędne\n"
                   "(wtedy żaden plik się nie zmienia).\n");

// "1 sytuacja", "3 sytuacje", "12 sytuacji", "22 sytuacje".
QString situationsText(std::int64_t n) {
    const std::int64_t tens = n % 100;
    const std::int64_t units = n % 10;
    const char* word = n == 1                                                 ? "sytuacja"
                       : units >= 2 && units <= 4 && (tens < 12 || tens > 14) ? "sytuacje"
                                                                              : "sytuacji";
    return QStringLiteral("%1 %2").arg(n).arg(QString::fromUtf8(word));
}

// An AppError's message on one line, as the command line prints every message.
QString oneLine(const AppError& e) {
    QString text = e.message();
    return text.replace(u'\n', QStringLiteral(": "));
}

} // namespace

int runVersions(const QStringList& arguments) {
    QCommandLineParser parser;
    const QCommandLineOption json(QStringLiteral("json"),
                                  QStringLiteral("wypisuje wersje jako tablicę JSON"));
    parser.addOption(json);
    if (const std::optional<int> done =
            Console::parse(parser, arguments, kVersionsCommand, kVersionsHelp))
        return *done;
    const QStringList files = parser.positionalArguments();
    if (files.size() != 1)
        return Console::usageError(QStringLiteral("podaj jeden plik sytuacji"), kVersionsCommand);
    const QString& file = files.first();

    const std::vector<VersionInfo> versions = VersionStore(VersionStore::defaultRoot()).list(file);
    if (parser.isSet(json)) {
        QJsonArray array;
        for (const VersionInfo& v : versions)
            array.append(QJsonObject{
                {QStringLiteral("id"), v.id},
                {QStringLiteral("time"), v.time.toUTC().toString(Qt::ISODateWithMs)},
                {QStringLiteral("situations"), qint64(v.situations)},
                {QStringLiteral("bytes"), qint64(v.bytes)},
                {QStringLiteral("reason"), v.reason},
            });
        Console::out(QString::fromUtf8(QJsonDocument(array).toJson(QJsonDocument::Indented)));
        return Exit::Clean;
    }
    if (versions.empty()) {
        Console::err(QStringLiteral("tekstowki: %1: brak zachowanych wersji\n").arg(file));
        return Exit::Clean;
    }
    QString text;
    for (const VersionInfo& v : versions)
        text += QStringLiteral("%1\t%2\t%3\t%4\n")
                    .arg(v.id, VersionStore::labelOf(v.id), situationsText(v.situations), v.reason);
    Console::out(text);
    return Exit::Clean;
}

int runRestore(const QStringList& arguments) {
    QCommandLineParser parser;
    if (const std::optional<int> done =
            Console::parse(parser, arguments, kRestoreCommand, kRestoreHelp))
        return *done;
    const QStringList positional = parser.positionalArguments();
    if (positional.size() != 2)
        return Console::usageError(QStringLiteral("podaj plik sytuacji i wersję"), kRestoreCommand);
    const QString& file = positional[0];
    const QString& id = positional[1];
    if (const std::optional<int> refused = Console::refuseText(file))
        return *refused;

    VersionStore store(VersionStore::defaultRoot());
    const std::vector<VersionInfo> versions = store.list(file);
    const auto info = std::find_if(versions.begin(), versions.end(),
                                   [&id](const VersionInfo& v) { return v.id == id; });
    if (info == versions.end()) {
        Console::err(QStringLiteral("tekstowki: %1: nie ma wersji „%2”; zobacz: tekstowki "
                                    "versions %1\n")
                         .arg(file, id));
        return Exit::Failed;
    }
    try {
        store.restore(file, id);
    } catch (const AppError& e) {
        Console::err(QStringLiteral("tekstowki: %1\n").arg(oneLine(e)));
        return Exit::Failed;
    }
    Console::out(
        QStringLiteral("Przywrócono wersję %1 (%2)\n").arg(id, situationsText(info->situations)));
    return Exit::Clean;
}
