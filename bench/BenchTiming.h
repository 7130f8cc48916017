#pragma once
// The benchmarks' timing: medians of calls timed one by one.

#include <QElapsedTimer>
#include <QtGlobal>
#include <algorithm>
#include <cstddef>
#include <vector>

// The median of `runs` calls of `body`, each timed alone after an untimed call of `before`,
// in milliseconds.
template <typename Before, typename Body> qreal medianMs(int runs, Before&& before, Body&& body) {
    std::vector<qint64> times;
    times.reserve(std::size_t(runs));
    QElapsedTimer timer;
    for (int i = 0; i < runs; ++i) {
        before();
        timer.start();
        body();
        times.push_back(timer.nsecsElapsed());
    }
    std::sort(times.begin(), times.end());
    return qreal(times[times.size() / 2]) / 1e6;
}

// The median of `runs` timed calls of `body` after one untimed call that warms the caches.
template <typename Body> qreal medianMs(int runs, Body&& body) {
    body();
    return medianMs(
        runs, [] {}, body);
}
