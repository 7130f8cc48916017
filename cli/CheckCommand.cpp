// tekstowki check FILE.Kro|FILE.txt [--json]: the scenario check of a pair or of a scenario's
// text, one line per finding or one JSON document.

#include "authoring/ScenarioCheck.h"
#include "authoring/ScenarioSnapshot.h"
#include "authoring/TextForm.h"
#include "cli/Command.h"
#include "common/ScenarioFiles.h"
#include "platform/core/AppError.h"

#include <QCommandLineParser>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace {

const QString kHelpCommand = QStringLiteral("tekstowki check");

const QString kHelp = QStringLiteral(
    "Użycie: tekstowki check PLIK.Kro|PLIK.txt [--json]\n\n"
    "Sprawdza scenariusz (plik sytuacji i plik listy obok niego) albo tekst scenariusza\n"
    "(zapisany przez to-text): drogi prowadzące poza scenariusz lub do domyślnego końca,\n"
    "sytuacje nieosiągalne i pułapki bez wyjścia, puste nazwy, opisy i teksty wyborów,\n"
    "wybory, których typ sytuacji nie oferuje, powtórzone nazwy oraz obrazki i dźwięki,\n"
    "których gracz nie znajdzie albo nie przyjmie. Każde znalezisko to jeden wiersz\n"
    "  PLIK.Kro:NUMER \"NAZWA\": błąd|ostrzeżenie: OPIS\n"
    "  PLIK.txt:WIERSZ: sytuacja NUMER \"NAZWA\": błąd|ostrzeżenie: OPIS\n"
    "(WIERSZ to wiersz nagłówka bloku sytuacji), a na końcu podsumowanie ze statystykami\n"
    "scenariusza. Błędy zapisu tekstu są wypisywane tak jak przez from-text.\n\n"
    "Opcje:\n"
    "  --json      wypisuje wynik jako jeden dokument JSON\n"
    "  -h, --help  pokazuje tę pomoc\n\n"
    "Kod wyjścia: 0 gdy nie ma błędów (ostrzeżenia są dozwolone), 1 gdy jest choć jeden\n"
    "błąd, 2 gdy scenariusza nie da się odczytać (także gdy tekst ma błędy zapisu) albo\n"
    "polecenie jest błędne.\n");

// The line of the block of each situation, by number, when the scenario checked is a text;
// empty for a pair.
using BlockLines = std::vector<int>;

// The line of the block a finding is about, or 0 when it has none (a pair, a missing start).
int lineOf(const Finding& f, const BlockLines& lines) {
    return f.kind != FindingKind::NoStart && f.situation >= 0 &&
                   std::size_t(f.situation) < lines.size()
               ? lines[std::size_t(f.situation)]
               : 0;
}

// A name on a finding's line: control characters would break the line.
QString printable(QString text) {
    for (QChar& ch : text) {
        if (ch.category() == QChar::Other_Control)
            ch = u' ';
    }
    return text;
}

QString plain(const QString& file, const CheckReport& report, const BlockLines& lines) {
    QString text;
    for (const Finding& f : report.findings) {
        const int line = lineOf(f, lines);
        if (lines.empty())
            text +=
                QStringLiteral("%1:%2 \"%3\": ").arg(file).arg(f.situation).arg(printable(f.name));
        else if (line > 0)
            text += QStringLiteral("%1:%2: sytuacja %3 \"%4\": ")
                        .arg(file)
                        .arg(line)
                        .arg(f.situation)
                        .arg(printable(f.name));
        else
            text += QStringLiteral("%1: ").arg(file);
        text += QStringLiteral("%1: %2\n").arg(severityName(f.severity), f.message);
    }
    if (!report.findings.empty())
        text += u'\n';
    return text + reportSummary(report);
}

QByteArray json(const QString& file, const CheckReport& report, const BlockLines& lines) {
    QJsonArray findings;
    for (const Finding& f : report.findings) {
        QJsonObject o{
            {QStringLiteral("severity"),
             f.severity == Severity::Error ? QStringLiteral("error") : QStringLiteral("warning")},
            {QStringLiteral("kind"), kindName(f.kind)},
            {QStringLiteral("situation"), f.situation},
            {QStringLiteral("name"), f.name},
            {QStringLiteral("message"), f.message},
        };
        if (f.choice != 0)
            o.insert(QStringLiteral("choice"), f.choice);
        if (const int line = lineOf(f, lines); line > 0)
            o.insert(QStringLiteral("line"), line);
        findings.append(o);
    }
    const CheckStatistics& s = report.statistics;
    const QJsonObject statistics{
        {QStringLiteral("situations"), s.situations},
        {QStringLiteral("reachable"), s.reachable},
        {QStringLiteral("endingsReachable"), s.endingsReachable},
        {QStringLiteral("shortestRoad"), s.shortestRoad},
        {QStringLiteral("longestRoad"), s.longestRoad},
        {QStringLiteral("longestRoadCut"), s.longestRoadCut},
        {QStringLiteral("descriptionWords"), qint64(s.descriptionWords)},
        {QStringLiteral("choiceWords"), qint64(s.choiceWords)},
    };
    const QJsonObject document{
        {QStringLiteral("file"), file},
        {QStringLiteral("errors"), report.errors()},
        {QStringLiteral("warnings"), report.warnings()},
        {QStringLiteral("findings"), findings},
        {QStringLiteral("statistics"), statistics},
    };
    return QJsonDocument(document).toJson(QJsonDocument::Indented);
}

} // namespace

int runCheck(const QStringList& arguments) {
    QCommandLineParser parser;
    const QCommandLineOption asJson(QStringLiteral("json"),
                                    QStringLiteral("wypisuje wynik jako dokument JSON"));
    parser.addOption(asJson);
    parser.addPositionalArgument(QStringLiteral("plik"),
                                 QStringLiteral("plik sytuacji *.Kro albo tekst scenariusza"));
    if (const std::optional<int> done = Console::parse(parser, arguments, kHelpCommand, kHelp))
        return *done;
    const QStringList files = parser.positionalArguments();
    if (files.isEmpty())
        return Console::usageError(QStringLiteral("podaj plik scenariusza (*.Kro) albo jego tekst"),
                                   kHelpCommand);
    if (files.size() > 1)
        return Console::usageError(
            QStringLiteral("sprawdzam jeden scenariusz naraz, a podano %1").arg(files.size()),
            kHelpCommand);

    const QString& file = files.first();
    BlockLines lines;
    const std::optional<ScenarioSnapshot> read =
        Console::fileKindAt(file) == Console::FileKind::Text
            ? Console::readTextScenario(file, &lines)
            : Console::readScenario(file);
    if (!read)
        return Exit::Failed;
    const ScenarioSnapshot& snapshot = *read;
    const CheckReport report = checkScenario(snapshot);
    if (parser.isSet(asJson))
        Console::out(QString::fromUtf8(json(file, report, lines)));
    else
        Console::out(plain(file, report, lines));
    return report.errors() > 0 ? Exit::Findings : Exit::Clean;
}
