// tekstowki diff A.Kro|A.txt B.Kro|B.txt: what changed between two scenarios, as a unified diff of
// their text forms and one summary line.

#include "authoring/ScenarioDiff.h"
#include "authoring/TextForm.h"
#include "cli/Command.h"
#include "platform/core/AppError.h"

#include <QCommandLineParser>
#include <algorithm>

namespace {

const QString kHelpCommand = QStringLiteral("tekstowki diff");

const QString kHelp = QStringLiteral(
    "Użycie: tekstowki diff STARY.Kro|STARY.txt NOWY.Kro|NOWY.txt\n\n"
    "Porównuje dwa scenariusze (plik sytuacji z plikiem listy obok niego albo tekst zapisany\n"
    "przez to-text) i wypisuje różnice ich postaci tekstowych jak diff -u: nagłówki\n"
    "\"--- STARY\" i \"+++ NOWY\", a dla każdej zmiany blok \"@@ -WIERSZ,ILE +WIERSZ,ILE @@\"\n"
    "z trzema wierszami kontekstu; wiersz usunięty zaczyna się od \"-\", dodany od \"+\".\n"
    "Ostatni wiersz, po \"# \", mówi, ile sytuacji (porównanych po numerach) dodano,\n"
    "zmieniono i usunięto, na przykład \"# +2 sytuacje, 5 zmienionych, 1 usunięta\".\n"
    "Tekst scenariusza jest najpierw czytany tak jak przez from-text, a porównywany jest\n"
    "w postaci, którą zapisałby to-text.\n"
    "Z gitem: git difftool -x \"tekstowki diff\" PLIK.txt\n\n"
    "Opcje:\n"
    "  -h, --help  pokazuje tę pomoc\n\n"
    "Kod wyjścia: 0 gdy scenariusze są takie same, 1 gdy się różnią, 2 gdy któregoś nie da\n"
    "się odczytać (także gdy tekst ma błędy zapisu) albo polecenie jest błędne.\n");

// The scenario in `file`, a pair or its text, or nothing after the reason on stderr.
std::optional<ScenarioSnapshot> readEither(const QString& file) {
    if (Console::fileKindAt(file) == Console::FileKind::Text)
        return Console::readTextScenario(file);
    std::optional<ScenarioSnapshot> snapshot = Console::readScenario(file);
    // The text form of a pair with part of a record would hide that part: compared it would lie.
    if (snapshot) {
        if (const QString why = wholeRecordsFault(snapshot->situationBytes, snapshot->listBytes);
            !why.isEmpty()) {
            Console::err(QStringLiteral("tekstowki: %1: %2\n").arg(file, why));
            return std::nullopt;
        }
    }
    return snapshot;
}

} // namespace

int runDiff(const QStringList& arguments) {
    QCommandLineParser parser;
    parser.addPositionalArgument(QStringLiteral("stary"),
                                 QStringLiteral("scenariusz przed zmianą (*.Kro albo tekst)"));
    parser.addPositionalArgument(QStringLiteral("nowy"),
                                 QStringLiteral("scenariusz po zmianie (*.Kro albo tekst)"));
    if (const std::optional<int> done = Console::parse(parser, arguments, kHelpCommand, kHelp))
        return *done;
    const QStringList files = parser.positionalArguments();
    if (files.size() != 2)
        return Console::usageError(
            QStringLiteral("podaj dwa scenariusze do porównania (*.Kro albo ich teksty)"),
            kHelpCommand);

    const std::optional<ScenarioSnapshot> older = readEither(files[0]);
    if (!older)
        return Exit::Failed;
    const std::optional<ScenarioSnapshot> newer = readEither(files[1]);
    if (!newer)
        return Exit::Failed;
    const std::vector<DiffLine> lines = diffLines(toText(*older), toText(*newer));
    const ScenarioChanges changes = compareScenarios(*older, *newer);
    const bool same = changes.none() && std::all_of(lines.begin(), lines.end(), [](const auto& l) {
                          return l.kind == DiffLine::Kind::Same;
                      });
    QString output = same ? QString() : unifiedDiff(files[0], files[1], lines);
    Console::out(output + QStringLiteral("# %1\n").arg(changes.summary()));
    return same ? Exit::Clean : Exit::Findings;
}
