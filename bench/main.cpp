// bwbench: Brindlewick's services timed against what a native programmer
// would call instead, side by side in one process, and the growth of their
// cost with the size of the work. Prints the tables and writes them, with
// the machine they were measured on, to a Markdown file.
#include "measure.hpp"
#include "report.hpp"
#include "results_file.hpp"
#include "tools/dll.hpp"

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

namespace {

constexpr const char *usage = R"(usage: bwbench [--dll PATH] [--beside RESULTS] [--machine TEXT] [--output FILE]
       bwbench [--dll PATH] --results RESULTS

Times Brindlewick.dll's services (by default the DLL beside bwbench.exe)
against their peers and prints the table; with --output it also writes the
table, the machine (--machine, e.g. the CPU model) and the Wine version to
FILE as Markdown. Exits with 1 when a target is missed, a text differs from
its peer's or a function is missing.

A process loads a DLL of its own architecture only, so the DLL of the other
architecture is measured by the bwbench.exe of that build: --results writes
its results to a file and exits, and --beside reports that file's rows
beside this run's, their targets judged too.
)";

bool write_file(const std::string &path, const std::string &text) {
    std::FILE *file = std::fopen(path.c_str(), "wb");
    if (!file)
        return false;
    const bool written = std::fwrite(text.data(), 1, text.size(), file) == text.size();
    return std::fclose(file) == 0 && written;
}

} // namespace

int main(int argc, char **argv) {
    std::string dll_path = tools::dll_beside_program(), machine = "not given", output, results_path, beside_path;
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (arg == "--dll" && i + 1 < argc)
            dll_path = argv[++i];
        else if (arg == "--machine" && i + 1 < argc)
            machine = argv[++i];
        else if (arg == "--output" && i + 1 < argc)
            output = argv[++i];
        else if (arg == "--results" && i + 1 < argc)
            results_path = argv[++i];
        else if (arg == "--beside" && i + 1 < argc)
            beside_path = argv[++i];
        else {
            std::fputs(usage, arg == "--help" ? stdout : stderr);
            return arg == "--help" ? 0 : 2;
        }
    }
    std::vector<bench::Results> builds(1);
    if (!beside_path.empty()) {
        std::ifstream file(beside_path, std::ios::binary);
        std::ostringstream text;
        text << file.rdbuf();
        const auto other = bench::from_text(text.str());
        if (!file || !other) {
            std::fprintf(stderr, "bwbench: cannot read the results in %s\n", beside_path.c_str());
            return 1;
        }
        builds.push_back(*other);
    }
    HMODULE module = tools::load_dll("bwbench", dll_path);
    if (!module)
        return 1;

    builds.front() = bench::measure(module);
    if (!results_path.empty()) {
        if (write_file(results_path, bench::to_text(builds.front())))
            return 0;
        std::fprintf(stderr, "bwbench: cannot write %s\n", results_path.c_str());
        return 1;
    }
    const std::string verdict = bench::verdict(builds);
    const std::string text = bench::document(builds, machine, verdict);
    std::fputs(text.c_str(), stdout);
    if (!output.empty() && !write_file(output, text)) {
        std::fprintf(stderr, "bwbench: cannot write %s\n", output.c_str());
        return 1;
    }
    return bench::all_met(verdict) ? 0 : 1;
}
