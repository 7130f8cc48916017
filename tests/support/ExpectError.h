#pragma once
// The check that a step fails with one AppError.

#include <QString>
#include <functional>

// Runs `step` and fails the running test (at the caller's line) unless it
// throws an AppError with exactly this code and message.
void expectError(int code, const QString& message, const std::function<void()>& step,
                 const char* file = __builtin_FILE(), int line = __builtin_LINE());
