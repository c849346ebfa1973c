// The further check in every mode, both widths; the quoting itself is
// checked through the DLL.
#include "tests/ascii_text.hpp"
#include "tests/cases/quote.hpp"
#include "text/pure/quote.hpp"

#include <gtest/gtest.h>

namespace {

using test::as;
using test::or_null;

template <typename C> class QuoteCore : public ::testing::Test {};
using Widths = ::testing::Types<char, wchar_t>;
TYPED_TEST_SUITE(QuoteCore, Widths);

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

} // namespace
