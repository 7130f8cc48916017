#include "Command.h"

#include "core/AppError.h"
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

QString unknownOption(const QString& name) {
    return QStringLiteral("nieznana opcja „%1%2”")
        .arg(name.size() == 1 ? QStringLiteral("-") : QStringLiteral("--"), name);
}

} // namespace Console
