#pragma once
// How long one user action may wait for other programs' locks on the scenario files.

#include <chrono>
#include <functional>

// Another program may hold a scenario file's lock for a moment (a player reading a step) or
// for ever (a program that hung). One user action waits at most Budget for locks in all:
// once a wait has given up, the later locks of the same action do not wait again.
namespace LockWait {

using Clock = std::chrono::steady_clock;
inline constexpr std::chrono::milliseconds Budget{2000};

// The budget of one user action, from its start to its end; an action inside another shares
// the outer one's. `waiting` is told when a wait starts (true) and ends (false), so that the
// windows can show a busy cursor.
class Action {
public:
    explicit Action(std::function<void(bool)> waiting = {});
    ~Action();
    Action(const Action&) = delete;
    Action& operator=(const Action&) = delete;

private:
    bool outer_;
};

// What is left of the current action's budget (all of it outside any action).
Clock::duration remaining();
// A wait for a lock starts (true) or ends (false); the end takes its time off the budget.
void waiting(bool on);

} // namespace LockWait
