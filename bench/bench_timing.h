#pragma once

// Timing helpers shared by the Qt benchmarks.
#include <QElapsedTimer>

#include <algorithm>
#include <functional>
#include <vector>

namespace bivora::bench {

// Milliseconds that run takes.
inline double Ms(const std::function<void()>& run)
{
    QElapsedTimer timer;
    timer.start();
    run();
    return static_cast<double>(timer.nsecsElapsed()) / 1e6;
}

template <typename T>
T Median(std::vector<T> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

} // namespace bivora::bench
