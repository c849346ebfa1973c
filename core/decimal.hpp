// Decimal numbers in text, as both cores read and write them: the one
// reader of the C runtime's base-10 strtol, and the one digit writer.
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

// Most digits an unsigned 32-bit value has.
inline constexpr std::size_t max_digits = 10;

// The decimal digits of value, most significant first, without padding;
// returns how many were written.
template <typename C> constexpr std::size_t write_digits(std::uint32_t value, C *out) {
    C reversed[max_digits] = {};
    std::size_t count = 0;
    do {
        reversed[count++] = static_cast<C>(C('0') + value % 10);
        value /= 10;
    } while (value != 0);
    for (std::size_t i = 0; i < count; ++i)
        out[i] = reversed[count - 1 - i];
    return count;
}

} // namespace bw
