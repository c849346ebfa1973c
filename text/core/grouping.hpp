// The grouping text of the locale turned into the Grouping number of a
// number format, and the decimal text of a value, the input of number
// formatting.
#pragma once

#include "core/decimal.hpp"

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace bw {

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
        const ParsedLong size = parse_long(std::basic_string_view<C>(p));
        grouping += static_cast<std::uint32_t>(size.value);
        const std::basic_string_view<C> rest(p + size.length);
        if (rest == std::basic_string_view<C>(repeat, 2))
            return grouping;
        if (rest.empty())
            return grouping * 10;
        p = rest.data() + 1;
    }
}

// Room for the decimal text of any 32-bit value, "-2147483648" at the
// longest, and its terminator.
inline constexpr std::size_t decimal_text_size = 12;

// The value in decimal digits, a minus sign before a negative one, as "%d"
// prints it; returns the length.
template <typename C> constexpr std::size_t decimal_text(std::int32_t value, C (&text)[decimal_text_size]) {
    std::size_t length = 0;
    if (value < 0)
        text[length++] = C('-');
    const std::uint32_t magnitude =
        value < 0 ? 0u - static_cast<std::uint32_t>(value) : static_cast<std::uint32_t>(value);
    length = static_cast<std::size_t>(write_digits(magnitude, digit_count(magnitude), text + length) - text);
    text[length] = C('\0');
    return length;
}

} // namespace bw
