// Quoting by mode, the quote character, the order of the checks and the
// further check, both widths.
#include "tests/ascii_text.hpp"
#include "tests/cases/quote.hpp"
#include "tests/zeroed_block.hpp"
#include "text/pure/quote.hpp"

#include <gtest/gtest.h>

namespace {

using test::as;
using test::or_null;

template <typename C> class QuoteCore : public ::testing::Test {};
using Widths = ::testing::Types<char, wchar_t>;
TYPED_TEST_SUITE(QuoteCore, Widths);

// The quoted text in a block of exactly the planned size.
template <typename C> std::basic_string<C> quoted(std::basic_string_view<C> text, const bw::QuotePlan<C> &plan) {
    auto block = test::zeroed_block<C>(plan.block_size);
    bw::write_quoted(text, plan, block.get());
    EXPECT_EQ(block[plan.block_size - 1], C()) << "unterminated";
    return block.get();
}

TYPED_TEST(QuoteCore, WrapsByModeUnlessTheTextBeginsOrEndsWithTheQuote) {
    using C = TypeParam;
    for (const test::Quoting &c : test::quotings) {
        const auto text = as<C>(c.text), quote = as<C>(c.quote);
        const bw::QuotePlan<C> plan = bw::plan_quote(text.c_str(), c.mode, or_null(quote));
        const auto expected = as<C>(c.result);
        EXPECT_EQ(plan.error, 0u) << c.text;
        EXPECT_EQ(plan.block_size, expected.size() + 1) << c.text;
        EXPECT_EQ(quoted<C>(text, plan), expected) << c.text << " mode " << c.mode;
    }
}

TYPED_TEST(QuoteCore, TextChecksComeBeforeTheFurtherCheckAndTheMode) {
    using C = TypeParam;
    for (const test::QuoteRefusal &c : test::quote_refusals) {
        const auto text = as<C>(c.text), quote = as<C>(c.quote);
        EXPECT_EQ(bw::plan_quote(or_null(text), c.mode, or_null(quote)).error, c.code) << c.text << " " << c.mode;
    }
}

TYPED_TEST(QuoteCore, FurtherCheckTurnsAwayAQuoteRightAfterTheFirstCharacterOfALongerText) {
    using C = TypeParam;
    for (const test::FurtherCheck &c : test::further_checks) {
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
    EXPECT_EQ(plan.block_size, text.size() + 3);
}

} // namespace
