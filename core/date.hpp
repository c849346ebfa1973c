// The date record that every service reads and the numbers of its fields.
// Pure, so that the services' pure parts share it.
#pragma once

#include "BrindlewickCodes.h"

#include <array>
#include <cstdint>

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

// The fields by the numbers callers pass to the extractors.
enum class Field : std::uint8_t {
    year = BW_FIELD_YEAR,
    month = BW_FIELD_MONTH,
    day = BW_FIELD_DAY,
    hour = BW_FIELD_HOUR,
    minute = BW_FIELD_MINUTE,
    second = BW_FIELD_SECOND,
    weekday = BW_FIELD_WEEKDAY,
};

// Indexed by field number; 0 holds no field.
inline constexpr std::array<std::uint16_t Date::*, BW_FIELD_WEEKDAY + 1> field_members{
    nullptr, &Date::year, &Date::month, &Date::day, &Date::hour, &Date::minute, &Date::second, &Date::weekday};

constexpr std::uint16_t field_of(const Date &date, Field field) {
    return date.*field_members[static_cast<std::size_t>(field)];
}

// A field by its number; a number outside 1 to 7 gives 0.
constexpr std::uint32_t date_field(const Date &date, std::uint32_t number) {
    return number != 0 && number < field_members.size() ? date.*field_members[number] : 0;
}

} // namespace bw
