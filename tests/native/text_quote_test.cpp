// Quoting by mode, the quote character, the order of the checks and the
// further check, both widths.
#include "tests/native/text_strings.hpp"
#include "text/core/quote.hpp"

#include <gtest/gtest.h>

#include <climits>

namespace {

using test::as;

template <typename C> class QuoteCore : public ::testing::Test {};
using Widths = ::testing::Types<char, wchar_t>;
TYPED_TEST_SUITE(QuoteCore, Widths);

constexpr const char *null_text = "@"; // stands for a null pointer in the tables

template <typename C> const C *or_null(const std::basic_string<C> &text) {
    return text == as<C>(null_text) ? nullptr : text.c_str();
}

// The quoted text in a block of exactly the planned size.
template <typename C> std::basic_string<C> quoted(std::basic_string_view<C> text, const bw::QuotePlan<C> &plan) {
    auto block = test::block_of<C>(plan.block);
    bw::write_quoted(text, plan, block.get());
    EXPECT_EQ(block[plan.block - 1], C()) << "unterminated";
    return block.get();
}

TYPED_TEST(QuoteCore, WrapsByModeUnlessTheTextBeginsOrEndsWithTheQuote) {
    using C = TypeParam;
    struct Case {
        const char *text;
        int mode;
        const char *quote;
        const char *result;
    } cases[] = {
        {"C:\\Program Files\\x", 1, null_text, "\"C:\\Program Files\\x\""},
        {"C:\\temp\\x", 1, null_text, "C:\\temp\\x"},
        {"\"C:\\Program Files\\x", 1, null_text, "\"C:\\Program Files\\x"},
        {"C:\\Program Files\\x\"", 1, null_text, "C:\\Program Files\\x\""},
        {"\"C:\\Program Files\\x\"", 1, null_text, "\"C:\\Program Files\\x\""},
        {"a\tb", 1, null_text, "a\tb"},
        {" ", 1, null_text, "\" \""},
        {"C:\\temp\\x", 2, "", "\"C:\\temp\\x\""},
        {"C:\\temp\\x", 2, "'", "'C:\\temp\\x'"},
        {"C:\\temp\\x", 2, "'\"", "'C:\\temp\\x'"},
        {"'C:\\temp\\x", 2, "'", "'C:\\temp\\x"},
        {"C:\\temp\\x'", 2, "'", "C:\\temp\\x'"},
        {"C:\\temp\\x\"", 2, "'", "'C:\\temp\\x\"'"},
        {"C:\\temp\\x\"", 2, null_text, "C:\\temp\\x\""},
        {"\"", 2, null_text, "\""},
        {"'", 2, "'", "'"},
        {"a\"", 2, null_text, "a\""},
        {"x", 2, null_text, "\"x\""},
        {"say \"hi\" now", 2, null_text, "\"say \"hi\" now\""},
        {"My Files", 1, "#", "#My Files#"},
        {"My Files", 3, null_text, "My Files"},
        {"\"", 3, "'", "\""},
        {"C:\\temp\\x", 3, "", "C:\\temp\\x"},
    };
    for (const Case &c : cases) {
        const auto text = as<C>(c.text), quote = as<C>(c.quote);
        const bw::QuotePlan<C> plan = bw::plan_quote(text.c_str(), c.mode, or_null(quote));
        const auto expected = as<C>(c.result);
        EXPECT_EQ(plan.error, 0u) << c.text;
        EXPECT_EQ(plan.block, expected.size() + 1) << c.text;
        EXPECT_EQ(quoted<C>(text, plan), expected) << c.text << " mode " << c.mode;
    }
}

TYPED_TEST(QuoteCore, TextChecksComeBeforeTheFurtherCheckAndTheMode) {
    using C = TypeParam;
    struct Case {
        const char *text;
        int mode;
        const char *quote;
        std::uint32_t error;
    } cases[] = {
        {null_text, 7, null_text, BW_E_QUOTE_TEXT_NULL},
        {null_text, 1, "'", BW_E_QUOTE_TEXT_NULL},
        {"", 0, null_text, BW_E_QUOTE_TEXT_EMPTY},
        {"", 2, "'", BW_E_QUOTE_TEXT_EMPTY},
        {"C:\\temp\\x", 0, null_text, BW_E_QUOTE_MODE},
        {"C:\\temp\\x", 4, "'", BW_E_QUOTE_MODE},
        {"C:\\temp\\x", -1, null_text, BW_E_QUOTE_MODE},
        {"C:\\temp\\x", INT_MIN, null_text, BW_E_QUOTE_MODE},
        {"C:\\temp\\x", 1 + 65536, null_text, BW_E_QUOTE_MODE},
        {"a\"b", 7, null_text, BW_E_QUOTE_REFUSED},
    };
    for (const Case &c : cases) {
        const auto text = as<C>(c.text), quote = as<C>(c.quote);
        EXPECT_EQ(bw::plan_quote(or_null(text), c.mode, or_null(quote)).error, c.error) << c.text << " " << c.mode;
    }
}

TYPED_TEST(QuoteCore, FurtherCheckTurnsAwayAQuoteRightAfterTheFirstCharacterOfALongerText) {
    using C = TypeParam;
    struct Case {
        const char *text;
        const char *quote;
        bool refused;
    } cases[] = {
        {"a\"b", null_text, true},
        {"a\"b", "", true},
        {"\"\"a b", null_text, true},
        {"a'bc", "'", true},
        {"a'bc", "'x", true},
        {"a'bc", null_text, false},
        {"a\"bc", "'", false},
        {"a\"", null_text, false},
        {"\"\"", null_text, false},
        {"\"", null_text, false},
        {"ab\"c", null_text, false},
        {"a'b", "x'", false},
        {"C:\\Program Files\\x", null_text, false},
        {"C:\\temp\\x", "'", false},
        {"C:'temp", "'", false},
    };
    for (const Case &c : cases) {
        const auto text = as<C>(c.text), quote = as<C>(c.quote);
        for (int mode : {1, 2, 3, 0}) {
            const std::uint32_t error = bw::plan_quote(text.c_str(), mode, or_null(quote)).error;
            if (c.refused)
                EXPECT_EQ(error, BW_E_QUOTE_REFUSED) << c.text << " with " << c.quote << " mode " << mode;
            else
                EXPECT_NE(error, BW_E_QUOTE_REFUSED) << c.text << " with " << c.quote << " mode " << mode;
        }
    }
}

TEST(QuoteCoreWide, WrapsNonLatinTextsWhole) {
    const std::wstring text = L"\u041c\u043e\u0438 \u0444\u0430\u0439\u043b\u044b";
    const std::wstring quote = L"\u00ab\u00bb";
    const bw::QuotePlan<wchar_t> plan = bw::plan_quote(text.c_str(), 1, quote.c_str());
    EXPECT_EQ(quoted<wchar_t>(text, plan), L"\u00ab" + text + L"\u00ab");
    EXPECT_EQ(plan.block, text.size() + 3);
}

} // namespace
