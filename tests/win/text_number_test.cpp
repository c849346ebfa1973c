// Integers grouped by the user's locale, as native callers and scripts
// reach them, in both widths. Suites ending in DeDE and HiIN run under those
// locales.
#include "dll.hpp"
#ifndef _WIN64
#include "host.hpp"
#endif

#include <climits>
#include <string>
#include <utility>
#include <vector>

namespace {

using test::untouched;

struct Grouped {
    int value;
    const char *text; // the narrow text
};

// The platform's own grouping: GetNumberFormatW with the user locale's
// grouping ("3;2;0" is 32, "3" 30), separators, leading zero and negative
// form.
std::wstring platform_grouped(int value) {
    const auto item = [](LCTYPE type) {
        wchar_t text[80] = {};
        EXPECT_NE(GetLocaleInfoW(LOCALE_USER_DEFAULT, type, text, 80), 0) << type;
        return std::wstring(text);
    };
    std::wstring sizes = item(LOCALE_SGROUPING), decimal = item(LOCALE_SDECIMAL), thousand = item(LOCALE_STHOUSAND);
    UINT groups = 0;
    for (const wchar_t c : sizes)
        groups = c == L';' ? groups : groups * 10 + static_cast<UINT>(c - L'0');
    groups = sizes.ends_with(L";0") ? groups / 10 : groups * 10;
    const auto number = [&](LCTYPE type) { return static_cast<UINT>(std::stoi(item(type))); };
    NUMBERFMTW format{0, number(LOCALE_ILZERO), groups, decimal.data(), thousand.data(), number(LOCALE_INEGNUMBER)};
    wchar_t text[80] = {};
    EXPECT_NE(GetNumberFormatW(LOCALE_USER_DEFAULT, 0, std::to_wstring(value).c_str(), &format, text, 80), 0);
    return text;
}

// Each value in a result block of 32 characters, the last error left alone:
// the narrow text as the table has it, the wide one as the platform groups
// it, and the narrow text the wide one in the ANSI code page.
void expect_grouped(const std::vector<Grouped> &cases) {
    const auto narrow = test::exports().narrow.format_long_int;
    const auto wide = test::exports().wide.format_long_int;
    for (const Grouped &c : cases) {
        SetLastError(untouched);
        char *result = narrow(c.value);
        EXPECT_EQ(GetLastError(), untouched) << c.value;
        const test::Owned<char> owned = test::take(result);
        EXPECT_EQ(owned.text, c.text) << c.value;
        EXPECT_EQ(owned.block, 32u) << c.value;

        SetLastError(untouched);
        wchar_t *wide_result = wide(c.value);
        EXPECT_EQ(GetLastError(), untouched) << c.value;
        const test::Owned<wchar_t> wide_owned = test::take(wide_result);
        EXPECT_EQ(wide_owned.text, platform_grouped(c.value)) << c.value;
        EXPECT_EQ(test::ansi(wide_owned.text), owned.text) << c.value;
        EXPECT_EQ(wide_owned.block, 32u) << c.value;
    }
}

TEST(FormatLongInt, GroupsByThreesWithCommasAndNoFraction) {
    expect_grouped({{0, "0"},
                    {999, "999"},
                    {1000, "1,000"},
                    {1234, "1,234"},
                    {-999, "-999"},
                    {1234567, "1,234,567"},
                    {-1234567, "-1,234,567"},
                    {INT_MIN, "-2,147,483,648"},
                    {INT_MAX, "2,147,483,647"}});
}

TEST(FormatLongIntDeDE, GroupsWithDots) {
    expect_grouped({{0, "0"},
                    {999, "999"},
                    {1234, "1.234"},
                    {1234567, "1.234.567"},
                    {-1234567, "-1.234.567"},
                    {INT_MIN, "-2.147.483.648"}});
}

TEST(FormatLongIntHiIN, GroupsByThreeThenTwos) {
    expect_grouped({{0, "0"},
                    {999, "999"},
                    {1234, "1,234"},
                    {1234567, "12,34,567"},
                    {12345678, "1,23,45,678"},
                    {-1234567, "-12,34,567"},
                    {INT_MIN, "-2,14,74,83,648"}});
}

// Sets items of the user's locale for one test and puts the old values back.
class FormatLongIntLocale : public ::testing::Test {
protected:
    void set(LCTYPE item, const std::wstring &value) {
        wchar_t old[80] = {};
        GetLocaleInfoW(LOCALE_USER_DEFAULT, item, old, 80);
        saved_.emplace_back(item, old);
        ASSERT_TRUE(SetLocaleInfoW(LOCALE_USER_DEFAULT, item, value.c_str())) << item;
    }
    void TearDown() override {
        for (auto it = saved_.rbegin(); it != saved_.rend(); ++it)
            SetLocaleInfoW(LOCALE_USER_DEFAULT, it->first, it->second.c_str());
    }

    // The value formatted by the narrow calls with the thousands separator
    // that the narrow locale call reports, the rest as en_US has it.
    static std::string as_the_narrow_calls_give_it(const char *value = "1234567") {
        char separator[80] = {}, text[32] = {};
        EXPECT_NE(GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_STHOUSAND, separator, 80), 0);
        NUMBERFMTA format{0, 1, 3, const_cast<char *>("."), separator, 1};
        EXPECT_NE(GetNumberFormatA(LOCALE_USER_DEFAULT, 0, value, &format, text, 32), 0);
        return text;
    }

    // The shared empty text and the last error, with no block left behind.
    static void expect_refused(int value, DWORD code) {
        const std::size_t busy = test::busy_heap_blocks();
        SetLastError(0);
        const char *result = test::exports().narrow.format_long_int(value);
        const DWORD error = GetLastError();
        EXPECT_EQ(test::busy_heap_blocks(), busy);
        EXPECT_EQ(result, test::shared_empty<char>());
        EXPECT_EQ(error, code);
    }

private:
    std::vector<std::pair<LCTYPE, std::wstring>> saved_;
};

TEST_F(FormatLongIntLocale, FollowsTheNegativeFormAndGroupingAndIgnoresTheDigits) {
    set(LOCALE_INEGNUMBER, L"0");
    set(LOCALE_IDIGITS, L"3");
    expect_grouped({{-1234567, "(1,234,567)"}, {1234, "1,234"}});
    struct Case {
        const wchar_t *grouping;
        int value;
        const char *text;
    } cases[] = {
        {L"3;2;0", 12345678, "1,23,45,678"}, {L"3", 1234567, "1234,567"},     {L"3;2", 12345678, "123,45,678"},
        {L"0;0", 1234567, "1234567"},        {L"2;0", 1234567, "1,23,45,67"},
    };
    for (const Case &c : cases) {
        set(LOCALE_SGROUPING, c.grouping);
        expect_grouped({{c.value, c.text}});
    }
}

// Separators of up to three characters come out as the narrow calls give
// them. Wine's narrow number formatting cuts longer ones short (and reads
// past the cut); they come out whole, as the wide call gives them.
TEST_F(FormatLongIntLocale, NarrowsSeparatorsAsTheNarrowLocaleCallDoes) {
    for (const wchar_t *separator : {L"\u2019", L"\u00a0", L"\u0416", L"\u2019\u00a0", L"\u2019\u0416\u00a0"}) {
        set(LOCALE_STHOUSAND, separator);
        expect_grouped({{1234567, as_the_narrow_calls_give_it().c_str()}});
    }
    const struct {
        const wchar_t *separator;
        const char *text;
    } cases[] = {
        {L"\u2019", "1\x92"
                    "234\x92"
                    "567"},
        {L"abcd", "1abcd234abcd567"},
        {L"abcdef", "1abcdef234abcdef567"},
        {L"abcdefg", "1abcdefg234abcdefg567"},
        {L"\u2019\u0416\u00a0\u2019\u0416\u00a0\u2019", "1\x92?\xa0\x92?\xa0\x92"
                                                        "234\x92?\xa0\x92?\xa0\x92"
                                                        "567"},
    };
    for (const auto &c : cases) {
        set(LOCALE_STHOUSAND, c.separator);
        expect_grouped({{1234567, c.text}});
    }
}

// The negative sign is the locale's own, outside the format; the narrow
// text holds it as the narrow calls convert it.
TEST_F(FormatLongIntLocale, NarrowsTheNegativeSignAsTheNarrowCallsDo) {
    for (const wchar_t *sign : {L"\u2212", L"\u2013", L"\u0416", L"--", L"\u2013\u2013"}) {
        set(LOCALE_SNEGATIVESIGN, sign);
        expect_grouped({{-1234567, as_the_narrow_calls_give_it("-1234567").c_str()}, {1234567, "1,234,567"}});
    }
    set(LOCALE_SNEGATIVESIGN, L"\u2013");
    expect_grouped({{-1234, "\x96"
                            "1,234"}});
}

TEST_F(FormatLongIntLocale, ASeparatorLongerThanSevenCharactersFails) {
    for (const wchar_t *separator : {L"abcdefgh", L"\u2019\u2019\u2019\u2019\u2019\u2019\u2019\u2019"}) {
        set(LOCALE_STHOUSAND, separator);
        expect_refused(1234567, ERROR_INSUFFICIENT_BUFFER);
    }
    set(LOCALE_STHOUSAND, L",");
    set(LOCALE_SDECIMAL, L"abcdefgh");
    expect_refused(1234567, ERROR_INSUFFICIENT_BUFFER);
}

// Seven digits grouped by ones with four-character separators take 31
// characters, one more with a minus sign; eight with three-character ones
// and the sign take 30.
TEST_F(FormatLongIntLocale, ATextLongerThan31CharactersLeavesAnEmptyBlock) {
    set(LOCALE_SGROUPING, L"1;0");
    const struct {
        const wchar_t *separator;
        const char *text;
    } cases[] = {
        {L"abcd", "1abcd2abcd3abcd4abcd5abcd6abcd7"},
        {L"\u2019\u2019\u2019\u2019", "1\x92\x92\x92\x92"
                                      "2\x92\x92\x92\x92"
                                      "3\x92\x92\x92\x92"
                                      "4\x92\x92\x92\x92"
                                      "5\x92\x92\x92\x92"
                                      "6\x92\x92\x92\x92"
                                      "7"},
    };
    for (const auto &c : cases) {
        set(LOCALE_STHOUSAND, c.separator);
        expect_grouped({{1234567, c.text}});
        SetLastError(0);
        char *result = test::exports().narrow.format_long_int(-1234567);
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
        const test::Owned<char> owned = test::take(result);
        EXPECT_EQ(owned.text, "");
        EXPECT_EQ(owned.block, 32u);
    }
    set(LOCALE_STHOUSAND, L"abc");
    expect_grouped({{-12345678, "-1abc2abc3abc4abc5abc6abc7abc8"}});
}

// The result block is the one heap request: refused, the call returns the
// shared empty text; the next request is not the call's.
TEST(FormatLongInt, TheResultBlockIsItsOnlyHeapRequest) {
    const char *shared = test::shared_empty<char>(test::faults_dll());
    for (int n = 1; n <= 2; ++n) {
        const std::size_t busy = test::busy_heap_blocks();
        test::fail_heap_request(n);
        char *result = test::exports(test::faults_dll()).narrow.format_long_int(1234567);
        test::fail_heap_request(0);
        if (n == 1) {
            EXPECT_EQ(result, shared) << "request " << n;
        } else {
            EXPECT_STREQ(result, "1,234,567");
            test::release(result);
        }
        EXPECT_EQ(test::busy_heap_blocks(), busy) << "request " << n;
    }
}

#ifndef _WIN64
using test::Host;

TEST(FormatLongIntScript, DeliversTheGroupedTextAndLeavesTheRecordedErrorAlone) {
    Host host;
    host.call(4); // records test::recorded_before
    const std::size_t busy = test::busy_heap_blocks();
    EXPECT_EQ(host.call(24, {test::integer(-1234567)}), host.answer);
    const test::Delivery &d = host.only();
    EXPECT_EQ(d.status, 0);
    EXPECT_EQ(d.type, static_cast<uint32_t>(WIL_TYPE_TEXT));
    EXPECT_EQ(d.text, "-1,234,567");
    EXPECT_EQ(test::busy_heap_blocks(), busy);
    EXPECT_EQ(host.last_error(), test::recorded_before);
}

// No extender code: a missing or empty result reaches a script as an
// internal error with the platform's code, and no block stays behind.
TEST_F(FormatLongIntLocale, ScriptFailuresAreInternalErrors) {
    Host host;
    set(LOCALE_SGROUPING, L"1;0");
    for (const wchar_t *separator : {L"abcdefgh", L"abcd"}) {
        set(LOCALE_STHOUSAND, separator);
        const std::size_t busy = test::busy_heap_blocks();
        EXPECT_EQ(host.call(24, {test::integer(-1234567)}), host.answer);
        EXPECT_EQ(test::busy_heap_blocks(), busy);
        const test::Delivery &d = host.only();
        EXPECT_EQ(d.status, -3);
        EXPECT_EQ(d.text, "009:Undefined internal error");
        EXPECT_EQ(host.last_error(), ERROR_INSUFFICIENT_BUFFER);
    }
}
#endif

} // namespace
