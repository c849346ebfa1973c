// The date and time exports, narrow and wide, and their script functions,
// as native callers and the script host use them.
#include "dll.hpp"
#ifndef _WIN64
#include "host.hpp"
#endif
#include "tests/cases/date_template.hpp"

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

using test::ansi;
using test::as;

// A heap result's text; its block must be exactly the text and its
// terminator. The block is released.
template <typename C> std::basic_string<C> take(C *result) {
    const test::Owned<C> owned = test::take(result);
    EXPECT_EQ(owned.block, owned.text.size() + 1);
    return owned.text;
}

template <typename C> class DateTimeExports : public ::testing::Test {};
using Variants = ::testing::Types<char, wchar_t>;
TYPED_TEST_SUITE(DateTimeExports, Variants);

TYPED_TEST(DateTimeExports, FormatYmdHmsExpandsTemplates) {
    using C = TypeParam;
    const auto api = test::exports().width<C>();
    for (const test::Expansion &c : test::expansions) {
        const auto date_template = as<C>(c.date_template);
        SetLastError(test::untouched);
        C *result = api.format_ymdhms(as<C>(c.ymdhms).c_str(), date_template.c_str());
        EXPECT_EQ(GetLastError(), 0u) << c.date_template;
        EXPECT_NE(static_cast<const C *>(result), date_template.c_str());
        EXPECT_EQ(take(result), as<C>(c.expected)) << c.ymdhms << ' ' << c.date_template;
        EXPECT_EQ(date_template, as<C>(c.date_template));
    }
}

struct Failure {
    const char *ymdhms;
    const char *date_template;
    bool shared_empty; // else NULL
    DWORD error;
};

TYPED_TEST(DateTimeExports, FormatYmdHmsFailsWithItsCodes) {
    using C = TypeParam;
    const Failure cases[] = {
        {nullptr, nullptr, false, BW_E_TEMPLATE_NULL},
        {"2008:05:30:14:07:09", nullptr, false, BW_E_TEMPLATE_NULL},
        {"bad", "", false, BW_E_TEMPLATE_EMPTY},
        {nullptr, "^DD", false, BW_E_YMDHMS_NULL},
        {"", "^DD", false, BW_E_YMDHMS_EMPTY},
        {"2008:05:30:14:07:09x", "^DD", false, BW_E_YMDHMS_TOO_LONG},
        {"2008-05:30:14:07:09", "^DD", false, BW_E_YMDHMS_LAYOUT},
        {"2008:05:30:14:07", "^DD", false, BW_E_YMDHMS_LAYOUT},
        // The names are looked up before the template is read.
        {"2008:14:01:00:00:00", "^DD", true, BW_E_TEMPLATE_NULL},
        {"2008:14:01:00:00:00", "no tokens", true, BW_E_TEMPLATE_NULL},
        // The thirteenth month has an empty name: nothing is left.
        {"2008:13:01:00:00:00", "^MMMM", true, 0},
    };
    const auto api = test::exports().width<C>();
    for (const Failure &c : cases) {
        const auto ymdhms = as<C>(c.ymdhms ? c.ymdhms : "");
        const auto date_template = as<C>(c.date_template ? c.date_template : "");
        SetLastError(test::untouched);
        const C *result =
            api.format_ymdhms(c.ymdhms ? ymdhms.c_str() : nullptr, c.date_template ? date_template.c_str() : nullptr);
        EXPECT_EQ(GetLastError(), c.error) << c.ymdhms << ' ' << c.date_template;
        EXPECT_EQ(result, c.shared_empty ? test::shared_empty<C>() : nullptr) << c.ymdhms << ' ' << c.date_template;
    }
}

TYPED_TEST(DateTimeExports, ResultsHaveNoLengthLimit) {
    using C = TypeParam;
    std::basic_string<C> date_template, expected;
    for (int i = 0; i < 40000; ++i) {
        date_template += as<C>("^DD^^MMMM");
        expected += as<C>("055ecember");
    }
    const auto api = test::exports().width<C>();
    EXPECT_EQ(take(api.format_ymdhms(as<C>("2008:12:05:00:00:00").c_str(), date_template.c_str())), expected);
}

// The clock is read inside the call: the result must match a reading taken
// just before or just after it.
template <typename C> void expect_now(INT utc) {
    auto read = [utc] {
        constexpr const char *weekdays[] = {"Sunday",   "Monday", "Tuesday", "Wednesday",
                                            "Thursday", "Friday", "Saturday"};
        SYSTEMTIME t;
        utc ? GetSystemTime(&t) : GetLocalTime(&t);
        char text[64];
        std::snprintf(text, sizeof text, "%04u-%02u-%02u %s %02u", t.wYear, t.wMonth, t.wDay, weekdays[t.wDayOfWeek],
                      t.wHour);
        return as<C>(text);
    };
    const auto api = test::exports().width<C>();
    const auto before = read();
    const auto got = take(api.format_now(as<C>("^YYYY-^MM-^DD ^WWWW ^hh").c_str(), utc));
    const auto after = read();
    EXPECT_TRUE(got == before || got == after) << utc;
}

TYPED_TEST(DateTimeExports, FormatNowReadsTheUtcOrLocalClock) {
    expect_now<TypeParam>(1);
    expect_now<TypeParam>(0);
    expect_now<TypeParam>(-7);
}

TYPED_TEST(DateTimeExports, FormatNowChecksTheTemplate) {
    using C = TypeParam;
    const auto api = test::exports().width<C>();
    SetLastError(0);
    EXPECT_EQ(api.format_now(nullptr, 1), nullptr);
    EXPECT_EQ(GetLastError(), DWORD{BW_E_TEMPLATE_NULL});
    EXPECT_EQ(api.format_now(as<C>("").c_str(), 0), nullptr);
    EXPECT_EQ(GetLastError(), DWORD{BW_E_TEMPLATE_EMPTY});
}

TYPED_TEST(DateTimeExports, ExtractFromYmdHmsPicksFields) {
    using C = TypeParam;
    const auto api = test::exports().width<C>();
    const auto date = as<C>("2008:05:30:09:07:05");
    const DWORD expected[] = {0, 2008, 5, 30, 9, 7, 5, 5, 0, 0};
    for (DWORD field = 0; field < std::size(expected); ++field) {
        SetLastError(test::untouched);
        EXPECT_EQ(api.extract(date.c_str(), field), expected[field]) << field;
        EXPECT_EQ(GetLastError(), 0u) << field;
    }
    EXPECT_EQ(api.extract(as<C>("-001:13:45:99:99:-1").c_str(), BW_FIELD_YEAR), 65535u);
    EXPECT_EQ(api.extract(as<C>("-001:13:45:99:99:-1").c_str(), BW_FIELD_SECOND), 65535u);
    EXPECT_EQ(api.extract(as<C>("2008:13:45:99:99:99").c_str(), BW_FIELD_WEEKDAY), 6u);
}

TYPED_TEST(DateTimeExports, ExtractFromYmdHmsFailsWithItsCodes) {
    using C = TypeParam;
    const auto api = test::exports().width<C>();
    const struct {
        const char *ymdhms;
        DWORD error;
    } cases[] = {
        {nullptr, BW_E_TEMPLATE_NULL},
        {"", BW_E_TEMPLATE_EMPTY},
        {"2008:05:30:14:07:09x", BW_E_YMDHMS_TOO_LONG},
        {"2008:05:30:14:07:0:", BW_E_YMDHMS_LAYOUT},
    };
    for (const auto &c : cases) {
        const auto text = as<C>(c.ymdhms ? c.ymdhms : "");
        SetLastError(0);
        EXPECT_EQ(api.extract(c.ymdhms ? text.c_str() : nullptr, BW_FIELD_YEAR), 0u);
        EXPECT_EQ(GetLastError(), c.error) << (c.ymdhms ? c.ymdhms : "NULL");
    }
}

// The name GetTimeZoneInformation gives for the zone in force.
std::wstring zone_name_in_force() {
    TIME_ZONE_INFORMATION zone{};
    const DWORD id = GetTimeZoneInformation(&zone);
    return id == TIME_ZONE_ID_DAYLIGHT ? zone.DaylightName : zone.StandardName;
}

void expect_zone_names() {
    const auto narrow = test::exports().narrow.zone_name;
    const auto wide = test::exports().wide.zone_name;
    const std::wstring expected = zone_name_in_force();
    ASSERT_FALSE(expected.empty());
    SetLastError(test::untouched);
    const char *first = narrow();
    EXPECT_EQ(GetLastError(), test::untouched);
    EXPECT_EQ(first, narrow()) << "one static buffer";
    EXPECT_EQ(first, ansi(expected));
    const wchar_t *w = wide();
    EXPECT_EQ(w, wide());
    EXPECT_EQ(w, expected);
    EXPECT_EQ(w[32], L'\0');
}

TEST(TimeZoneName, IsTheNameInForceInBothVariants) { expect_zone_names(); }

TEST(TimeZoneNameTzUtc, AZoneWithoutDaylightTimeHasItsStandardName) {
    TIME_ZONE_INFORMATION zone{};
    ASSERT_EQ(GetTimeZoneInformation(&zone), static_cast<DWORD>(TIME_ZONE_ID_UNKNOWN));
    expect_zone_names();
}

TEST(TimeZoneNameDeDE, ConvertsANonAsciiNameToTheAnsiCodePage) {
    ASSERT_NE(zone_name_in_force().find_first_of(L"\u00e4\u00f6\u00fc"), std::wstring::npos) << "a name with umlauts";
    expect_zone_names();
}

TEST(ExtractrFromSystemDate, ReadsTheUtcOrLocalClock) {
    const auto extract = test::exports().extract_system;
    for (INT utc : {1, 0}) {
        SYSTEMTIME before, after;
        utc ? GetSystemTime(&before) : GetLocalTime(&before);
        SetLastError(test::untouched);
        const DWORD hour = extract(utc, BW_FIELD_HOUR), year = extract(utc, BW_FIELD_YEAR),
                    weekday = extract(utc, BW_FIELD_WEEKDAY);
        utc ? GetSystemTime(&after) : GetLocalTime(&after);
        EXPECT_EQ(GetLastError(), test::untouched);
        EXPECT_TRUE(hour == before.wHour || hour == after.wHour) << utc;
        EXPECT_TRUE(year == before.wYear || year == after.wYear) << utc;
        EXPECT_TRUE(weekday == before.wDayOfWeek || weekday == after.wDayOfWeek) << utc;
        for (DWORD field : {0u, 8u, 9u, 0xFFFFFFFFu})
            EXPECT_EQ(extract(utc, field), 0u) << field;
    }
}

// German names, non-ASCII in both variants: the narrow ones in the ANSI
// code page.
TEST(FormatYmdHmsDeDE, NamesComeFromTheUserLocale) {
    const struct {
        const char *ymdhms;
        const char *date_template;
        const wchar_t *expected;
    } cases[] = {
        {"2008:03:02:00:00:00", "^WWWW, ^D. ^MMMM ^YYYY", L"Sonntag, 2. M\u00e4rz 2008"},
        {"2008:03:02:00:00:00", "^WWW|^WW|^MMM", L"So.|So.|M\u00e4r"},
        {"2008:05:30:00:00:00", "^MMM ^WWWW", L"Mai Freitag"},
        {"2008:12:05:00:00:00", "^^MMMM", L"5ezember"},
    };
    const auto narrow = test::exports().narrow;
    const auto wide = test::exports().wide;
    for (const auto &c : cases) {
        EXPECT_EQ(take(wide.format_ymdhms(as<wchar_t>(c.ymdhms).c_str(), as<wchar_t>(c.date_template).c_str())),
                  c.expected)
            << c.date_template;
        EXPECT_EQ(take(narrow.format_ymdhms(c.ymdhms, c.date_template)), ansi(c.expected)) << c.date_template;
    }
}

// The narrow names are read wide and converted: they must be the bytes that
// the narrow calendar call gives, for every month and weekday, in the ANSI
// code page of each locale (UTF-8 under hi_IN).
void expect_names_of_the_narrow_calendar_call() {
    const auto narrow = test::exports().narrow;
    auto name = [](CALTYPE type) {
        char text[64] = {};
        EXPECT_NE(GetCalendarInfoA(LOCALE_USER_DEFAULT, CAL_GREGORIAN, type, text, 64, nullptr), 0) << type;
        return std::string(text);
    };
    char ymdhms[20];
    for (unsigned month = 1; month <= 12; ++month) {
        std::snprintf(ymdhms, sizeof ymdhms, "2008:%02u:01:00:00:00", month);
        EXPECT_EQ(take(narrow.format_ymdhms(ymdhms, "^MMMM|^MMM")),
                  name(CAL_SMONTHNAME1 + month - 1) + "|" + name(CAL_SABBREVMONTHNAME1 + month - 1))
            << month;
    }
    // 2008-09-01 is a Monday, the first of the calendar's weekdays.
    for (unsigned day = 1; day <= 7; ++day) {
        std::snprintf(ymdhms, sizeof ymdhms, "2008:09:%02u:00:00:00", day);
        EXPECT_EQ(take(narrow.format_ymdhms(ymdhms, "^WWWW|^WWW")),
                  name(CAL_SDAYNAME1 + day - 1) + "|" + name(CAL_SABBREVDAYNAME1 + day - 1))
            << day;
    }
}

TEST(FormatYmdHms, NarrowNamesAreThoseOfTheNarrowCalendarCall) { expect_names_of_the_narrow_calendar_call(); }
TEST(FormatYmdHmsDeDE, NarrowNamesAreThoseOfTheNarrowCalendarCall) { expect_names_of_the_narrow_calendar_call(); }
TEST(FormatYmdHmsHiIN, NarrowNamesAreThoseOfTheNarrowCalendarCall) { expect_names_of_the_narrow_calendar_call(); }

// Allocation failures, through the test build of the DLL.

// Fails each heap request of a call in turn: every failure gives the shared
// empty text and leaves no block behind. The names take no heap block.
template <typename C> void expect_clean_failures(const char *date_template, const char *expected, int requests) {
    const auto api = test::exports(test::faults_dll()).width<C>();
    const C *empty = test::shared_empty<C>(test::faults_dll());
    const auto ymdhms = as<C>("2008:12:05:07:03:04");
    const auto text = as<C>(date_template);
    for (int n = 1; n <= requests + 1; ++n) {
        const std::size_t busy = test::busy_heap_blocks();
        test::fail_heap_request(n);
        SetLastError(test::untouched);
        C *result = api.format_ymdhms(ymdhms.c_str(), text.c_str());
        const DWORD error = GetLastError();
        test::fail_heap_request(0);
        if (n <= requests) {
            EXPECT_EQ(result, empty) << date_template << ' ' << n;
            EXPECT_EQ(error, 0u) << date_template << ' ' << n;
        } else {
            EXPECT_EQ(take(result), as<C>(expected)) << date_template;
        }
        EXPECT_EQ(test::busy_heap_blocks(), busy) << date_template << ' ' << n;
    }
}

TYPED_TEST(DateTimeExports, AllocationFailuresLeaveNoBlock) {
    // The result.
    expect_clean_failures<TypeParam>("^YYYY-^MM-^DD ^WWWW", "2008-12-05 Friday", 1);
    // A block for each of the passes: month name, ^D, ^hh.
    expect_clean_failures<TypeParam>("^^MMMM ^hh", "5ecember 07", 3);
}

#ifndef _WIN64
// Script functions through the fake host.

using test::Host;

// Records `recorded_before` first, so that "unchanged" shows.
void record_before() {
    Host probe;
    probe.call(4);
}

TEST(FormatNowScript, DeliversTheTextAndReleasesIt) {
    Host host;
    host.answer = 31;
    record_before();
    SYSTEMTIME now;
    GetSystemTime(&now);
    host.call(21, {test::text("^YYYY"), test::integer(1)});
    const std::size_t busy = test::busy_heap_blocks();
    for (int32_t id : {21, 21 + 65536}) {
        EXPECT_EQ(host.call(id, {test::text("^YYYY"), test::integer(1)}), 31);
        const test::Delivery &d = host.only();
        EXPECT_EQ(d.status, 0);
        EXPECT_EQ(d.type, static_cast<uint32_t>(WIL_TYPE_TEXT));
        EXPECT_EQ(d.text, std::to_string(now.wYear));
    }
    EXPECT_EQ(test::busy_heap_blocks(), busy);
    EXPECT_EQ(host.last_error(), test::recorded_before);
}

TEST(FormatNowScript, OneArgumentFormatsTheLocalTime) {
    Host host;
    SYSTEMTIME before, after;
    GetLocalTime(&before);
    host.call(21, {test::text("^YYYY^MM^DD^hh")});
    GetLocalTime(&after);
    auto text = [](const SYSTEMTIME &t) {
        char s[32];
        std::snprintf(s, sizeof s, "%04u%02u%02u%02u", t.wYear, t.wMonth, t.wDay, t.wHour);
        return std::string(s);
    };
    const std::string got = host.only().text;
    EXPECT_TRUE(got == text(before) || got == text(after)) << got;
}

TEST(FormatNowScript, AMissingOrEmptyTemplateDeliversTheEmptyText) {
    const char *empty = test::shared_empty<char>();
    record_before();
    for (const char *date_template : {"", static_cast<const char *>(nullptr)}) {
        Host host;
        host.call(21, {test::text(date_template), test::integer(1)});
        const test::Delivery &d = host.only();
        EXPECT_EQ(d.status, 0);
        EXPECT_EQ(d.type, static_cast<uint32_t>(WIL_TYPE_TEXT));
        EXPECT_EQ(d.text_pointer, empty);
    }
    EXPECT_EQ(Host().last_error(), test::recorded_before);
}

TEST(FormatYmdHmsScript, DeliversTheTextAndLeavesTheRecordedErrorAlone) {
    Host host;
    host.call(22, {test::text("2008:05:30:09:07:05"), test::text("^YYYY")});
    record_before();
    const std::size_t busy = test::busy_heap_blocks();
    EXPECT_EQ(host.call(22, {test::text("2008:05:30:09:07:05"), test::text("^YYYY/^MM/^DD ^hh:^mm:^ss")}), host.answer);
    const std::size_t after = test::busy_heap_blocks();
    EXPECT_EQ(host.only().status, 0);
    EXPECT_EQ(host.only().text, "2008/05/30 09:07:05");
    EXPECT_EQ(after, busy);
    EXPECT_EQ(host.last_error(), test::recorded_before);
}

TEST(FormatYmdHmsScript, FailuresDeliverTheirMessage) {
    const struct {
        const char *ymdhms;
        const char *date_template;
        int32_t status;
        const char *message;
        int32_t recorded;
    } cases[] = {
        {"2008:05:30:14:07:09x", "^DD", -1, "005:YmdHms string is too long - > 19 characters.", BW_E_YMDHMS_TOO_LONG},
        {"2008:05:30:14:07:09", nullptr, -1, "001:Date format string is NULL.", BW_E_TEMPLATE_NULL},
        {"2008:05:30:14:07:09", "", -1, "002:Date format string is empty.", BW_E_TEMPLATE_EMPTY},
        {nullptr, "^DD", -1, "003:YmdHms string is NULL.", BW_E_YMDHMS_NULL},
        {"", "^DD", -1, "004:YmdHms string is empty.", BW_E_YMDHMS_EMPTY},
        {"2008:05:30:14-07:09", "^DD", -1, "006:YmdHms string format is invalid - colons are are misplaced.",
         BW_E_YMDHMS_LAYOUT},
        // An empty result without a code.
        {"2008:13:01:00:00:00", "^MMMM", -3, "009:Undefined internal error", 0},
    };
    for (const auto &c : cases) {
        record_before();
        Host host;
        host.answer = -12;
        EXPECT_EQ(host.call(22, {test::text(c.ymdhms), test::text(c.date_template)}), -12);
        const test::Delivery &d = host.only();
        EXPECT_EQ(d.status, c.status) << c.message;
        EXPECT_EQ(d.type, static_cast<uint32_t>(WIL_TYPE_TEXT));
        EXPECT_EQ(d.text, c.message);
        EXPECT_EQ(host.last_error(), c.recorded) << c.message;
    }
}

TEST(ExtractScripts, DeliverIntegersWithoutASuccessTest) {
    record_before();
    SYSTEMTIME now;
    GetSystemTime(&now);
    const struct {
        int32_t id;
        std::vector<WilValue> args;
        int32_t expected;
    } cases[] = {
        {25, {test::text("2008:05:30:09:07:05"), test::integer(BW_FIELD_YEAR)}, 2008},
        {25, {test::text("2008:05:30:09:07:05"), test::integer(BW_FIELD_WEEKDAY)}, 5},
        {25, {test::text("2008:05:30:09:07:05"), test::integer(8)}, 0},
        {25, {test::text("2008:05:30:09:07:05x"), test::integer(BW_FIELD_YEAR)}, 0},
        {25, {test::text("-001:05:30:09:07:05"), test::integer(BW_FIELD_YEAR)}, 65535},
        {26, {test::integer(1), test::integer(BW_FIELD_YEAR)}, now.wYear},
        {26, {test::integer(1), test::integer(9)}, 0},
    };
    for (const auto &c : cases) {
        Host host;
        host.call(c.id, c.args);
        const test::Delivery &d = host.only();
        EXPECT_EQ(d.status, 0) << c.id;
        EXPECT_EQ(d.type, static_cast<uint32_t>(WIL_TYPE_INTEGER));
        EXPECT_EQ(d.integer, c.expected) << c.id;
    }
    EXPECT_EQ(Host().last_error(), test::recorded_before);
}

TEST(TimeZoneNameScript, DeliversTheStaticNameAndRecordsZero) {
    record_before();
    Host host;
    host.call(29);
    const char *name = test::exports().narrow.zone_name();
    const test::Delivery &d = host.only();
    EXPECT_EQ(d.status, 0);
    EXPECT_EQ(d.type, static_cast<uint32_t>(WIL_TYPE_TEXT));
    EXPECT_EQ(d.text_pointer, name);
    EXPECT_EQ(d.text, ansi(zone_name_in_force()));
    EXPECT_EQ(host.last_error(), 0);
}

// The host callback of the test build's extender: status and text only.
struct Seen {
    int32_t status = 99;
    std::string text;
    const char *pointer = nullptr;
};

int32_t WINAPI see(int32_t status, intptr_t host_a, intptr_t, WilValue *result) {
    auto *seen = reinterpret_cast<Seen *>(host_a);
    seen->status = status;
    seen->pointer = result->text;
    seen->text = result->text ? result->text : "";
    return 0;
}

Seen call_faulty(int32_t id, std::vector<WilValue> args, LONG fail) {
    Seen seen;
    WilValue result{};
    test::fail_heap_request(fail);
    test::extender2(test::faults_dll())(nullptr, 0, reinterpret_cast<intptr_t>(&seen), id, see, 0, 0, args.data(),
                                        static_cast<int32_t>(args.size()), &result);
    test::fail_heap_request(0);
    return seen;
}

TEST(ScriptAllocationFailures, FormatNowDeliversEmptyAndFormatYmdHmsAnInternalError) {
    Seen now = call_faulty(21, {test::text("^YYYY"), test::integer(1)}, 0);
    Seen ymdhms = now;
    const std::size_t busy = test::busy_heap_blocks();
    now = call_faulty(21, {test::text("^YYYY"), test::integer(1)}, 1);
    ymdhms = call_faulty(22, {test::text("2008:05:30:09:07:05"), test::text("^YYYY")}, 1);
    EXPECT_EQ(test::busy_heap_blocks(), busy);

    EXPECT_EQ(now.status, 0);
    EXPECT_EQ(now.pointer, test::shared_empty<char>(test::faults_dll()));
    EXPECT_EQ(ymdhms.status, -3);
    EXPECT_EQ(ymdhms.text, "009:Undefined internal error");
}
#endif

} // namespace
