#include "player/CommandLine.h"

#include <QCommandLineParser>
#include <QDir>

namespace {

const QString Usage = QStringLiteral("Użycie: Zozozarov [PLIK.Kro] [--from N]");

// A usage error as its box shows it: what was wrong, then how the program is called.
QString usageError(const QString& what) {
    return what + QStringLiteral("\n\n") + Usage;
}

} // namespace

PlayerCommandLine PlayerCommandLine::read(const QStringList& arguments) {
    QCommandLineParser parser;
    // The options' descriptions are in helpText(), in Polish; Qt's own help is English.
    const QCommandLineOption help(QStringList{QStringLiteral("h"), QStringLiteral("help")});
    const QCommandLineOption version(QStringList{QStringLiteral("v"), QStringLiteral("version")});
    const QCommandLineOption from(QStringLiteral("from"), QString(), QStringLiteral("N"));
    parser.addOptions({help, version, from});
    const bool parsed = parser.parse(arguments);

    PlayerCommandLine line;
    if (parser.isSet(help)) {
        line.action = Action::Help;
        return line;
    }
    if (parser.isSet(version)) {
        line.action = Action::Version;
        return line;
    }

    const QStringList files = parser.positionalArguments();
    if (files.size() == 1 && !files.first().isEmpty())
        line.scenario = QDir::cleanPath(QDir::current().absoluteFilePath(files.first()));

    if (!parser.unknownOptionNames().isEmpty()) {
        line.error = usageError(QStringLiteral("Nieznana opcja: %1.")
                                    .arg(parser.unknownOptionNames().join(QStringLiteral(", "))));
    } else if (!parsed) {
        // The only other failure is an option without its value.
        line.error = usageError(QStringLiteral("Po --from podaj numer sytuacji."));
    } else if (files.size() > 1) {
        line.error = usageError(QStringLiteral("Podaj najwyżej jeden plik scenariusza."));
    } else if (files.size() == 1 && files.first().isEmpty()) {
        line.error = usageError(QStringLiteral("Nazwa pliku scenariusza jest pusta."));
    } else if (parser.isSet(from)) {
        bool isNumber = false;
        // A number that does not fit the files' 32-bit targets names no situation either.
        const std::int32_t number = parser.value(from).toInt(&isNumber);
        if (!isNumber)
            line.error = usageError(
                QStringLiteral("„%1” nie jest numerem sytuacji.").arg(parser.value(from)));
        else if (line.scenario.isEmpty())
            line.error = usageError(QStringLiteral("Do --from potrzebny jest plik scenariusza."));
        else
            line.from = number;
    }
    return line;
}

QString PlayerCommandLine::helpText() {
    return Usage + QStringLiteral(
                       "\n"
                       "Gra tekstowa: gra scenariusz zapisany w parze plików PLIK.Kro i PLIK.lis.\n"
                       "\n"
                       "  PLIK.Kro       scenariusz wybrany od razu, jak w „Wybór Scenariusza”\n"
                       "                 (ścieżka względna liczy się od bieżącego folderu)\n"
                       "  --from N       gra zaczyna się od razu od sytuacji numer N\n"
                       "                 (--from 1 to zwykły start)\n"
                       "  -h, --help     pokazuje tę pomoc\n"
                       "  -v, --version  pokazuje wersję programu\n");
}

QString PlayerCommandLine::versionText() {
    return QStringLiteral("Zozozarov " KIT_VERSION "\n");
}
