// tekstowki from-text FILE.txt -o FILE.Kro: the scenario pair a text describes, written whole or
// not at all.

#include "authoring/TextForm.h"
#include "cli/Command.h"
#include "common/SaveJournal.h"
#include "common/ScenarioFiles.h"
#include "platform/core/AppError.h"
#include "platform/core/FileSystem.h"

#include <QCommandLineParser>

namespace {

const QString kHelpCommand = QStringLiteral("tekstowki from-text");

const QString kHelp = QStringLiteral(
    "Użycie: tekstowki from-text PLIK.txt -o PLIK.Kro\n\n"
    "Tworzy scenariusz z tekstu zapisanego przez to-text albo napisanego ręcznie: plik\n"
    "sytuacji i plik listy obok niego. Opis formatu: /usr/share/doc/tekstowki/TEXT-FORMAT.md\n"
    "(w źródłach docs/TEXT-FORMAT.md).\n"
    "Nic nie jest zapisywane, jeśli tekst ma choć jeden błąd; istniejący scenariusz jest\n"
    "zastępowany w całości albo wcale, pod blokadą scenariusza, jak zapis edytora; jego\n"
    "poprzedni stan zostaje najpierw zachowany jako wersja (tekstowki versions PLIK.Kro).\n"
    "Każdy błąd to jeden wiersz\n"
    "  tekstowki: PLIK:WIERSZ:KOLUMNA: OPIS\n\n"
    "Opcje:\n"
    "  -o PLIK     plik sytuacji do zapisania (*.Kro); plik listy powstaje obok niego\n"
    "  -h, --help  pokazuje tę pomoc\n\n"
    "Kod wyjścia: 0 gdy gotowe, 2 gdy tekst ma błędy, nie da się go odczytać albo zapisać\n"
    "scenariusza, albo polecenie jest błędne.\n");

} // namespace

int runFromText(const QStringList& arguments) {
    QCommandLineParser parser;
    const QCommandLineOption output(QStringLiteral("o"), QStringLiteral("plik sytuacji *.Kro"),
                                    QStringLiteral("plik"));
    parser.addOption(output);
    if (const std::optional<int> done = Console::parse(parser, arguments, kHelpCommand, kHelp))
        return *done;
    const QStringList files = parser.positionalArguments();
    if (files.size() != 1)
        return Console::usageError(QStringLiteral("podaj jeden plik tekstu scenariusza"),
                                   kHelpCommand);
    if (!parser.isSet(output))
        return Console::usageError(QStringLiteral("podaj plik sytuacji do zapisania: -o PLIK.Kro"),
                                   kHelpCommand);
    const QString& txt = files.first();
    const QString kro = parser.value(output);
    const QString lis = listFilePath(kro);
    if (FileSystem::sameFile(kro, lis))
        return Console::usageError(
            QStringLiteral("„%1” byłby zarazem plikiem sytuacji i plikiem listy; oczekiwano "
                           "nazwy w rodzaju PLIK.Kro")
                .arg(kro),
            kHelpCommand);
    if (const std::optional<int> refused = Console::refuseOutputOnInput({kro, lis}, {txt}))
        return *refused;

    const std::optional<QString> text = Console::readText(txt);
    if (!text)
        return Exit::Failed;
    const TextFormResult result = fromText(*text);
    if (!result.ok()) {
        Console::printTextErrors(txt, result.errors);
        return Exit::Failed;
    }
    // A save of the editor that never finished would be undone over the new files at the next
    // open: the editor has to settle it first.
    if (FileSystem::entryExists(SaveJournal::pathFor(kro))) {
        Console::err(QStringLiteral("tekstowki: %1: scenariusz ma niedokończony zapis (%2); "
                                    "otwórz go najpierw w edytorze\n")
                         .arg(kro, SaveJournal::pathFor(kro)));
        return Exit::Failed;
    }
    Console::keepVersion(kro, QStringLiteral("przed from-text"));
    try {
        replaceScenario(kro, result.pair.situations, result.pair.list);
    } catch (const AppError& e) {
        Console::err(QStringLiteral("tekstowki: %1\n").arg(e.message()));
        return Exit::Failed;
    }
    return Exit::Clean;
}
