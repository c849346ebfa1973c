// The Markdown report of a benchmark run.
#include "report.hpp"

#include <windows.h>

#include <cmath>
#include <cstdio>

namespace bench {
namespace {

std::string format(const char *pattern, double value) {
    char text[32];
    std::snprintf(text, sizeof text, pattern, value);
    return text;
}

// A cost per unit that grows faster than the square root of the size step
// (a cost above n^1.5) is flagged: a quadratic cost grows with the whole
// step, while fixed costs only fall and the memory hierarchy (caches, fresh
// pages of large blocks) adds a bounded factor.
bool superlinear(const GrowthPoint &smaller, const GrowthPoint &larger) {
    const double step = static_cast<double>(larger.size) / static_cast<double>(smaller.size);
    return larger.seconds / smaller.seconds > step * std::sqrt(step);
}

// Each row's time over the peer's WriteFile, and what that adds to the row
// before it: the cost of the step.
std::string steps_table(const Results &results) {
    std::string out =
        "| Work per entry | us per entry | `WriteFile` alone, us | Over `WriteFile`, us | This step, us | "
        "Entries per second, relative to `WriteFile` |\n|---|--:|--:|--:|--:|--:|\n";
    double before = 0;
    for (const Step &s : results.log_steps) {
        const double over = s.seconds.service - s.seconds.peer;
        out += "| " + s.work + " | " + format("%.3f", s.seconds.service * 1e6) + " | " +
               format("%.3f", s.seconds.peer * 1e6) + " | " + format("%.3f", over * 1e6) + " | " +
               (&s == &results.log_steps.front() ? std::string("") : format("%.3f", (over - before) * 1e6)) + " | " +
               format("%.2f", s.seconds.peer / s.seconds.service) + " |\n";
        before = over;
    }
    return out;
}

std::string tables(const Results &results) {
    std::string out = "## Services and their peers\n\n"
                      "| Service | Peer in the same run | Service, us per call | Peer, us per call | Ratio | Target "
                      "| |\n|---|---|--:|--:|--:|---|---|\n";
    for (const Comparison &c : results.comparisons) {
        out += "| " + c.service + " | " + c.peer + " | " + format("%.3f", c.seconds.service * 1e6) + " | " +
               format("%.3f", c.seconds.peer * 1e6) + " | " + format("%.2f", c.ratio()) + " | " +
               (c.goal == Goal::time_at_most ? "time at most " : "entries per second at least ") +
               format("%.1f", c.limit) + " | " + (c.met() ? "met" : "**MISSED**") + " |\n";
    }
    out += "\nRatio: the service's time per call over its peer's; for the log rows the service's entries per second "
           "over its peer's. The log template is \"^YYYY/^MM/^DD ^hh:^mm:^ss \"; FormatLongInt formats " +
           std::to_string(grouped_value) +
           " (the peer's text carries the locale's decimals besides; with seven digits or more Wine's "
           "`GetNumberFormatA` with a NULL format groups differently, 1234,567).\n\n"
           "## Where the time of a log entry goes\n\n"
           "The one-line entry, built up step by step with the module's own date and log cores; the steps and the "
           "peer's `WriteFile` of the prebuilt entry run in turn in the same rounds. The floor is what every entry "
           "pays however it is built: one clock read and one write. The stamp, its template laid out at compile "
           "time, is written into a buffer on the stack and reads no calendar names; the export adds the call, the "
           "checks of its arguments and the message's length. A step is the difference of two medians, and on a "
           "shared machine a write alone scatters by up to a tenth of a microsecond (the first row shows how "
           "much in this run): read the steps as rough costs, the last row against the floor as the total.\n\n" +
           steps_table(results) +
           "\n## Growth with the size of the work\n\n"
           "A time per call that grows faster than the size to the power 1.5 between two sizes is flagged "
           "SUPERLINEAR. The time per unit first falls as the fixed cost of a call fades, and rises a little where "
           "the work leaves the caches or a block is large enough to take fresh pages.\n";
    for (const Growth &g : results.growth) {
        out += "\n" + g.work + "\n\n| Size | us per call | ns per " + g.unit + " | |\n|--:|--:|--:|---|\n";
        for (std::size_t i = 0; i < g.points.size(); ++i) {
            const GrowthPoint &p = g.points[i];
            const bool faster = i > 0 && superlinear(g.points[i - 1], p);
            out += "| " + std::to_string(p.size) + " | " + format("%.3f", p.seconds * 1e6) + " | " +
                   format("%.3f", p.seconds / static_cast<double>(p.size) * 1e9) + " | " +
                   (faster ? "**SUPERLINEAR**" : "linear") + " |\n";
        }
    }
    return out;
}

bool superlinear_anywhere(const Results &results) {
    for (const Growth &g : results.growth)
        for (std::size_t i = 1; i < g.points.size(); ++i)
            if (superlinear(g.points[i - 1], g.points[i]))
                return true;
    return false;
}

std::string module_line(const ModuleFigures &m) {
    std::size_t functions = 0;
    std::string from;
    for (const auto &[dll, count] : m.imports) {
        functions += count;
        from += (from.empty() ? "" : ", ") + dll + " " + std::to_string(count);
    }
    return "`Brindlewick.dll`, " + std::to_string(m.bytes) + " bytes; imports " + std::to_string(functions) +
           " functions (" + from + "); " + std::to_string(m.tls_callbacks) + " TLS callbacks";
}

std::string wine_version() {
    using Version = const char *(CDECL *)();
    auto *proc = GetProcAddress(GetModuleHandleA("ntdll.dll"), "wine_get_version");
    return proc ? reinterpret_cast<Version>(reinterpret_cast<void (*)()>(proc))() : "not running under Wine";
}

std::string user_locale() {
    wchar_t name[LOCALE_NAME_MAX_LENGTH] = {};
    GetUserDefaultLocaleName(name, LOCALE_NAME_MAX_LENGTH);
    std::string narrow;
    for (const wchar_t *c = name; *c; ++c)
        narrow += static_cast<char>(*c);
    return narrow;
}

std::string today() {
    SYSTEMTIME now;
    GetLocalTime(&now);
    char text[16];
    std::snprintf(text, sizeof text, "%04u-%02u-%02u", now.wYear, now.wMonth, now.wDay);
    return text;
}

} // namespace

std::string document(const Results &results, const std::string &machine, const std::string &verdict) {
    return "# Performance\n\n"
           "Brindlewick's services timed against what a native programmer would call instead, in the same process "
           "under Wine, and the growth of their cost with the size of the work. This file is written by the "
           "benchmark; to measure again, from the repository root:\n\n"
           "    make bench\n\n"
           "It builds the DLL and `bwbench.exe` and runs the benchmark under Wine in the build's prefix with "
           "`LC_ALL=en_US.UTF-8 TZ=America/New_York`, prints these tables and rewrites this file.\n\n"
           "- Machine: " +
           machine + "\n- Module: " + module_line(results.module) + "\n- Wine: " + wine_version() +
           "\n- User locale: " + user_locale() + "\n- Run on: " + today() + "\n- Method: every time is the median of " +
           std::to_string(runs) + " runs of N calls, N chosen so that one run lasts about " +
           format("%.0f", run_seconds * 1000) +
           " ms, timed with `QueryPerformanceCounter`. A service and its peer run in alternation. Text results are "
           "released with `HeapFree` inside the timed loop, as their callers must; the peers write into buffers "
           "on the stack. Before the timing each peer's text is checked against its service's.\n\n" +
           tables(results) + "\n" + verdict + "\n";
}

std::string verdict(const Results &results) {
    std::string missed;
    for (const Comparison &c : results.comparisons)
        if (!c.met())
            missed += "- Target missed: " + c.service + " against " + c.peer + ".\n";
    if (superlinear_anywhere(results))
        missed += "- A cost grows faster than the size of the work.\n";
    for (const std::string &p : results.problems)
        missed += "- " + p + "\n";
    return missed.empty() ? "Every target is met, every peer gives its service's text and every cost grows "
                            "linearly.\n"
                          : "**Not every target is met:**\n\n" + missed;
}

bool all_met(const std::string &verdict) { return verdict.starts_with("Every"); }

} // namespace bench
