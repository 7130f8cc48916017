#include "common/SaveJournal.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace {

constexpr char kTag[8] = {'T', 'K', 'J', 'O', 'U', 'R', 'N', '1'};
constexpr char kReplaceTag[8] = {'T', 'K', 'R', 'E', 'P', 'L', 'C', '1'};

std::uint64_t fnv1a(const char* bytes, qsizetype length) {
    std::uint64_t hash = 14695981039346656037ull;
    for (qsizetype i = 0; i < length; ++i) {
        hash ^= static_cast<unsigned char>(bytes[i]);
        hash *= 1099511628211ull;
    }
    return hash;
}

void put(QByteArray& out, std::uint64_t value, int bytes) {
    for (int i = 0; i < bytes; ++i)
        out.append(static_cast<char>((value >> (8 * i)) & 0xff));
}

std::uint64_t take(const QByteArray& in, qsizetype& at, int bytes) {
    std::uint64_t value = 0;
    for (int i = 0; i < bytes; ++i)
        value |= std::uint64_t(static_cast<unsigned char>(in[at + i])) << (8 * i);
    at += bytes;
    return value;
}

// Whether `bytes` are a whole journal of `size` bytes under `tag` whose checksum, over every
// byte before it, matches.
bool sealed(const QByteArray& bytes, int size, const char (&tag)[8]) {
    if (bytes.size() != size || std::memcmp(bytes.constData(), tag, sizeof tag) != 0)
        return false;
    qsizetype at = size - 8;
    return take(bytes, at, 8) == fnv1a(bytes.constData(), size - 8);
}

} // namespace

QString SaveJournal::pathFor(const QString& situationFilePath) {
    return situationFilePath + QStringLiteral("-journal");
}

QByteArray SaveJournal::encode() const {
    QByteArray out(kTag, sizeof kTag);
    put(out, static_cast<std::uint32_t>(k), 4);
    put(out, static_cast<std::uint64_t>(situationBytes), 8);
    put(out, static_cast<std::uint64_t>(listBytes), 8);
    put(out, static_cast<std::uint32_t>(situationHeld), 4);
    put(out, static_cast<std::uint32_t>(listHeld), 4);
    out.append(situation.data(), qsizetype(situation.size()));
    out.append(list.data(), qsizetype(list.size()));
    put(out, fnv1a(out.constData(), out.size()), 8);
    return out;
}

std::optional<SaveJournal> SaveJournal::decode(const QByteArray& bytes) {
    if (!sealed(bytes, Size, kTag))
        return std::nullopt;
    SaveJournal j;
    qsizetype at = sizeof kTag;
    j.k = static_cast<std::int32_t>(take(bytes, at, 4));
    j.situationBytes = static_cast<std::int64_t>(take(bytes, at, 8));
    j.listBytes = static_cast<std::int64_t>(take(bytes, at, 8));
    j.situationHeld = static_cast<int>(take(bytes, at, 4));
    j.listHeld = static_cast<int>(take(bytes, at, 4));
    if (j.k < 0 || j.situationBytes < 0 || j.listBytes < 0 || j.situationHeld < 0 ||
        j.situationHeld > TRekordKroku::Size || j.listHeld < 0 || j.listHeld > TRekordListy::Size)
        return std::nullopt;
    std::memcpy(j.situation.data(), bytes.constData() + at, j.situation.size());
    at += qsizetype(j.situation.size());
    std::memcpy(j.list.data(), bytes.constData() + at, j.list.size());
    return j;
}

bool SaveJournal::fits(std::int64_t situationNow, std::int64_t listNow,
                       std::int64_t maxSituations) const {
    const std::int64_t kro = TRekordKroku::Size;
    const std::int64_t lis = TRekordListy::Size;
    if (situationBytes > maxSituations * kro || listBytes > maxSituations * lis ||
        k > maxSituations)
        return false;
    // A save rewrites a situation the file holds or appends one at its end.
    if (k > (situationBytes + kro - 1) / kro)
        return false;
    const auto held = [](std::int64_t length, std::int64_t at, std::int64_t size) {
        return static_cast<int>(std::clamp<std::int64_t>(length - at * size, 0, size));
    };
    if (situationHeld != held(situationBytes, k, kro) || listHeld != held(listBytes, k, lis))
        return false;
    // A save in flight changes each file by at most the one record it writes.
    return std::abs(situationNow - situationBytes) <= kro && std::abs(listNow - listBytes) <= lis;
}

QByteArray ReplaceJournal::encode() const {
    QByteArray out(kReplaceTag, sizeof kReplaceTag);
    put(out, static_cast<std::uint64_t>(situationBytes), 8);
    put(out, static_cast<std::uint64_t>(listBytes), 8);
    put(out, fnv1a(out.constData(), out.size()), 8);
    return out;
}

std::optional<ReplaceJournal> ReplaceJournal::decode(const QByteArray& bytes) {
    if (!sealed(bytes, Size, kReplaceTag))
        return std::nullopt;
    ReplaceJournal j;
    qsizetype at = sizeof kReplaceTag;
    j.situationBytes = static_cast<std::int64_t>(take(bytes, at, 8));
    j.listBytes = static_cast<std::int64_t>(take(bytes, at, 8));
    if (j.situationBytes < 0 || j.listBytes < 0)
        return std::nullopt;
    return j;
}
