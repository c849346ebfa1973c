// The Markdown report of a benchmark run.
#include "report.hpp"

#include <windows.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

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

// The names of the rows of every run, in the order they first appear.
template <typename Row, typename Key>
std::vector<std::string> names(const std::vector<Results> &builds, const std::vector<Row> Results::*rows, Key key) {
    std::vector<std::string> out;
    for (const Results &r : builds)
        for (const Row &row : r.*rows)
            if (std::find(out.begin(), out.end(), key(row)) == out.end())
                out.push_back(key(row));
    return out;
}

// The rows of every run side by side: each row followed by the rows of the
// same name in the other builds.
template <typename Row, typename Key>
std::vector<std::pair<const Results *, const Row *>> beside(const std::vector<Results> &builds,
                                                            const std::vector<Row> Results::*rows, Key key) {
    std::vector<std::pair<const Results *, const Row *>> out;
    for (const std::string &name : names(builds, rows, key))
        for (const Results &r : builds)
            for (const Row &row : r.*rows)
                if (key(row) == name)
                    out.emplace_back(&r, &row);
    return out;
}

// Each row's time over the peer's WriteFile, and what that adds to the row
// before it in the same run: the cost of the step.
std::string steps_table(const std::vector<Results> &builds) {
    std::string out = "| Work per entry | DLL | us per entry | `WriteFile` alone, us | Over `WriteFile`, us | "
                      "This step, us | Entries per second, relative to `WriteFile` |\n|---|---|--:|--:|--:|--:|--:|\n";
    const auto over = [](const Step &s) { return s.seconds.service - s.seconds.peer; };
    for (const auto &[run, s] : beside(builds, &Results::log_steps, [](const Step &step) { return step.work; })) {
        const bool first = s == &run->log_steps.front();
        out += "| " + s->work + " | " + run->build + " | " + format("%.3f", s->seconds.service * 1e6) + " | " +
               format("%.3f", s->seconds.peer * 1e6) + " | " + format("%.3f", over(*s) * 1e6) + " | " +
               (first ? std::string("") : format("%.3f", (over(*s) - over(*(s - 1))) * 1e6)) + " | " +
               format("%.2f", s->seconds.peer / s->seconds.service) + " |\n";
    }
    return out;
}

// One table per series, the points of every run side by side by size.
std::string growth_tables(const std::vector<Results> &builds) {
    std::string out;
    const auto work = [](const Growth &g) { return g.work; };
    for (const std::string &name : names(builds, &Results::growth, work)) {
        std::string table;
        std::size_t most = 0;
        for (const Results &build : builds)
            for (const Growth &g : build.growth)
                if (g.work == name) {
                    most = std::max(most, g.points.size());
                    table = "\n" + g.work + "\n\n| Size | DLL | us per call | ns per " + g.unit +
                            " | |\n|--:|---|--:|--:|---|\n";
                }
        for (std::size_t i = 0; i < most; ++i)
            for (const Results &build : builds)
                for (const Growth &g : build.growth)
                    if (g.work == name && i < g.points.size()) {
                        const GrowthPoint &p = g.points[i];
                        const bool faster = i > 0 && superlinear(g.points[i - 1], p);
                        table += "| " + std::to_string(p.size) + " | " + build.build + " | " +
                                 format("%.3f", p.seconds * 1e6) + " | " +
                                 format("%.3f", p.seconds / static_cast<double>(p.size) * 1e9) + " | " +
                                 (faster ? "**SUPERLINEAR**" : "linear") + " |\n";
                    }
        out += table;
    }
    return out;
}

std::string target(const Comparison &c) {
    if (c.limit == 0)
        return "none, shown | ";
    return (c.goal == Goal::time_at_most ? "time at most " : "calls per second at least ") + format("%g", c.limit) +
           " | " + (c.met() ? "met" : "**MISSED**");
}

std::string tables(const std::vector<Results> &builds) {
    std::string out =
        "## Services and their peers\n\n"
        "| Service | DLL | Peer in the same run | Service, us per call | Peer, us per call | Over the peer, "
        "us | Ratio | Target | |\n|---|---|---|--:|--:|--:|--:|---|---|\n";
    for (const auto &[run, c] : beside(builds, &Results::comparisons, [](const Comparison &c) { return c.service; })) {
        out += "| " + c->service + " | " + run->build + " | " + c->peer + " | " +
               format("%.3f", c->seconds.service * 1e6) + " | " + format("%.3f", c->seconds.peer * 1e6) + " | " +
               format("%.3f", (c->seconds.service - c->seconds.peer) * 1e6) + " | " + format("%.2f", c->ratio()) +
               " | " + target(*c) + " |\n";
    }
    out += "\nRatio: the service's time per call over its peer's; for the rows held to calls per second, the "
           "service's calls (for the log rows entries) per second over its peer's. A floor is what the service "
           "cannot do without however it is built: the clock read, the parse, the block of the result's size or "
           "the write of the entry. The log template is \"^YYYY/^MM/^DD ^hh:^mm:^ss \"; FormatLongInt formats " +
           std::to_string(grouped_value) +
           " (the peer's text carries the locale's decimals besides; with seven digits or more Wine's "
           "`GetNumberFormatA` with a NULL format groups differently, 1234,567).\n\n"
           "Where each service's time goes beyond its floor (the column \"Over the peer\" of its floor row):\n\n"
           "- `FormatNowAR8J` and `FormatYmdHmsAR8J`: the template engine, which copies the template, walks it "
           "once to measure the result and once more to write it, and zero-fills the result's block. For the log "
           "template that is about 1,200 instructions on x86-64, spread over the two walks, the literal copies and the "
           "numbers' digits, with no one place that dominates; the long date adds two calendar-name reads from "
           "the locale (`GetCalendarInfoW`).\n"
           "- `LogMsgAltAR8J`: the message's length, the stamp written field by field and the lines copied into an "
           "entry on the stack, whose 4 KiB frame is probed page by page; the wide writer adds the message's "
           "conversion to UTF-8 into a second 4 KiB buffer.\n"
           "- `FormatLongIntR8J` and `FormatLongIntWR8J`: six reads of the user's locale (`GetLocaleInfoW`) and "
           "`GetNumberFormatW` with the format they fill, where the floor knows its grouping in advance. The "
           "reads are what the service is: the locale as it stands at each call, a failed read failing the call; "
           "separators that are ASCII are already taken without a code-page conversion.\n\n"
           "## Where the time of a log entry goes\n\n"
           "The one-line entry, built up step by step with the module's own date and log cores; the steps and the "
           "peer's `WriteFile` of the prebuilt entry run in turn in the same rounds. The floor is what every entry "
           "pays however it is built: one clock read and one write. The stamp is written field by field from the "
           "log core's table of its fields into a buffer on the stack, with no template to match and no calendar "
           "names to read; the steps are the cores as the benchmark's own compiler builds them, and the export "
           "adds the call, the checks of its arguments and the message's length, as the DLL's compiler builds "
           "them, and the wide export the message's conversion to UTF-8. The exports are held to the floor's "
           "entries per second in the table above. A step is the difference of two medians, and on a "
           "shared machine a write alone scatters by up to a tenth of a microsecond (the first row shows how "
           "much in this run): read the steps as rough costs, the last row against the floor as the total.\n\n" +
           steps_table(builds) +
           "\n## Growth with the size of the work\n\n"
           "A time per call that grows faster than the size to the power 1.5 between two sizes is flagged "
           "SUPERLINEAR. The time per unit first falls as the fixed cost of a call fades, and rises a little where "
           "the work leaves the caches or a block is large enough to take fresh pages.\n";
    return out + growth_tables(builds);
}

bool superlinear_anywhere(const Results &results) {
    for (const Growth &g : results.growth)
        for (std::size_t i = 1; i < g.points.size(); ++i)
            if (superlinear(g.points[i - 1], g.points[i]))
                return true;
    return false;
}

// A process that an emulator runs sees the emulator's processor.
bool emulated(const Results &build) { return build.processor.starts_with("QEMU"); }

std::string module_lines(const std::vector<Results> &builds) {
    std::string out;
    for (const Results &build : builds) {
        const ModuleFigures &m = build.module;
        std::size_t functions = 0;
        std::string from;
        for (const auto &[dll, count] : m.imports) {
            functions += count;
            from += (from.empty() ? "" : ", ") + dll + " " + std::to_string(count);
        }
        out += "\n- Processor as the " + build.build + " benchmark's process sees it: " + build.processor +
               (emulated(build) ? " (an emulator's: this process ran emulated, and its ratios weigh the work as "
                                  "the emulator does, not as the machine's processor would)"
                                : "");
        out += "\n- Module, " + build.build + ": `Brindlewick.dll`, " + std::to_string(m.bytes) + " bytes; imports " +
               std::to_string(functions) + " functions (" + from + "); " + std::to_string(m.tls_callbacks) +
               " TLS callbacks";
    }
    return out;
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

std::string document(const std::vector<Results> &builds, const std::string &machine, const std::string &verdict) {
    return "# Performance\n\n"
           "Brindlewick's services timed against what a native programmer would call instead, in the same process "
           "under Wine, and the growth of their cost with the size of the work: the 64-bit DLL's rows beside the "
           "32-bit DLL's, each measured by a benchmark of its own architecture. This file is written by the "
           "benchmark; to measure again, from the repository root:\n\n"
           "    make bench\n\n"
           "It builds both DLLs and their `bwbench.exe` and runs the benchmarks under Wine in the build's prefix "
           "with `LC_ALL=en_US.UTF-8 TZ=America/New_York`, prints these tables and rewrites this file.\n\n"
           "- Machine: " +
           machine + module_lines(builds) + "\n- Wine: " + wine_version() + "\n- User locale: " + user_locale() +
           "\n- Run on: " + today() + "\n- Method: every time is the median of " + std::to_string(runs) +
           " runs of N calls, N chosen so that one run lasts about " + format("%.0f", run_seconds * 1000) +
           " ms, timed with `QueryPerformanceCounter`. A service, its peer and its floor run in turn. Text results "
           "are released with `HeapFree` inside the timed loop, as their callers must; the peers write into "
           "buffers on the stack, and the integer peers copy their text into a block of the heap, as a caller "
           "that hands it on must. Before the timing each peer's text is checked against its service's.\n\n" +
           tables(builds) + "\n" + verdict + "\n";
}

std::string verdict(const std::vector<Results> &builds) {
    std::string missed;
    for (const Results &build : builds) {
        for (const Comparison &c : build.comparisons)
            if (!c.met())
                missed += "- " + build.build + ": target missed: " + c.service + " against " + c.peer + ".\n";
        if (superlinear_anywhere(build))
            missed += "- " + build.build + ": a cost grows faster than the size of the work.\n";
        for (const std::string &p : build.problems)
            missed += "- " + build.build + ": " + p + "\n";
    }
    return missed.empty() ? "Every target is met, every peer gives its service's text and every cost grows "
                            "linearly.\n"
                          : "**Not every target is met:**\n\n" + missed;
}

bool all_met(const std::string &verdict) { return verdict.starts_with("Every"); }

} // namespace bench
