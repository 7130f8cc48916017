#include "authoring/VersionStore.h"

#include "authoring/ScenarioSnapshot.h"
#include "common/Records.h"
#include "platform/core/AppError.h"
#include "platform/core/OutputFiles.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStandardPaths>
#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <limits>
#include <map>
#include <unistd.h>

namespace {

const QString PathFileName = QStringLiteral("scenariusz.txt");
const QString SituationsName = QStringLiteral("scenariusz.Kro");
const QString ListName = QStringLiteral("scenariusz.lis");
const QString InfoName = QStringLiteral("wersja.txt");
const QString StagingPrefix = QStringLiteral("tymczasowa-");
const QString IdFormat = QStringLiteral("yyyy-MM-ddTHH-mm-ss.zzz");

// An id: the time, then the number of the version in that millisecond (1 without a suffix).
struct IdParts {
    QDateTime time;
    int number = 1;
};

std::optional<IdParts> parseId(const QString& id) {
    static const QRegularExpression pattern(
        QStringLiteral(R"(^(\d{4}-\d\d-\d\dT\d\d-\d\d-\d\d\.\d{3})(?:-([2-9]|[1-9]\d{1,8}))?$)"));
    const QRegularExpressionMatch match = pattern.match(id);
    if (!match.hasMatch())
        return std::nullopt;
    // Date and time apart: read as one, the fields would be taken as local time, which a
    // change to summer time leaves out an hour of.
    const QString text = match.captured(1);
    const QDate date = QDate::fromString(text.left(10), QStringLiteral("yyyy-MM-dd"));
    const QTime clock = QTime::fromString(text.mid(11), QStringLiteral("HH-mm-ss.zzz"));
    const QDateTime time(date, clock, Qt::UTC);
    if (!time.isValid())
        return std::nullopt;
    return IdParts{time, match.hasCaptured(2) ? match.captured(2).toInt() : 1};
}

[[noreturn]] void cannotMake(const QString& folder) {
    throw AppError(AppError::Other, QStringLiteral("%1: nie można utworzyć folderu").arg(folder));
}

// The whole file at `path`; nothing when there is no file there. Throws AppError.
std::optional<QByteArray> readWhole(const QString& path) {
    QFile file(path);
    if (!file.exists())
        return std::nullopt;
    if (!file.open(QIODevice::ReadOnly))
        throw AppError(
            AppError::Other,
            QStringLiteral("Nie można odczytać pliku %1: %2").arg(path, file.errorString()));
    // Into large pages where the system offers them: the first touch of tens of megabytes of
    // small pages costs more than reading them.
    QByteArray bytes = largeBuffer(file.size());
    const qint64 got = file.read(bytes.data(), bytes.size());
    if (got >= 0 && got < bytes.size())
        bytes.truncate(got);
    if (got < 0 || file.error() != QFileDevice::NoError)
        throw AppError(
            AppError::Other,
            QStringLiteral("Nie można odczytać pliku %1: %2").arg(path, file.errorString()));
    return bytes;
}

QByteArray infoText(const VersionInfo& info) {
    QString reason = info.reason;
    reason.replace(QLatin1Char('\n'), QLatin1Char(' '));
    return QStringLiteral("czas=%1\nsytuacje=%2\nbajty=%3\npowod=%4\n")
        .arg(info.time.toString(Qt::ISODateWithMs))
        .arg(info.situations)
        .arg(info.bytes)
        .arg(reason)
        .toUtf8();
}

// The version in folder `dir` named `id`, when it is whole: its info file reads and both files
// are there with the lengths it gives.
std::optional<VersionInfo> readVersion(const QString& dir, const QString& id) {
    const std::optional<IdParts> parts = parseId(id);
    if (!parts)
        return std::nullopt;
    QFile file(dir + QLatin1Char('/') + InfoName);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    std::map<QString, QString> fields;
    for (const QString& line : QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'))) {
        const qsizetype eq = line.indexOf(QLatin1Char('='));
        if (eq > 0)
            fields[line.left(eq)] = line.mid(eq + 1);
    }
    VersionInfo info;
    info.id = id;
    info.time = parts->time;
    bool situationsOk = false;
    bool bytesOk = false;
    info.situations = fields[QStringLiteral("sytuacje")].toLongLong(&situationsOk);
    info.bytes = fields[QStringLiteral("bajty")].toLongLong(&bytesOk);
    info.reason = fields[QStringLiteral("powod")];
    const QFileInfo kro(dir + QLatin1Char('/') + SituationsName);
    const QFileInfo lis(dir + QLatin1Char('/') + ListName);
    if (!situationsOk || !bytesOk || !kro.isFile() || !lis.isFile() ||
        kro.size() + lis.size() != info.bytes)
        return std::nullopt;
    return info;
}

bool newerFirst(const VersionInfo& a, const VersionInfo& b) {
    const IdParts pa = *parseId(a.id);
    const IdParts pb = *parseId(b.id);
    return pa.time != pb.time ? pa.time > pb.time : pa.number > pb.number;
}

// Removes `path` and, when it is a folder, all it holds. Throws AppError.
void removeAll(const QString& path) {
    const QFileInfo info(path);
    if (info.isDir() && !info.isSymLink()) {
        const QDir dir(path);
        for (const QString& name :
             dir.entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot))
            removeAll(dir.filePath(name));
        if (::rmdir(QFile::encodeName(path).constData()) != 0)
            throw AppError(AppError::Other,
                           QStringLiteral("Nie można usunąć folderu %1: %2")
                               .arg(path, QString::fromLocal8Bit(std::strerror(errno))));
        return;
    }
    OutputFiles::removeEntry(path);
}

// Whether a staging folder is another running program's keep in progress: its name carries
// the process id of the program that writes it.
bool stagingInProgress(const QString& name) {
    bool ok = false;
    const qint64 pid =
        name.mid(StagingPrefix.size()).section(QLatin1Char('-'), 0, 0).toLongLong(&ok);
    if (!ok || pid <= 0 || pid == ::getpid() || pid > std::numeric_limits<pid_t>::max())
        return false;
    return ::kill(static_cast<pid_t>(pid), 0) == 0 || errno != ESRCH;
}

} // namespace

VersionStore::VersionStore(QString root, Clock clock, std::int64_t maxBytesPerScenario)
    : root_(std::move(root)), clock_(std::move(clock)), maxBytes_(maxBytesPerScenario) {
    if (!clock_)
        clock_ = [] { return QDateTime::currentDateTimeUtc(); };
}

QString VersionStore::defaultRoot() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
           QStringLiteral("/tekstowki/wersje");
}

QString VersionStore::labelOf(const QString& id) {
    const std::optional<IdParts> parts = parseId(id);
    return parts ? parts->time.toLocalTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")) : id;
}

QString VersionStore::folderOf(const QString& situationFilePath) const {
    const QFileInfo info(situationFilePath);
    QString canonical = info.canonicalFilePath();
    if (canonical.isEmpty())
        canonical = QDir::cleanPath(info.absoluteFilePath());
    QString stem = info.fileName().section(QLatin1Char('.'), 0, 0).left(64);
    if (stem.isEmpty())
        stem = QStringLiteral("scenariusz");
    const QByteArray hash =
        QCryptographicHash::hash(canonical.toUtf8(), QCryptographicHash::Sha256).left(4).toHex();
    return root_ + QLatin1Char('/') + stem + QLatin1Char('-') + QString::fromLatin1(hash);
}

std::optional<VersionInfo> VersionStore::keep(const QString& situationFilePath,
                                              const QString& reason) {
    // Only a pair of regular files is kept: a pipe at either path would hold the read up for
    // ever, and no program of the kit writes through anything else.
    for (const QString& path : {situationFilePath, listFilePath(situationFilePath)}) {
        if (OutputFiles::kindAt(path) != OutputFiles::Kind::RegularFile)
            return std::nullopt;
    }
    const std::optional<QByteArray> situations = readWhole(situationFilePath);
    const std::optional<QByteArray> listBytes = readWhole(listFilePath(situationFilePath));
    if (!situations || !listBytes)
        return std::nullopt;

    const QString folder = folderOf(situationFilePath);
    const std::vector<VersionInfo> versions = list(situationFilePath);
    if (!versions.empty()) {
        const QString newest = folder + QLatin1Char('/') + versions.front().id + QLatin1Char('/');
        if (fileHoldsExactly(newest + SituationsName, *situations) &&
            fileHoldsExactly(newest + ListName, *listBytes))
            return std::nullopt;
    }

    VersionInfo info;
    info.time = clock_().toUTC();
    info.situations = situations->size() / TRekordKroku::Size;
    info.bytes = situations->size() + listBytes->size();
    info.reason = reason;
    const QString base = info.time.toString(IdFormat);
    info.id = base;
    for (int n = 2; QFileInfo::exists(folder + QLatin1Char('/') + info.id); ++n)
        info.id = base + QStringLiteral("-%1").arg(n);

    const QString staging = folder + QLatin1Char('/') + StagingPrefix +
                            QString::number(::getpid()) + QLatin1Char('-') + info.id;
    try {
        // The file naming the scenario is written last, so that a folder without it is made
        // again.
        if (!QFileInfo::exists(folder + QLatin1Char('/') + PathFileName)) {
            if (!QDir().mkpath(folder))
                cannotMake(folder);
            OutputFiles::writeNew(
                folder + QLatin1Char('/') + PathFileName,
                (QFileInfo(situationFilePath).absoluteFilePath() + QLatin1Char('\n')).toUtf8());
            OutputFiles::syncFolder(folder);
            OutputFiles::syncFolder(root_);
        }
        if (!QDir().mkdir(staging))
            cannotMake(staging);
        try {
            OutputFiles::writeNew(staging + QLatin1Char('/') + SituationsName, *situations);
            OutputFiles::writeNew(staging + QLatin1Char('/') + ListName, *listBytes);
            OutputFiles::writeNew(staging + QLatin1Char('/') + InfoName, infoText(info));
            OutputFiles::syncFolder(staging);
            OutputFiles::renameOver(staging, folder + QLatin1Char('/') + info.id);
        } catch (const AppError&) {
            try {
                removeAll(staging);
            } catch (const AppError&) {
                // The next keep removes what is left.
            }
            throw;
        }
        OutputFiles::syncFolder(folder);
    } catch (const AppError& e) {
        throw AppError(AppError::Other,
                       QStringLiteral("Nie można zachować wersji scenariusza %1\n%2")
                           .arg(situationFilePath, e.message()));
    }

    // What a crash left: staging folders of no running keep, versions that are not whole.
    const QDir dir(folder);
    for (const QString& name : dir.entryList(QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden)) {
        const bool leftover = name.startsWith(StagingPrefix)
                                  ? !stagingInProgress(name)
                                  : parseId(name) && !readVersion(dir.filePath(name), name);
        if (leftover)
            removeAll(dir.filePath(name));
    }
    prune(situationFilePath);
    return info;
}

std::vector<VersionInfo> VersionStore::list(const QString& situationFilePath) const {
    const QDir dir(folderOf(situationFilePath));
    std::vector<VersionInfo> versions;
    for (const QString& name : dir.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        if (std::optional<VersionInfo> info = readVersion(dir.filePath(name), name))
            versions.push_back(std::move(*info));
    }
    std::sort(versions.begin(), versions.end(), newerFirst);
    return versions;
}

PairContent VersionStore::read(const QString& situationFilePath, const QString& id) const {
    const QString dir = folderOf(situationFilePath) + QLatin1Char('/') + id;
    if (!readVersion(dir, id))
        throw AppError(AppError::Other, QStringLiteral("Nie ma wersji %1").arg(dir));
    const std::optional<QByteArray> situations = readWhole(dir + QLatin1Char('/') + SituationsName);
    const std::optional<QByteArray> list = readWhole(dir + QLatin1Char('/') + ListName);
    if (!situations || !list)
        throw AppError(AppError::Other, QStringLiteral("Nie ma wersji %1").arg(dir));
    return PairContent{*situations, *list};
}

VersionInfo VersionStore::restore(const QString& situationFilePath, const QString& id) {
    const std::vector<VersionInfo> versions = list(situationFilePath);
    const auto found = std::find_if(versions.begin(), versions.end(),
                                    [&](const VersionInfo& v) { return v.id == id; });
    if (found == versions.end())
        throw AppError(AppError::Other,
                       QStringLiteral("%1: nie ma wersji „%2”").arg(situationFilePath, id));
    // What the replace would refuse is refused before anything is read or kept.
    refuseUnreplaceable(situationFilePath);
    const QString lis = listFilePath(situationFilePath);
    const PairContent version = read(situationFilePath, id);
    // Read before it is kept: a change in between makes the replace refuse rather than pass
    // unkept.
    const std::optional<QByteArray> situations = readWhole(situationFilePath);
    const std::optional<QByteArray> listBytes = readWhole(lis);
    try {
        keep(situationFilePath, QStringLiteral("przed przywróceniem wersji %1").arg(labelOf(id)));
    } catch (const AppError& e) {
        throw AppError(AppError::Other,
                       QStringLiteral("%1: nie zachowano obecnego stanu scenariusza, więc nic nie "
                                      "zmieniono\n%2")
                           .arg(situationFilePath, e.message()));
    }
    const PairContent present{situations.value_or(QByteArray()), listBytes.value_or(QByteArray())};
    replaceScenario(situationFilePath, version.situations, version.list,
                    situations && listBytes ? &present : nullptr);
    return *found;
}

void VersionStore::prune(const QString& situationFilePath) {
    const std::vector<VersionInfo> versions = list(situationFilePath);
    if (versions.empty())
        return;
    const QDateTime now = clock_().toUTC();
    std::vector<VersionInfo> kept{versions.front()};
    QDate lastDay; // the UTC day of the last old version kept; newest first, so one a day
    for (std::size_t i = 1; i < versions.size(); ++i) {
        const VersionInfo& v = versions[i];
        const qint64 age = v.time.secsTo(now);
        if (age <= KeepAllSeconds) {
            kept.push_back(v);
        } else if (age <= KeepDailySeconds && v.time.date() != lastDay) {
            kept.push_back(v);
            lastDay = v.time.date();
        }
    }
    std::int64_t total = 0;
    for (const VersionInfo& v : kept)
        total += v.bytes;
    while (total > maxBytes_ && kept.size() > 1) {
        total -= kept.back().bytes;
        kept.pop_back();
    }

    const QString folder = folderOf(situationFilePath);
    bool removed = false;
    for (const VersionInfo& v : versions) {
        const bool keepIt = std::any_of(kept.begin(), kept.end(),
                                        [&](const VersionInfo& k) { return k.id == v.id; });
        if (keepIt)
            continue;
        // Renamed first, so that a crash half way leaves a staging folder, never a version
        // with some of its files gone.
        const QString doomed = folder + QLatin1Char('/') + StagingPrefix +
                               QString::number(::getpid()) + QStringLiteral("-usuwana-") + v.id;
        OutputFiles::renameOver(folder + QLatin1Char('/') + v.id, doomed);
        removeAll(doomed);
        removed = true;
    }
    if (removed)
        OutputFiles::syncFolder(folder);
}
