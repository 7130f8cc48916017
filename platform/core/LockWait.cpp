#include "platform/core/LockWait.h"

namespace LockWait {

namespace {
// Both programs run their actions on one thread; the tests' helper threads take no locks.
struct Budgeted {
    bool active = false;
    Clock::duration left{};
    Clock::time_point waitStart{};
    std::function<void(bool)> onWaiting;
};
thread_local Budgeted current;
} // namespace

Action::Action(std::function<void(bool)> waiting) : outer_(!current.active) {
    if (!outer_)
        return;
    current.active = true;
    current.left = Budget;
    current.onWaiting = std::move(waiting);
}

Action::~Action() {
    if (outer_)
        current = Budgeted{};
}

Clock::duration remaining() {
    return current.active ? current.left : Clock::duration(Budget);
}

void waiting(bool on) {
    if (on) {
        current.waitStart = Clock::now();
    } else if (current.active) {
        current.left -= Clock::now() - current.waitStart;
        if (current.left < Clock::duration::zero())
            current.left = Clock::duration::zero();
    }
    if (current.onWaiting)
        current.onWaiting(on);
}

} // namespace LockWait
