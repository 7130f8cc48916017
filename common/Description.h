#pragma once
// A situation's description as both programs show it, and as the editor stores it again.

#include <QString>

namespace Description {

// What a lone CR shows as: the sign for a carriage return. The text widgets would break the
// line at a CR, but a lone CR is no line break.
inline constexpr char16_t LoneCr = u'\u240D';

// The stored description `stored` as shown: a CR LF pair and a lone LF are one line break
// ("\n"); a lone CR shows as LoneCr. The descriptions were written in an edit control where
// only CR LF breaks a line. Never fails.
QString shown(const QString& stored);
// A shown description as stored: a line break is CR LF, and LoneCr the CR it stands for, so
// that a description loaded and saved unchanged keeps its bytes (a lone LF becomes CR LF).
QString stored(const QString& shown);
// Bytes the shown description takes when stored (a line break counts 2).
int storedLength(const QString& shown);
// How many of the `added` characters that end at `end` of the shown description must go, from
// the last one back, for it to fit `capacity` stored bytes.
int overflow(const QString& shown, int end, int added, int capacity);

} // namespace Description
