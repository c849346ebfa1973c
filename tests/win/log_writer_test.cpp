// The log writers as native programs and scripts use them: entries on real
// files with their stamps checked against the clock, result codes, where a
// handle puts an entry, threads sharing a handle, and failed allocations.
// The wide writer runs the narrow writer's tables with the messages widened,
// and writes non-ASCII messages in UTF-8.
#include "dll.hpp"
#ifndef _WIN64
#include "host.hpp"
#endif
#include "temp_folder.hpp"
#include "tests/cases/log_entries.hpp"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace {

using Log = decltype(test::WidthExports<char>::log);

template <typename C = char> auto log_msg() { return test::exports().width<C>().log; }
HANDLE open_input(const std::string &name) { return test::exports().narrow.open_input(name.c_str()); }
HANDLE open_output(const std::string &name, INT append) {
    return test::exports().narrow.open_output(name.c_str(), append);
}
void close(HANDLE file) { EXPECT_EQ(test::exports().close(file), 1); }

SYSTEMTIME now(bool utc) {
    SYSTEMTIME t;
    if (utc)
        GetSystemTime(&t);
    else
        GetLocalTime(&t);
    return t;
}

std::int64_t whole_seconds(const SYSTEMTIME &t) {
    FILETIME f{};
    EXPECT_TRUE(SystemTimeToFileTime(&t, &f));
    return static_cast<std::int64_t>((std::uint64_t{f.dwHighDateTime} << 32 | f.dwLowDateTime) / 10'000'000);
}

// Seconds between the calendar moments around a call; the stamp must fall
// inside.
struct Moment {
    SYSTEMTIME before, after;
};

// "2008/05/30 09:07:05 " or "2008/05/30 09:07:05 UTC ", for a time within
// the moment.
void expect_stamp(std::string_view stamp, bool utc, const Moment &moment) {
    const std::string_view shape = utc ? "dddd/dd/dd dd:dd:dd UTC " : "dddd/dd/dd dd:dd:dd ";
    ASSERT_EQ(stamp.size(), shape.size()) << testing::PrintToString(stamp);
    for (std::size_t i = 0; i < shape.size(); ++i) {
        const bool fits = shape[i] == 'd' ? stamp[i] >= '0' && stamp[i] <= '9' : stamp[i] == shape[i];
        ASSERT_TRUE(fits) << testing::PrintToString(stamp);
    }
    auto number = [&](std::size_t at, std::size_t digits) {
        return static_cast<WORD>(std::stoi(std::string(stamp.substr(at, digits))));
    };
    SYSTEMTIME t{};
    t.wYear = number(0, 4);
    t.wMonth = number(5, 2);
    t.wDay = number(8, 2);
    t.wHour = number(11, 2);
    t.wMinute = number(14, 2);
    t.wSecond = number(17, 2);
    EXPECT_LE(whole_seconds(moment.before), whole_seconds(t)) << stamp;
    EXPECT_LE(whole_seconds(t), whole_seconds(moment.after)) << stamp;
}

class LogWriter : public test::TempFolder {
protected:
    struct Logged {
        INT result;
        std::string bytes;
        Moment moment;
    };

    // One entry into a new file.
    template <typename C>
    Logged log_to_new_file(std::string_view name, const C *message, INT utc, HMODULE module = test::dll()) const {
        HANDLE file = open_output(path(name), 1);
        EXPECT_NE(file, nullptr);
        Moment moment{now(utc), {}};
        const INT result = test::exports(module).width<C>().log(message, file, utc);
        moment.after = now(utc);
        close(file);
        return {result, read(name), moment};
    }

    // One entry into a new file by a build of the DLL, byte for byte as the
    // pattern has it (with `fill` at its mark) and of `size` bytes when that
    // is given, the stamp checked against the clock.
    template <typename C>
    void expect_entry(const C *message, std::string_view pattern, INT utc, std::string_view fill = {},
                      std::size_t size = 0, HMODULE module = test::dll()) {
        const Logged logged = log_to_new_file("entry" + std::to_string(++serial) + ".log", message, utc, module);
        EXPECT_EQ(logged.result, 0);
        const std::size_t at = message[0] == '\n' ? 2 : 0;
        const std::string stamp = logged.bytes.substr(at, utc ? 24 : 20);
        expect_stamp(stamp, utc != 0, logged.moment);
        EXPECT_EQ(logged.bytes, test::expand_entry(pattern, stamp, utc != 0, fill));
        if (size != 0) {
            EXPECT_EQ(logged.bytes.size(), size);
        }
    }

private:
    int serial = 0;
};

// The narrow writer's cases, run through each writer with the messages in
// its width.
template <typename C> class LogWriterOf : public LogWriter {};
using Widths = ::testing::Types<char, wchar_t>;
TYPED_TEST_SUITE(LogWriterOf, Widths);

// A message of the table in the width C, UTF-8 as UTF-16 for the wide
// writer; null stays null.
template <typename C> std::basic_string<C> widened(const char *message) {
    const std::string text = message ? message : "";
    if constexpr (sizeof(C) == 1) {
        return text;
    } else {
        const int length = static_cast<int>(text.size());
        std::wstring wide(static_cast<std::size_t>(MultiByteToWideChar(CP_UTF8, 0, text.data(), length, nullptr, 0)),
                          L'\0');
        MultiByteToWideChar(CP_UTF8, 0, text.data(), length, wide.data(), static_cast<int>(wide.size()));
        return wide;
    }
}
template <typename C> const C *pointer(const char *message, const std::basic_string<C> &text) {
    return message ? text.c_str() : nullptr;
}

// Through the shipped DLL and the test build, whose work blocks fault when
// touched past their end.
TYPED_TEST(LogWriterOf, EntriesByteForByteWithLocalAndUtcStamps) {
    for (const HMODULE module : {test::dll(), test::faults_dll()})
        for (const INT utc : {0, 1, -3})
            for (const test::LogEntry &c : test::log_entries) {
                SCOPED_TRACE(testing::PrintToString(std::string(c.message)) + " utc " + std::to_string(utc) + " " +
                             std::to_string(c.characters));
                const std::string message = test::message_of(c, utc != 0);
                this->expect_entry(widened<TypeParam>(message.c_str()).c_str(), c.pattern, utc,
                                   test::fill_of(c, utc != 0), c.entry_size, module);
            }
}

TYPED_TEST(LogWriterOf, ResultCodesForMissingMessageOrHandle) {
    HANDLE file = open_output(this->path("codes.log"), 1);
    struct Case {
        const char *message;
        HANDLE file;
        INT result;
    } cases[] = {
        {nullptr, file, BW_LOG_NO_MESSAGE}, {"", file, BW_LOG_NO_MESSAGE},      {nullptr, nullptr, BW_LOG_NO_MESSAGE},
        {"", nullptr, BW_LOG_NO_MESSAGE},   {"abc", nullptr, BW_LOG_NO_HANDLE},
    };
    for (const Case &c : cases) {
        const std::basic_string<TypeParam> message = widened<TypeParam>(c.message);
        SetLastError(test::untouched);
        EXPECT_EQ(log_msg<TypeParam>()(pointer(c.message, message), c.file, 0), c.result)
            << (c.message ? c.message : "NULL");
        EXPECT_EQ(GetLastError(), test::untouched);
    }
    close(file);
    EXPECT_EQ(this->read("codes.log"), "");
}

TYPED_TEST(LogWriterOf, HandleOpenForReadingGivesThePlatformsError) {
    this->write("read-only.log", "abc");
    HANDLE file = open_input(this->path("read-only.log"));
    ASSERT_NE(file, nullptr);
    const auto log = log_msg<TypeParam>();
    const std::size_t blocks = test::busy_heap_blocks();
    const INT result = log(test::as<TypeParam>("message").c_str(), file, 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(result));
    EXPECT_EQ(result, ERROR_ACCESS_DENIED);
    EXPECT_EQ(test::busy_heap_blocks(), blocks);
    close(file);
    EXPECT_EQ(this->read("read-only.log"), "abc");
}

TEST_F(LogWriter, AppendHandleAddsEachEntryAtTheEnd) {
    write("append.log", "earlier\r\n");
    HANDLE file = open_output(path("append.log"), 1);
    const Moment moment{now(false), {}};
    EXPECT_EQ(log_msg()("one", file, 0), 0);
    EXPECT_EQ(log_msg()("two\nlines", file, 0), 0);
    const Moment done{moment.before, now(false)};
    close(file);
    const std::string bytes = read("append.log");
    ASSERT_EQ(bytes.size(), 9 + 25 + 20 + 3 + 22 + 5 + 2);
    const std::string first = bytes.substr(9, 20), second = bytes.substr(34, 20);
    expect_stamp(first, false, done);
    expect_stamp(second, false, done);
    EXPECT_EQ(bytes, "earlier\r\n" + first + "one\r\n" + second + "two" + test::line_separator(false) + "lines\r\n");
}

TEST_F(LogWriter, HandleWithoutAppendWritesOverTheStart) {
    std::string earlier;
    for (int i = 0; i < 10; ++i)
        earlier += "0123456789";
    write("start.log", earlier);
    HANDLE file = open_output(path("start.log"), 0);
    EXPECT_EQ(log_msg()("abc", file, 0), 0);
    close(file);
    const std::string bytes = read("start.log");
    ASSERT_EQ(bytes.size(), earlier.size());
    EXPECT_EQ(bytes.substr(20, 5), "abc\r\n");
    EXPECT_EQ(bytes.substr(25), earlier.substr(25));
}

// A pipe that takes no more than it has room for reports a short write.
TYPED_TEST(LogWriterOf, ShortWriteGivesMinusSeven) {
    const std::string name = "\\\\.\\pipe\\bw-short-" + std::to_string(GetCurrentProcessId());
    HANDLE server = CreateNamedPipeA(name.c_str(), PIPE_ACCESS_INBOUND, PIPE_TYPE_BYTE, 1, 64, 64, 0, nullptr);
    ASSERT_NE(server, INVALID_HANDLE_VALUE);
    HANDLE client = CreateFileA(name.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(client, INVALID_HANDLE_VALUE);
    DWORD mode = PIPE_NOWAIT;
    ASSERT_TRUE(SetNamedPipeHandleState(client, &mode, nullptr, nullptr));
    const std::basic_string<TypeParam> message(1 << 20, 'x');
    const auto log = log_msg<TypeParam>();
    const std::size_t blocks = test::busy_heap_blocks();
    EXPECT_EQ(log(message.c_str(), client, 0), BW_LOG_SHORT_WRITE);
    EXPECT_EQ(test::busy_heap_blocks(), blocks);
    CloseHandle(client);
    CloseHandle(server);
}

// So many line feeds that the entry could not be addressed: refused before
// anything is allocated or written. A 64-bit process addresses it.
#ifndef _WIN64
TYPED_TEST(LogWriterOf, MessageTooLargeForAnyBlockIsRefused) {
    HANDLE file = open_output(this->path("huge.log"), 1);
    const std::basic_string<TypeParam> message(90'000'000, '\n');
    const std::size_t blocks = test::busy_heap_blocks();
    SetLastError(0);
    EXPECT_EQ(log_msg<TypeParam>()(message.c_str(), file, 1), ERROR_NOT_ENOUGH_MEMORY);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NOT_ENOUGH_MEMORY));
    EXPECT_EQ(test::busy_heap_blocks(), blocks);
    close(file);
    EXPECT_EQ(this->read("huge.log"), "");
}
#endif

struct ThreadWork {
    HANDLE file;
    int thread;
    int entries;
    int failures;
};

std::string thread_message(int thread, int entry) {
    return "thread " + std::to_string(thread) + " entry " + std::to_string(entry) + "\nsecond line of " +
           std::to_string(thread) + "/" + std::to_string(entry);
}

DWORD WINAPI log_entries(void *argument) {
    auto *work = static_cast<ThreadWork *>(argument);
    const Log log = log_msg();
    for (int entry = 0; entry < work->entries; ++entry)
        work->failures += log(thread_message(work->thread, entry).c_str(), work->file, 0) != 0;
    return 0;
}

TEST_F(LogWriter, ThreadsSharingAnAppendHandleWriteWholeEntries) {
    constexpr int thread_count = 8, entries = 200;
    HANDLE file = open_output(path("threads.log"), 1);
    std::vector<ThreadWork> work;
    for (int t = 0; t < thread_count; ++t)
        work.push_back({file, t, entries, 0});
    const Moment moment{now(false), {}};
    std::vector<HANDLE> threads;
    for (ThreadWork &w : work)
        threads.push_back(CreateThread(nullptr, 0, log_entries, &w, 0, nullptr));
    WaitForMultipleObjects(thread_count, threads.data(), TRUE, INFINITE);
    const Moment done{moment.before, now(false)};
    for (HANDLE thread : threads)
        CloseHandle(thread);
    close(file);
    for (const ThreadWork &w : work)
        EXPECT_EQ(w.failures, 0);

    // Walk the file entry by entry; each thread's entries come in its order.
    const std::string bytes = read("threads.log");
    std::vector<int> next(thread_count, 0);
    std::size_t at = 0;
    while (at < bytes.size()) {
        expect_stamp(bytes.substr(at, 20), false, done);
        int thread = -1, entry = -1;
        ASSERT_EQ(std::sscanf(bytes.c_str() + at + 20, "thread %d entry %d", &thread, &entry), 2) << at;
        ASSERT_TRUE(thread >= 0 && thread < thread_count) << at;
        ASSERT_EQ(entry, next[static_cast<std::size_t>(thread)]++) << "thread " << thread;
        const std::string expected = bytes.substr(at, 20) + "thread " + std::to_string(thread) + " entry " +
                                     std::to_string(entry) + test::line_separator(false) + "second line of " +
                                     std::to_string(thread) + "/" + std::to_string(entry) + "\r\n";
        ASSERT_EQ(bytes.substr(at, expected.size()), expected) << at;
        at += expected.size();
    }
    EXPECT_EQ(next, std::vector<int>(thread_count, entries));
}

#ifndef _WIN64
TEST_F(LogWriter, ScriptCallsDeliverTheResultAndRecordIt) {
    HANDLE file = open_output(path("script.log"), 1);
    write("read-only.log", "x");
    HANDLE read_only = open_input(path("read-only.log"));
    const auto handle = [](HANDLE h) { return test::integer(static_cast<int32_t>(reinterpret_cast<intptr_t>(h))); };
    struct Case {
        std::vector<WilValue> args;
        int32_t result;
    } cases[] = {
        {{test::text("local"), handle(file)}, 0},
        {{test::text("utc"), handle(file), test::integer(1)}, 0},
        {{test::text("local again"), handle(file), test::integer(0)}, 0},
        {{test::text("no handle"), handle(nullptr)}, BW_LOG_NO_HANDLE},
        {{test::text(""), handle(file), test::integer(1)}, BW_LOG_NO_MESSAGE},
        {{test::text("read only"), handle(read_only)}, ERROR_ACCESS_DENIED},
    };
    const Moment local{now(false), {}}, utc{now(true), {}};
    for (Case &c : cases) {
        test::Host host;
        EXPECT_EQ(host.call(23, c.args), host.answer);
        const test::Delivery &d = host.only();
        EXPECT_EQ(d.status, 0);
        EXPECT_EQ(d.type, static_cast<uint32_t>(WIL_TYPE_INTEGER));
        EXPECT_EQ(d.integer, c.result);
        EXPECT_EQ(host.last_error(), c.result);
    }
    const Moment local_done{local.before, now(false)}, utc_done{utc.before, now(true)};
    close(file);
    close(read_only);

    const std::string bytes = read("script.log");
    ASSERT_EQ(bytes.size(), 20 + 7 + 24 + 5 + 20 + 13);
    expect_stamp(bytes.substr(0, 20), false, local_done);
    expect_stamp(bytes.substr(27, 24), true, utc_done);
    expect_stamp(bytes.substr(56, 20), false, local_done);
    EXPECT_EQ(bytes.substr(20, 7), "local\r\n");
    EXPECT_EQ(bytes.substr(51, 5), "utc\r\n");
    EXPECT_EQ(bytes.substr(76), "local again\r\n");
}
#endif

// Every heap request of a call fails in turn: a call then writes a whole
// entry or nothing and keeps no block. An entry of up to 4 KiB, and the
// UTF-8 text of a wide message of up to 1365 characters (1365 of two bytes
// each here), are built on the stack and make no request; a larger one
// answers 8 when its block cannot be had. Sized exactly, an entry is never enlarged, so
// no call answers -6.
TYPED_TEST(LogWriterOf, FailedAllocationsWriteNothingAndKeepNothing) {
    const auto log = test::exports(test::faults_dll()).width<TypeParam>().log;
    const std::string long_message = std::string(5000, 'x') + "\nlast line";
    std::string fits_the_stack;
    for (int i = 0; i < 1365; ++i)
        fits_the_stack += "\xC3\xA9";
    struct Case {
        const char *message;
        std::string_view ending;
        bool takes_a_block;
    } cases[] = {
        {"abc", "abc\r\n", false},
        {"ab\ncd", "cd\r\n", false},
        {"a\n\nb", "b\r\n", false},
        {"\n\nabc", "abc\r\n", false},
        {long_message.c_str(), "last line\r\n", true},
        {fits_the_stack.c_str(), "\xC3\xA9\r\n", false},
    };
    int serial = 0;
    for (const Case &c : cases) {
        SCOPED_TRACE(testing::PrintToString(std::string(c.message).substr(0, 20)));
        const std::string name = "faults" + std::to_string(++serial) + ".log";
        HANDLE file = open_output(this->path(name), 1);
        const std::basic_string<TypeParam> message = widened<TypeParam>(c.message);
        ASSERT_EQ(log(message.c_str(), file, 0), 0);
        std::vector<INT> results;
        results.reserve(64);
        const std::size_t blocks = test::busy_heap_blocks();
        for (LONG n = 1; n <= 40; ++n) {
            test::fail_heap_request(n);
            results.push_back(log(message.c_str(), file, 0));
            test::fail_heap_request(0);
        }
        EXPECT_EQ(test::busy_heap_blocks(), blocks);
        close(file);

        for (const INT result : results)
            EXPECT_TRUE(result == BW_LOG_OK || result == ERROR_NOT_ENOUGH_MEMORY) << result;
        EXPECT_EQ(std::count(results.begin(), results.end(), ERROR_NOT_ENOUGH_MEMORY) != 0, c.takes_a_block);
        EXPECT_EQ(results.back(), 0);
        const std::string bytes = this->read(name);
        std::size_t endings = 0;
        for (std::size_t at = bytes.find(c.ending); at != std::string::npos; at = bytes.find(c.ending, at + 1))
            ++endings;
        EXPECT_EQ(endings, 1 + static_cast<std::size_t>(std::count(results.begin(), results.end(), 0)));
    }
}

// Text of several scripts, each UTF-8 length at both ends, and a message
// whose UTF-8 text needs a block of its own: the entry as the narrow writer
// lays it out, the text in UTF-8, no byte-order mark.
TEST_F(LogWriter, WideMessagesAreWrittenInUtf8) {
    std::string long_entry = "#";
    for (int i = 0; i < 2100; ++i)
        long_entry += "\xE6\x97\xA5";
    const struct {
        std::wstring message;
        std::string pattern;
    } cases[] = {
        {L"Gr\u00fc\u00dfe, \u65e5\u672c, \U0001F600", "#Gr\xC3\xBC\xC3\x9F"
                                                       "e, \xE6\x97\xA5\xE6\x9C\xAC, \xF0\x9F\x98\x80\r\n"},
        {L"\u0391\u03b8\n\u0416\u0435\n\u0627\u0644\n\u0939\u093f",
         "#\xCE\x91\xCE\xB8|\xD0\x96\xD0\xB5|\xD8\xA7\xD9\x84|\xE0\xA4\xB9\xE0\xA4\xBF\r\n"},
        {L"\x7F\x80\x7FF\x800\xFFFF\U00010000\U0010FFFF",
         "#\x7F\xC2\x80\xDF\xBF\xE0\xA0\x80\xEF\xBF\xBF\xF0\x90\x80\x80\xF4\x8F\xBF\xBF\r\n"},
        {L"\n\u00e9\n\n\u00e8\n", "\r\n#\xC3\xA9~\xC3\xA8\r\n\r\n"},
        {std::wstring(2100, L'\u65e5'), long_entry + "\r\n"},
    };
    for (const INT utc : {0, 1})
        for (const auto &c : cases) {
            SCOPED_TRACE(testing::PrintToString(c.pattern.substr(0, 40)) + " utc " + std::to_string(utc));
            expect_entry(c.message.c_str(), c.pattern, utc);
        }
}

// A lone surrogate has no UTF-8 form: refused with 1113, also as the last
// error, after the handle's check, and nothing is written or kept. A high
// surrogate pairs only with a low one that follows it: not with another
// high one, a letter or the end of the text.
TEST_F(LogWriter, WideMessageWithALoneSurrogateIsRefused) {
    constexpr wchar_t high = 0xD83D, low = 0xDE00;
    HANDLE file = open_output(path("refused.log"), 1);
    const std::size_t blocks = test::busy_heap_blocks();
    for (const std::wstring &message :
         {std::wstring{high}, std::wstring{L'a', high}, std::wstring{high, high}, std::wstring{high, L'\u65e5'},
          std::wstring{L'a', low, L'b'}, std::wstring{low, high}, std::wstring{low, L'a'},
          std::wstring{high, high, low}, std::wstring(5000, L'x') + high}) {
        EXPECT_EQ(log_msg<wchar_t>()(message.c_str(), nullptr, 0), BW_LOG_NO_HANDLE);
        SetLastError(0);
        EXPECT_EQ(log_msg<wchar_t>()(message.c_str(), file, 0), ERROR_NO_UNICODE_TRANSLATION) << message.size();
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NO_UNICODE_TRANSLATION));
    }
    EXPECT_EQ(test::busy_heap_blocks(), blocks);
    close(file);
    EXPECT_EQ(read("refused.log"), "");
}

} // namespace
