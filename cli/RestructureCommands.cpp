// tekstowki delete|move|duplicate FILE.Kro N: a situation deleted, moved or copied with every
// road renumbered, the pair written back whole or not at all.

#include "authoring/Restructuring.h"
#include "cli/Command.h"
#include "common/Restructure.h"
#include "platform/core/AppError.h"
#include "platform/core/RecordFile.h"

#include <QCommandLineParser>
#include <functional>
#include <optional>

namespace {

const QString kCommonHelp = QStringLiteral(
    "Wszystkie drogi są przenumerowane tak, że każdy wybór prowadzi do tej samej sytuacji co\n"
    "wcześniej. Scenariusz jest zastępowany w całości albo wcale, pod blokadą scenariusza, jak\n"
    "zapis edytora; jego poprzedni stan zostaje najpierw zachowany jako wersja (tekstowki\n"
    "versions PLIK.Kro). Sytuacji 0 (domyślny koniec) i 1 (początek) nie można usunąć ani\n"
    "przenieść.\n\n"
    "Kod wyjścia: 0 gdy gotowe, 2 gdy polecenie jest błędne albo scenariusza nie da się\n"
    "odczytać lub zapisać (wtedy żaden plik się nie zmienia).\n");

const QString kDeleteHelp =
    QStringLiteral("Użycie: tekstowki delete PLIK.Kro NUMER\n\n"
                   "Usuwa sytuację NUMER; drogi do niej prowadzą odtąd do sytuacji 0, a dalsze\n"
                   "sytuacje dostają numery mniejsze o 1.\n") +
    kCommonHelp;

const QString kMoveHelp =
    QStringLiteral("Użycie: tekstowki move PLIK.Kro NUMER --to NOWY\n\n"
                   "Daje sytuacji NUMER numer NOWY; sytuacje pomiędzy przesuwają się o jeden.\n") +
    kCommonHelp;

const QString kDuplicateHelp =
    QStringLiteral("Użycie: tekstowki duplicate PLIK.Kro NUMER\n\n"
                   "Dopisuje na końcu kopię sytuacji NUMER z tymi samymi drogami, pod wolną\n"
                   "nazwą „NAZWA 2”, „NAZWA 3”... (skróconą do 20 znaków).\n") +
    kCommonHelp;

// What a change did: the line that tells it, and whether the pair is to be written.
struct Done {
    QString line;
    bool changed = true;
};
// Makes the change in the snapshot; throws the operation's AppError.
using Change = std::function<Done(ScenarioSnapshot&)>;

// "„name”" as the messages quote a situation's name.
QString quoted(const QString& name) {
    return QStringLiteral("„%1”").arg(name);
}

// Keeps the pair at `file` as a version (why: `reason`), reads it, applies `change` and writes
// the pair back whole.
int restructure(const QString& file, const QString& reason, const Change& change) {
    if (const std::optional<int> refused = Console::refuseText(file))
        return *refused;
    Console::keepVersion(file, reason);
    Done done;
    try {
        PosixRecordFileFactory recordFiles;
        restructureScenario(recordFiles, file, [&](ScenarioSnapshot& snapshot) {
            try {
                done = change(snapshot);
            } catch (const AppError& e) {
                throw AppError(e.code(), QStringLiteral("%1: %2").arg(file, e.message()));
            }
            return done.changed;
        });
    } catch (const AppError& e) {
        Console::err(QStringLiteral("tekstowki: %1\n").arg(e.message()));
        return Exit::Failed;
    }
    Console::out(done.line + u'\n');
    return Exit::Clean;
}

// The file and the situation number a command works on.
struct Target {
    QString file;
    std::int32_t number = 0;
};

// The situation number `text` names, or nothing after a usage error (Exit::Failed).
std::optional<std::int32_t> number(const QString& text, const QString& helpCommand) {
    bool ok = false;
    const int value = text.toInt(&ok);
    if (!ok) {
        Console::usageError(QStringLiteral("„%1” nie jest numerem sytuacji").arg(text),
                            helpCommand);
        return std::nullopt;
    }
    return value;
}

// The file and the number the positional arguments name, or nothing after a usage error.
std::optional<Target> target(const QStringList& positional, const QString& helpCommand) {
    if (positional.size() != 2) {
        Console::usageError(QStringLiteral("podaj plik sytuacji i numer sytuacji"), helpCommand);
        return std::nullopt;
    }
    const std::optional<std::int32_t> n = number(positional[1], helpCommand);
    if (!n)
        return std::nullopt;
    return Target{positional[0], *n};
}

// "1 droga prowadzi", "2 drogi prowadzą", "5 dróg prowadzi".
QString roadsLead(int roads) {
    const int tens = roads % 100;
    if (roads == 1)
        return QStringLiteral("1 droga prowadzi");
    if (roads % 10 >= 2 && roads % 10 <= 4 && (tens < 12 || tens > 14))
        return QStringLiteral("%1 drogi prowadzą").arg(roads);
    return QStringLiteral("%1 dróg prowadzi").arg(roads);
}

// Parses the arguments with `parser` and runs `command` on the file and number they name.
int runOn(QCommandLineParser& parser, const QStringList& arguments, const QString& helpCommand,
          const QString& help, const std::function<int(const Target&)>& command) {
    if (const std::optional<int> done = Console::parse(parser, arguments, helpCommand, help))
        return *done;
    const std::optional<Target> parsed = target(parser.positionalArguments(), helpCommand);
    return parsed ? command(*parsed) : Exit::Failed;
}

} // namespace

int runDelete(const QStringList& arguments) {
    QCommandLineParser parser;
    return runOn(
        parser, arguments, QStringLiteral("tekstowki delete"), kDeleteHelp, [](const Target& at) {
            const QString reason = QStringLiteral("przed usunięciem sytuacji %1").arg(at.number);
            return restructure(at.file, reason, [&at](ScenarioSnapshot& s) {
                const DeletedSituation deleted = deleteSituation(s.rekordy, s.listy, at.number);
                return Done{QStringLiteral("Usunięto sytuację %1 %2; %3 teraz do "
                                           "sytuacji 0.")
                                .arg(QString::number(at.number), quoted(deleted.name),
                                     roadsLead(deleted.roadsToEnd))};
            });
        });
}

int runMove(const QStringList& arguments) {
    QCommandLineParser parser;
    const QCommandLineOption toOption(QStringLiteral("to"), QStringLiteral("nowy numer"),
                                      QStringLiteral("numer"));
    parser.addOption(toOption);
    const QString helpCommand = QStringLiteral("tekstowki move");
    return runOn(parser, arguments, helpCommand, kMoveHelp, [&](const Target& at) {
        if (!parser.isSet(toOption))
            return Console::usageError(QStringLiteral("podaj nowy numer: --to NUMER"), helpCommand);
        const std::optional<std::int32_t> newNumber = number(parser.value(toOption), helpCommand);
        if (!newNumber)
            return Exit::Failed;
        const std::int32_t to = *newNumber;
        const QString reason = QStringLiteral("przed przeniesieniem sytuacji %1").arg(at.number);
        return restructure(at.file, reason, [&at, to](ScenarioSnapshot& s) {
            const QString name = at.number >= 0 && at.number < s.size()
                                     ? s.rekordy[std::size_t(at.number)].Nazwa.text()
                                     : QString();
            moveSituation(s.rekordy, s.listy, at.number, to);
            if (to == at.number)
                return Done{QStringLiteral("Sytuacja %1 %2 już ma ten numer; nic nie zmieniono.")
                                .arg(QString::number(at.number), quoted(name)),
                            false};
            const bool down = at.number < to;
            return Done{QStringLiteral("Przeniesiono sytuację %1 %2 na numer %3; sytuacje od %4 "
                                       "do %5 mają numery %6 o 1.")
                            .arg(QString::number(at.number), quoted(name), QString::number(to),
                                 QString::number(down ? at.number + 1 : to),
                                 QString::number(down ? to : at.number - 1),
                                 down ? QStringLiteral("mniejsze") : QStringLiteral("większe"))};
        });
    });
}

int runDuplicate(const QStringList& arguments) {
    QCommandLineParser parser;
    return runOn(parser, arguments, QStringLiteral("tekstowki duplicate"), kDuplicateHelp,
                 [](const Target& at) {
                     const QString reason =
                         QStringLiteral("przed powieleniem sytuacji %1").arg(at.number);
                     return restructure(at.file, reason, [&at](ScenarioSnapshot& s) {
                         const std::int32_t copy =
                             duplicateSituation(s.rekordy, s.listy, at.number);
                         const auto nameOf = [&s](std::int32_t k) {
                             return quoted(s.rekordy[std::size_t(k)].Nazwa.text());
                         };
                         return Done{QStringLiteral("Skopiowano sytuację %1 %2 jako sytuację %3 "
                                                    "%4.")
                                         .arg(QString::number(at.number), nameOf(at.number),
                                              QString::number(copy), nameOf(copy))};
                     });
                 });
}
