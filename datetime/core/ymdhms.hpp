// YmdHms text ("2008:05:30:14:07:09") to a date record, the day number and
// the weekday. Pure: no platform calls, templated on the character type.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <string_view>

namespace bw {

// The platform's date record, field for field and in its order; the
// weekday counts from 0 = Sunday.
struct Date {
    std::uint16_t year;
    std::uint16_t month;
    std::uint16_t weekday;
    std::uint16_t day;
    std::uint16_t hour;
    std::uint16_t minute;
    std::uint16_t second;
    std::uint16_t milliseconds;
};

inline constexpr std::uint32_t ymdhms_null = 0x20000003;
inline constexpr std::uint32_t ymdhms_empty = 0x20000004;
inline constexpr std::uint32_t ymdhms_too_long = 0x20000005;
inline constexpr std::uint32_t ymdhms_layout = 0x20000006;
inline constexpr std::uint32_t replace_text_null = 0x20000041;
inline constexpr std::uint32_t replace_count_zero = 0x20000042;

inline constexpr std::size_t ymdhms_max_length = 19;
inline constexpr std::array<std::size_t, 5> ymdhms_colons{4, 7, 10, 13, 16};
inline constexpr std::array<std::size_t, 6> ymdhms_fields{0, 5, 8, 11, 14, 17};

// Days since 0000-01-01 of the proleptic Gregorian calendar from 0000-03-01
// on. Unsigned and wrapping on purpose: out-of-range months and days
// extrapolate, and January and February of year 0 wrap.
constexpr std::uint32_t day_number(std::uint32_t year, std::uint32_t month, std::uint32_t day) {
    if (month < 3) {
        year -= 1;
        month += 12;
    }
    return 365 * year + year / 4 - ((year / 100 + 1) * 3) / 4 + (3060 * month - 9135) / 100 + day + 59;
}

// 0 = Sunday to 6 = Saturday.
constexpr std::uint32_t weekday_from_date(std::uint32_t year, std::uint32_t month, std::uint32_t day) {
    return (day_number(year, month, day) + 6) % 7;
}

struct Replaced {
    std::uint32_t count;
    std::uint32_t code; // 0, or why nothing was scanned
};

// Overwrites every `find` among the first `count` characters, terminators
// included, with `replacement`.
template <typename C> constexpr Replaced replace_char(C *text, std::uint32_t count, C find, C replacement) {
    if (!text)
        return {0, replace_text_null};
    if (count == 0)
        return {0, replace_count_zero};
    std::uint32_t replaced = 0;
    for (std::uint32_t i = 0; i < count; ++i)
        if (text[i] == find) {
            text[i] = replacement;
            ++replaced;
        }
    return {replaced, 0};
}

// Base-10 conversion as the C runtime's strtol has it, for a 32-bit long:
// leading blanks and a sign are taken, the first other character ends the
// number, no digits give 0, and values out of range stick at the limits.
template <typename C> constexpr std::int32_t to_long(std::basic_string_view<C> text) {
    std::size_t i = 0;
    auto blank = [](C c) { return c == C(' ') || (c >= C('\t') && c <= C('\r')); };
    while (i < text.size() && blank(text[i]))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == C('+') || text[i] == C('-')))
        negative = text[i++] == C('-');
    constexpr std::int64_t limit = std::int64_t{std::numeric_limits<std::int32_t>::max()} + 1;
    std::int64_t magnitude = 0;
    for (; i < text.size() && text[i] >= C('0') && text[i] <= C('9'); ++i)
        if (magnitude < limit)
            magnitude = magnitude * 10 + (text[i] - C('0'));
    if (negative)
        return static_cast<std::int32_t>(magnitude >= limit ? -limit : -magnitude);
    return static_cast<std::int32_t>(magnitude >= limit ? limit - 1 : magnitude);
}

struct Parsed {
    Date date;
    std::uint32_t code; // 0 on success; otherwise date holds nothing
};

// 17- and 18-character texts pass (a short or empty seconds field), there is
// no range check, and a negative field wraps to 16 bits. The work buffer is
// the call's own, so parses may run on any number of threads.
template <typename C> constexpr Parsed parse_ymdhms(const C *text) {
    if (!text)
        return {{}, ymdhms_null};
    const std::size_t length = std::basic_string_view<C>(text).size();
    if (length == 0)
        return {{}, ymdhms_empty};
    if (length > ymdhms_max_length)
        return {{}, ymdhms_too_long};

    std::array<C, ymdhms_max_length + 1> buffer{};
    for (std::size_t i = 0; i < length; ++i)
        buffer[i] = text[i];
    for (std::size_t colon : ymdhms_colons)
        if (buffer[colon] != C(':'))
            return {{}, ymdhms_layout};
    if (replace_char(buffer.data(), static_cast<std::uint32_t>(length), C(':'), C(0)).count != ymdhms_colons.size())
        return {{}, ymdhms_layout};

    std::array<std::uint16_t, ymdhms_fields.size()> values{};
    for (std::size_t k = 0; k < ymdhms_fields.size(); ++k) {
        const std::int32_t value = to_long(std::basic_string_view<C>(buffer.data() + ymdhms_fields[k]));
        if (value == std::numeric_limits<std::int32_t>::min() || value == std::numeric_limits<std::int32_t>::max())
            return {{}, ymdhms_layout};
        values[k] = static_cast<std::uint16_t>(value);
    }
    Date date{values[0], values[1], 0, values[2], values[3], values[4], values[5], 0};
    date.weekday = static_cast<std::uint16_t>(weekday_from_date(date.year, date.month, date.day));
    return {date, 0};
}

// Field numbers 1 to 7: year, month, day, hour, minute, second, weekday;
// any other number gives 0.
constexpr std::uint32_t date_field(const Date &date, std::uint32_t number) {
    switch (number) {
    case 1:
        return date.year;
    case 2:
        return date.month;
    case 3:
        return date.day;
    case 4:
        return date.hour;
    case 5:
        return date.minute;
    case 6:
        return date.second;
    case 7:
        return date.weekday;
    default:
        return 0;
    }
}

} // namespace bw
