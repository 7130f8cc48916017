#pragma once
// The check of a WAV file's headers before it is played.

#include <QString>

class QIODevice;

// A look at a WAV file's headers before the sound device is given the file,
// so that a file it cannot play is refused at once instead of failing later
// inside the media back end.
namespace WavHeader {

// True when `device` (positioned at its start) holds a RIFF "WAVE" file whose
// "fmt " chunk describes PCM or floating-point samples and which has a "data"
// chunk after it; chunks in between are skipped. False for anything else,
// including headers cut short.
bool isPlayable(QIODevice& device);

// The same for the file at `path`; false when it cannot be read.
bool isPlayableFile(const QString& path);

// Why the sound device refuses the file at `path` before it plays a sample, by the rules that
// need no device: a device chosen by the file name takes a ".wav" name alone (any letter
// case); the file must be there and isPlayableFile.
enum class Refusal { None, NotWavName, NotAFile, NotPlayable };
Refusal refusal(const QString& path, bool chosenByName);
// The sound device's error text for a refusal (empty for None).
QString refusalText(Refusal refusal);

} // namespace WavHeader
