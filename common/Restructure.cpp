#include "common/Restructure.h"

#include "common/ScenarioFiles.h"
#include "platform/core/AppError.h"

#include <QSet>
#include <algorithm>
#include <array>
#include <type_traits>

namespace {

[[noreturn]] void refuse(const QString& message) {
    throw AppError(AppError::Other, message);
}

// The number of situations, after checking that both files hold a record for each.
std::int32_t countOf(const std::vector<TRekordKroku>& rekordy,
                     const std::vector<TRekordListy>& listy) {
    if (rekordy.size() != listy.size())
        refuse(QStringLiteral("plik sytuacji ma %1 rekordów, a plik listy %2")
                   .arg(rekordy.size())
                   .arg(listy.size()));
    return static_cast<std::int32_t>(rekordy.size());
}

void requireSituation(std::int32_t n, std::int32_t count) {
    if (n < 0 || n >= count)
        refuse(QStringLiteral("nie ma sytuacji %1; scenariusz ma sytuacje od 0 do %2")
                   .arg(n)
                   .arg(count - 1));
}

// Refuses n when it is not a situation that may be deleted or moved (`verb`, "usunąć").
void requireMovable(std::int32_t n, std::int32_t count, const QString& verb) {
    requireSituation(n, count);
    if (n == 0)
        refuse(QStringLiteral("sytuacja 0 to domyślny koniec gry; nie można jej %1").arg(verb));
    if (n == 1)
        refuse(QStringLiteral("sytuacja 1 to początek gry; nie można jej %1").arg(verb));
}

std::array<LeInt32*, 4> targetsOf(TRekordKroku& rekord) {
    return {&rekord.Krok_Wybrany1, &rekord.Krok_Wybrany2, &rekord.Krok_Wybrany3,
            &rekord.Krok_Wybrany4};
}

// Replaces every target that is a situation (0 <= t < count) by number(t); returns how many
// roads of situations other than `skip` led to `counted` before.
template <typename Number>
int renumber(std::vector<TRekordKroku>& rekordy, std::int32_t count, Number number,
             std::int32_t counted = -1, std::int32_t skip = -1) {
    int found = 0;
    for (std::int32_t k = 0; k < count; ++k) {
        for (LeInt32* target : targetsOf(rekordy[std::size_t(k)])) {
            const std::int32_t t = target->get();
            found += t == counted && k != skip ? 1 : 0;
            if (t >= 0 && t < count)
                target->set(number(t));
        }
    }
    return found;
}

// Moves the record at `n` to `to`, those between one place towards n's old place: one copy of
// the block between instead of a swap for every record (a record is hundreds of bytes).
template <typename Record>
void moveRecord(std::vector<Record>& records, std::size_t n, std::size_t to) {
    static_assert(std::is_trivially_copyable_v<Record>);
    if (n == to)
        return;
    const Record moved = records[n];
    if (n < to)
        std::copy(records.begin() + std::ptrdiff_t(n) + 1, records.begin() + std::ptrdiff_t(to) + 1,
                  records.begin() + std::ptrdiff_t(n));
    else
        std::copy_backward(records.begin() + std::ptrdiff_t(to),
                           records.begin() + std::ptrdiff_t(n),
                           records.begin() + std::ptrdiff_t(n) + 1);
    records[to] = moved;
}

// The first "<name> <k>" from k = 2 on that no situation is called, ignoring letter case.
QByteArray freeCopyName(const std::vector<TRekordKroku>& rekordy,
                        const std::vector<TRekordListy>& listy, const QByteArray& name) {
    // Every candidate ends in a digit, and only a name ending in a digit folds to one: the
    // others (in most scenarios all) are not decoded at all.
    QSet<QString> taken;
    const auto take = [&taken](const auto& nazwa) {
        const int length = nazwa.length();
        if (length > 0 && nazwa.data()[length - 1] >= '0' && nazwa.data()[length - 1] <= '9')
            taken.insert(nazwa.text().toCaseFolded());
    };
    for (const TRekordKroku& rekord : rekordy)
        take(rekord.Nazwa);
    for (const TRekordListy& lista : listy)
        take(lista.Nazwa);
    for (int k = 2;; ++k) {
        const QByteArray suffix = ' ' + QByteArray::number(k);
        // Windows-1250 spends one byte on each character: the cut counts characters.
        QByteArray base = name.left(ShortString<20>::Capacity - suffix.size());
        while (base.endsWith(' '))
            base.chop(1);
        const QByteArray candidate = base + suffix;
        if (!taken.contains(Cp1250::decode(candidate).toCaseFolded()))
            return candidate;
    }
}

} // namespace

DeletedSituation deleteSituation(std::vector<TRekordKroku>& rekordy,
                                 std::vector<TRekordListy>& listy, std::int32_t n) {
    const std::int32_t count = countOf(rekordy, listy);
    requireMovable(n, count, QStringLiteral("usunąć"));
    DeletedSituation deleted{rekordy[std::size_t(n)].Nazwa.text(), 0};
    const auto number = [n](std::int32_t t) { return t == n ? 0 : t > n ? t - 1 : t; };
    // The roads of n itself are renumbered too but not counted: n goes.
    deleted.roadsToEnd = renumber(rekordy, count, number, n, n);
    rekordy.erase(rekordy.begin() + n);
    listy.erase(listy.begin() + n);
    return deleted;
}

void moveSituation(std::vector<TRekordKroku>& rekordy, std::vector<TRekordListy>& listy,
                   std::int32_t n, std::int32_t to) {
    const std::int32_t count = countOf(rekordy, listy);
    requireMovable(n, count, QStringLiteral("przenieść"));
    requireSituation(to, count);
    if (to == 0 || to == 1)
        refuse(QStringLiteral("miejsce %1 należy do %2; nie można tam przenieść sytuacji")
                   .arg(to)
                   .arg(to == 0 ? QStringLiteral("domyślnego końca gry")
                                : QStringLiteral("początku gry")));
    renumber(rekordy, count, [n, to](std::int32_t t) {
        if (t == n)
            return to;
        if (n < to && t > n && t <= to)
            return t - 1;
        if (to < n && t >= to && t < n)
            return t + 1;
        return t;
    });
    // The records follow the same permutation: n's record ends at `to`.
    moveRecord(rekordy, std::size_t(n), std::size_t(to));
    moveRecord(listy, std::size_t(n), std::size_t(to));
}

std::int32_t duplicateSituation(std::vector<TRekordKroku>& rekordy,
                                std::vector<TRekordListy>& listy, std::int32_t n) {
    const std::int32_t count = countOf(rekordy, listy);
    requireSituation(n, count);
    if (count >= MaxSituations)
        refuse(TooLargeMessage);
    const QByteArray name = freeCopyName(rekordy, listy, rekordy[std::size_t(n)].Nazwa.bytes());
    TRekordKroku rekord = rekordy[std::size_t(n)];
    TRekordListy lista = listy[std::size_t(n)];
    rekord.Nazwa.assignBytes(name.constData(), int(name.size()));
    lista.Nazwa.assignBytes(name.constData(), int(name.size()));
    rekordy.push_back(rekord);
    listy.push_back(lista);
    return count;
}
