// Many threads at once: each parses and formats dates of its own in both
// widths, reads the clock, uses the text services and writes log entries
// through one shared append handle. Every result must be right and every
// entry whole. Workers only record; the main thread checks.
#include "reliability.hpp"
#include "temp_folder.hpp"

#include <cstdio>
#include <string>
#include <vector>

namespace {

constexpr int thread_count = 16;
constexpr int rounds = 400;

// The text of one thread's round: the date it parses and what each call
// must give for it.
struct Round {
    std::string ymdhms;
    std::string formatted; // "^YYYY-^MM-^DD ^hh:^mm:^ss ^WWWW"
    std::wstring formatted_wide;
    DWORD field;
    DWORD field_value;
    std::string path, fixed;
    std::wstring name, directory, qualified;
    std::string text, quoted;
    INT number;
    std::string grouped;
    std::string message;
    INT utc;
};

constexpr const char *date_template = "^YYYY-^MM-^DD ^hh:^mm:^ss ^WWWW";

std::string grouped(long long value) {
    std::string digits = std::to_string(value < 0 ? -value : value), out;
    for (std::size_t i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0)
            out += ',';
        out += digits[i];
    }
    return (value < 0 ? "-" : "") + out;
}

Round round_of(int thread, int round) {
    SYSTEMTIME date{};
    date.wYear = static_cast<WORD>(1990 + thread * 3 + round % 3);
    date.wMonth = static_cast<WORD>(1 + round % 12);
    date.wDay = static_cast<WORD>(1 + (round * 7 + thread) % 28);
    date.wHour = static_cast<WORD>((thread * 5 + round) % 24);
    date.wMinute = static_cast<WORD>(round % 60);
    date.wSecond = static_cast<WORD>((thread * 11 + round) % 60);
    FILETIME stamp;
    SystemTimeToFileTime(&date, &stamp);
    FileTimeToSystemTime(&stamp, &date); // fills in the weekday
    const CALTYPE weekday_name = CAL_SDAYNAME1 + (date.wDayOfWeek + 6) % 7;
    char name[64] = {};
    wchar_t wide_name[64] = {};
    GetCalendarInfoA(LOCALE_USER_DEFAULT, CAL_GREGORIAN, weekday_name, name, 64, nullptr);
    GetCalendarInfoW(LOCALE_USER_DEFAULT, CAL_GREGORIAN, weekday_name, wide_name, 64, nullptr);

    char ymdhms[32], formatted[96];
    std::snprintf(ymdhms, sizeof ymdhms, "%04u:%02u:%02u:%02u:%02u:%02u", date.wYear, date.wMonth, date.wDay,
                  date.wHour, date.wMinute, date.wSecond);
    std::snprintf(formatted, sizeof formatted, "%04u-%02u-%02u %02u:%02u:%02u ", date.wYear, date.wMonth, date.wDay,
                  date.wHour, date.wMinute, date.wSecond);
    const DWORD fields[] = {date.wYear,   date.wMonth,  date.wDay,      date.wHour,
                            date.wMinute, date.wSecond, date.wDayOfWeek};
    const std::string t = std::to_string(thread), r = std::to_string(round);
    const std::wstring wt = std::to_wstring(thread), wr = std::to_wstring(round);
    const DWORD field = static_cast<DWORD>(round % 7 + 1);
    const INT number = (thread % 2 ? -1 : 1) * (thread * 1000003 + round * 7919);
    return {ymdhms,
            std::string(formatted) + name,
            test::as<wchar_t>(formatted) + wide_name,
            field,
            fields[field - 1],
            "C:\\t" + t + "\\r" + r,
            "C:\\t" + t + "\\r" + r + "\\",
            L"f" + wr + L".txt",
            L"C:\\t" + wt,
            L"C:\\t" + wt + L"\\f" + wr + L".txt",
            "thread " + t + " round " + r,
            "\"thread " + t + " round " + r + "\"",
            number,
            grouped(number),
            "thread " + t + " round " + r + "\nline two of " + t + "/" + r,
            round % 2};
}

struct Worker {
    const test::Exports *exports;
    HANDLE start;
    HANDLE log;
    std::vector<Round> rounds;
    int calls = 0;
    int wrong = 0;
    std::string first_wrong;
};

template <typename C> std::basic_string<C> taken(C *result) {
    std::basic_string<C> text = result ? result : std::basic_string<C>();
    if (result)
        HeapFree(GetProcessHeap(), 0, result);
    return text;
}

DWORD WINAPI work(void *argument) {
    auto *worker = static_cast<Worker *>(argument);
    const test::Exports &exports = *worker->exports;
    const auto &narrow = exports.narrow;
    const auto &wide = exports.wide;
    const auto check = [worker](bool right, const std::string &what) {
        ++worker->calls;
        if (!right && worker->wrong++ == 0)
            worker->first_wrong = what;
    };
    const std::wstring wide_template = test::as<wchar_t>(date_template);
    WaitForSingleObject(worker->start, INFINITE);
    for (const Round &r : worker->rounds) {
        const std::wstring ymdhms = test::as<wchar_t>(r.ymdhms);
        check(taken(narrow.format_ymdhms(r.ymdhms.c_str(), date_template)) == r.formatted, "FormatYmdHmsA " + r.ymdhms);
        check(taken(wide.format_ymdhms(ymdhms.c_str(), wide_template.c_str())) == r.formatted_wide,
              "FormatYmdHmsW " + r.ymdhms);
        SetLastError(1);
        check(narrow.extract(r.ymdhms.c_str(), r.field) == r.field_value && GetLastError() == 0,
              "ExtractFromYmdHmsA " + r.ymdhms);
        SetLastError(1);
        check(wide.extract(ymdhms.c_str(), r.field) == r.field_value && GetLastError() == 0,
              "ExtractFromYmdHmsW " + r.ymdhms);
        SYSTEMTIME now;
        GetSystemTime(&now);
        const std::string year = taken(narrow.format_now("^YYYY", 1));
        check(year == std::to_string(now.wYear) || year == std::to_string(now.wYear + 1), "FormatNowA " + year);
        check(taken(wide.format_now(L"^YYYY^MMMM^WWWW", 0)).size() > 4, "FormatNowW");
        check(taken(narrow.fixup(r.path.c_str(), 1)) == r.fixed, "PathStringFixupA " + r.path);
        check(taken(wide.qualify(r.name.c_str(), r.directory.c_str())) == r.qualified, "MakeFQFNW");
        check(taken(narrow.quote(r.text.c_str(), 1, nullptr)) == r.quoted, "QuoteStringA " + r.text);
        check(taken(narrow.format_long_int(r.number)) == r.grouped, "FormatLongIntR8J " + r.grouped);
        check(taken(wide.format_long_int(r.number)) == test::as<wchar_t>(r.grouped), "FormatLongIntWR8J " + r.grouped);
        check(narrow.log(r.message.c_str(), worker->log, r.utc) == 0, "LogMsgAltAR8J " + r.text);
        check(wide.log(test::as<wchar_t>(r.message).c_str(), worker->log, r.utc) == 0, "LogMsgAltWR8J " + r.text);
    }
    return 0;
}

class Threads : public test::TempFolder {};

TEST_F(Threads, ManyAtOnceGetRightResultsAndWholeLogEntries) {
    const test::Exports exports = test::exports();
    HANDLE log = exports.narrow.open_output(path("threads.log").c_str(), 1);
    ASSERT_NE(log, nullptr);
    HANDLE start = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    std::vector<Worker> workers(thread_count);
    for (int t = 0; t < thread_count; ++t) {
        workers[t] = {&exports, start, log, {}, 0, 0, {}};
        for (int r = 0; r < rounds; ++r)
            workers[t].rounds.push_back(round_of(t, r));
    }
    std::vector<HANDLE> threads;
    for (Worker &w : workers)
        threads.push_back(CreateThread(nullptr, 0, work, &w, 0, nullptr));
    SetEvent(start);
    ASSERT_EQ(WaitForMultipleObjects(thread_count, threads.data(), TRUE, 600'000), WAIT_OBJECT_0);
    for (HANDLE thread : threads)
        CloseHandle(thread);
    CloseHandle(start);
    EXPECT_EQ(exports.close(log), 1);

    for (const Worker &w : workers) {
        EXPECT_EQ(w.wrong, 0) << "first: " << w.first_wrong;
        test::tally().thread_calls += static_cast<std::size_t>(w.calls);
    }
    test::tally().threads += thread_count;

    // Entry by entry: a stamp, the first line, the indented second one; each
    // thread's entries in the order it wrote them, each round's twice, from
    // the narrow writer and then from the wide one.
    const std::string bytes = read("threads.log");
    std::vector<int> next(thread_count, 0);
    std::size_t at = 0, entries = 0;
    while (at < bytes.size()) {
        int thread = -1, round = -1;
        const std::size_t stamp = bytes.compare(at + 20, 4, "UTC ") == 0 ? 24 : 20;
        ASSERT_EQ(std::sscanf(bytes.c_str() + at + stamp, "thread %d round %d", &thread, &round), 2) << at;
        ASSERT_TRUE(thread >= 0 && thread < thread_count) << at;
        ASSERT_EQ(round, next[static_cast<std::size_t>(thread)]++ / 2) << "thread " << thread;
        const Round &r = workers[static_cast<std::size_t>(thread)].rounds[static_cast<std::size_t>(round)];
        ASSERT_EQ(stamp, r.utc ? 24u : 20u) << at;
        const std::string first = r.message.substr(0, r.message.find('\n'));
        const std::string entry =
            first + "\r\n" + std::string(stamp, ' ') + r.message.substr(first.size() + 1) + "\r\n";
        ASSERT_EQ(bytes.compare(at + stamp, entry.size(), entry), 0) << "entry at " << at << " is not whole";
        at += stamp + entry.size();
        ++entries;
    }
    EXPECT_EQ(entries, static_cast<std::size_t>(2 * thread_count * rounds));
}

} // namespace
