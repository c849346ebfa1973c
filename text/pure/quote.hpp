// Quoting a text by mode, with a quote character taken from a quote text.
#pragma once

#include "BrindlewickCodes.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace bw {

inline constexpr int quote_if_spaced = 1;
inline constexpr int quote_always = 2;
inline constexpr int quote_never = 3;

enum class Quoting { copy, wrap };

// The layout of a quoting result: the text, wrapped in `quote` when `how`
// says so, in a zero-filled block of `block_size` characters (the zero fill
// terminates it). `error` is 0 or the code of a refused call.
template <typename C> struct QuotePlan {
    std::uint32_t error;
    Quoting how;
    C quote;
    std::size_t block_size;
};

// Only the first character of the quote text counts; a null or empty quote
// text means the double quotation mark.
template <typename C> constexpr C quote_character(const C *quote_text) {
    return quote_text && *quote_text ? quote_text[0] : C('"');
}

// The further check: a text of three or more characters whose second
// character is the quote character is turned away, whatever the mode. That
// quote would close a quotation round the first character at once ("a"b"),
// so neither the wrapped text nor the copy would read unambiguously. Shorter
// texts pass: a second character that is also the last makes the text count
// as quoted already.
template <typename C> constexpr bool quote_follows_first(std::basic_string_view<C> text, C quote) {
    return text.size() >= 3 && text[1] == quote;
}

// Mode 1 wraps texts that hold a space (the character 0x20 only), mode 2
// every text, mode 3 none. A text that begins or ends with the quote
// character counts as quoted and is copied.
template <typename C> constexpr QuotePlan<C> plan_quote(const C *text, int mode, const C *quote_text) {
    if (!text)
        return {BW_E_QUOTE_TEXT_NULL, Quoting::copy, C(), 0};
    const std::basic_string_view<C> s(text);
    const std::size_t n = s.size();
    if (n == 0)
        return {BW_E_QUOTE_TEXT_EMPTY, Quoting::copy, C(), 0};
    const C quote = quote_character(quote_text);
    if (quote_follows_first(s, quote))
        return {BW_E_QUOTE_REFUSED, Quoting::copy, C(), 0};
    const bool quoted = s.front() == quote || s.back() == quote;
    bool wrap = false;
    switch (mode) {
    case quote_if_spaced:
        wrap = s.find(C(' ')) != std::basic_string_view<C>::npos && !quoted;
        break;
    case quote_always:
        wrap = !quoted;
        break;
    case quote_never:
        break;
    default:
        return {BW_E_QUOTE_MODE, Quoting::copy, C(), 0};
    }
    return wrap ? QuotePlan<C>{0, Quoting::wrap, quote, n + 3} : QuotePlan<C>{0, Quoting::copy, quote, n + 1};
}

// Writes the result into a block of at least plan.block_size characters.
template <typename C> constexpr void write_quoted(std::basic_string_view<C> text, const QuotePlan<C> &plan, C *out) {
    if (plan.how == Quoting::copy) {
        std::copy(text.begin(), text.end(), out);
        return;
    }
    out[0] = plan.quote;
    std::copy(text.begin(), text.end(), out + 1);
    out[text.size() + 1] = plan.quote;
}

} // namespace bw
