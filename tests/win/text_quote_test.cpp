// Quoting, narrow and wide, as native callers and scripts reach it.
#include "dll.hpp"
#ifndef _WIN64
#include "host.hpp"
#endif
#include "tests/cases/quote.hpp"

namespace {

using test::as;
using test::or_null;
using test::take;
using test::untouched;

template <typename C> class Quote : public ::testing::Test {};
using Widths = ::testing::Types<char, wchar_t>;
TYPED_TEST_SUITE(Quote, Widths);

TYPED_TEST(Quote, WrapsByModeInANewBlock) {
    using C = TypeParam;
    const auto quote = test::exports().width<C>().quote;
    for (const test::Quoting &c : test::quotings) {
        const auto text = as<C>(c.text), quote_text = as<C>(c.quote), expected = as<C>(c.result);
        SetLastError(untouched);
        C *result = quote(text.c_str(), c.mode, or_null(quote_text));
        EXPECT_EQ(GetLastError(), untouched) << c.text;
        const test::Owned<C> owned = take(result);
        EXPECT_EQ(owned.text, expected) << c.text << " mode " << c.mode;
        EXPECT_EQ(owned.block, text.size() + (expected.size() == text.size() ? 1 : 3)) << c.text;
    }
}

// Null and empty texts are reported first, then the further check, then the
// mode.
TYPED_TEST(Quote, RefusesWithTheCodeOfTheFirstFault) {
    using C = TypeParam;
    const auto quote = test::exports().width<C>().quote;
    const C *shared = test::shared_empty<C>();
    const std::size_t busy = test::busy_heap_blocks();
    for (const test::QuoteRefusal &c : test::quote_refusals) {
        const auto text = as<C>(c.text), quote_text = as<C>(c.quote);
        SetLastError(0);
        EXPECT_EQ(static_cast<const C *>(quote(or_null(text), c.mode, or_null(quote_text))), shared) << c.text;
        EXPECT_EQ(GetLastError(), c.code) << c.text << " mode " << c.mode;
    }
    EXPECT_EQ(test::busy_heap_blocks(), busy);
}

// The further check looks only at the second character of a text of three
// or more: the quote character there is refused, elsewhere it is not.
TYPED_TEST(Quote, FurtherCheckRefusesOnlyAQuoteRightAfterTheFirstCharacter) {
    using C = TypeParam;
    const auto quote = test::exports().width<C>().quote;
    for (const test::FurtherCheck &c : test::further_checks) {
        const auto text = as<C>(c.text), quote_text = as<C>(c.quote);
        SetLastError(0);
        C *result = quote(text.c_str(), 2, or_null(quote_text));
        const DWORD error = GetLastError();
        if (c.refused) {
            EXPECT_EQ(error, DWORD{BW_E_QUOTE_REFUSED}) << c.text;
            EXPECT_EQ(static_cast<const C *>(result), test::shared_empty<C>()) << c.text;
            continue;
        }
        EXPECT_EQ(error, 0u) << c.text;
        take(result);
    }
}

TEST(QuoteWide, KeepsNonLatinLettersWhole) {
    const auto quote = test::exports().wide.quote;
    const std::wstring text = L"\u041c\u043e\u0438 \u0444\u0430\u0439\u043b\u044b \u65e5\u672c";
    EXPECT_EQ(take(quote(text.c_str(), 1, nullptr)).text, L"\"" + text + L"\"");
    EXPECT_EQ(take(quote(text.c_str(), 2, L"\u00ab\u00bb")).text, L"\u00ab" + text + L"\u00ab");
    EXPECT_EQ(take(quote((L"\u00ab" + text).c_str(), 2, L"\u00ab")).text, L"\u00ab" + text);
}

TYPED_TEST(Quote, ReleasesNothingItDoesNotReturnWhenTheBlockIsRefused) {
    using C = TypeParam;
    const auto quote = test::exports(test::faults_dll()).width<C>().quote;
    const auto text = as<C>("a b");
    for (int mode : {1, 3}) {
        const std::size_t busy = test::busy_heap_blocks();
        test::fail_heap_request(1);
        SetLastError(0);
        const C *result = quote(text.c_str(), mode, nullptr);
        const DWORD error = GetLastError();
        test::fail_heap_request(0);
        EXPECT_EQ(test::busy_heap_blocks(), busy);
        EXPECT_EQ(result, test::shared_empty<C>(test::faults_dll()));
        EXPECT_EQ(error, DWORD{BW_E_NO_MEMORY});
    }
}

#ifndef _WIN64
using test::Host;

TEST(QuoteScript, DeliversTheQuotedTextWithTheOptionalQuoteText) {
    Host host;
    struct Case {
        std::vector<WilValue> args;
        const char *result;
    } cases[] = {
        {{test::text("C:\\Program Files\\x"), test::integer(1)}, "\"C:\\Program Files\\x\""},
        {{test::text("C:\\temp\\x"), test::integer(2), test::text("'")}, "'C:\\temp\\x'"},
        {{test::text("C:\\temp\\x"), test::integer(2), test::text(nullptr)}, "\"C:\\temp\\x\""},
        {{test::text("C:\\temp\\x"), test::integer(3), test::text("'")}, "C:\\temp\\x"},
    };
    for (Case &c : cases) {
        host.call(4); // records test::recorded_before
        const std::size_t busy = test::busy_heap_blocks();
        EXPECT_EQ(host.call(30, c.args), host.answer);
        const test::Delivery &d = host.only();
        EXPECT_EQ(d.status, 0);
        EXPECT_EQ(d.type, static_cast<uint32_t>(WIL_TYPE_TEXT));
        EXPECT_EQ(d.text, c.result);
        EXPECT_EQ(test::busy_heap_blocks(), busy);
        EXPECT_EQ(host.last_error(), test::recorded_before);
    }
}

TEST(QuoteScript, WithTwoArgumentsIgnoresAThirdRecord) {
    Host host;
    host.call_with_count(30, {test::text("a b"), test::integer(2), test::text("'")}, 2);
    EXPECT_EQ(host.only().text, "\"a b\"");
}

// A refusal is no error for a script: the shared empty text, status 0.
TEST(QuoteScript, DeliversTheSharedEmptyTextOfARefusalWithStatusZero) {
    Host host;
    const char *shared = test::shared_empty<char>();
    const std::vector<WilValue> refused[] = {
        {test::text(nullptr), test::integer(1)},
        {test::text(""), test::integer(1)},
        {test::text("a b"), test::integer(7)},
        {test::text("a\"b"), test::integer(2)},
    };
    for (const std::vector<WilValue> &args : refused) {
        host.call(4);
        const std::size_t busy = test::busy_heap_blocks();
        EXPECT_EQ(host.call(30, args), host.answer);
        const test::Delivery &d = host.only();
        EXPECT_EQ(d.status, 0);
        EXPECT_EQ(d.type, static_cast<uint32_t>(WIL_TYPE_TEXT));
        EXPECT_EQ(d.text_pointer, shared);
        EXPECT_EQ(test::busy_heap_blocks(), busy);
        EXPECT_EQ(host.last_error(), test::recorded_before);
        EXPECT_EQ(*shared, '\0');
    }
}
#endif

} // namespace
