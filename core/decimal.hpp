// Decimal numbers in text, as every core reads and writes them: the one
// reader of the C runtime's base-10 strtol, and the one digit writer.
#pragma once

#include <array>
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

// "00" to "99": two digits for one division, which halves the chain of
// divisions that a number's digits wait on.
inline constexpr auto digit_pairs = [] {
    std::array<char, 200> pairs{};
    for (std::size_t n = 0; n < 100; ++n) {
        pairs[2 * n] = static_cast<char>('0' + n / 10);
        pairs[2 * n + 1] = static_cast<char>('0' + n % 10);
    }
    return pairs;
}();

// The last `count` decimal digits of value, most significant first, to
// out; returns the end. With count from digit_count, the whole number.
template <typename C> constexpr C *write_digits(std::uint32_t value, std::size_t count, C *out) {
    C *const end = out + count;
    C *digit = end;
    for (; digit - out >= 2; value /= 100) {
        const std::size_t pair = value % 100 * 2;
        *--digit = static_cast<C>(digit_pairs[pair + 1]);
        *--digit = static_cast<C>(digit_pairs[pair]);
    }
    if (digit != out)
        *--digit = static_cast<C>(C('0') + value % 10);
    return end;
}

// value padded on the left with `pad` to at least `width` characters, to
// out; never cut. Returns the end.
template <typename C> constexpr C *write_padded(std::uint32_t value, std::size_t width, C pad, C *out) {
    const std::size_t digits = digit_count(value);
    for (std::size_t i = digits; i < width; ++i)
        *out++ = pad;
    return write_digits(value, digits, out);
}

// Room for the decimal text of any 32-bit value, "-2147483648" at the
// longest, and its terminator.
inline constexpr std::size_t decimal_text_size = 12;

// The value in decimal digits, a minus sign before a negative one, as "%d"
// prints it, and a terminator; returns the length.
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
