#pragma once
// The version store: every state of a scenario pair that the author's tools kept, under the
// user's data folder, so that a day's work can be looked at and brought back.

#include "common/ScenarioFiles.h"

#include <QDateTime>
#include <QString>
#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

// When a version was kept and what it holds.
struct VersionInfo {
    // Sortable and unique per scenario: the UTC time with milliseconds,
    // "2026-12-09T14-03-27.512", with "-2", "-3", ... when that millisecond was taken already.
    QString id;
    QDateTime time;              // UTC
    std::int64_t situations = 0; // whole situations of its situation file
    std::int64_t bytes = 0;      // both files together
    QString reason;              // why it was kept: a short Polish phrase given by the caller
};

// Keeps versions of scenario pairs in one folder per scenario under a root folder:
//
//   <root>/Zamek-1a2b3c4d/scenariusz.txt            the situation file's absolute path
//   <root>/Zamek-1a2b3c4d/2026-12-09T14-03-27.512/  one version: scenariusz.Kro,
//                                                   scenariusz.lis (a pair that opens as it is)
//                                                   and wersja.txt (time, counts, reason)
//
// A version is written whole into a staging folder and then renamed to its id, so that a crash
// leaves either the whole version or a staging folder that the next keep removes. The store
// only reads the scenario's files, never writes them.
class VersionStore {
public:
    // UTC now; tests give a fake one.
    using Clock = std::function<QDateTime()>;

    // The most bytes (both files of every version together) one scenario's versions may take
    // after a prune: 200 MiB holds some 400 versions of a scenario of a thousand situations,
    // and a day's work of a large one.
    static constexpr std::int64_t MaxBytesPerScenario = 200LL * 1024 * 1024;
    // How long every version is kept, and how long the newest version of each UTC day.
    static constexpr qint64 KeepAllSeconds = 48 * 3600;
    static constexpr qint64 KeepDailySeconds = 60 * 24 * 3600;

    // `root`: where the scenarios' folders live; no clock: the system's UTC time.
    explicit VersionStore(QString root, Clock clock = {},
                          std::int64_t maxBytesPerScenario = MaxBytesPerScenario);

    // $XDG_DATA_HOME/tekstowki/wersje (~/.local/share/tekstowki/wersje when it is not set).
    static QString defaultRoot();

    // How the author sees version `id`: its local time, "2026-12-09 15:03:27"; the id itself
    // when it is no id.
    static QString labelOf(const QString& id);

    // The scenario's own folder under the root: the situation file's name up to its first "."
    // (as listFilePath() cuts it), "-" and 8 hex digits of a hash of the file's absolute
    // canonical path, so that two scenarios of one name in two folders do not meet.
    QString folderOf(const QString& situationFilePath) const;

    // Keeps the pair as its files are now as a new version, all or nothing, unless it is byte
    // for byte the newest version already; then removes what a crash left behind and prunes.
    // Returns the version kept; nothing when the pair was kept already or a file of the pair
    // is not a regular file (none, a pipe, a link). Throws AppError (a Polish message naming the
    // path) when the pair cannot be read or the version cannot be written or pruned; the scenario's
    // files are never written.
    std::optional<VersionInfo> keep(const QString& situationFilePath, const QString& reason);

    // The scenario's whole versions, newest first; staging folders and damaged versions are
    // left out. Nothing when the scenario has no folder yet.
    std::vector<VersionInfo> list(const QString& situationFilePath) const;

    // Both files of version `id`. Throws AppError when there is no such whole version or its
    // files cannot be read.
    PairContent read(const QString& situationFilePath, const QString& id) const;

    // Brings version `id` back as the pair at `situationFilePath` with replaceScenario, all or
    // nothing, after keeping the pair as it is now as a version. Refused, with nothing
    // written, when there is no such version, when either path holds something other than a
    // regular file, when a save never finished, when the present cannot be kept, when the
    // version is not whole records, or when another program changes the pair meanwhile.
    // Returns the version brought back. Throws AppError.
    VersionInfo restore(const QString& situationFilePath, const QString& id);

    // Removes the versions the retention drops: every version of the last KeepAllSeconds is
    // kept; older ones, the newest of each UTC day among them while not older than
    // KeepDailySeconds; then the oldest go until the rest take at most the byte cap. The newest
    // version is always kept. Throws AppError when a removal fails.
    void prune(const QString& situationFilePath);

private:
    QString root_;
    Clock clock_;
    std::int64_t maxBytes_;
};
