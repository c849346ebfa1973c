// Quoting with any text, mode and quote text, in both widths: the code of
// the first fault, the block size, and a result that is the text, wrapped
// in the quote character exactly when the mode asks for it.
#include "fuzz/input.hpp"
#include "tests/zeroed_block.hpp"
#include "text/pure/quote.hpp"

#include <string_view>

namespace {

enum Flags : std::uint8_t { wide = 1, text_null = 2, quote_null = 4 };

template <typename C> void quote(fuzz::Bytes in, std::uint8_t flags) {
    const auto mode = fuzz::take<std::int32_t>(in);
    const std::basic_string<C> text = fuzz::take_text<C>(in);
    const std::basic_string<C> quote_text = fuzz::take_text<C>(in);
    const auto text_block = fuzz::exact_copy<C>(text);
    const auto quote_block = fuzz::exact_copy<C>(quote_text);
    const C *text_arg = flags & text_null ? nullptr : text_block.get();
    const C *quote_arg = flags & quote_null ? nullptr : quote_block.get();

    const bw::QuotePlan<C> plan = bw::plan_quote(text_arg, mode, quote_arg);
    const C q = quote_arg && !quote_text.empty() ? quote_text.front() : C('"');
    const std::size_t n = text.size();
    if (!text_arg) {
        fuzz::require(plan.error == BW_E_QUOTE_TEXT_NULL, "a null text is refused first");
        return;
    }
    if (n == 0) {
        fuzz::require(plan.error == BW_E_QUOTE_TEXT_EMPTY, "an empty text is refused next");
        return;
    }
    if (n >= 3 && text[1] == q) {
        fuzz::require(plan.error == BW_E_QUOTE_REFUSED, "a quote right after the first character is refused");
        return;
    }
    if (mode < bw::quote_if_spaced || mode > bw::quote_never) {
        fuzz::require(plan.error == BW_E_QUOTE_MODE, "an unknown mode is refused");
        return;
    }
    fuzz::require(plan.error == 0, "a good call is not refused");

    const bool quoted = text.front() == q || text.back() == q;
    const bool spaced = text.find(C(' ')) != std::basic_string<C>::npos;
    const bool wrap = !quoted && (mode == bw::quote_always || (mode == bw::quote_if_spaced && spaced));
    fuzz::require((plan.how == bw::Quoting::wrap) == wrap, "wraps iff unquoted and mode 2, or mode 1 with a space");
    fuzz::require(plan.block_size == n + (wrap ? 3 : 1), "block of n + 3 when wrapped, else n + 1");

    const auto out = test::zeroed_block<C>(plan.block_size);
    bw::write_quoted<C>(text, plan, out.get());
    fuzz::require(out[plan.block_size - 1] == C(0), "the zero fill terminates the result");
    const std::basic_string<C> result(out.get(), plan.block_size - 1);
    const std::basic_string<C> expected = wrap ? q + text + q : text;
    fuzz::require(result == expected, "the text itself, with a quote character at each end when wrapped");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    fuzz::Bytes in{data, size};
    const auto flags = fuzz::take<std::uint8_t>(in);
    if (flags & wide)
        quote<char16_t>(in, flags);
    else
        quote<char>(in, flags);
    return 0;
}
