#pragma once
// The boundary of every event handler: an error ends the step and shows the standard error box.

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
