// Decimal numbers in text, as both cores read and write them: the one
// reader of the C runtime's base-10 strtol, and the digit writers.
#pragma once

#include <cstddef>
#include <cstdint>
#include <limits>
#include <string_view>

namespace bw {

struct ParsedLong {
    std::int32_t value;
    std::size_t length; // characters taken, 0 when the text holds no number
};

// strtol with base 10 for a 32-bit long: leading white space, an optional
// sign, decimal digits up to the first other character; no digits give 0,
// and values beyond the 32-bit range stick at its ends.
template <typename C> constexpr ParsedLong parse_long(std::basic_string_view<C> text) {
    std::size_t i = 0;
    while (i < text.size() && (text[i] == C(' ') || (text[i] >= C('\t') && text[i] <= C('\r'))))
        ++i;
    const bool negative = i < text.size() && text[i] == C('-');
    if (i < text.size() && (text[i] == C('-') || text[i] == C('+')))
        ++i;
    if (i == text.size() || text[i] < C('0') || text[i] > C('9'))
        return {0, 0};
    const std::int64_t limit = negative ? std::int64_t{std::numeric_limits<std::int32_t>::max()} + 1
                                        : std::numeric_limits<std::int32_t>::max();
    std::int64_t magnitude = 0;
    for (; i < text.size() && text[i] >= C('0') && text[i] <= C('9'); ++i) {
        magnitude = magnitude * 10 + (text[i] - C('0'));
        if (magnitude > limit)
            magnitude = limit;
    }
    return {static_cast<std::int32_t>(negative ? -magnitude : magnitude), i};
}

// The number of decimal digits of value, 1 to 10.
constexpr std::size_t digit_count(std::uint32_t value) {
    std::size_t count = 1;
    for (std::uint32_t bound = 10; count < 10 && value >= bound; bound *= 10)
        ++count;
    return count;
}

// The last `count` decimal digits of value, most significant first, to
// out; returns the end. With count from digit_count, the whole number.
template <typename C> constexpr C *write_digits(std::uint32_t value, std::size_t count, C *out) {
    C *const end = out + count;
    for (C *digit = end; digit != out; value /= 10)
        *--digit = static_cast<C>(C('0') + value % 10);
    return end;
}

constexpr std::uint32_t power_of_ten(std::size_t exponent) {
    return exponent == 0 ? 1 : 10 * power_of_ten(exponent - 1);
}

// A number below 10^width in exactly `width` characters, padded on the left
// with `pad`: a loop of constant length, which the compiler lays out digit
// by digit.
template <std::size_t width, typename C> constexpr C *write_field(std::uint32_t number, C pad, C *out) {
    for (std::size_t i = width; i-- > 0; number /= 10)
        out[i] = i + 1 < width && number == 0 ? pad : static_cast<C>(C('0') + number % 10);
    return out + width;
}

} // namespace bw
