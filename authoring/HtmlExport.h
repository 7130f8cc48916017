#pragma once
// A scenario as one self-contained web page that plays it as the player does.

#include "authoring/ScenarioSnapshot.h"

#include <QByteArray>

// The scenario as one HTML page in UTF-8 that needs nothing outside itself: the situations as
// JSON in the page, each distinct picture file drawn into the picture box as the player draws
// it and embedded as PNG data, each distinct sound file embedded as WAV data, and the page's
// own script and style. A picture or sound the player would not find or would refuse is
// embedded as the message the player shows for it (a refusal stops the step, as the player's
// error does; the sound device's refusal for want of an audio output cannot be known here). A
// file larger than MediaFile::MaxBytes is refused so, naming the file, and is never read.
// Never fails: media that cannot be read become their messages.
QByteArray exportHtml(const ScenarioSnapshot& snapshot);
