#include "editor/model/VersionSchedule.h"

#include "platform/core/AppError.h"

const QString VersionSchedule::FailedMessage =
    QStringLiteral("%1\n\nScenariusz jest zapisywany dalej, ale w „Historii” nie przybywa jego "
                   "wersji.");

VersionSchedule::VersionSchedule(Keep keep, Clock clock)
    : keep_(std::move(keep)), clock_(std::move(clock)) {
    if (!clock_)
        clock_ = [] { return QDateTime::currentDateTimeUtc(); };
}

void VersionSchedule::startSession() {
    last_.reset();
    told_ = false;
}

std::optional<QString> VersionSchedule::beforeSave(const QString& path) {
    if (!keep_)
        return std::nullopt;
    if (!last_)
        return take(path, QStringLiteral("przed pierwszą zmianą w edytorze"));
    if (last_->secsTo(clock_()) >= EverySeconds)
        return take(path, QStringLiteral("w trakcie pracy w edytorze"));
    return std::nullopt;
}

std::optional<QString> VersionSchedule::beforeRewrite(const QString& path, const QString& reason) {
    if (!keep_)
        return std::nullopt;
    return take(path, reason);
}

std::optional<QString> VersionSchedule::take(const QString& path, const QString& reason) {
    last_ = clock_();
    try {
        keep_(path, reason);
    } catch (const AppError& e) {
        if (told_)
            return std::nullopt;
        told_ = true;
        return FailedMessage.arg(e.message());
    }
    return std::nullopt;
}
