// YmdHms parsing, day numbers and weekdays, for narrow and both wide widths.
#include "datetime/pure/ymdhms.hpp"
#include "tests/ascii_text.hpp"

#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <thread>
#include <vector>

namespace {

template <typename C> class Ymdhms : public ::testing::Test {};
using Widths = ::testing::Types<char, wchar_t, char16_t>;
TYPED_TEST_SUITE(Ymdhms, Widths);

struct Accepted {
    std::string_view text;
    bw::Date date; // year, month, weekday, day, hour, minute, second, ms
};

TYPED_TEST(Ymdhms, AcceptsLayoutsAndStoresFieldsUnchecked) {
    const Accepted cases[] = {
        {"2008:05:30:14:07:09", {2008, 5, 5, 30, 14, 7, 9, 0}},
        {"2008:05:30:14:07:", {2008, 5, 5, 30, 14, 7, 0, 0}},
        {"2008:05:30:14:07:9", {2008, 5, 5, 30, 14, 7, 9, 0}},
        {"2008:13:45:99:99:99", {2008, 13, 6, 45, 99, 99, 99, 0}},
        {"2008:ab:30:14:07:09", {2008, 0, 0, 30, 14, 7, 9, 0}},
        {"2008: 5:30:14:07:09", {2008, 5, 5, 30, 14, 7, 9, 0}},
        {"2008:\t5:30:\n4:\r7:\f9", {2008, 5, 5, 30, 4, 7, 9, 0}},
        {"-001:05:30:14:07:09", {65535, 5, 4, 30, 14, 7, 9, 0}},
        {"+008:05:30:14:07:09", {8, 5, 5, 30, 14, 7, 9, 0}},
        {"2008:5x:3y:1-:-0:+9", {2008, 5, 6, 3, 1, 0, 9, 0}},
        {"2008:05:30:14:07:-1", {2008, 5, 5, 30, 14, 7, 65535, 0}},
        {"   7:05:30:00:00:00", {7, 5, 3, 30, 0, 0, 0, 0}},
        {"    :  :  :  :  :  ", {0, 0, 6, 0, 0, 0, 0, 0}},
        {"2008:06:01:00:00:00", {2008, 6, 0, 1, 0, 0, 0, 0}},
    };
    for (const Accepted &c : cases) {
        const auto text = test::as<TypeParam>(c.text);
        const bw::Parsed parsed = bw::parse_ymdhms(text.c_str());
        ASSERT_EQ(parsed.code, 0u) << c.text;
        const bw::Date &d = parsed.date;
        EXPECT_EQ((std::vector<int>{d.year, d.month, d.weekday, d.day, d.hour, d.minute, d.second, d.milliseconds}),
                  (std::vector<int>{c.date.year, c.date.month, c.date.weekday, c.date.day, c.date.hour, c.date.minute,
                                    c.date.second, c.date.milliseconds}))
            << c.text;
    }
}

TYPED_TEST(Ymdhms, RejectsWithTheFirstFailingCode) {
    const struct {
        std::string_view text;
        std::uint32_t code;
    } cases[] = {
        {"", 0x20000004},
        {"2008:05:30:14:07:09x", 0x20000005},
        {"2008:05:30:14:07:09:00", 0x20000005},
        {"20080530140709000000", 0x20000005},
        {"2008:05:30:14:07", 0x20000006},
        {"2008:05:30", 0x20000006},
        {"2008-05:30:14:07:09", 0x20000006},
        {"2008:05:30:14:07.09", 0x20000006},
        {"2008:05:30:14:07:0:", 0x20000006},
        {"2008:05:30:14:07::", 0x20000006},
        {"20:8:05:30:14:07:0", 0x20000006},
        {"200805301407090000:", 0x20000006},
    };
    for (const auto &c : cases) {
        const auto text = test::as<TypeParam>(c.text);
        EXPECT_EQ(bw::parse_ymdhms(text.c_str()).code, c.code) << c.text;
    }
    EXPECT_EQ(bw::parse_ymdhms(static_cast<const TypeParam *>(nullptr)).code, 0x20000003u);
}

TYPED_TEST(Ymdhms, FieldsConvertAsTheRuntimeDoes) {
    const struct {
        std::string_view text;
        std::int32_t value;
    } cases[] = {
        {"", 0},
        {"x1", 0},
        {"+", 0},
        {"-", 0},
        {"- 1", 0},
        {"  -12x", -12},
        {"\t\n\v\f\r 7", 7},
        {"007", 7},
        {"2147483646", 2147483646},
        {"2147483647", INT32_MAX},
        {"2147483648", INT32_MAX},
        {"99999999999999999999", INT32_MAX},
        {"0000000000002147483647", INT32_MAX},
        {"-2147483647", -2147483647},
        {"-2147483648", INT32_MIN},
        {"-2147483649", INT32_MIN},
        {"-99999999999999999999", INT32_MIN},
    };
    for (const auto &c : cases) {
        const auto text = test::as<TypeParam>(c.text);
        EXPECT_EQ(bw::parse_long(std::basic_string_view<TypeParam>(text)).value, c.value) << c.text;
    }
}

TYPED_TEST(Ymdhms, ParsesOnManyThreadsAtOnce) {
    const auto a = test::as<TypeParam>("2008:05:30:14:07:09");
    const auto b = test::as<TypeParam>("1999:12:31:23:59:58");
    std::vector<std::thread> threads;
    std::vector<int> wrong(8);
    for (std::size_t t = 0; t < wrong.size(); ++t)
        threads.emplace_back([&, t] {
            const auto &text = t % 2 ? a : b;
            const std::uint16_t year = t % 2 ? 2008 : 1999;
            for (int i = 0; i < 20000; ++i)
                wrong[t] += bw::parse_ymdhms(text.c_str()).date.year != year;
        });
    for (std::thread &thread : threads)
        thread.join();
    EXPECT_EQ(wrong, std::vector<int>(wrong.size(), 0));
}

TEST(Weekday, KnownDatesAndTheWrappedYearZero) {
    const struct {
        std::uint32_t year, month, day, weekday;
    } cases[] = {
        {2008, 5, 30, 5}, {2000, 2, 29, 2},  {1900, 2, 28, 3}, {1900, 3, 1, 4},  {1601, 1, 1, 1},
        {1970, 1, 1, 4},  {9999, 12, 31, 5}, {0, 3, 1, 3},     {0, 12, 31, 0},   {0, 1, 1, 3},
        {0, 2, 29, 6},    {2008, 13, 45, 6}, {2009, 2, 14, 6}, {2008, 0, 30, 0}, {2008, 3, 0, 5},
    };
    for (const auto &c : cases)
        EXPECT_EQ(bw::weekday_from_date(c.year, c.month, c.day), c.weekday) << c.year << '-' << c.month << '-' << c.day;
}

TEST(DayNumber, CountsDaysSinceYearZero) {
    EXPECT_EQ(bw::day_number(0, 3, 1), 60u);
    EXPECT_EQ(bw::day_number(1, 1, 1), 366u);
    EXPECT_EQ(bw::day_number(2008, 5, 30), 733557u);
}

// Every day from 0000-03-01 to 9999-12-31, counted one by one with the
// Gregorian leap rule; the weekday is anchored at 1970-01-01, a Thursday.
TEST(DayNumber, MatchesACalendarWalkOverTenThousandYears) {
    auto leap = [](std::uint32_t y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; };
    auto days_in = [&](std::uint32_t y, std::uint32_t m) -> std::uint32_t {
        constexpr std::uint32_t days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
        return m == 2 && leap(y) ? 29 : days[m - 1];
    };
    std::uint32_t count = 31 + 29, weekday_1970 = 7, mismatches = 0;
    std::vector<std::uint32_t> weekdays;
    for (std::uint32_t y = 0; y <= 9999; ++y)
        for (std::uint32_t m = y == 0 ? 3 : 1; m <= 12; ++m)
            for (std::uint32_t d = 1; d <= days_in(y, m); ++d, ++count) {
                mismatches += bw::day_number(y, m, d) != count;
                mismatches += bw::weekday_from_date(y, m, d) != (count + 6) % 7;
                if (y == 1970 && m == 1 && d == 1)
                    weekday_1970 = (count + 6) % 7;
            }
    EXPECT_EQ(mismatches, 0u);
    EXPECT_EQ(weekday_1970, 4u);
    EXPECT_EQ(count, bw::day_number(10000, 1, 1));
}

TEST(DayNumber, RepeatsEvery400YearsUpTo65535) {
    std::uint32_t mismatches = 0;
    for (std::uint32_t y = 1; y + 400 <= 65535; y += 7)
        for (std::uint32_t m = 1; m <= 12; ++m)
            mismatches += bw::day_number(y + 400, m, 28) != bw::day_number(y, m, 28) + 146097;
    EXPECT_EQ(mismatches, 0u);
}

TEST(DateField, SelectsByNumberAndGivesZeroOtherwise) {
    const bw::Date date{2008, 5, 5, 30, 9, 7, 3, 999};
    const std::uint32_t expected[] = {0, 2008, 5, 30, 9, 7, 3, 5, 0, 0};
    for (std::uint32_t n = 0; n < std::size(expected); ++n)
        EXPECT_EQ(bw::date_field(date, n), expected[n]) << n;
    EXPECT_EQ(bw::date_field(date, 0xFFFFFFFF), 0u);
}

} // namespace
