// What the benchmark measures: the services against their peers, the steps
// of a log entry and the growth of the cost with the size of the work.
#pragma once

#include "timing.hpp"

#include <windows.h>

#include <cstddef>
#include <string>
#include <utility>
#include <vector>

namespace bench {

// Six digits: Wine's GetNumberFormatA with a NULL format does not repeat the
// last group size (1234567 comes out as 1234,567), so from seven digits on
// the peer would not give the service's text.
inline constexpr int grouped_value = 123456;

enum class Goal { time_at_most, rate_at_least };

struct Comparison {
    std::string service;
    std::string peer;
    Pair seconds;
    Goal goal;
    double limit; // 0: shown beside the others, held to nothing

    // Time rows compare seconds per call, rate rows calls per second.
    double ratio() const {
        return goal == Goal::time_at_most ? seconds.service / seconds.peer : seconds.peer / seconds.service;
    }
    bool met() const { return limit == 0 || (goal == Goal::time_at_most ? ratio() <= limit : ratio() >= limit); }
};

struct GrowthPoint {
    std::size_t size;
    double seconds; // per call
};

struct Growth {
    std::string work;
    std::string unit;
    std::vector<GrowthPoint> points;
};

// The work of a log entry up to one step, timed against the peer's
// WriteFile.
struct Step {
    std::string work;
    Pair seconds;
};

// The DLL itself: its file's size, what it imports and the callbacks that
// run on every thread of the host.
struct ModuleFigures {
    std::string path;
    std::size_t bytes = 0;
    std::vector<std::pair<std::string, std::size_t>> imports; // functions by DLL
    std::size_t tls_callbacks = 0;
};

struct Results {
    std::string build;     // "32-bit" or "64-bit", the DLL's and the benchmark's
    std::string processor; // the processor's name as the benchmark's process sees it
    ModuleFigures module;
    std::vector<Comparison> comparisons;
    std::vector<Step> log_steps;
    std::vector<Growth> growth;
    std::vector<std::string> problems; // missing functions, texts that differ, failed calls
};

// Every row of the loaded DLL; a missing export leaves its rows out and is
// one of the problems.
Results measure(HMODULE module);

} // namespace bench
