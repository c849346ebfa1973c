// The leading number of a locale item, the grouping text and the decimal
// text of a value, both widths.
#include "tests/ascii_text.hpp"
#include "text/pure/grouping.hpp"

#include <gtest/gtest.h>

namespace {

using test::as;

template <typename C> class GroupingCore : public ::testing::Test {};
using Widths = ::testing::Types<char, wchar_t>;
TYPED_TEST_SUITE(GroupingCore, Widths);

TYPED_TEST(GroupingCore, GroupingTextBecomesTheGroupingNumber) {
    using C = TypeParam;
    struct Case {
        const char *text;
        std::uint32_t grouping;
    } cases[] = {
        {"3;0", 3},
        {"3;2;0", 32},
        {"3", 30},
        {"3;2", 320},
        {"0;0", 0},
        {"", 0},
        {"0", 0},
        {"2;0", 2},
        {"3;2;1;0", 321},
        {"3;0;0", 30},
        {"3;", 30},
        {"3;;0", 30},
        {" 3;0", 3},
        {"3 ;0", 30},
        {"x;0", 0},
        {"12;0", 12},
        {"99999999999;0", 2147483647u},
        {"-1;0", 0xFFFFFFFFu},
        {"4;4;4;4;4;4;4;4;4;4;4;4", 3448260376u},
    };
    for (const Case &c : cases)
        EXPECT_EQ(bw::grouping_from_text(as<C>(c.text).c_str()), c.grouping) << '"' << c.text << '"';
}

TYPED_TEST(GroupingCore, LeadingNumberFollowsStrtolInThe32BitRange) {
    using C = TypeParam;
    struct Case {
        const char *text;
        std::int32_t value;
        std::size_t end;
    } cases[] = {
        {"2", 2, 1},
        {"1", 1, 1},
        {"  -12x", -12, 5},
        {"+7", 7, 2},
        {"\t\n\v\f\r 5", 5, 7},
        {"-", 0, 0},
        {" +", 0, 0},
        {"", 0, 0},
        {"x1", 0, 0},
        {"0x10", 0, 1},
        {"007", 7, 3},
        {"2147483647", INT32_MAX, 10},
        {"2147483648", INT32_MAX, 10},
        {"-2147483648", INT32_MIN, 11},
        {"-99999999999999999999", INT32_MIN, 21},
        {"99999999999999999999;0", INT32_MAX, 20},
    };
    for (const Case &c : cases) {
        const auto text = as<C>(c.text);
        const bw::ParsedLong parsed = bw::parse_long(std::basic_string_view<C>(text));
        EXPECT_EQ(parsed.value, c.value) << '"' << c.text << '"';
        EXPECT_EQ(parsed.length, c.end) << '"' << c.text << '"';
    }
}

TYPED_TEST(GroupingCore, DecimalTextIsWhatPercentDPrints) {
    using C = TypeParam;
    struct Case {
        std::int32_t value;
        const char *text;
    } cases[] = {
        {0, "0"},
        {7, "7"},
        {-7, "-7"},
        {10, "10"},
        {123456, "123456"},
        {-1234567, "-1234567"},
        {1000000000, "1000000000"},
        {INT32_MAX, "2147483647"},
        {INT32_MIN, "-2147483648"},
        {INT32_MIN + 1, "-2147483647"},
    };
    for (const Case &c : cases) {
        C text[bw::decimal_text_size];
        const std::size_t length = bw::decimal_text(c.value, text);
        EXPECT_EQ(std::basic_string<C>(text), as<C>(c.text)) << c.value;
        EXPECT_EQ(length, std::string_view(c.text).size()) << c.value;
    }
}

} // namespace
