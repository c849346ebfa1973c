// Timing by the performance counter. Every figure is the median of several
// runs of many calls each, so that a run that the system preempted, or that
// met a cold cache, does not decide.
#pragma once

#include <windows.h>

#include <algorithm>
#include <array>
#include <cstddef>
#include <utility>

namespace bench {

inline constexpr int runs = 21;
// Long enough that the counter's resolution and the loop do not show.
inline constexpr double run_seconds = 0.02;
inline constexpr long most_calls = 1L << 24;

inline double seconds_now() {
    static const double frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return static_cast<double>(f.QuadPart);
    }();
    LARGE_INTEGER t;
    QueryPerformanceCounter(&t);
    return static_cast<double>(t.QuadPart) / frequency;
}

// Seconds per call over `calls` calls of work().
template <typename Work> double time_run(Work &work, long calls) {
    const double start = seconds_now();
    for (long i = 0; i < calls; ++i)
        work();
    return (seconds_now() - start) / static_cast<double>(calls);
}

// The number of calls that makes one run last about run_seconds. The calls
// made to find it warm the caches and the heap up.
template <typename Work, typename Between> long calls_per_run(Work &work, Between &between) {
    for (long calls = 1;; calls *= 2) {
        between();
        const double per_call = time_run(work, calls);
        if (per_call * static_cast<double>(calls) >= run_seconds / 4 || calls >= most_calls)
            return std::clamp(static_cast<long>(run_seconds / per_call), 1L, most_calls);
    }
}

inline double median(std::array<double, runs> values) {
    std::nth_element(values.begin(), values.begin() + runs / 2, values.end());
    return values[runs / 2];
}

inline void nothing_between() {}

// Median seconds per call of work(); between() runs before every run,
// outside the timing.
template <typename Work, typename Between = decltype(&nothing_between)>
double time_per_call(Work work, Between between = nothing_between) {
    const long calls = calls_per_run(work, between);
    std::array<double, runs> times{};
    for (double &t : times) {
        between();
        t = time_run(work, calls);
    }
    return median(times);
}

struct Pair {
    double service; // median seconds per call
    double peer;
};

// Pieces of work in turn, each round starting one further along, so that a
// change in the machine's load reaches them all alike: the median seconds
// per call of each.
template <typename Between, typename... Work>
std::array<double, sizeof...(Work)> compare_all(Between between, Work... work) {
    constexpr std::size_t n = sizeof...(Work);
    const std::array<long, n> calls{calls_per_run(work, between)...};
    std::array<std::array<double, runs>, n> times{};
    for (int r = 0; r < runs; ++r) {
        for (std::size_t turn = 0; turn < n; ++turn) {
            const std::size_t next = (static_cast<std::size_t>(r) + turn) % n;
            between();
            [&]<std::size_t... k>(std::index_sequence<k...>) {
                ((k == next ? void(times[k][r] = time_run(work, calls[k])) : void()), ...);
            }
            (std::make_index_sequence<n>());
        }
    }
    std::array<double, n> medians{};
    for (std::size_t k = 0; k < n; ++k)
        medians[k] = median(times[k]);
    return medians;
}

// A service and its peer in alternating runs, the order swapped every
// round.
template <typename Service, typename Peer, typename Between = decltype(&nothing_between)>
Pair compare(Service service, Peer peer, Between between = nothing_between) {
    const auto [service_seconds, peer_seconds] = compare_all(between, service, peer);
    return {service_seconds, peer_seconds};
}

} // namespace bench
