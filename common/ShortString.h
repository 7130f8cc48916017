#pragma once
// The counted string of fixed capacity that the scenario files hold.

#include "common/Cp1250.h"

#include <QString>
#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>

// A counted string of fixed capacity N as the scenario files hold it: one
// length byte, then N bytes of which the first `length()` are Windows-1250
// characters. No terminating zero. Bytes past the length have no meaning
// but are kept, so a record read and written back is unchanged.
template <int N> struct ShortString {
    static_assert(N > 0 && N <= 255);
    static constexpr int Capacity = N;

    std::uint8_t len = 0;
    std::array<char, N> chars{};

    // The length in force: a length byte above the capacity reads as the capacity.
    int length() const { return std::min<int>(len, N); }
    bool isEmpty() const { return length() == 0; }
    const char* data() const { return chars.data(); }

    // Copy rule: takes the first min(L, N) bytes; the bytes past the new
    // length keep what they held.
    void assignBytes(const char* bytes, int length) {
        const int n = std::clamp(length, 0, N);
        if (n > 0)
            std::memcpy(chars.data(), bytes, static_cast<std::size_t>(n));
        len = static_cast<std::uint8_t>(n);
    }

    template <int M> void assign(const ShortString<M>& other) {
        assignBytes(other.data(), other.length());
    }

    // An ordinary string: cut to 255 characters, then to the capacity.
    void assign(const QString& text) {
        const QByteArray bytes = Cp1250::encode(text.left(255));
        assignBytes(bytes.constData(), static_cast<int>(bytes.size()));
    }

    QByteArray bytes() const { return QByteArray(data(), length()); }
    QString text() const { return Cp1250::decode(data(), length()); }
};

static_assert(sizeof(ShortString<20>) == 21);
static_assert(sizeof(ShortString<45>) == 46);
static_assert(sizeof(ShortString<250>) == 251);
static_assert(alignof(ShortString<20>) == 1);
