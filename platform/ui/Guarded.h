#pragma once
// The boundary of every event handler: an error abandons the rest of the handler's step and
// is shown in the standard error box; the event loop goes on.

#include "AppError.h"
#include "MessageBoxes.h"

#include <utility>

// Runs `step`; true when it ran to its end, false when an AppError stopped it (shown in `boxes`).
template <class Step> bool guarded(MessageBoxes& boxes, Step&& step) {
    try {
        std::forward<Step>(step)();
        return true;
    } catch (const AppError& error) {
        boxes.error(error);
        return false;
    }
}
