#pragma once
// The sound bar's buttons as the sound tests compare them.

#include "platform/ui/SoundControl.h"

#include <QPushButton>
#include <QString>

// The enabled buttons as "PSR": Play, Stop, Prev (R for rewind); "-" when disabled.
inline QString enabledButtons(const SoundControl& control) {
    QString s;
    s += control.playButton()->isEnabled() ? 'P' : '-';
    s += control.stopButton()->isEnabled() ? 'S' : '-';
    s += control.prevButton()->isEnabled() ? 'R' : '-';
    return s;
}
