// tekstowki export-html FILE.Kro -o game.html: the scenario as one web page that plays it.

#include "authoring/HtmlExport.h"
#include "authoring/ScenarioCheck.h"
#include "authoring/ScenarioSnapshot.h"
#include "cli/Command.h"
#include "common/MediaFiles.h"

#include <QCommandLineParser>

namespace {

const QString kHelpCommand = QStringLiteral("tekstowki export-html");

const QString kHelp = QStringLiteral(
    "Użycie: tekstowki export-html PLIK.Kro -o GRA.html [--title TYTUŁ] [--lang KOD]\n\n"
    "Zapisuje scenariusz jako jedną stronę WWW, w którą gra każda przeglądarka, także bez\n"
    "sieci: opisy, wybory, obrazki i dźwięki są w samym pliku. Strona gra według tych samych\n"
    "zasad co Zozozarov. Scenariusz z błędami też jest zapisywany, z ostrzeżeniem.\n\n"
    "Opcje:\n"
    "  -o, --output PLIK  plik strony do zapisania (\"-\" to standardowe wyjście)\n"
    "  --title TYTUŁ      tytuł strony (domyślnie nazwa pliku scenariusza)\n"
    "  --lang KOD         język strony, znacznik BCP 47 (domyślnie pl)\n"
    "  -h, --help         pokazuje tę pomoc\n\n"
    "Kod wyjścia: 0 gdy strona została zapisana, 2 gdy scenariusza nie da się odczytać,\n"
    "strony zapisać albo polecenie jest błędne.\n");

// The media files the page embeds: each situation's picture and sound as the player finds them.
QStringList mediaInputs(const ScenarioSnapshot& snapshot) {
    QStringList files;
    for (const TRekordKroku& r : snapshot.rekordy) {
        for (const QString& file : {MediaFiles::findPicture(snapshot.folder, r.Bmp.text()),
                                    MediaFiles::findSound(snapshot.folder, r.Wav.text())}) {
            if (!file.isEmpty() && !files.contains(file))
                files.append(file);
        }
    }
    return files;
}

} // namespace

int runExportHtml(const QStringList& arguments) {
    QCommandLineParser parser;
    const QCommandLineOption output({QStringLiteral("o"), QStringLiteral("output")},
                                    QStringLiteral("plik strony do zapisania"),
                                    QStringLiteral("plik"));
    parser.addOption(output);
    const QCommandLineOption title(QStringLiteral("title"), QStringLiteral("tytuł strony"),
                                   QStringLiteral("tytuł"));
    parser.addOption(title);
    const QCommandLineOption lang(QStringLiteral("lang"), QStringLiteral("język strony"),
                                  QStringLiteral("kod"));
    parser.addOption(lang);
    parser.addPositionalArgument(QStringLiteral("plik"), QStringLiteral("plik sytuacji *.Kro"));
    if (const std::optional<int> done = Console::parse(parser, arguments, kHelpCommand, kHelp))
        return *done;
    const QStringList files = parser.positionalArguments();
    if (files.size() != 1)
        return Console::usageError(QStringLiteral("podaj jeden plik scenariusza (*.Kro)"),
                                   kHelpCommand);
    const QString target = parser.value(output);
    if (target.isEmpty())
        return Console::usageError(QStringLiteral("podaj plik strony: -o GRA.html"), kHelpCommand);

    HtmlPageOptions page{parser.value(title), QStringLiteral("pl")};
    if (parser.isSet(lang)) {
        page.lang = parser.value(lang);
        if (!isLanguageTag(page.lang))
            return Console::usageError(
                QStringLiteral("--lang: \"%1\" nie jest znacznikiem języka (np. pl, en-GB)")
                    .arg(page.lang),
                kHelpCommand);
    }

    const QString& file = files.first();
    if (const std::optional<int> refused =
            Console::refuseOutputOnInput({target}, Console::scenarioInputs(file)))
        return *refused;
    if (const std::optional<int> refused = Console::refuseText(file))
        return *refused;
    const std::optional<ScenarioSnapshot> read = Console::readScenario(file);
    if (!read)
        return Exit::Failed;
    const ScenarioSnapshot& snapshot = *read;
    // The media are known once the pair is read; the page reads them next.
    if (const std::optional<int> refused =
            Console::refuseOutputOnInput({target}, mediaInputs(snapshot)))
        return *refused;
    const CheckReport report = checkScenario(snapshot);
    if (report.errors() > 0)
        Console::err(QStringLiteral("tekstowki: ostrzeżenie: %1 ma błędy (%2), strona gra je "
                                    "tak jak Zozozarov; szczegóły: tekstowki check %1\n")
                         .arg(file)
                         .arg(report.errors()));

    return Console::writeOutput(target, exportHtml(snapshot, page)) ? Exit::Clean : Exit::Failed;
}
