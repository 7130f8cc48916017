#pragma once
// Work done in a child process under a deadline, so that work that might never end can be stopped.

#include <QByteArray>
#include <QString>
#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>

// Runs a computation in a child process: a copy of this process made by fork(), which computes
// on its copy of the data, sends its bytes back through a pipe and ends with _exit(), so that
// it never runs this process's exit handlers, flushes its stdio buffers or returns into an
// event loop. The work may use values and QtCore containers only, no window and no event loop.
// POSIX only.
namespace ChildWork {

// The bytes that `work` returns, computed in a child; nothing when the deadline passed first,
// the child then killed and reaped. An AppError that `work` throws comes back with its message.
// A child that fails otherwise (killed by a signal, an exit status, a result cut short or
// malformed, a failed system call) throws AppError(Other, "<failure>: <why>"). No child is
// left running or unreaped, whatever happens; a child ends with its parent.
std::optional<QByteArray> runWithin(std::chrono::milliseconds deadline,
                                    const std::function<QByteArray()>& work,
                                    const QString& failure);

// For the tests of the parent's side: every child started afterwards fails this way instead
// of sending its result.
enum class Fault : std::uint8_t {
    None,
    Exits,     // ends with exit status 3 and sends nothing
    Garbage,   // sends bytes that are no result and ends as if it succeeded
    Truncated, // sends the first half of its result and ends as if it succeeded
};
void injectFault(Fault fault);

} // namespace ChildWork
