#pragma once
// The boundary of every event handler: an error ends the step and shows the standard error box.

#include "platform/core/AppError.h"
#include "platform/core/LockWait.h"
#include "platform/ui/MessageBoxes.h"

#include <QGuiApplication>
#include <exception>
#include <new>
#include <utility>

// A busy cursor while the action waits for another program's lock on a scenario file.
inline void showLockWait(bool waiting) {
    if (waiting)
        QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    else
        QGuiApplication::restoreOverrideCursor();
}

// Runs `step` as one user action; true when it ran to its end, false when an error stopped it
// (shown in `boxes`). No exception of any kind goes past this boundary into the event loop.
template <class Step> bool guarded(MessageBoxes& boxes, Step&& step) {
    const LockWait::Action action(showLockWait);
    try {
        std::forward<Step>(step)();
        return true;
    } catch (const AppError& error) {
        boxes.error(error);
    } catch (const std::bad_alloc&) {
        boxes.error(AppError(AppError::Other, QStringLiteral("Out of memory")));
    } catch (const std::exception& error) {
        boxes.error(AppError(AppError::Other, QString::fromLocal8Bit(error.what())));
    }
    return false;
}
