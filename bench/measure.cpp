// The rows of the benchmark: each service against its peer and its floor in
// the same process, the steps of a log entry and four growth series. A
// peer's text is checked against its service's before anything is timed.
#include "measure.hpp"

#include "Brindlewick.h"
#ifndef _WIN64
#include "BrindlewickExtender.h"
#endif
#include "files/pure/log_entry.hpp"
#include "module/clock.hpp"
#include "peers.hpp"
#include "tools/dll.hpp"

#if defined(__i386__) || defined(__x86_64__)
#include <cpuid.h>
#endif
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string_view>
#include <utility>

namespace bench {
namespace {

constexpr const char *log_template = "^YYYY/^MM/^DD ^hh:^mm:^ss ";
constexpr const char *one_line = "Nightly backup of the customer database finished";
constexpr const wchar_t *one_line_wide = L"Nightly backup of the customer database finished";
constexpr const char *ymdhms = "2008:05:30:14:07:09";
constexpr const char *ymdhms_expanded = "2008/05/30 14:07:09 ";
constexpr const char *long_date_template = "^WWWW, ^D ^MMMM ^YYYY";

volatile char sink; // keeps the timed calls from being optimised away

struct Exports {
    decltype(&FormatNowAR8J) format_now = nullptr;
    decltype(&FormatYmdHmsAR8J) format_ymdhms = nullptr;
    decltype(&LogMsgAltAR8J) log_msg = nullptr;
    decltype(&LogMsgAltWR8J) log_msg_wide = nullptr;
    decltype(&FormatLongIntR8J) format_long_int = nullptr;
    decltype(&FormatLongIntWR8J) format_long_int_wide = nullptr;
    decltype(&PathStringFixupAR8J) path_fixup = nullptr;
    decltype(&QuoteStringAR8J) quote = nullptr;
#ifndef _WIN64
    WilExtender2Proc extender2 = nullptr;
#endif
};

void problem(Results &results, std::string text) {
    std::fprintf(stderr, "bwbench: %s\n", text.c_str());
    results.problems.push_back(std::move(text));
}

// Heap texts go back to the process heap; the shared empty text and NULL
// are never released.
template <typename C> void release(C *text) {
    if (text && *text)
        HeapFree(GetProcessHeap(), 0, text);
}

std::string take(char *text) {
    std::string copy = text ? text : "(NULL)";
    release(text);
    return copy;
}

std::string shown(std::string_view text) {
    std::string out;
    for (const char c : text) {
        if (c == '\r')
            out += "\\r";
        else if (c == '\n')
            out += "\\n";
        else
            out += c;
    }
    return out;
}

// A peer must make the text its service makes; a difference is loud.
bool same_text(Results &results, const char *what, std::string_view service, std::string_view peer) {
    if (service == peer)
        return true;
    problem(results, std::string("MISMATCH in ") + what + ": the service gives \"" + shown(service) +
                         "\", its peer \"" + shown(peer) + "\"");
    return false;
}

// Texts of the clock agree unless a second turned between the two calls;
// of three tries one falls within a second.
template <typename Both> bool same_clock_text(Results &results, const char *what, Both both) {
    for (int attempt = 1;; ++attempt) {
        const auto [service, peer] = both();
        if (service == peer || attempt == 3)
            return same_text(results, what, service, peer);
    }
}

// An export the rows need; a missing one is a problem, and its rows are left out.
template <typename F> F needed_export(HMODULE module, const char *name, Results &results) {
    const F proc = tools::find_export<F>(module, name);
    if (!proc)
        problem(results, std::string("the DLL does not export ") + name + "; its rows are missing");
    return proc;
}

Exports find_exports(HMODULE module, Results &results) {
    Exports e;
    e.format_now = needed_export<decltype(e.format_now)>(module, "FormatNowAR8J", results);
    e.format_ymdhms = needed_export<decltype(e.format_ymdhms)>(module, "FormatYmdHmsAR8J", results);
    e.log_msg = needed_export<decltype(e.log_msg)>(module, "LogMsgAltAR8J", results);
    e.log_msg_wide = needed_export<decltype(e.log_msg_wide)>(module, "LogMsgAltWR8J", results);
    e.format_long_int = needed_export<decltype(e.format_long_int)>(module, "FormatLongIntR8J", results);
    e.format_long_int_wide = needed_export<decltype(e.format_long_int_wide)>(module, "FormatLongIntWR8J", results);
    e.path_fixup = needed_export<decltype(e.path_fixup)>(module, "PathStringFixupAR8J", results);
    e.quote = needed_export<decltype(e.quote)>(module, "QuoteStringAR8J", results);
#ifndef _WIN64
    e.extender2 = needed_export<WilExtender2Proc>(module, "_WILExtender2@40", results);
#endif
    return e;
}

// Against the platform's formatting, and against the floor: the clock read
// and the block of the stamp's size.
void format_now_row(const Exports &dll, Results &results) {
    if (!dll.format_now)
        return;
    std::size_t size = 0;
    const bool same = same_clock_text(results, "FormatNowAR8J", [&] {
        char peer[64];
        format_now_by_hand(peer);
        std::string service = take(dll.format_now(log_template, 0));
        size = service.size();
        return std::pair{std::move(service), std::string(peer)};
    });
    if (!same)
        return;
    const auto [service, peer, floor] = compare_all(
        nothing_between,
        [&] {
            char *text = dll.format_now(log_template, 0);
            sink = text[0];
            release(text);
        },
        [] {
            char text[64];
            format_now_by_hand(text);
            sink = text[0];
        },
        [&] { sink = format_now_floor(size); });
    results.comparisons.push_back({"`FormatNowAR8J`, log template",
                                   "`GetLocalTime` + `GetDateFormatA` + `GetTimeFormatA`",
                                   {service, peer},
                                   Goal::time_at_most,
                                   0.6});
    results.comparisons.push_back({"`FormatNowAR8J`, log template, against the floor",
                                   "`GetLocalTime`, `HeapAlloc` of the stamp's size, `HeapFree`: the floor",
                                   {service, floor},
                                   Goal::rate_at_least,
                                   0.9});
}

// FormatYmdHmsAR8J with a template against a peer that gives the same text
// for the same YmdHms text, and against its floor: the parse and one block
// of the result's size.
template <typename Peer>
void format_ymdhms_row(const Exports &dll, Results &results, const char *date_template, std::string row,
                       std::string peer_name, Peer peer, double limit) {
    if (!dll.format_ymdhms)
        return;
    char by_hand[64] = {};
    peer(ymdhms, by_hand);
    const std::string text = take(dll.format_ymdhms(ymdhms, date_template));
    if (!same_text(results, row.c_str(), text, by_hand))
        return;
    const auto [service_seconds, peer_seconds, floor_seconds] = compare_all(
        nothing_between,
        [&] {
            char *expanded = dll.format_ymdhms(ymdhms, date_template);
            sink = expanded[0];
            release(expanded);
        },
        [&] {
            char expanded[64];
            peer(ymdhms, expanded);
            sink = expanded[0];
        },
        [&] { sink = format_ymdhms_floor(ymdhms, text.size()); });
    results.comparisons.push_back(
        {row, std::move(peer_name), {service_seconds, peer_seconds}, Goal::time_at_most, limit});
    results.comparisons.push_back({row + ", against the floor",
                                   "the module's own YmdHms parser, `HeapAlloc` of the result's size, `HeapFree`: "
                                   "the floor",
                                   {service_seconds, floor_seconds},
                                   Goal::rate_at_least,
                                   0});
}

void format_ymdhms_rows(const Exports &dll, Results &results) {
    char log_peer[64] = {};
    format_ymdhms_by_hand(ymdhms, log_peer);
    if (same_text(results, "the YmdHms peer", log_peer, ymdhms_expanded))
        format_ymdhms_row(dll, results, log_template, "`FormatYmdHmsAR8J`, log template", "`sscanf` + `strftime`",
                          format_ymdhms_by_hand, 0.3);
    format_ymdhms_row(dll, results, long_date_template, "`FormatYmdHmsAR8J`, \"^WWWW, ^D ^MMMM ^YYYY\"",
                      "`sscanf` + `GetDateFormatA` with \"dddd, d MMMM yyyy\"", format_long_date_by_hand, 0.5);
}

// A log file of the bench's own in the temporary folder, emptied before
// every run so that the runs write alike.
struct LogFile {
    std::string path;
    HANDLE handle;
};

LogFile open_log(const char *name) {
    char folder[MAX_PATH];
    const DWORD n = GetTempPathA(MAX_PATH, folder);
    const std::string path = std::string(folder, n) + name;
    return {path, CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS, 0, nullptr)};
}

void empty_log(const LogFile &file) {
    SetFilePointer(file.handle, 0, nullptr, FILE_BEGIN);
    SetEndOfFile(file.handle);
}

void delete_log(const LogFile &file) {
    CloseHandle(file.handle);
    DeleteFileA(file.path.c_str());
}

std::string contents(const LogFile &file) {
    HANDLE reader = CreateFileA(file.path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                OPEN_EXISTING, 0, nullptr);
    std::string bytes(GetFileSize(reader, nullptr), '\0');
    DWORD read = 0;
    ReadFile(reader, bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr);
    CloseHandle(reader);
    bytes.resize(read);
    return bytes;
}

void log_rows(const Exports &dll, Results &results) {
    if (!dll.log_msg)
        return;
    const LogFile service_file = open_log("bwbench-service.log");
    const LogFile peer_file = open_log("bwbench-peer.log");
    if (service_file.handle == INVALID_HANDLE_VALUE || peer_file.handle == INVALID_HANDLE_VALUE) {
        problem(results, "cannot create the log files in the temporary folder");
        return;
    }
    const auto empty_both = [&] {
        empty_log(service_file);
        empty_log(peer_file);
    };
    // Each against the prebuilt entry's write, and against the floor that
    // every entry pays: the clock read and the write.
    struct Message {
        const char *row;
        const char *text;
        double floor_limit;
    };
    constexpr Message messages[] = {
        {"`LogMsgAltAR8J`, one line", one_line, 0.95},
        {"`LogMsgAltAR8J`, five lines",
         "Nightly backup of the customer database finished\n"
         "tables copied: 42, rows copied: 1234567\n"
         "archive: D:\\Backup\\customers-nightly.zip\n"
         "duration: 00:03:17, throughput: 12.5 MB/s\n"
         "next run scheduled for tomorrow at 02:00",
         0.9},
    };
    for (const Message &m : messages) {
        std::string entry;
        const bool same = same_clock_text(results, m.row, [&] {
            empty_log(service_file);
            const int result = dll.log_msg(m.text, service_file.handle, 0);
            char stamp[64];
            format_now_by_hand(stamp);
            entry = log_entry(stamp, m.text);
            return std::pair{result == 0 ? contents(service_file) : "result " + std::to_string(result), entry};
        });
        if (!same)
            continue;
        const auto write_entry = [&] {
            DWORD written = 0;
            sink = static_cast<char>(
                WriteFile(peer_file.handle, entry.data(), static_cast<DWORD>(entry.size()), &written, nullptr));
        };
        const auto [service, peer, floor] = compare_all(
            empty_both, [&] { sink = static_cast<char>(dll.log_msg(m.text, service_file.handle, 0)); }, write_entry,
            [&] {
                SYSTEMTIME now;
                GetLocalTime(&now);
                sink = static_cast<char>(now.wSecond);
                write_entry();
            });
        results.comparisons.push_back(
            {m.row, "`WriteFile` of the same bytes, prebuilt", {service, peer}, Goal::rate_at_least, 0.6});
        results.comparisons.push_back({std::string(m.row) + ", against the floor",
                                       "`GetLocalTime`, `WriteFile`: the floor",
                                       {service, floor},
                                       Goal::rate_at_least,
                                       m.floor_limit});
    }
    delete_log(service_file);
    delete_log(peer_file);
}

// A log entry built up step by step with the module's own cores, each step
// followed by the write: the clock, the stamp written onto the stack, the
// message's lines laid out after it; then the export, which adds the call,
// the checks of its arguments and the message's length, and the wide
// export, which adds the message's conversion to UTF-8. The steps and the
// peer run in turn in the same rounds; the first step is the peer's write
// by itself, the noise.
void log_steps(const Exports &dll, Results &results) {
    if (!dll.log_msg || !dll.log_msg_wide)
        return;
    const LogFile service_file = open_log("bwbench-steps.log");
    const LogFile peer_file = open_log("bwbench-steps-peer.log");
    if (service_file.handle == INVALID_HANDLE_VALUE || peer_file.handle == INVALID_HANDLE_VALUE) {
        problem(results, "cannot create the log files in the temporary folder");
        return;
    }
    const auto write = [](const LogFile &file, const char *bytes, std::size_t length) {
        DWORD written = 0;
        sink = static_cast<char>(WriteFile(file.handle, bytes, static_cast<DWORD>(length), &written, nullptr));
    };
    const auto clock = [] {
        SYSTEMTIME now;
        GetLocalTime(&now);
        return bw::to_date(now);
    };
    const auto stamped = [](const bw::Date &now, char *out) { return bw::log::write_stamp(false, false, now, out); };
    std::string entry;
    const bool same =
        same_clock_text(results, "the log entry built step by step",
                        [&] {
                            char stamp[64];
                            format_now_by_hand(stamp);
                            entry = log_entry(stamp, one_line);
                            char built[4096];
                            const char *end =
                                bw::log::write_lines(one_line, false, stamped(clock(), built), built + sizeof built);
                            return std::pair{std::string(built, static_cast<std::size_t>(end - built)), entry};
                        }) &&
        same_clock_text(results, "LogMsgAltWR8J", [&] {
            empty_log(service_file);
            const int result = dll.log_msg_wide(one_line_wide, service_file.handle, 0);
            char stamp[64];
            format_now_by_hand(stamp);
            return std::pair{result == 0 ? contents(service_file) : "result " + std::to_string(result),
                             log_entry(stamp, one_line)};
        });
    if (same) {
        const auto times = compare_all(
            [&] {
                empty_log(service_file);
                empty_log(peer_file);
            },
            [&] { write(peer_file, entry.data(), entry.size()); },
            [&] { write(service_file, entry.data(), entry.size()); },
            [&] {
                sink = static_cast<char>(clock().second);
                write(service_file, entry.data(), entry.size());
            },
            [&] {
                char buffer[4096];
                stamped(clock(), buffer);
                sink = buffer[0];
                write(service_file, entry.data(), entry.size());
            },
            [&] {
                char buffer[4096];
                const char *end =
                    bw::log::write_lines(one_line, false, stamped(clock(), buffer), buffer + sizeof buffer);
                write(service_file, buffer, static_cast<std::size_t>(end - buffer));
            },
            [&] { sink = static_cast<char>(dll.log_msg(one_line, service_file.handle, 0)); },
            [&] { sink = static_cast<char>(dll.log_msg_wide(one_line_wide, service_file.handle, 0)); });
        const char *const steps[] = {
            "`WriteFile` (the peer against itself)",
            "`GetLocalTime`, `WriteFile`: the floor",
            "`GetLocalTime`, the stamp written onto the stack, `WriteFile`",
            "`GetLocalTime`, the stamp, the lines laid out after it, `WriteFile` of the built entry",
            "`LogMsgAltAR8J`",
            "`LogMsgAltWR8J`, the same entry from UTF-16",
        };
        for (std::size_t k = 0; k < std::size(steps); ++k)
            results.log_steps.push_back({steps[k], {times[k + 1], times[0]}});
        // The wide writer's entries per second against the floor's; the
        // narrow writer's are held by its own rows.
        results.comparisons.push_back({"`LogMsgAltWR8J`, one line, against the floor",
                                       steps[1],
                                       {times[6], times[2]},
                                       Goal::rate_at_least,
                                       0.92});
    }
    delete_log(service_file);
    delete_log(peer_file);
}

// Both widths against the platform's formatting, the narrow one against its
// floor too.
void format_long_int_rows(const Exports &dll, Results &results) {
    if (!dll.format_long_int || !dll.format_long_int_wide)
        return;
    // The peers' texts carry the locale's decimals, which FormatLongInt
    // leaves out.
    const std::string service = take(dll.format_long_int(grouped_value));
    wchar_t *wide = dll.format_long_int_wide(grouped_value);
    const std::string wide_service(wide, wide + lstrlenW(wide));
    release(wide);
    char peer[32] = {}, decimal[8] = {}, digits[8] = {};
    wchar_t wide_peer[32] = {};
    format_long_int_by_hand(grouped_value, peer);
    format_long_int_wide_by_hand(grouped_value, wide_peer);
    GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL, decimal, sizeof decimal);
    GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_IDIGITS, digits, sizeof digits);
    const int decimals = std::atoi(digits);
    const auto with_decimals = [&](const std::string &text) {
        return decimals > 0 ? text + decimal + std::string(decimals, '0') : text;
    };
    if (!same_text(results, "FormatLongIntR8J (with the locale's decimals)", with_decimals(service), peer) ||
        !same_text(results, "FormatLongIntWR8J (with the locale's decimals)", with_decimals(wide_service),
                   std::string(wide_peer, wide_peer + lstrlenW(wide_peer))))
        return;
    const auto [narrow_seconds, peer_seconds, floor_seconds] = compare_all(
        nothing_between,
        [&] {
            char *text = dll.format_long_int(grouped_value);
            sink = text[0];
            release(text);
        },
        [] {
            char text[32];
            sink = heap_copied(text, format_long_int_by_hand(grouped_value, text));
        },
        [] { sink = format_long_int_floor(grouped_value); });
    const Pair wide_seconds = compare(
        [&] {
            wchar_t *text = dll.format_long_int_wide(grouped_value);
            sink = static_cast<char>(text[0]);
            release(text);
        },
        [] {
            wchar_t text[32];
            sink = static_cast<char>(heap_copied(text, format_long_int_wide_by_hand(grouped_value, text)));
        });
    results.comparisons.push_back({"`FormatLongIntR8J`",
                                   "`sprintf` + `GetNumberFormatA` with a NULL `NUMBERFMT` + a heap copy",
                                   {narrow_seconds, peer_seconds},
                                   Goal::time_at_most,
                                   0.9});
    results.comparisons.push_back({"`FormatLongIntWR8J`",
                                   "`swprintf` + `GetNumberFormatW` with a NULL `NUMBERFMT` + a heap copy",
                                   wide_seconds, Goal::time_at_most, 0.9});
    results.comparisons.push_back({"`FormatLongIntR8J`, against the floor",
                                   "the digits and the separators of threes, known in advance, written into one "
                                   "block: the floor",
                                   {narrow_seconds, floor_seconds},
                                   Goal::rate_at_least,
                                   0});
}

#ifndef _WIN64
constexpr int32_t format_now_id = 21;

// The host's side of a script call: the callback sees the delivered text
// while it is valid, as a script host copies it.
struct Delivered {
    int32_t status = 0;
    std::string *copy = nullptr;
};

int32_t WINAPI take_delivery(int32_t status, intptr_t host_a, intptr_t, WilValue *result) {
    auto *delivered = reinterpret_cast<Delivered *>(host_a);
    delivered->status = status;
    sink = result->text ? result->text[0] : '\0';
    if (delivered->copy)
        *delivered->copy = result->text ? result->text : "";
    return 0;
}

void script_row(const Exports &dll, Results &results) {
    if (!dll.format_now || !dll.extender2)
        return;
    WilValue args[1] = {};
    args[0].type = WIL_TYPE_TEXT;
    args[0].text = const_cast<char *>(log_template);
    const auto call_script = [&](Delivered &delivered) {
        WilValue result{};
        dll.extender2(nullptr, 0, reinterpret_cast<intptr_t>(&delivered), format_now_id, take_delivery, 0, 0, args, 1,
                      &result);
    };
    const bool same = same_clock_text(results, "FormatNowR8J through WILExtender2", [&] {
        std::string script;
        Delivered delivered{0, &script};
        call_script(delivered);
        return std::pair{std::to_string(delivered.status) + ":" + script, "0:" + take(dll.format_now(log_template, 0))};
    });
    if (!same)
        return;
    Delivered delivered;
    const Pair t = compare([&] { call_script(delivered); },
                           [&] {
                               char *text = dll.format_now(log_template, 0);
                               sink = text[0];
                               release(text);
                           });
    results.comparisons.push_back(
        {"`FormatNowR8J` through `WILExtender2`", "`FormatNowAR8J` called directly", t, Goal::time_at_most, 1.1});
}
#endif

// `pattern` repeated to exactly n characters.
std::string repeated(std::string_view pattern, std::size_t n) {
    std::string text;
    text.reserve(n);
    while (text.size() < n)
        text.append(pattern.substr(0, n - text.size()));
    return text;
}

template <typename Work, typename Between = decltype(&nothing_between)>
GrowthPoint grow_point(std::size_t size, Work work, Between between = nothing_between) {
    return {size, time_per_call(work, between)};
}

void template_growth(const Exports &dll, Results &results) {
    if (!dll.format_ymdhms)
        return;
    Growth growth{"`FormatYmdHmsAR8J`, the log template repeated", "character of template", {}};
    for (const std::size_t size : {10u, 100u, 1000u, 10000u}) {
        const std::string text = repeated(log_template, size);
        const std::string once = take(dll.format_ymdhms(ymdhms, text.c_str()));
        if (once.empty() || once == "(NULL)") {
            problem(results, "FormatYmdHmsAR8J fails on a template of " + std::to_string(size) + " characters");
            return;
        }
        growth.points.push_back(grow_point(size, [&] {
            char *expanded = dll.format_ymdhms(ymdhms, text.c_str());
            sink = expanded[0];
            release(expanded);
        }));
    }
    results.growth.push_back(std::move(growth));
}

void log_growth(const Exports &dll, Results &results) {
    if (!dll.log_msg)
        return;
    const LogFile file = open_log("bwbench-growth.log");
    Growth growth{"`LogMsgAltAR8J`, lines of 50 bytes", "byte of message", {}};
    for (const std::size_t size : {100u, 10000u, 1000000u, 10000000u}) {
        const std::string message = repeated("a line of the message, written by the benchmark.\n", size);
        empty_log(file);
        const int once = dll.log_msg(message.c_str(), file.handle, 0);
        if (once != 0) {
            problem(results, "LogMsgAltAR8J returns " + std::to_string(once) + " for a message of " +
                                 std::to_string(size) + " bytes");
            break;
        }
        growth.points.push_back(grow_point(
            size, [&] { sink = static_cast<char>(dll.log_msg(message.c_str(), file.handle, 0)); },
            [&] { empty_log(file); }));
    }
    delete_log(file);
    results.growth.push_back(std::move(growth));
}

constexpr std::size_t text_sizes[] = {10, 100, 1000, 10000, 100000, 1000000};

void path_growth(const Exports &dll, Results &results) {
    if (!dll.path_fixup)
        return;
    Growth growth{"`PathStringFixupAR8J`, mode 1", "character of path", {}};
    for (const std::size_t size : text_sizes) {
        std::string path = repeated("C:\\Reports\\Quarterly\\", size);
        path.back() = 'x';
        if (take(dll.path_fixup(path.c_str(), 1)) != path + "\\") {
            problem(results, "PathStringFixupAR8J fails on a path of " + std::to_string(size) + " characters");
            return;
        }
        growth.points.push_back(grow_point(size, [&] {
            char *fixed = dll.path_fixup(path.c_str(), 1);
            sink = fixed[0];
            release(fixed);
        }));
    }
    results.growth.push_back(std::move(growth));
}

void quote_growth(const Exports &dll, Results &results) {
    if (!dll.quote)
        return;
    Growth growth{"`QuoteStringAR8J`, mode 2", "character of text", {}};
    for (const std::size_t size : text_sizes) {
        std::string text = repeated("the quick brown fox ", size);
        text.back() = 'x';
        if (take(dll.quote(text.c_str(), 2, nullptr)) != "\"" + text + "\"") {
            problem(results, "QuoteStringAR8J fails on a text of " + std::to_string(size) + " characters");
            return;
        }
        growth.points.push_back(grow_point(size, [&] {
            char *quoted = dll.quote(text.c_str(), 2, nullptr);
            sink = quoted[0];
            release(quoted);
        }));
    }
    results.growth.push_back(std::move(growth));
}

// The processor's brand text as this process sees it: an emulator that runs
// the process names its own. ARM64 has no instruction that gives it.
std::string processor_name() {
#if defined(__i386__) || defined(__x86_64__)
    if (__get_cpuid_max(0x80000000, nullptr) < 0x80000004)
        return "not known";
    char brand[49] = {};
    for (unsigned leaf = 0; leaf < 3; ++leaf) {
        unsigned registers[4];
        __cpuid(0x80000002 + leaf, registers[0], registers[1], registers[2], registers[3]);
        std::memcpy(brand + 16 * leaf, registers, sizeof registers);
    }
    std::string name(brand);
    name.erase(name.find_last_not_of(' ') + 1);
    return name;
#else
    return "not known";
#endif
}

// The loaded module's file size, and what its import and TLS directories
// list.
ModuleFigures module_figures(HMODULE module) {
    ModuleFigures figures;
    char path[MAX_PATH];
    figures.path.assign(path, GetModuleFileNameA(module, path, MAX_PATH));
    WIN32_FILE_ATTRIBUTE_DATA file{};
    if (GetFileAttributesExA(figures.path.c_str(), GetFileExInfoStandard, &file))
        figures.bytes = file.nFileSizeLow;
    const auto *base = reinterpret_cast<const BYTE *>(module);
    const auto *headers =
        reinterpret_cast<const IMAGE_NT_HEADERS *>(base + reinterpret_cast<const IMAGE_DOS_HEADER *>(base)->e_lfanew);
    const IMAGE_DATA_DIRECTORY &imports = headers->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    if (imports.VirtualAddress)
        for (auto *d = reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR *>(base + imports.VirtualAddress); d->Name; ++d) {
            std::size_t functions = 0;
            for (auto *thunk = reinterpret_cast<const IMAGE_THUNK_DATA *>(base + d->OriginalFirstThunk);
                 thunk->u1.AddressOfData; ++thunk)
                ++functions;
            figures.imports.emplace_back(reinterpret_cast<const char *>(base + d->Name), functions);
        }
    const IMAGE_DATA_DIRECTORY &tls = headers->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_TLS];
    if (tls.VirtualAddress) {
        const auto *directory = reinterpret_cast<const IMAGE_TLS_DIRECTORY *>(base + tls.VirtualAddress);
        for (auto *callback = reinterpret_cast<const PIMAGE_TLS_CALLBACK *>(directory->AddressOfCallBacks);
             callback && *callback; ++callback)
            ++figures.tls_callbacks;
    }
    return figures;
}

} // namespace

Results measure(HMODULE module) {
    Results results;
    results.build = sizeof(void *) == 8 ? "64-bit" : "32-bit";
    results.processor = processor_name();
    results.module = module_figures(module);
    const Exports dll = find_exports(module, results);
    format_now_row(dll, results);
    format_ymdhms_rows(dll, results);
    log_rows(dll, results);
    log_steps(dll, results);
    format_long_int_rows(dll, results);
#ifndef _WIN64
    // The 64-bit DLL has no script host.
    script_row(dll, results);
#endif
    template_growth(dll, results);
    log_growth(dll, results);
    path_growth(dll, results);
    quote_growth(dll, results);
    return results;
}

} // namespace bench
