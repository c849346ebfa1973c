// Date template expansion: values and widths, token order, tokens formed
// across inserted values, failures and blocks, and a randomized comparison
// with a plain pass-by-pass expansion.
#include "datetime/pure/ymdhms.hpp"
#include "tests/ascii_text.hpp"
#include "tests/cases/date_template.hpp"
#include "tests/date_passes.hpp"

#include <gtest/gtest.h>

#include <cstdlib>
#include <map>
#include <optional>
#include <random>
#include <string>
#include <type_traits>
#include <vector>

namespace {

using test::as;

struct Names {
    std::string month_abbr, month, weekday_abbr, weekday;
};

const Names english_may{"May", "May", "Fri", "Friday"};
const Names english_december{"Dec", "December", "Fri", "Friday"};
const bw::Date may_30{2008, 5, 5, 30, 14, 7, 9, 0};
const bw::Date december_5{2008, 12, 5, 5, 7, 3, 4, 0};

// Blocks from malloc, with every live block and its room recorded, and
// failures on request.
struct Blocks {
    std::map<const void *, std::size_t> live;
    int allocations = 0;
    int fail_allocation = 0; // the nth allocation from now fails
    int fail_release = 0;    // the nth release from now is refused

    template <typename C> auto allocator() {
        return [this](std::size_t n) -> C * {
            if (fail_allocation > 0 && --fail_allocation == 0)
                return nullptr;
            ++allocations;
            auto *block = static_cast<C *>(std::malloc((n + 1) * sizeof(C)));
            live[block] = n + 1;
            return block;
        };
    }
    template <typename C> auto releaser() {
        return [this](C *block) {
            if (fail_release > 0 && --fail_release == 0)
                return false;
            live.erase(block);
            std::free(block);
            return true;
        };
    }
    void release_all() {
        for (auto &[block, size] : live)
            std::free(const_cast<void *>(block));
        live.clear();
    }
};

template <typename C> test::NameList<C> name_list(const Names &n) {
    return {as<C>(n.month_abbr), as<C>(n.month), as<C>(n.weekday_abbr), as<C>(n.weekday)};
}

// Expands through the core; nullopt on failure. Checks the block is as long
// as its text and that nothing else is left allocated.
template <typename C>
std::optional<std::basic_string<C>> expand(std::basic_string_view<C> text, const bw::Date &date, const Names &names,
                                           Blocks *blocks_out = nullptr) {
    Blocks local;
    Blocks &blocks = blocks_out ? *blocks_out : local;
    C *result = test::expand_with_names(text, date, name_list<C>(names), blocks.allocator<C>(), blocks.releaser<C>());
    if (!result) {
        EXPECT_TRUE(blocks.live.empty());
        return std::nullopt;
    }
    std::basic_string<C> out(result);
    EXPECT_EQ(blocks.live.size(), 1u);
    EXPECT_EQ(blocks.live[result], out.size() + 1);
    blocks.live.erase(result);
    std::free(result);
    return out;
}

std::optional<std::string> expand(std::string_view text, const bw::Date &date, const Names &names) {
    return expand<char>(text, date, names);
}

struct Case {
    std::string_view text;
    std::optional<std::string> expected;
    bw::Date date = may_30;
    Names names = english_may;
};

// The names an en_US user has, by the indices of the date; the thirteenth
// month has none.
Names english_names(const bw::Date &date) {
    constexpr const char *months[] = {"January", "February",  "March",   "April",    "May",      "June", "July",
                                      "August",  "September", "October", "November", "December", ""};
    constexpr const char *weekdays[] = {"Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday", "Sunday"};
    const bw::NameIndices index = bw::name_indices(date);
    const std::string month = months[index.month], weekday = weekdays[index.weekday];
    return {month.substr(0, 3), month, weekday.substr(0, 3), weekday};
}

TEST(DateTemplate, ExpandsTokensWithTheirWidths) {
    for (const test::Expansion &c : test::expansions) {
        const bw::Parsed parsed = bw::parse_ymdhms(c.ymdhms);
        ASSERT_EQ(parsed.code, 0u) << c.ymdhms;
        EXPECT_EQ(expand(c.date_template, parsed.date, english_names(parsed.date)), c.expected) << c.date_template;
    }
    // Dates and names that no YmdHms text and no locale give.
    const Case cases[] = {
        {"^YYYY|^MM|^DD|^hh", "65535|65535|65535|65535", {65535, 65535, 0, 65535, 65535, 0, 0, 0}},
        {"^WWW|^WW|^MMM", " Mo|Mo|  M", may_30, {"M", "Mai", "Mo", "Montag"}},
        {"^WW|^MMM", "Sonntag|Dezember", may_30, {"Dezember", "Dezember", "Sonntag", "Sonntag"}},
        // Letters past the 128 rows of the token table are no token's.
        {"^\x7F|^\x80|^\x81|^\xCD\xCD", "^\x7F|^\x80|^\x81|^\xCD\xCD"},
    };
    for (const Case &c : cases)
        EXPECT_EQ(expand(c.text, c.date, c.names), c.expected) << c.text;
    // A wide letter is not its low byte: U+014D is no M.
    EXPECT_EQ(expand<char16_t>(u"^\u014D\u014D\u014D\u014D", may_30, english_may), u"^\u014D\u014D\u014D\u014D");
    for (const test::Stamp &c : test::stamps)
        EXPECT_EQ(expand(test::stamp_template, {c.year, c.month, 0, c.day, c.hour, c.minute, c.second, 0}, english_may),
                  c.text)
            << c.year;
}

TEST(DateTemplate, LaterPassesSeeInsertedValues) {
    const Case cases[] = {
        {"^W^WWW", "Weded", may_30, {"May", "May", "Wed", "Wednesday"}},
        // A caret inside a name is a caret like any other.
        {"^MMMM", "30", may_30, {"May", "^DD", "Fri", "Friday"}},
        {"<^WWWW>", "<Fri!>", may_30, {"May", "May", "Fri", "^WW!"}},
    };
    for (const Case &c : cases)
        EXPECT_EQ(expand(c.text, c.date, c.names), c.expected) << c.text;
}

TEST(DateTemplate, AnEmptyResultIsAFailure) {
    const bw::Date month_13{2008, 13, 6, 45, 0, 0, 0, 0};
    const Names no_month{"", "", "Sat", "Saturday"};
    for (std::string_view text : {"^MMMM", "^MMMM^MMMM"})
        EXPECT_EQ(expand(text, month_13, no_month), std::nullopt) << text;
    EXPECT_EQ(expand("", may_30, english_may), std::nullopt);
    EXPECT_EQ(expand("^MMMM^MMM^DD", month_13, no_month), "   45");
}

// Which series are read: those that the passes print, each once, also
// when an inserted name forms the token and when a month name turns an
// abbreviated weekday token into a full one.
TEST(DateTemplate, NamesAreReadOnlyWhenPrinted) {
    const struct {
        std::string_view text;
        Names names;
        std::string_view expected;
        std::string_view series_read; // a for the abbreviated month, m month, w, W the weekday's
    } cases[] = {
        {"^YYYY/^MM/^DD ^hh:^mm:^ss ", english_may, "2008/05/30 14:07:09 ", ""},
        {"^WWWW, ^D ^MMMM ^YYYY", english_may, "Friday, 30 May 2008", "mW"},
        {"^MMM ^WW ^WWW ^MMM", english_may, "May Fri Fri May", "aw"},
        {"<^MMMM>", {"May", "^WW!", "Fri", "Friday"}, "<Fri!>", "mw"},
        {"^WWW^MMMM", {"May", "Wonder", "Wed", "Wednesday"}, "Wednesdayonder", "mW"},
    };
    for (const auto &c : cases) {
        const test::NameList<char> names = name_list<char>(c.names);
        std::string read;
        auto reader = [&](bw::NameSeries series, std::string_view &name) {
            read += "amwW"[static_cast<int>(series)];
            name = names[static_cast<std::size_t>(series)];
            return true;
        };
        Blocks blocks;
        char *result =
            bw::expand_date_template<char>(c.text, may_30, reader, blocks.allocator<char>(), blocks.releaser<char>());
        ASSERT_NE(result, nullptr) << c.text;
        EXPECT_EQ(std::string_view(result), c.expected) << c.text;
        EXPECT_EQ(read, c.series_read) << c.text;
        blocks.release_all();
    }
}

TEST(NameIndices, MonthAndMondayFirstWeekdayWithTheirCodes) {
    const struct {
        std::uint16_t month, weekday;
        std::uint32_t month_index, weekday_index, code;
    } cases[] = {
        {0, 0, 0, 6, 0},
        {1, 1, 0, 0, 0},
        {2, 6, 1, 5, 0},
        {12, 7, 11, 6, 0},
        {13, 3, 12, 2, 0},
        {14, 3, 13, 2, 0x20000001},
        {65535, 3, 65534, 2, 0x20000001},
        {5, 8, 4, 7, 0x20000002},
        {14, 8, 13, 7, 0x20000001},
    };
    for (const auto &c : cases) {
        const bw::NameIndices i = bw::name_indices({2008, c.month, c.weekday, 1, 0, 0, 0, 0});
        EXPECT_EQ(i.code, c.code) << c.month << ' ' << c.weekday;
        if (c.code == 0) {
            EXPECT_EQ(i.month, c.month_index) << c.month;
            EXPECT_EQ(i.weekday, c.weekday_index) << c.weekday;
        }
    }
}

TEST(DateTemplate, OutputHasNoLengthLimit) {
    std::string plain_text, joined_text;
    for (int i = 0; i < 40000; ++i) {
        plain_text += "^DD.^MMMM";
        joined_text += "^D^MMMM";
    }
    const auto plain = expand(plain_text, may_30, english_may);
    ASSERT_TRUE(plain);
    EXPECT_EQ(plain->size(), 40000u * 6);
    EXPECT_EQ(plain->substr(0, 12), "30.May30.May");

    // Through the passes: December's D joins each "^D" into "^DD".
    const auto joined = expand(joined_text, december_5, english_december);
    ASSERT_TRUE(joined);
    EXPECT_EQ(joined->size(), 40000u * 9);
    EXPECT_EQ(joined->substr(0, 18), "05ecember05ecember");
}

TEST(DateTemplate, PlainTemplatesTakeOneExactBlock) {
    for (std::string_view text : {"^YYYY/^MM/^DD ^hh:^mm:^ss ", "^WWWW, ^D ^MMMM ^YYYY", "plain"}) {
        Blocks blocks;
        const auto result = expand<char>(text, may_30, english_may, &blocks);
        ASSERT_TRUE(result) << text;
        EXPECT_EQ(blocks.allocations, 1) << text;
    }
}

TEST(DateTemplate, FailedAllocationsAndReleasesLeaveNoBlock) {
    // Three passes: month name, day, then ^DD formed across the name.
    const std::string_view text = "^D^MMMM ^hh";
    ASSERT_EQ(expand(text, december_5, english_december), "05ecember 07");
    for (int n = 1; n <= 3; ++n) {
        Blocks blocks;
        blocks.fail_allocation = n;
        EXPECT_EQ(expand<char>(text, december_5, english_december, &blocks), std::nullopt) << n;
    }
    for (int n = 1; n <= 2; ++n) {
        Blocks blocks;
        blocks.fail_release = n;
        EXPECT_EQ(test::expand_with_names<char>(text, december_5, name_list<char>(english_december),
                                                blocks.allocator<char>(), blocks.releaser<char>()),
                  nullptr)
            << n;
        EXPECT_EQ(blocks.live.size(), 1u) << "only the refused block stays, " << n;
        blocks.release_all();
    }
    Blocks blocks;
    blocks.fail_allocation = 1;
    EXPECT_EQ(expand<char>("^DD", may_30, english_may, &blocks), std::nullopt);
}

// Random templates of tokens, token fragments and literals, with names that
// join tokens in every way, against the plain passes, in each width.
template <typename C> class OneWalk : public testing::Test {};
using Widths = testing::Types<char, wchar_t, char16_t>;
TYPED_TEST_SUITE(OneWalk, Widths);

TYPED_TEST(OneWalk, AgreesWithThePasses) {
    using C = TypeParam;
    std::mt19937 random(sizeof(C) + std::is_same_v<C, char16_t>);
    const std::vector<std::string> fragments = {"^MMMM", "^MMM",  "^MM",  "^DD", "^D", "^YYYY", "^hh", "^h", "^mm",
                                                "^ss",   "^WWWW", "^WWW", "^WW", "^",  "^M",    "^W",  "^Y", "^m",
                                                "^s",    "M",     "D",    "W",   "Y",  "h",     "m",   "s",  "MM",
                                                "x",     " ",     "%",    "%s",  ".",  "^^",    "DD",  "hh", "WW"};
    const std::vector<std::string> names = {"May", "December", "Dez",  "Mo.", "Do",      "Wed",   "",
                                            "^",   "^D",       "D^",   "M",   "MM",      "x^MMy", "hms",
                                            "W",   "^W",       "März", "Ma",  "Sonntag", "^hh"};
    auto pick = [&](const std::vector<std::string> &from) { return from[random() % from.size()]; };
    const std::uint16_t numbers[] = {0, 1, 5, 9, 10, 12, 13, 31, 99, 800, 2008, 65535};
    auto number = [&] { return numbers[random() % std::size(numbers)]; };

    int mismatches = 0, one_block = 0, more_blocks = 0, failures = 0;
    for (int round = 0; round < 30000; ++round) {
        std::string text;
        for (std::size_t k = random() % 9; k > 0; --k)
            text += pick(fragments);
        const bw::Date date{number(), number(), 0, number(), number(), number(), number(), 0};
        const Names n{pick(names), pick(names), pick(names), pick(names)};
        const auto wide = as<C>(text);
        Blocks blocks;
        const auto got = expand<C>(wide, date, n, &blocks);
        const auto want = text.empty() ? std::nullopt : test::expand_plainly<C>(wide, date, name_list<C>(n));
        if (got != want && ++mismatches <= 5)
            ADD_FAILURE() << "template \"" << text << "\" names " << n.month << '|' << n.month_abbr << '|' << n.weekday
                          << '|' << n.weekday_abbr;
        failures += !got;
        one_block += got && blocks.allocations == 1;
        more_blocks += got && blocks.allocations > 1;
    }
    EXPECT_EQ(mismatches, 0);
    // Both ways of expanding and the failure were exercised.
    EXPECT_GT(one_block, 3000);
    EXPECT_GT(more_blocks, 300);
    EXPECT_GT(failures, 30);
}

// Long templates of numbers, which never join a token, take one walk
// however many tokens they hold. No fragment begins with M or W, so none
// forms a name token.
TEST(DateTemplate, LongTemplatesOfNumbersAgreeWithThePasses) {
    std::mt19937 random(4);
    const std::vector<std::string> fragments = {"^MM", "^DD", "^D", "^YYYY", "^hh", "^h", "^mm", "^ss",
                                                "^",   "x",   " ",  "^^",    "D",   "hh", "Y"};
    for (int round = 0; round < 300; ++round) {
        std::string text;
        for (std::size_t k = 1 + random() % 120; k > 0; --k)
            text += fragments[random() % fragments.size()];
        Blocks blocks;
        EXPECT_EQ(expand<char>(text, december_5, english_december, &blocks),
                  test::expand_plainly<char>(text, december_5, name_list<char>(english_december)))
            << text;
        EXPECT_EQ(blocks.allocations, 1) << text;
    }
}

} // namespace
