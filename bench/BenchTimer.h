#pragma once

#include <algorithm>
#include <chrono>
#include <vector>

/// Runs body once and returns its wall time in seconds.
template <typename Body> double TimeOf(Body body)
{
    const auto start = std::chrono::steady_clock::now();
    body();
    const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
    return elapsed.count();
}

/// Runs body `repeats` times and returns the best wall time in seconds (the least disturbed).
template <typename Body> double BestOf(int repeats, Body body)
{
    double best = 1e30;
    for (int i = 0; i < repeats; ++i)
        best = std::min(best, TimeOf(body));
    return best;
}
