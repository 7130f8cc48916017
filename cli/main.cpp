// tekstowki: the author's command line. The first argument names a sub-command, which parses
// the rest itself.

#include "cli/Command.h"
#include "platform/core/Translations.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <algorithm>

namespace {

QString programHelp() {
    QString text = QStringLiteral("Użycie: tekstowki POLECENIE [ARGUMENTY...]\n\n"
                                  "Narzędzia autora scenariuszy Tekstówek.\n\n"
                                  "Polecenia:\n");
    qsizetype width = 0;
    for (const Command& command : commands())
        width = std::max(width, command.name.size());
    for (const Command& command : commands())
        text +=
            QStringLiteral("  %1  %2\n").arg(command.name.leftJustified(width), command.summary);
    text += QStringLiteral("\nOpcje:\n"
                           "  -h, --help     pokazuje tę pomoc\n"
                           "  -v, --version  pokazuje wersję programu\n\n"
                           "Pomoc polecenia: tekstowki POLECENIE --help\n"
                           "Kod wyjścia: 0 gdy wszystko w porządku, 1 gdy scenariusz ma błędy,\n"
                           "2 gdy scenariusza nie da się odczytać albo polecenie jest błędne.\n");
    return text;
}

} // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("tekstowki"));
    QCoreApplication::setApplicationVersion(QStringLiteral(KIT_VERSION));
    installPolishTranslations(app);

    QCommandLineParser parser;
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")},
                                  QStringLiteral("pokazuje tę pomoc"));
    const QCommandLineOption version({QStringLiteral("v"), QStringLiteral("version")},
                                     QStringLiteral("pokazuje wersję programu"));
    parser.addOption(help);
    parser.addOption(version);
    parser.addPositionalArgument(QStringLiteral("polecenie"), QStringLiteral("co zrobić"));
    // Everything after the sub-command's name is the sub-command's to parse.
    parser.setOptionsAfterPositionalArgumentsMode(QCommandLineParser::ParseAsPositionalArguments);
    if (!parser.parse(QCoreApplication::arguments())) {
        const QStringList unknown = parser.unknownOptionNames();
        return Console::usageError(unknown.isEmpty() ? parser.errorText()
                                                     : Console::unknownOption(unknown.first()));
    }
    if (parser.isSet(help)) {
        Console::out(programHelp());
        return Exit::Clean;
    }
    if (parser.isSet(version)) {
        Console::out(QStringLiteral("tekstowki %1\n").arg(QCoreApplication::applicationVersion()));
        return Exit::Clean;
    }
    QStringList arguments = parser.positionalArguments();
    if (arguments.isEmpty())
        return Console::usageError(QStringLiteral("brak polecenia"));
    const QString name = arguments.takeFirst();
    for (const Command& command : commands()) {
        if (command.name == name)
            return command.run(arguments);
    }
    return Console::usageError(QStringLiteral("nieznane polecenie „%1”").arg(name));
}
