// Locale number items as text: the leading number of an item and the
// grouping text turned into the Grouping number of a number format; and the
// decimal text of a value, the input of number formatting.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace bw {

template <typename C> struct ParsedLong {
    std::int32_t value;
    const C *end; // past the number, or the start of the text when it holds none
};

// strtol with base 10 as the 32-bit runtime has it: white space, an optional
// sign, decimal digits; values beyond the 32-bit range clamp to its ends.
template <typename C> constexpr ParsedLong<C> parse_long(const C *text) {
    const C *p = text;
    while (*p == C(' ') || (*p >= C('\t') && *p <= C('\r')))
        ++p;
    const bool negative = *p == C('-');
    if (*p == C('-') || *p == C('+'))
        ++p;
    if (*p < C('0') || *p > C('9'))
        return {0, text};
    const std::int64_t limit = negative ? -static_cast<std::int64_t>(INT32_MIN) : INT32_MAX;
    std::int64_t magnitude = 0;
    for (; *p >= C('0') && *p <= C('9'); ++p)
        magnitude = std::min<std::int64_t>(magnitude * 10 + (*p - C('0')), limit);
    return {static_cast<std::int32_t>(negative ? -magnitude : magnitude), p};
}

// Group sizes from the decimal point leftwards, separated by semicolons
// ("3;2;0"), become the decimal digits of the Grouping number. A final ";0"
// (the last size repeats) is dropped; without it a 0 is appended, so that the
// digits beyond the last group stay ungrouped. "3;0" gives 3, "3;2;0" 32,
// "3" 30. The arithmetic is that of the format's unsigned field.
template <typename C> constexpr std::uint32_t grouping_from_text(const C *text) {
    constexpr C repeat[] = {C(';'), C('0')};
    std::uint32_t grouping = 0;
    const C *p = text;
    for (;;) {
        grouping *= 10;
        if (!*p)
            return grouping;
        const ParsedLong<C> size = parse_long(p);
        grouping += static_cast<std::uint32_t>(size.value);
        const std::basic_string_view<C> rest(size.end);
        if (rest == std::basic_string_view<C>(repeat, 2))
            return grouping;
        if (rest.empty())
            return grouping * 10;
        p = size.end + 1;
    }
}

// Room for the decimal text of any 32-bit value, "-2147483648" at the
// longest, and its terminator.
inline constexpr std::size_t decimal_text_size = 12;

// The value in decimal digits, a minus sign before a negative one, as "%d"
// prints it; returns the length.
template <typename C> constexpr std::size_t decimal_text(std::int32_t value, C (&text)[decimal_text_size]) {
    std::uint32_t magnitude = value < 0 ? 0u - static_cast<std::uint32_t>(value) : static_cast<std::uint32_t>(value);
    C reversed[decimal_text_size] = {};
    std::size_t digits = 0;
    do {
        reversed[digits++] = static_cast<C>(C('0') + magnitude % 10);
        magnitude /= 10;
    } while (magnitude != 0);
    std::size_t length = 0;
    if (value < 0)
        text[length++] = C('-');
    while (digits > 0)
        text[length++] = reversed[--digits];
    text[length] = C('\0');
    return length;
}

} // namespace bw
