#pragma once
// When the editor keeps a version of the scenario it has open: before the first change of an
// editing session, then at most every ten minutes of saves, and before every change of the
// whole scenario. A version that cannot be kept never stops the save; the author is told once.

#include <QDateTime>
#include <QString>
#include <functional>
#include <optional>

class VersionSchedule {
public:
    // Keeps the pair at `path` as it is now as a version, for `reason`; throws AppError when
    // it cannot.
    using Keep = std::function<void(const QString& path, const QString& reason)>;
    // UTC now; tests give a fake one.
    using Clock = std::function<QDateTime()>;

    // How long saves go on after a version before the next one is kept.
    static constexpr qint64 EverySeconds = 10 * 60;
    static const QString FailedMessage;

    // Keeps nothing.
    VersionSchedule() = default;
    // No clock: the system's UTC time.
    explicit VersionSchedule(Keep keep, Clock clock = {});

    // Another scenario is open: a new editing session, whose first change keeps a version.
    void startSession();
    // Before a save of one situation, or its undo or redo: a version when this session has
    // kept none yet or its last one is EverySeconds old.
    // Each returns what to tell the author: the first failure of a session, else nothing.
    std::optional<QString> beforeSave(const QString& path);
    // Before a change of the whole scenario (a restore among them): always a version.
    std::optional<QString> beforeRewrite(const QString& path, const QString& reason);

private:
    std::optional<QString> take(const QString& path, const QString& reason);

    Keep keep_;
    Clock clock_;
    // When this session last tried to keep a version; a failed try counts, so that a version
    // folder that cannot be written costs one try per ten minutes, not one per save.
    std::optional<QDateTime> last_;
    bool told_ = false;
};
