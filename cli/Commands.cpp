#include "Command.h"

#include "common/SaveJournal.h"
#include "common/ScenarioFiles.h"
#include "core/AppError.h"
#include "core/FileSystem.h"
#include "core/OutputFiles.h"
#include "core/PosixRecordFile.h"

#include <cstdio>

const std::vector<Command>& commands() {
    static const std::vector<Command> all = {
        {QStringLiteral("check"),
         QStringLiteral("sprawdza scenariusz: drogi, pułapki, nazwy, opisy, obrazki i dźwięki"),
         runCheck},
        {QStringLiteral("to-text"),
         QStringLiteral("zapisuje scenariusz jako tekst UTF-8, wygodny do porównań i edycji"),
         runToText},
        {QStringLiteral("from-text"),
         QStringLiteral("tworzy scenariusz (oba pliki) z tekstu zapisanego przez to-text"),
         runFromText},
        {QStringLiteral("export-html"),
         QStringLiteral("zapisuje scenariusz jako jedną stronę WWW do gry w przeglądarce"),
         runExportHtml},
    };
    return all;
}

namespace Console {
namespace {

void write(std::FILE* stream, const QString& text) {
    const QByteArray bytes = text.toUtf8();
    std::fwrite(bytes.constData(), 1, std::size_t(bytes.size()), stream);
}

} // namespace

void out(const QString& text) {
    write(stdout, text);
}

void err(const QString& text) {
    write(stderr, text);
}

int usageError(const QString& message, const QString& helpCommand) {
    err(QStringLiteral("tekstowki: %1\nPomoc: %2 --help\n").arg(message, helpCommand));
    return Exit::Failed;
}

std::optional<int> parse(QCommandLineParser& parser, const QStringList& arguments,
                         const QString& helpCommand, const QString& help) {
    const QCommandLineOption helpOption({QStringLiteral("h"), QStringLiteral("help")},
                                        QStringLiteral("pokazuje tę pomoc"));
    parser.addOption(helpOption);
    if (!parser.parse(QStringList{helpCommand} + arguments)) {
        const QStringList unknown = parser.unknownOptionNames();
        return usageError(unknown.isEmpty() ? parser.errorText() : unknownOption(unknown.first()),
                          helpCommand);
    }
    if (parser.isSet(helpOption)) {
        out(help);
        return Exit::Clean;
    }
    return std::nullopt;
}

std::optional<ScenarioSnapshot> readScenario(const QString& file) {
    try {
        PosixRecordFileFactory recordFiles;
        return readSnapshot(recordFiles, file);
    } catch (const AppError& e) {
        err(QStringLiteral("tekstowki: %1: %2\n").arg(file, e.message()));
        return std::nullopt;
    }
}

QStringList scenarioInputs(const QString& situationFile) {
    return {situationFile, listFilePath(situationFile), SaveJournal::pathFor(situationFile)};
}

std::optional<int> refuseOutputOnInput(const QStringList& outputs, const QStringList& inputs) {
    for (const QString& output : outputs) {
        if (output == StandardOutput)
            continue;
        for (const QString& input : inputs) {
            if (output == input || FileSystem::sameInode(output, input) ||
                FileSystem::sameFile(output, input)) {
                err(QStringLiteral("tekstowki: „%1” to plik wejściowy polecenia (%2); wybierz "
                                   "inny plik wyjściowy\n")
                        .arg(output, input));
                return Exit::Failed;
            }
        }
    }
    return std::nullopt;
}

bool writeOutput(const QString& path, const QByteArray& bytes) {
    if (path == StandardOutput) {
        const bool written = std::fwrite(bytes.constData(), 1, std::size_t(bytes.size()), stdout) ==
                                 std::size_t(bytes.size()) &&
                             std::fflush(stdout) == 0;
        if (!written)
            err(QStringLiteral("tekstowki: nie udało się zapisać na standardowe wyjście\n"));
        return written;
    }
    try {
        OutputFiles::writeOutput(path, bytes);
        return true;
    } catch (const AppError& e) {
        err(QStringLiteral("tekstowki: %1\n").arg(e.message()));
        return false;
    }
}

QString unknownOption(const QString& name) {
    return QStringLiteral("nieznana opcja „%1%2”")
        .arg(name.size() == 1 ? QStringLiteral("-") : QStringLiteral("--"), name);
}

} // namespace Console
