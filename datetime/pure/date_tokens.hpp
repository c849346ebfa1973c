// Date template tokens: the ^ tokens in pass order, the value each prints
// for a date and its calendar names, and the matcher that finds the token at
// a caret. Pure: the caller supplies the names.
#pragma once

#include "BrindlewickCodes.h"
#include "core/date.hpp"
#include "core/decimal.hpp"

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <type_traits>

namespace bw {

// Calendar name indices: months 0 and 1 give the first month; the names
// start with Monday, so Sunday (0) takes the seventh.
struct NameIndices {
    std::uint32_t month;
    std::uint32_t weekday;
    std::uint32_t code; // 0, or why there are no names
};

constexpr NameIndices name_indices(const Date &date) {
    const std::uint32_t month = date.month >= 2 ? date.month - 1u : 0u;
    const std::uint32_t weekday = date.weekday >= 1 ? date.weekday - 1u : 6u;
    if (month > 12)
        return {month, weekday, BW_E_TEMPLATE_NULL};
    if (weekday > 6)
        return {month, weekday, BW_E_TEMPLATE_EMPTY};
    return {month, weekday, 0};
}

template <typename C> struct CalendarNames {
    std::basic_string_view<C> month_abbr;
    std::basic_string_view<C> month;
    std::basic_string_view<C> weekday_abbr;
    std::basic_string_view<C> weekday;
};

// The locale's name series, in the order the platform's lookup reads them;
// a token that prints a number has none.
enum class NameSeries : std::uint8_t { month_abbr, month_name, weekday_abbr, weekday_name, none };

inline constexpr std::size_t name_series_count = 4;

// The name of one series in a record, const or not.
template <typename Names> constexpr auto &name_of(Names &names, NameSeries series) {
    switch (series) {
    case NameSeries::month_abbr:
        return names.month_abbr;
    case NameSeries::month_name:
        return names.month;
    case NameSeries::weekday_abbr:
        return names.weekday_abbr;
    default:
        return names.weekday;
    }
}

// A token prints its field as a number, or as the field's name in one
// series. Widths are minimum widths: names are never cut; numbers are
// padded with `pad`, names with blanks, on the left.
struct DateToken {
    std::string_view text;
    Field field;
    NameSeries series;
    std::uint8_t width;
    char pad;
};

// Names are the values that can carry letters and carets, or nothing.
constexpr bool is_name(const DateToken &token) { return token.series != NameSeries::none; }

// Pass order: each longer token before the shorter ones it contains.
inline constexpr std::array<DateToken, 13> date_tokens{{
    {"^MMMM", Field::month, NameSeries::month_name, 0, ' '},
    {"^MMM", Field::month, NameSeries::month_abbr, 3, ' '},
    {"^MM", Field::month, NameSeries::none, 2, '0'},
    {"^DD", Field::day, NameSeries::none, 2, '0'},
    {"^D", Field::day, NameSeries::none, 1, '0'},
    {"^YYYY", Field::year, NameSeries::none, 4, ' '},
    {"^hh", Field::hour, NameSeries::none, 2, '0'},
    {"^h", Field::hour, NameSeries::none, 1, '0'},
    {"^mm", Field::minute, NameSeries::none, 2, '0'},
    {"^ss", Field::second, NameSeries::none, 2, '0'},
    {"^WWWW", Field::weekday, NameSeries::weekday_name, 0, ' '},
    {"^WWW", Field::weekday, NameSeries::weekday_abbr, 3, ' '},
    {"^WW", Field::weekday, NameSeries::weekday_abbr, 2, ' '},
}};

inline constexpr std::size_t no_token = date_tokens.size();

// The value of one token as it is inserted: padding, then a name or the
// digits of a number.
template <typename C> struct TokenText {
    std::basic_string_view<C> name;
    std::uint32_t number = 0;
    std::size_t digit_count = 0; // 0 for a name
    std::size_t padding = 0;
    C pad = C(' ');

    constexpr std::size_t size() const { return padding + name.size() + digit_count; }
    // The first character of a name's value that is not empty.
    constexpr C first() const { return padding ? pad : name[0]; }
    constexpr C *write(C *out) const {
        for (std::size_t i = 0; i < padding; ++i)
            *out++ = pad;
        for (C c : name)
            *out++ = c;
        return write_digits(number, digit_count, out);
    }
};

template <typename C>
constexpr TokenText<C> token_text(const DateToken &token, const Date &date, const CalendarNames<C> &names) {
    TokenText<C> text;
    if (is_name(token)) {
        text.name = name_of(names, token.series);
    } else {
        const std::uint16_t number = field_of(date, token.field);
        text.number = number;
        text.digit_count = digit_count(number);
        text.pad = static_cast<C>(token.pad);
    }
    const std::size_t length = text.name.size() + text.digit_count;
    text.padding = token.width > length ? token.width - length : 0;
    return text;
}

template <typename C>
constexpr bool token_matches(std::basic_string_view<C> text, std::size_t at, std::string_view token) {
    if (text.size() - at < token.size())
        return false;
    for (std::size_t i = 0; i < token.size(); ++i)
        if (text[at + i] != static_cast<C>(token[i]))
            return false;
    return true;
}

// Every token is a caret and a run of one letter, and each family lists its
// longer tokens first: at a caret, the first token in table order that
// matches is the longest of the family that the run of letters holds. By
// letter and run of 1 to 4, that token or no_token.
inline constexpr std::size_t longest_run = 4;
inline constexpr auto token_by_run = [] {
    std::array<std::array<std::uint8_t, longest_run + 1>, 128> table{};
    for (auto &runs : table)
        runs.fill(static_cast<std::uint8_t>(no_token));
    for (std::size_t token = date_tokens.size(); token-- > 0;) {
        const std::string_view text = date_tokens[token].text;
        for (std::size_t run = text.size() - 1; run <= longest_run; ++run)
            table[static_cast<unsigned char>(text[1])][run] = static_cast<std::uint8_t>(token);
    }
    return table;
}();

// The first token in table order at `at`, or no_token.
template <typename C> constexpr std::size_t token_at(std::basic_string_view<C> text, std::size_t at) {
    if (text.size() - at < 2)
        return no_token;
    const C letter = text[at + 1];
    const auto row = static_cast<std::uint32_t>(static_cast<std::make_unsigned_t<C>>(letter));
    if (row >= token_by_run.size())
        return no_token;
    std::size_t run = 1;
    while (run < longest_run && at + 1 + run < text.size() && text[at + 1 + run] == letter)
        ++run;
    return token_by_run[row][run];
}

// A character that can be part of a token.
template <typename C> constexpr bool is_token_char(C c) {
    return c == C('^') || c == C('M') || c == C('D') || c == C('Y') || c == C('h') || c == C('m') || c == C('s') ||
           c == C('W');
}

// The name tokens by their series, in the lookup's order.
inline constexpr auto name_tokens = [] {
    std::array<std::size_t, 5> order{};
    std::size_t n = 0;
    for (std::size_t series = 0; series < name_series_count; ++series)
        for (std::size_t token = 0; token < date_tokens.size(); ++token)
            if (static_cast<std::size_t>(date_tokens[token].series) == series)
                order[n++] = token;
    return order;
}();

} // namespace bw
