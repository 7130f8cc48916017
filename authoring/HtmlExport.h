#pragma once
// A scenario as one self-contained web page that plays it as the player does.

#include "authoring/ScenarioSnapshot.h"

#include <QByteArray>
#include <QString>

// What the page says of itself: its title (the <title>, the heading) and its language (<html
// lang>). An empty title is the scenario file's name without its extension; an empty language
// is "pl". Both are escaped wherever the page holds them.
struct HtmlPageOptions {
    QString title;
    QString lang;
};

// Whether `tag` looks like a BCP 47 language tag: two or three letters, then any number of
// "-" and one to eight letters or digits ("pl", "en-GB", "sr-Latn-RS").
bool isLanguageTag(const QString& tag);

// The scenario as one HTML page in UTF-8 that needs nothing outside itself: the situations as
// JSON in the page, each distinct picture file drawn into the picture box as the player draws
// it and embedded as PNG data, each distinct sound file embedded as WAV data, and the page's
// own script and style. A picture or sound the player would not find or would refuse is
// embedded as the message the player shows for it (a refusal stops the step, as the player's
// error does; the sound device's refusal for want of an audio output cannot be known here). A
// file larger than MediaFile::MaxBytes is refused so, naming the file, and is never read.
// The data also holds `key`, the scenario's fingerprint (the first 16 hex digits of the
// SHA-256 of the situations' JSON), under which the page keeps a game to continue later.
// Never fails: media that cannot be read become their messages.
QByteArray exportHtml(const ScenarioSnapshot& snapshot, const HtmlPageOptions& options = {});

// The bytes of every page that are not the scenario's: the markup around it, the style and
// the script (without the title and the language, which are the caller's).
qsizetype htmlFixedPartSize();
