#pragma once
// The game model Game: one game of a scenario, step by step, without a window.

#include "common/ObEdKrok.h"
#include "common/Records.h"
#include "common/ScenarioFiles.h"
#include "platform/core/RecordFile.h"

#include <QString>
#include <array>
#include <cstdint>
#include <functional>

// One game of a scenario as the player plays it: the file pair open for reading only, the
// situation on screen, and which of the four choices can be taken. Each step reads one
// situation from the files and nothing is kept ahead, so a situation that the editor saved
// meanwhile shows at the next step.
//
// A step that fails throws AppError at the failing call and does none of what follows it; the
// state it leaves is given with each step. Whoever shows the game shows it through the `Show`
// given to a step; an AppError that `Show` throws ends the step in the same way.
class Game {
public:
    // Puts the situation just read on the screen (picture and sound included). It runs after
    // the situation has been read and before the choices are set by its type.
    using Show = std::function<void()>;

    explicit Game(RecordFileFactory& files);

    // A new game of the scenario whose situation file is at `path`: opens the pair for reading
    // only, reads situation 1, shows it and then offers choice 1 alone, whatever its type (a
    // Koniec situation 1 does not end the game). The game is no longer over from the moment it
    // is called. Failure: the open's or the read's AppError. A failed open leaves the number as
    // it was; a failed read leaves number 1 with both files open. Either way, and also when
    // `show` throws, the situation and the choices offered stay as the last game left them.
    void start(const QString& path, const Show& show = {});

    // A new game of the scenario at `path` that begins at situation `number`, as if a choice
    // of situation 1 had led there: the pair is opened for reading only, the situation is read
    // and shown, and the choices then offered follow its type as after a choice (a Koniec
    // situation ends the game; a type above 5 keeps the start's choice 1 alone). Number 1 is
    // exactly start(). Failure: as start(), the read's AppError being that of a choice ("Read
    // beyond end of file" past the end, "I/O error 131" for a negative number), after which
    // the number is `number` and both files stay open.
    void startAt(const QString& path, std::int32_t number, const Show& show = {});

    // Whether choice `n` (1 to 4) can be taken now.
    bool offers(int n) const;

    // Takes choice `n`: the number becomes that choice's target, the situation there is read
    // and shown, and the choices then offered follow its type: a Koniec situation ends the
    // game (nothing is offered), a type above 5 leaves the choices as they were. Returns
    // false, and changes nothing, for a choice that is not offered. Failure: the read's
    // AppError ("Read beyond end of file" past the end of either file, "I/O error 131" for a
    // negative target, "I/O error 103" with the pair not open), after which the number is the
    // failed target and the situation, its type and the choices are those of before. When
    // `show` throws, the situation read stays but the choices are not set and the end is not
    // reached.
    bool choose(int n, const Show& show = {});

    // Closes the situation file, then the list file. Failure: the first file that is not open
    // throws "I/O error 103" and what follows it is not done.
    void close();
    // Closes each file of the pair that is open, the situation file first; with none open it
    // does nothing. Failure: the failing close's AppError.
    void closeOpen();

    // The situation read last; empty (empty texts, every target 0) before the first read.
    const TKrok& situation() const { return krok_; }
    // The number of the situation a step went to last, whether or not it could be read.
    std::int32_t number() const { return number_; }
    // The type byte of the situation read last.
    std::uint8_t type() const { return lista_.Typ; }
    // Which of the choices 1 to 4 can be taken; all four before the first game.
    const std::array<bool, 4>& choicesOffered() const { return offered_; }
    // Whether the game has reached a Koniec situation through a choice.
    bool isOver() const { return over_; }

    // The picture and the sound to show with the situation; empty when it has none.
    QString pictureName() const { return krok_.Bmp.text(); }
    QString soundName() const { return krok_.Wav.text(); }
    // The situation's description with its line breaks as shown (Description::shown).
    QString description() const;

private:
    // Reads the situation at the current number into the situation object and shows it.
    void readSituation(const Show& show);
    // Sets the choices offered and the end by the type of the situation just reached.
    void followType();

    ScenarioPair pair_;
    std::int32_t number_ = 0;
    TRekordKroku rekord_;
    TRekordListy lista_;
    TKrok krok_;
    std::array<bool, 4> offered_{true, true, true, true};
    bool over_ = false;
};
