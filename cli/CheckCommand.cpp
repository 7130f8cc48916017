// tekstowki check FILE.Kro [--json]: the scenario check, one line per finding or one JSON
// document.

#include "Command.h"
#include "authoring/ScenarioCheck.h"
#include "authoring/ScenarioSnapshot.h"
#include "core/AppError.h"

#include <QCommandLineParser>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace {

const QString kHelpCommand = QStringLiteral("tekstowki check");

const QString kHelp = QStringLiteral(
    "Użycie: tekstowki check PLIK.Kro [--json]\n\n"
    "Sprawdza scenariusz (plik sytuacji i plik listy obok niego): drogi prowadzące poza\n"
    "scenariusz lub do domyślnego końca, sytuacje nieosiągalne i pułapki bez wyjścia, puste\n"
    "nazwy, opisy i teksty wyborów, powtórzone nazwy oraz obrazki i dźwięki, których gracz\n"
    "nie znajdzie albo nie przyjmie. Każde znalezisko to jeden wiersz\n"
    "  PLIK:NUMER \"NAZWA\": błąd|ostrzeżenie: OPIS\n"
    "a na końcu podsumowanie ze statystykami scenariusza.\n\n"
    "Opcje:\n"
    "  --json      wypisuje wynik jako jeden dokument JSON\n"
    "  -h, --help  pokazuje tę pomoc\n\n"
    "Kod wyjścia: 0 gdy nie ma błędów (ostrzeżenia są dozwolone), 1 gdy jest choć jeden\n"
    "błąd, 2 gdy scenariusza nie da się odczytać albo polecenie jest błędne.\n");

// A name on a finding's line: control characters would break the line.
QString printable(QString text) {
    for (QChar& ch : text) {
        if (ch.category() == QChar::Other_Control)
            ch = u' ';
    }
    return text;
}

QString plain(const QString& file, const CheckReport& report) {
    QString text;
    for (const Finding& f : report.findings) {
        text += QStringLiteral("%1:%2 \"%3\": %4: %5\n")
                    .arg(file)
                    .arg(f.situation)
                    .arg(printable(f.name), severityName(f.severity), f.message);
    }
    if (!report.findings.empty())
        text += u'\n';
    return text + reportSummary(report);
}

QByteArray json(const QString& file, const CheckReport& report) {
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
    parser.addPositionalArgument(QStringLiteral("plik"), QStringLiteral("plik sytuacji *.Kro"));
    if (const std::optional<int> done = Console::parse(parser, arguments, kHelpCommand, kHelp))
        return *done;
    const QStringList files = parser.positionalArguments();
    if (files.isEmpty())
        return Console::usageError(QStringLiteral("podaj plik scenariusza (*.Kro)"), kHelpCommand);
    if (files.size() > 1)
        return Console::usageError(
            QStringLiteral("sprawdzam jeden scenariusz naraz, a podano %1").arg(files.size()),
            kHelpCommand);

    const QString& file = files.first();
    const std::optional<ScenarioSnapshot> read = Console::readScenario(file);
    if (!read)
        return Exit::Failed;
    const ScenarioSnapshot& snapshot = *read;
    const CheckReport report = checkScenario(snapshot);
    if (parser.isSet(asJson))
        Console::out(QString::fromUtf8(json(file, report)));
    else
        Console::out(plain(file, report));
    return report.errors() > 0 ? Exit::Findings : Exit::Clean;
}
