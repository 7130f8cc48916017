#pragma once
// The sub-commands of tekstowki: their table, their exit statuses and the output they share.

#include "authoring/ScenarioSnapshot.h"
#include "authoring/TextForm.h"

#include <QByteArray>
#include <QCommandLineParser>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <optional>
#include <vector>

// The exit statuses every sub-command keeps, so that scripts can rely on them.
namespace Exit {
constexpr int Clean = 0;    // done, and nothing is wrong (warnings allowed)
constexpr int Findings = 1; // done, and the scenario has at least one error
constexpr int Failed = 2;   // the scenario could not be read, or the command line is wrong
} // namespace Exit

// One sub-command: `run` gets the arguments that follow its name and returns the exit status.
// Adding one is a source file with its run function and a row in commands().
struct Command {
    QString name;
    QString summary; // one line of the program's help
    int (*run)(const QStringList& arguments);
};

// Every sub-command, in the order the help lists them.
const std::vector<Command>& commands();

int runCheck(const QStringList& arguments);
int runToText(const QStringList& arguments);
int runFromText(const QStringList& arguments);
int runExportHtml(const QStringList& arguments);
int runDelete(const QStringList& arguments);
int runMove(const QStringList& arguments);
int runDuplicate(const QStringList& arguments);
int runDiff(const QStringList& arguments);
int runVersions(const QStringList& arguments);
int runRestore(const QStringList& arguments);

// Results go to stdout, everything else to stderr, both in UTF-8.
namespace Console {

void out(const QString& text);
void err(const QString& text);
// Prints "tekstowki: <message>" and the hint to ask for help on stderr; returns Exit::Failed.
int usageError(const QString& message, const QString& helpCommand = QStringLiteral("tekstowki"));

// "nieznana opcja „--name”" for an option name as the parser reports it ("name" or "x").
QString unknownOption(const QString& name);

// Parses a sub-command's arguments with `parser`, whose own options are added, adding -h and
// --help. The exit status when the command is done already (its help `help` printed, or a
// usage error reported against `helpCommand`), nothing when it is to go on.
std::optional<int> parse(QCommandLineParser& parser, const QStringList& arguments,
                         const QString& helpCommand, const QString& help);

// The scenario at `file` read whole, or nothing after "tekstowki: <file>: <why>" on stderr.
std::optional<ScenarioSnapshot> readScenario(const QString& file);

// What a file given to a command holds, told by its first bytes.
enum class FileKind : std::uint8_t {
    Records, // a file of records (*.Kro, *.lis): it holds control bytes no text here has
    Text,    // a scenario's text: after a byte order mark and blank lines, a header "=="
    Unknown, // neither, or nothing could be read: the command's own reading tells why
};
FileKind fileKindOf(const QByteArray& head);
// The kind of the regular file at `path` from its first record's length of bytes; Unknown for
// anything else (a pipe is never read here, so that the command still gets its bytes).
FileKind fileKindAt(const QString& path);

// Exit::Failed after "tekstowki: <file>: to jest tekst scenariusza, nie plik sytuacji *.Kro;
// użyj: tekstowki from-text <file> -o <file>.Kro" on stderr when `file` is a scenario's text,
// for a command that reads a pair; nothing otherwise.
std::optional<int> refuseText(const QString& file);

// `path` with the suffix of its file name ("Las.txt" -> "Las") replaced by `suffix` (".Kro").
QString withSuffix(const QString& path, const QString& suffix);

// The text in the file at `file`, decoded from UTF-8, or nothing after "tekstowki: <file>:
// <why>" on stderr.
std::optional<QString> readText(const QString& file);

// Each fault of a text as "tekstowki: <file>:LINE:COLUMN: message" on stderr.
void printTextErrors(const QString& file, const std::vector<TextFormError>& errors);

// The scenario the text at `file` describes, its media looked up beside the text, and the line
// of each situation's block in `situationLines` when given; or nothing after the text's faults
// (as from-text prints them) or the reason on stderr.
std::optional<ScenarioSnapshot> readTextScenario(const QString& file,
                                                 std::vector<int>* situationLines = nullptr);

// Keeps the pair at `file` as it is now as a version in the user's version store, before a
// command replaces it; nothing is kept when either file is not a regular file (or is not
// there) or the pair is kept already. A
// failure only prints "tekstowki: uwaga: nie zachowano wersji scenariusza: <why>" on stderr:
// the command goes on.
void keepVersion(const QString& file, const QString& reason);

// The path that names standard output for a command's output file.
inline const QString StandardOutput = QStringLiteral("-");

// The files a command reads for the pair at `situationFile`: the situation file, its list file
// and the journal of a save in flight, which the reader reads when it is there.
QStringList scenarioInputs(const QString& situationFile);

// Exit::Failed after "tekstowki: „<output>” to plik wejściowy polecenia (<input>); ..." on
// stderr when one of `outputs` is one of `inputs` (the same path, or one file reached by two
// paths or links), so that a command never overwrites what it reads; nothing otherwise. Run
// before the first byte is written, and before the inputs are read whenever they are known.
std::optional<int> refuseOutputOnInput(const QStringList& outputs, const QStringList& inputs);

// Writes a command's output: "-" to standard output, any other path as OutputFiles::writeOutput
// does (a pipe or a device written into, a regular file replaced whole, anything else refused).
// False after "tekstowki: <why>" on stderr.
bool writeOutput(const QString& path, const QByteArray& bytes);

} // namespace Console
