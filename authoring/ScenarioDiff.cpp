#include "authoring/ScenarioDiff.h"

#include <QHash>
#include <QStringList>
#include <algorithm>
#include <cstring>
#include <limits>
#include <utility>

namespace {

QStringList linesOf(const QString& text) {
    QStringList lines = text.split(u'\n');
    if (text.isEmpty() || text.endsWith(u'\n'))
        lines.removeLast(); // the empty part after the final newline
    return lines;
}

// Myers' O((N+M)D) comparison in linear space: each step finds a point in the middle of a
// shortest edit path, where the paths searched from both ends meet, and compares the parts
// before and after it. Diagonals are kept within the part compared, so that a short text
// against a long one costs little. Lines are compared as numbers, one per distinct text.
class Comparison {
public:
    Comparison(std::vector<int> a, std::vector<int> b)
        : a_(std::move(a)), b_(std::move(b)), offset_(int(b_.size()) + 1) {
        const std::size_t diagonals = a_.size() + b_.size() + 3;
        forward_.resize(diagonals);
        backward_.resize(diagonals);
        sameA_.assign(a_.size(), false);
        sameB_.assign(b_.size(), false);
        compare(0, int(a_.size()), 0, int(b_.size()));
    }

    // Whether each line of a and of b is common to both.
    const std::vector<bool>& sameA() const { return sameA_; }
    const std::vector<bool>& sameB() const { return sameB_; }

private:
    bool equal(int x, int y) const { return a_[std::size_t(x)] == b_[std::size_t(y)]; }

    void compare(int a0, int a1, int b0, int b1) {
        while (a0 < a1 && b0 < b1 && equal(a0, b0)) {
            sameA_[std::size_t(a0++)] = true;
            sameB_[std::size_t(b0++)] = true;
        }
        while (a1 > a0 && b1 > b0 && equal(a1 - 1, b1 - 1)) {
            sameA_[std::size_t(--a1)] = true;
            sameB_[std::size_t(--b1)] = true;
        }
        if (a0 == a1 || b0 == b1)
            return; // only removed or only added lines are left
        // Both ends differ, so the shortest path takes at least two steps and each part is
        // shorter than the whole.
        const auto [x, y] = middle(a0, a1, b0, b1);
        compare(a0, x, b0, y);
        compare(x, a1, y, b1);
    }

    // A point (x, y) on a shortest path from (a0, b0) to (a1, b1); diagonal k holds the points
    // with x - y == k.
    std::pair<int, int> middle(int a0, int a1, int b0, int b1) {
        auto fwd = [this](int k) -> int& { return forward_[std::size_t(offset_ + k)]; };
        auto bwd = [this](int k) -> int& { return backward_[std::size_t(offset_ + k)]; };
        const int lowest = a0 - b1;
        const int highest = a1 - b0;
        const int fmid = a0 - b0;
        const int bmid = a1 - b1;
        const bool odd = ((fmid - bmid) & 1) != 0;
        int fmin = fmid, fmax = fmid, bmin = bmid, bmax = bmid;
        fwd(fmid) = a0;
        bwd(bmid) = a1;
        while (true) {
            // The forward paths one step longer: the furthest x each reaches on its diagonal.
            if (fmin > lowest)
                fwd(--fmin - 1) = -1;
            else
                ++fmin;
            if (fmax < highest)
                fwd(++fmax + 1) = -1;
            else
                --fmax;
            for (int k = fmax; k >= fmin; k -= 2) {
                int x = fwd(k - 1) >= fwd(k + 1) ? fwd(k - 1) + 1 : fwd(k + 1);
                int y = x - k;
                while (x < a1 && y < b1 && equal(x, y))
                    ++x, ++y;
                fwd(k) = x;
                if (odd && bmin <= k && k <= bmax && bwd(k) <= x)
                    return {x, y};
            }
            // The backward paths one step longer: the least x each reaches.
            if (bmin > lowest)
                bwd(--bmin - 1) = std::numeric_limits<int>::max();
            else
                ++bmin;
            if (bmax < highest)
                bwd(++bmax + 1) = std::numeric_limits<int>::max();
            else
                --bmax;
            for (int k = bmax; k >= bmin; k -= 2) {
                int x = bwd(k - 1) < bwd(k + 1) ? bwd(k - 1) : bwd(k + 1) - 1;
                int y = x - k;
                while (x > a0 && y > b0 && equal(x - 1, y - 1))
                    --x, --y;
                bwd(k) = x;
                if (!odd && fmin <= k && k <= fmax && x <= fwd(k))
                    return {x, y};
            }
        }
    }

    std::vector<int> a_, b_;
    int offset_;
    std::vector<int> forward_, backward_;
    std::vector<bool> sameA_, sameB_;
};

// The form of a count's word: one, a few (2-4, 22-24, ... but not 12-14), many.
QString form(int n, const char* one, const char* few, const char* many) {
    const int tens = n % 100;
    const int units = n % 10;
    const char* word = n == 1                                                 ? one
                       : units >= 2 && units <= 4 && (tens < 12 || tens > 14) ? few
                                                                              : many;
    return QString::fromUtf8(word);
}

// "-l,n": where a hunk's lines start in one text and how many it holds; an empty range names
// the line before it, as diff -u does.
QString range(int before, int count) {
    return QStringLiteral("%1,%2").arg(count > 0 ? before + 1 : before).arg(count);
}

} // namespace

QString unifiedDiff(const QString& oldName, const QString& newName,
                    const std::vector<DiffLine>& lines, int context) {
    QString text = QStringLiteral("--- %1\n+++ %2\n").arg(oldName, newName);
    const std::ptrdiff_t total = std::ptrdiff_t(lines.size());
    int oldBefore = 0; // lines of each text before index `at`
    int newBefore = 0;
    std::ptrdiff_t at = 0;
    auto advance = [&](std::ptrdiff_t to) {
        for (; at < to; ++at) {
            oldBefore += lines[std::size_t(at)].kind != DiffLine::Kind::Added;
            newBefore += lines[std::size_t(at)].kind != DiffLine::Kind::Removed;
        }
    };
    auto changedAt = [&](std::ptrdiff_t i) {
        return lines[std::size_t(i)].kind != DiffLine::Kind::Same;
    };
    std::ptrdiff_t next = 0;
    while (true) {
        while (next < total && !changedAt(next))
            ++next;
        if (next == total)
            break;
        const std::ptrdiff_t start = std::max(at, next - context);
        // Changes with at most 2 * context common lines between them share a hunk: their
        // contexts would touch.
        std::ptrdiff_t end = next;
        for (std::ptrdiff_t i = next; i < total && i <= end + 2 * context + 1; ++i) {
            if (changedAt(i))
                end = i;
        }
        const std::ptrdiff_t stop = std::min(total, end + 1 + context);
        advance(start);
        int oldCount = 0;
        int newCount = 0;
        QString body;
        for (std::ptrdiff_t i = start; i < stop; ++i) {
            const DiffLine& line = lines[std::size_t(i)];
            oldCount += line.kind != DiffLine::Kind::Added;
            newCount += line.kind != DiffLine::Kind::Removed;
            const QChar mark = line.kind == DiffLine::Kind::Same      ? u' '
                               : line.kind == DiffLine::Kind::Removed ? u'-'
                                                                      : u'+';
            body += mark + line.text + u'\n';
        }
        text += QStringLiteral("@@ -%1 +%2 @@\n")
                    .arg(range(oldBefore, oldCount), range(newBefore, newCount)) +
                body;
        advance(stop);
        next = stop;
    }
    return text;
}

std::vector<DiffLine> diffLines(const QString& oldText, const QString& newText) {
    const QStringList oldLines = linesOf(oldText);
    const QStringList newLines = linesOf(newText);
    QHash<QString, int> ids;
    // A line only the new text has gets a number of its own, -1: it is never common.
    std::vector<int> a, b;
    a.reserve(std::size_t(oldLines.size()));
    b.reserve(std::size_t(newLines.size()));
    for (const QString& line : oldLines) {
        auto found = ids.constFind(line);
        if (found == ids.constEnd())
            found = ids.insert(line, int(ids.size()));
        a.push_back(*found);
    }
    for (const QString& line : newLines)
        b.push_back(ids.value(line, -1));

    // A line that the other text does not hold at all is never common: it is left out of the
    // comparison, whose cost grows with the lines that differ. Two wholly different texts then
    // cost no more than reading them.
    std::vector<bool> inNew(ids.size(), false);
    for (const int id : b) {
        if (id >= 0)
            inNew[std::size_t(id)] = true;
    }
    std::vector<int> keptA, keptB; // positions of the lines compared
    std::vector<int> fa, fb;
    for (std::size_t x = 0; x < a.size(); ++x) {
        if (inNew[std::size_t(a[x])]) {
            keptA.push_back(int(x));
            fa.push_back(a[x]);
        }
    }
    for (std::size_t y = 0; y < b.size(); ++y) {
        if (b[y] >= 0) {
            keptB.push_back(int(y));
            fb.push_back(b[y]);
        }
    }
    const Comparison compared(std::move(fa), std::move(fb));
    std::vector<bool> sameA(a.size(), false), sameB(b.size(), false);
    for (std::size_t x = 0; x < keptA.size(); ++x)
        sameA[std::size_t(keptA[x])] = compared.sameA()[x];
    for (std::size_t y = 0; y < keptB.size(); ++y)
        sameB[std::size_t(keptB[y])] = compared.sameB()[y];

    std::vector<DiffLine> lines;
    lines.reserve(std::size_t(oldLines.size() + newLines.size()));
    qsizetype i = 0, j = 0;
    while (i < oldLines.size() || j < newLines.size()) {
        while (i < oldLines.size() && !sameA[std::size_t(i)]) {
            lines.push_back({DiffLine::Kind::Removed, oldLines[i], int(i + 1), 0});
            ++i;
        }
        while (j < newLines.size() && !sameB[std::size_t(j)]) {
            lines.push_back({DiffLine::Kind::Added, newLines[j], 0, int(j + 1)});
            ++j;
        }
        if (i < oldLines.size() && j < newLines.size()) {
            lines.push_back({DiffLine::Kind::Same, oldLines[i], int(i + 1), int(j + 1)});
            ++i, ++j;
        }
    }
    return lines;
}

QString ScenarioChanges::summary() const {
    if (none())
        return QStringLiteral("bez zmian");
    QStringList parts;
    // The noun goes with the first count, and agrees with it.
    auto noun = [&parts](int n) {
        return parts.isEmpty() ? u' ' + form(n, "sytuacja", "sytuacje", "sytuacji") : QString();
    };
    if (added > 0)
        parts.append(QStringLiteral("+%1%2").arg(added).arg(noun(added)));
    if (changed > 0)
        parts.append(QStringLiteral("%1 %2").arg(changed).arg(
            form(changed, "zmieniona", "zmienione", "zmienionych") + noun(changed)));
    if (removed > 0)
        parts.append(QStringLiteral("%1 %2").arg(removed).arg(
            form(removed, "usunięta", "usunięte", "usuniętych") + noun(removed)));
    return parts.join(QStringLiteral(", "));
}

ScenarioChanges compareScenarios(const ScenarioSnapshot& older, const ScenarioSnapshot& newer) {
    ScenarioChanges changes;
    const std::size_t common = std::min(older.rekordy.size(), newer.rekordy.size());
    for (std::size_t k = 0; k < common; ++k) {
        const bool sameSituation =
            std::memcmp(&older.rekordy[k], &newer.rekordy[k], sizeof(TRekordKroku)) == 0;
        const bool sameList =
            k < older.listy.size() && k < newer.listy.size()
                ? std::memcmp(&older.listy[k], &newer.listy[k], sizeof(TRekordListy)) == 0
                : (k < older.listy.size()) == (k < newer.listy.size());
        if (!sameSituation || !sameList)
            ++changes.changed;
    }
    changes.added = int(newer.rekordy.size() - common);
    changes.removed = int(older.rekordy.size() - common);
    return changes;
}
