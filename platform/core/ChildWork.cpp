#include "platform/core/ChildWork.h"

#include "platform/core/AppError.h"

#include <QDataStream>
#include <QIODevice>
#include <algorithm>
#include <cerrno>
#include <climits>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>
#include <utility>

namespace {

// The child's message: a tag, the outcome, then the work's bytes or the AppError's message.
constexpr quint32 kResultMagic = 0x4b495431; // "KIT1"
constexpr quint8 kResultDone = 0;
constexpr quint8 kResultError = 1;
constexpr QDataStream::Version kStreamVersion = QDataStream::Qt_6_4;
// Far above any result the kit asks a child for (a map of 1,000 situations is about 1 MB): a
// child that sends more has gone wrong.
constexpr qsizetype kMaxResult = qsizetype(256) * 1024 * 1024;

ChildWork::Fault injectedFault = ChildWork::Fault::None;

[[noreturn]] void childFailed(const QString& failure, const QString& why) {
    throw AppError(AppError::Other, QStringLiteral("%1: %2").arg(failure, why));
}

[[noreturn]] void systemFailed(const QString& failure, const char* call) {
    const int error = errno;
    childFailed(failure,
                QStringLiteral("%1 (%2)").arg(QString::fromLatin1(call),
                                              QString::fromLocal8Bit(std::strerror(error))));
}

// A file descriptor, closed when it goes.
class Fd {
public:
    explicit Fd(int fd = -1) : fd_(fd) {}
    ~Fd() { reset(); }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    int get() const { return fd_; }
    void reset() {
        if (fd_ >= 0)
            ::close(fd_);
        fd_ = -1;
    }

private:
    int fd_;
};

// The wait status of a child that has ended, waited for; nothing when waitpid fails.
std::optional<int> reap(pid_t pid) {
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0) {
        if (errno != EINTR)
            return std::nullopt;
    }
    return status;
}

// A running child: killed and reaped when it goes unless it was reaped already, so that no
// error path of the parent leaves a child running or a zombie behind.
class Child {
public:
    Child(pid_t pid, const QString& failure) : pid_(pid), failure_(failure) {}
    ~Child() {
        if (pid_ > 0) {
            ::kill(pid_, SIGKILL);
            reap(pid_);
        }
    }
    Child(const Child&) = delete;
    Child& operator=(const Child&) = delete;

    void kill() {
        const pid_t pid = std::exchange(pid_, -1);
        // A child that has just ended is still there to kill until it is reaped.
        if (::kill(pid, SIGKILL) != 0) {
            reap(pid);
            systemFailed(failure_, "kill");
        }
        if (!reap(pid))
            systemFailed(failure_, "waitpid");
    }
    int wait() {
        const std::optional<int> status = reap(std::exchange(pid_, -1));
        if (!status)
            systemFailed(failure_, "waitpid");
        return *status;
    }

private:
    pid_t pid_;
    const QString& failure_;
};

bool writeAll(int fd, const char* data, std::size_t size) {
    while (size > 0) {
        const ssize_t written = ::write(fd, data, size);
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        data += written;
        size -= std::size_t(written);
    }
    return true;
}

// The child's whole life: the result (or the error the work threw) to `fd`, then _exit().
[[noreturn]] void runChild(int fd, const std::function<QByteArray()>& work) noexcept {
    int status = 0;
    try {
        QByteArray out;
        QDataStream stream(&out, QIODevice::WriteOnly);
        stream.setVersion(kStreamVersion);
        QString error;
        QByteArray result;
        try {
            result = work();
        } catch (const AppError& thrown) {
            error = thrown.message();
        }
        if (error.isNull())
            stream << kResultMagic << kResultDone << result;
        else
            stream << kResultMagic << kResultError << error;
        switch (injectedFault) {
        case ChildWork::Fault::Exits:
            ::_exit(3);
        case ChildWork::Fault::Garbage:
            out = QByteArray(64, '\x7f');
            break;
        case ChildWork::Fault::Truncated:
            out.truncate(out.size() / 2);
            break;
        case ChildWork::Fault::None:
            break;
        }
        status = writeAll(fd, out.constData(), std::size_t(out.size())) ? 0 : 2;
    } catch (...) {
        // Out of memory, or any other failure that is no AppError: the exit status tells the
        // parent that the child failed.
        status = 4;
    }
    ::_exit(status);
}

// The work's bytes from a child's whole message; throws the child's own error, or on a
// malformed message.
QByteArray unpack(const QByteArray& received, const QString& failure) {
    QDataStream in(received);
    in.setVersion(kStreamVersion);
    quint32 magic = 0;
    quint8 outcome = 0;
    in >> magic >> outcome;
    QByteArray result;
    QString message;
    if (outcome == kResultError)
        in >> message;
    else
        in >> result;
    if (in.status() != QDataStream::Ok || !in.atEnd() || magic != kResultMagic ||
        (outcome != kResultDone && outcome != kResultError))
        childFailed(failure, QStringLiteral("proces pomocniczy zwrócił niepełny wynik"));
    if (outcome == kResultError)
        throw AppError(AppError::Other, message);
    return result;
}

} // namespace

namespace ChildWork {

std::optional<QByteArray> runWithin(std::chrono::milliseconds deadline,
                                    const std::function<QByteArray()>& work,
                                    const QString& failure) {
    using Clock = std::chrono::steady_clock;
    const Clock::time_point end = Clock::now() + deadline;
    int ends[2];
    if (::pipe2(ends, O_CLOEXEC) != 0)
        systemFailed(failure, "pipe2");
    Fd readEnd(ends[0]);
    Fd writeEnd(ends[1]);
    const pid_t parent = ::getpid();
    const pid_t pid = ::fork();
    if (pid < 0)
        systemFailed(failure, "fork");
    if (pid == 0) {
        // A child whose parent is gone is of no use: it ends with it (and, should the parent
        // have gone before this line, now).
        if (::prctl(PR_SET_PDEATHSIG, SIGKILL) != 0 || ::getppid() != parent)
            ::_exit(5);
        runChild(writeEnd.get(), work);
    }
    Child child(pid, failure);
    // The child's copy is now the only write end: the pipe ends when the child does.
    writeEnd.reset();

    QByteArray received;
    char buffer[65536];
    for (;;) {
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(end - Clock::now());
        if (left.count() <= 0) {
            child.kill();
            return std::nullopt;
        }
        pollfd waiting{readEnd.get(), POLLIN, 0};
        const int ready = ::poll(
            &waiting, 1, int(std::min<std::chrono::milliseconds::rep>(left.count(), INT_MAX)));
        if (ready < 0 && errno != EINTR)
            systemFailed(failure, "poll");
        if (ready <= 0)
            continue;
        const ssize_t got = ::read(readEnd.get(), buffer, sizeof buffer);
        if (got < 0) {
            if (errno == EINTR || errno == EAGAIN)
                continue;
            systemFailed(failure, "read");
        }
        if (got == 0)
            break;
        if (received.size() + got > kMaxResult)
            childFailed(failure, QStringLiteral("proces pomocniczy zwrócił za dużo danych"));
        received.append(buffer, qsizetype(got));
    }
    const int status = child.wait();
    if (WIFSIGNALED(status))
        childFailed(failure,
                    QStringLiteral("proces pomocniczy przerwał sygnał %1").arg(WTERMSIG(status)));
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
        childFailed(
            failure,
            QStringLiteral("proces pomocniczy zakończył się kodem %1").arg(WEXITSTATUS(status)));
    return unpack(received, failure);
}

void injectFault(Fault fault) {
    injectedFault = fault;
}

} // namespace ChildWork
