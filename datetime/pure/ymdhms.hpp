// YmdHms text ("2008:05:30:14:07:09") to a date record, the day number and
// the weekday. Pure: no platform calls, templated on the character type.
#pragma once

#include "BrindlewickCodes.h"
#include "core/date.hpp"
#include "core/decimal.hpp"

#include <array>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <string_view>

namespace bw {

inline constexpr std::size_t ymdhms_max_length = 19;
inline constexpr std::array<std::size_t, 5> ymdhms_colons{4, 7, 10, 13, 16};
inline constexpr std::array<std::size_t, 6> ymdhms_fields{0, 5, 8, 11, 14, 17};

// Days since 0000-01-01 of the proleptic Gregorian calendar from 0000-03-01
// on, counted in years that start on 1 March, so that the leap day ends its
// year, and in eras of 400 years, which all have the same days. Unsigned and
// wrapping on purpose: out-of-range months and days extrapolate, and January
// and February of year 0 wrap.
constexpr std::uint32_t day_number(std::uint32_t year, std::uint32_t month, std::uint32_t day) {
    const bool before_march = month < 3;
    const std::uint32_t march_year = before_march ? year - 1 : year;
    const std::uint32_t march_month = before_march ? month + 12 : month; // 3 = March to 14 = February
    const std::uint32_t era = march_year / 400;
    const std::uint32_t year_of_era = march_year - era * 400;
    // 0 for 1 March; the months from March have 30.6 days on average.
    const std::uint32_t day_of_year = (3060 * march_month - 9135) / 100 + day - 1;
    const std::uint32_t day_of_era = 365 * year_of_era + year_of_era / 4 - year_of_era / 100 + day_of_year;
    constexpr std::uint32_t days_per_era = 146097;
    constexpr std::uint32_t january_and_february_of_year_0 = 60;
    return era * days_per_era + day_of_era + january_and_february_of_year_0;
}

// 0 = Sunday to 6 = Saturday.
constexpr std::uint32_t weekday_from_date(std::uint32_t year, std::uint32_t month, std::uint32_t day) {
    return (day_number(year, month, day) + 6) % 7;
}

struct Parsed {
    Date date;
    std::uint32_t code; // 0 on success; otherwise date holds nothing
};

// 17- and 18-character texts pass (a short or empty seconds field), there is
// no range check, and a negative field wraps to 16 bits. Nothing is kept
// between calls, so parses may run on any number of threads.
template <typename C> constexpr Parsed parse_ymdhms(const C *text) {
    if (!text)
        return {{}, BW_E_YMDHMS_NULL};
    const std::size_t length = std::basic_string_view<C>(text).size();
    if (length == 0)
        return {{}, BW_E_YMDHMS_EMPTY};
    if (length > ymdhms_max_length)
        return {{}, BW_E_YMDHMS_TOO_LONG};

    const std::basic_string_view<C> view(text, length);
    for (std::size_t colon : ymdhms_colons)
        if (colon >= length || view[colon] != C(':'))
            return {{}, BW_E_YMDHMS_LAYOUT};
    std::size_t colons = 0;
    for (C c : view)
        colons += c == C(':');
    if (colons != ymdhms_colons.size())
        return {{}, BW_E_YMDHMS_LAYOUT};

    // Each field runs from its place to the next colon or the end; the
    // reader stops at the colon.
    std::array<std::uint16_t, ymdhms_fields.size()> values{};
    for (std::size_t k = 0; k < ymdhms_fields.size(); ++k) {
        const std::size_t at = ymdhms_fields[k];
        const std::int32_t value = parse_long(std::basic_string_view<C>(text + at, length - at)).value;
        if (value == std::numeric_limits<std::int32_t>::min() || value == std::numeric_limits<std::int32_t>::max())
            return {{}, BW_E_YMDHMS_LAYOUT};
        values[k] = static_cast<std::uint16_t>(value);
    }
    Date date{values[0], values[1], 0, values[2], values[3], values[4], values[5], 0};
    date.weekday = static_cast<std::uint16_t>(weekday_from_date(date.year, date.month, date.day));
    return {date, 0};
}

} // namespace bw
