#pragma once
// The player's command line PlayerCommandLine: the scenario to choose, the situation to begin at.

#include <QString>
#include <QStringList>
#include <cstdint>
#include <optional>

// What `Zozozarov [PLIK.Kro] [--from N]` asks for, read without starting anything, so that the
// program and the tests take it the same way.
struct PlayerCommandLine {
    enum class Action {
        Play,    // the windows come up as the rest says
        Help,    // print helpText() and end
        Version, // print versionText() and end
    };

    Action action = Action::Play;
    // The scenario to choose, an absolute path (a relative one is taken from the current
    // folder); empty when none was given.
    QString scenario;
    // The situation the game begins at; set only with a scenario and no usage error.
    std::optional<std::int32_t> from;
    // What was wrong with the arguments, in Polish, for a message box; empty when nothing was.
    // What could be used (a single scenario) is still given.
    QString error;

    // Reads the program's arguments, the program's own name first. Never fails: a wrong
    // argument is an `error`.
    static PlayerCommandLine read(const QStringList& arguments);

    static QString helpText();
    static QString versionText();
};
