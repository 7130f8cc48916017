// tekstowki to-text FILE.Kro [-o FILE.txt]: the scenario pair as text, on stdout or into a file.

#include "authoring/TextForm.h"
#include "cli/Command.h"

#include <QCommandLineParser>

namespace {

const QString kHelpCommand = QStringLiteral("tekstowki to-text");

const QString kHelp = QStringLiteral(
    "Użycie: tekstowki to-text PLIK.Kro [-o PLIK.txt]\n\n"
    "Zapisuje scenariusz (plik sytuacji i plik listy obok niego) jako tekst UTF-8: jeden blok\n"
    "na sytuację, jeden fakt w wierszu. Polecenie from-text odtwarza z niego oba pliki bajt\n"
    "w bajt. Opis formatu: /usr/share/doc/tekstowki/TEXT-FORMAT.md (w źródłach\n"
    "docs/TEXT-FORMAT.md).\n\n"
    "Opcje:\n"
    "  -o PLIK     zapisuje tekst do pliku zamiast na standardowe wyjście (\"-\" to\n"
    "              standardowe wyjście; potok albo urządzenie dostaje tekst strumieniem)\n"
    "  -h, --help  pokazuje tę pomoc\n\n"
    "Kod wyjścia: 0 gdy gotowe, 2 gdy scenariusza nie da się odczytać (na przykład długość\n"
    "pliku nie jest wielokrotnością rekordu) albo polecenie jest błędne.\n");

// Why the text form cannot give back the pair byte for byte (a file that ends in part of a
// record, files of different numbers of records, a file that shrank while it was read), or an
// empty string when it can.
QString notWholeRecords(const ScenarioSnapshot& snapshot) {
    if (QString fault = wholeRecordsFault(snapshot.situationBytes, snapshot.listBytes);
        !fault.isEmpty())
        return fault;
    const std::int64_t records = snapshot.situationBytes / TRekordKroku::Size;
    if (std::int64_t(snapshot.rekordy.size()) != records)
        return QStringLiteral("plik sytuacji ma %1 rekordów, a odczytano %2: plik "
                              "zmienił się w trakcie odczytu")
            .arg(records)
            .arg(snapshot.rekordy.size());
    return {};
}

} // namespace

int runToText(const QStringList& arguments) {
    QCommandLineParser parser;
    const QCommandLineOption output(QStringLiteral("o"), QStringLiteral("plik tekstu"),
                                    QStringLiteral("plik"));
    parser.addOption(output);
    if (const std::optional<int> done = Console::parse(parser, arguments, kHelpCommand, kHelp))
        return *done;
    const QStringList files = parser.positionalArguments();
    if (files.size() != 1)
        return Console::usageError(QStringLiteral("podaj jeden plik scenariusza (*.Kro)"),
                                   kHelpCommand);

    const QString& kro = files.first();
    const QString target = parser.isSet(output) ? parser.value(output) : Console::StandardOutput;
    if (const std::optional<int> refused =
            Console::refuseOutputOnInput({target}, Console::scenarioInputs(kro)))
        return *refused;
    if (const std::optional<int> refused = Console::refuseText(kro))
        return *refused;
    const std::optional<ScenarioSnapshot> snapshot = Console::readScenario(kro);
    if (!snapshot)
        return Exit::Failed;
    if (const QString why = notWholeRecords(*snapshot); !why.isEmpty()) {
        Console::err(QStringLiteral("tekstowki: %1: %2\n").arg(kro, why));
        return Exit::Failed;
    }
    return Console::writeOutput(target, toText(*snapshot).toUtf8()) ? Exit::Clean : Exit::Failed;
}
