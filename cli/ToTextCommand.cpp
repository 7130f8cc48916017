// tekstowki to-text FILE.Kro [-o FILE.txt]: the scenario pair as text, on stdout or into a file.

#include "Command.h"
#include "authoring/TextForm.h"
#include "common/ScenarioFiles.h"
#include "core/AppError.h"
#include "core/AtomicFiles.h"

#include <QCommandLineParser>
#include <QFile>

namespace {

const QString kHelpCommand = QStringLiteral("tekstowki to-text");

const QString kHelp = QStringLiteral(
    "Użycie: tekstowki to-text PLIK.Kro [-o PLIK.txt]\n\n"
    "Zapisuje scenariusz (plik sytuacji i plik listy obok niego) jako tekst UTF-8: jeden blok\n"
    "na sytuację, jeden fakt w wierszu (opis formatu: docs/TEXT-FORMAT.md). Polecenie\n"
    "from-text odtwarza z niego oba pliki bajt w bajt.\n\n"
    "Opcje:\n"
    "  -o PLIK     zapisuje tekst do pliku zamiast na standardowe wyjście\n"
    "  -h, --help  pokazuje tę pomoc\n\n"
    "Kod wyjścia: 0 gdy gotowe, 2 gdy scenariusza nie da się odczytać (na przykład długość\n"
    "pliku nie jest wielokrotnością rekordu) albo polecenie jest błędne.\n");

QByteArray readWhole(const QString& path) {
    QFile file(path);
    if (!file.exists())
        throw AppError(AppError::FileNotFound);
    if (!file.open(QIODevice::ReadOnly))
        throw AppError(AppError::Other, file.errorString());
    QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        throw AppError(AppError::Other, file.errorString());
    return bytes;
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
    QString text;
    try {
        const QByteArray situations = readWhole(kro);
        QByteArray list;
        try {
            list = readWhole(listFilePath(kro));
        } catch (const AppError& e) {
            throw AppError(AppError::Other, listFilePath(kro) + QStringLiteral(": ") + e.message());
        }
        text = toText(snapshotFromBytes(situations, list));
    } catch (const AppError& e) {
        Console::err(QStringLiteral("tekstowki: %1: %2\n").arg(kro, e.message()));
        return Exit::Failed;
    }
    if (!parser.isSet(output)) {
        Console::out(text);
        return Exit::Clean;
    }
    try {
        AtomicFiles::replaceFiles({{parser.value(output), text.toUtf8()}});
    } catch (const AppError& e) {
        Console::err(QStringLiteral("tekstowki: %1\n").arg(e.message()));
        return Exit::Failed;
    }
    return Exit::Clean;
}
