#pragma once
// Where a situation's picture and sound files are found.

#include <QMetaType>
#include <QString>
#include <cstdint>

// What a media file is: a situation's picture or its sound.
enum class MediaKind : std::uint8_t { Pictures = 0, Sounds = 1 };
Q_DECLARE_METATYPE(MediaKind)

// Where a situation's picture and sound live: under "Obrazki/" and
// "Dzwieki/" of the scenario folder (the folder prefix, which ends in "/"
// or is empty for the current folder).
namespace MediaFiles {

inline const QString PictureFolder = QStringLiteral("Obrazki/");
inline const QString SoundFolder = QStringLiteral("Dzwieki/");
// The file patterns of each folder (matched without regard to letter case).
inline const QString PictureMask = QStringLiteral("*.bmp");
inline const QString SoundMask = QStringLiteral("*.WAV");
// What the editor shows where a situation has no picture or no sound.
inline const QString NoPictureCaption = QStringLiteral("?.BMP");
inline const QString NoSoundCaption = QStringLiteral("?.WAV");

// The folder (prefix + media folder) and the pattern of the files of a kind.
QString folderOf(MediaKind kind, const QString& prefix);
QString maskOf(MediaKind kind);

// The paths as the names are written: prefix + folder + name.
QString picturePath(const QString& prefix, const QString& name);
QString soundPath(const QString& prefix, const QString& name);

// The file a stored name stands for, or an empty string when there is none:
// the exact path first, then a file of the same name in another letter case
// in the media folder (scenarios made on Windows). A name that holds a
// directory separator, or is "." or "..", never names a file.
QString findPicture(const QString& prefix, const QString& name);
QString findSound(const QString& prefix, const QString& name);

} // namespace MediaFiles
