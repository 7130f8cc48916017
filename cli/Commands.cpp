#include "cli/Command.h"

#include "authoring/VersionStore.h"
#include "common/SaveJournal.h"
#include "common/ScenarioFiles.h"
#include "platform/core/AppError.h"
#include "platform/core/FileSystem.h"
#include "platform/core/OutputFiles.h"
#include "platform/core/PosixRecordFile.h"

#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>
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
        {QStringLiteral("diff"),
         QStringLiteral("porównuje dwa scenariusze (pliki albo teksty): różnice i podsumowanie"),
         runDiff},
        {QStringLiteral("export-html"),
         QStringLiteral("zapisuje scenariusz jako jedną stronę WWW do gry w przeglądarce"),
         runExportHtml},
        {QStringLiteral("delete"),
         QStringLiteral("usuwa sytuację; drogi do niej prowadzą odtąd do sytuacji 0"), runDelete},
        {QStringLiteral("move"),
         QStringLiteral("zmienia numer sytuacji; każda droga prowadzi tam, gdzie prowadziła"),
         runMove},
        {QStringLiteral("duplicate"),
         QStringLiteral("dopisuje na końcu kopię sytuacji pod wolną nazwą"), runDuplicate},
        {QStringLiteral("versions"),
         QStringLiteral("wypisuje zachowane wersje scenariusza, od najnowszej"), runVersions},
        {QStringLiteral("restore"),
         QStringLiteral("przywraca zachowaną wersję scenariusza (obecną zachowuje najpierw)"),
         runRestore},
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

FileKind fileKindOf(const QByteArray& head) {
    qsizetype at = head.startsWith("\xEF\xBB\xBF") ? 3 : 0;
    while (at < head.size() &&
           (head[at] == ' ' || head[at] == '\t' || head[at] == '\r' || head[at] == '\n'))
        ++at;
    if (head.mid(at, 2) == "==")
        return FileKind::Text;
    // A record starts with a name's length byte and pads its fields with zeros; a text written
    // by to-text holds no control character but its line breaks (tabs and CR are allowed in
    // one written by hand).
    for (const char byte : head) {
        if (std::uint8_t(byte) < 0x20 && byte != '\t' && byte != '\r' && byte != '\n')
            return FileKind::Records;
    }
    return FileKind::Unknown;
}

FileKind fileKindAt(const QString& path) {
    if (!QFileInfo(path).isFile())
        return FileKind::Unknown;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return FileKind::Unknown;
    const QByteArray head = file.read(TRekordKroku::Size);
    return file.error() == QFileDevice::NoError ? fileKindOf(head) : FileKind::Unknown;
}

std::optional<int> refuseText(const QString& file) {
    if (fileKindAt(file) != FileKind::Text)
        return std::nullopt;
    err(QStringLiteral("tekstowki: %1: to jest tekst scenariusza, nie plik sytuacji *.Kro; "
                       "użyj: tekstowki from-text %1 -o %2\n")
            .arg(file, withSuffix(file, QStringLiteral(".Kro"))));
    return Exit::Failed;
}

QString withSuffix(const QString& path, const QString& suffix) {
    const qsizetype name = path.lastIndexOf(u'/') + 1;
    const qsizetype dot = path.lastIndexOf(u'.');
    return (dot > name ? path.left(dot) : path) + suffix;
}

std::optional<ScenarioSnapshot> readTextScenario(const QString& file,
                                                 std::vector<int>* situationLines) {
    const std::optional<QString> text = readText(file);
    if (!text)
        return std::nullopt;
    const TextFormResult result = fromText(*text);
    if (!result.ok()) {
        printTextErrors(file, result.errors);
        return std::nullopt;
    }
    try {
        ScenarioSnapshot snapshot = snapshotFromBytes(result.pair.situations, result.pair.list);
        snapshot.folder = folderOfScenario(file);
        snapshot.situationBytes = result.pair.situations.size();
        snapshot.listBytes = result.pair.list.size();
        if (situationLines)
            *situationLines = result.situationLines;
        return snapshot;
    } catch (const AppError& e) {
        err(QStringLiteral("tekstowki: %1: %2\n").arg(file, e.message()));
        return std::nullopt;
    }
}

std::optional<QString> readText(const QString& file) {
    QFile text(file);
    if (!text.open(QIODevice::ReadOnly)) {
        err(QStringLiteral("tekstowki: %1: %2\n")
                .arg(file, text.exists() ? text.errorString()
                                         : AppError::messageForCode(AppError::FileNotFound)));
        return std::nullopt;
    }
    const QByteArray bytes = text.readAll();
    if (text.error() != QFileDevice::NoError) {
        err(QStringLiteral("tekstowki: %1: %2\n").arg(file, text.errorString()));
        return std::nullopt;
    }
    if (fileKindOf(bytes.left(TRekordKroku::Size)) == FileKind::Records) {
        const bool list = file.endsWith(QStringLiteral(".lis"), Qt::CaseInsensitive);
        const QString pair = list ? withSuffix(file, QStringLiteral(".Kro")) : file;
        err(QStringLiteral("tekstowki: %1: to jest %2, nie tekst scenariusza; użyj: tekstowki "
                           "to-text %3 -o %4\n")
                .arg(file,
                     list ? QStringLiteral("plik listy *.lis")
                          : QStringLiteral("plik sytuacji *.Kro"),
                     pair, withSuffix(file, QStringLiteral(".txt"))));
        return std::nullopt;
    }
    QStringDecoder utf8(QStringDecoder::Utf8);
    QString decoded = utf8(bytes);
    if (utf8.hasError()) {
        err(QStringLiteral("tekstowki: %1: to nie jest tekst UTF-8\n").arg(file));
        return std::nullopt;
    }
    return decoded;
}

void printTextErrors(const QString& file, const std::vector<TextFormError>& errors) {
    for (const TextFormError& e : errors)
        err(QStringLiteral("tekstowki: %1:%2:%3: %4\n")
                .arg(file)
                .arg(e.line)
                .arg(e.column)
                .arg(e.message));
}

void keepVersion(const QString& file, const QString& reason) {
    try {
        VersionStore(VersionStore::defaultRoot()).keep(file, reason);
    } catch (const AppError& e) {
        // One line, as every message of the command line is.
        QString why = e.message();
        why.replace(u'\n', QStringLiteral(": "));
        err(QStringLiteral("tekstowki: uwaga: nie zachowano wersji scenariusza: %1\n").arg(why));
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
