// Date templates: "^YYYY/^MM/^DD" and the other ^ tokens expanded for one
// date. Pure: the caller supplies the calendar names and the blocks.
//
// The meaning of a template is defined pass by pass: for each token in table
// order, every occurrence in the text so far becomes the token's value, and
// later passes search the whole text, inserted values included, so a value
// can complete a token with the text around it ("^" before a December gives
// "^December", whose "^D" the day pass then takes). A pass that leaves an
// empty text is a failure.
//
// Most templates are expanded in one walk instead: at each caret the first
// token in table order that matches is the longest of its family, and it is
// the one its pass would take, as long as no inserted value can join a
// token. Numbers never can; a name only when it holds a caret, or when it is
// empty or starts with a token character right after a caret or a token
// character of the template. Such templates take the passes.
//
// Names are read only for the series that are printed, each at most once:
// the walk finds the template's name tokens before any name is read, and a
// pass that meets a name token formed across inserted text reads its series
// then.
#pragma once

#include "BrindlewickCodes.h"
#include "core/date.hpp"
#include "core/decimal.hpp"

#include <array>
#include <cstddef>
#include <cstdint>
#include <limits>
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

// Lengths past this cannot be allocated; sums are kept in 64 bits below it.
template <typename C>
inline constexpr std::uint64_t longest_text = std::numeric_limits<std::size_t>::max() / sizeof(C) - 1;

// The values of a date's tokens, computed where they are inserted: a
// function of the token's place in the table.
template <typename C, typename Names> constexpr auto date_values(const Date &date, const Names &names) {
    return [&date, &names](std::size_t token) { return token_text<C>(date_tokens[token], date, names); };
}

// Calls visit(literal, token, at) for each token that match(at) finds, left
// to right and without overlap, with the literal text before it; then
// visit(rest, no_token, size) for the text after the last.
template <typename C, typename Match, typename Visit>
constexpr void walk(std::basic_string_view<C> text, Match match, Visit visit) {
    std::size_t done = 0;
    for (std::size_t at = 0; at < text.size();) {
        if (text[at] != C('^')) {
            ++at;
            continue;
        }
        const std::size_t token = match(at);
        if (token == no_token) {
            ++at;
            continue;
        }
        visit(std::basic_string_view<C>(text.data() + done, at - done), token, at);
        at += date_tokens[token].text.size();
        done = at;
    }
    visit(std::basic_string_view<C>(text.data() + done, text.size() - done), no_token, text.size());
}

// The length of the text with every token that match finds replaced by its
// value.
template <typename C, typename Match, typename Values>
constexpr std::uint64_t replaced_length(std::basic_string_view<C> text, Match match, const Values &values) {
    std::uint64_t total = 0;
    walk(text, match, [&](std::basic_string_view<C> literal, std::size_t token, std::size_t) {
        total += literal.size() + (token == no_token ? 0 : values(token).size());
    });
    return total;
}

// That text written to out, without a terminator; returns its end.
template <typename C, typename Match, typename Values>
constexpr C *write_replaced(std::basic_string_view<C> text, Match match, const Values &values, C *out) {
    walk(text, match, [&](std::basic_string_view<C> literal, std::size_t token, std::size_t) {
        for (const C c : literal)
            *out++ = c;
        if (token != no_token)
            out = values(token).write(out);
    });
    return out;
}

// A new block of `total` characters and a terminator, filled by
// write(block), which returns the end of the text; null when the text would
// be empty or no block is had.
template <typename C, typename Allocate, typename Write>
C *filled_block(std::uint64_t total, Allocate &allocate, Write write) {
    if (total == 0 || total > longest_text<C>)
        return nullptr;
    C *block = allocate(static_cast<std::size_t>(total));
    if (!block)
        return nullptr;
    *write(block) = C(0);
    return block;
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

// A number token's value is its field padded to the token's width; no name
// is needed for it, so the walk below measures it as it goes and the write
// writes it without the value record.
constexpr std::size_t number_size(const DateToken &token, const Date &date) {
    const std::size_t digits = digit_count(field_of(date, token.field));
    return digits > token.width ? digits : token.width;
}

template <typename C> constexpr C *write_number(const DateToken &token, const Date &date, C *out) {
    return write_padded(field_of(date, token.field), token.width, static_cast<C>(token.pad), out);
}

// What one walk finds in a template before any name is known: the length of
// its literal text and its numbers, the occurrences of each name token, and
// the name tokens that somewhere follow a token character, where the name
// could join it.
template <typename C> struct TemplateScan {
    struct Found {
        std::size_t at;
        std::size_t token;
    };
    std::uint64_t fixed = 0;
    std::array<std::size_t, date_tokens.size()> count{};
    std::uint32_t after_token_char = 0; // a bit for each token
    // The first tokens found, as many as most templates hold, kept so that
    // writing need not match them again; tokens past these are matched
    // again. Entries past found_count are never read, so they are left
    // unset: clearing them costs a walk of a short template.
    std::array<Found, 8> found;
    std::size_t found_count = 0;
    bool found_all = true;
};

template <typename C> constexpr TemplateScan<C> scan_template(std::basic_string_view<C> text, const Date &date) {
    TemplateScan<C> scan;
    walk(
        text, [&](std::size_t at) { return token_at(text, at); },
        [&](std::basic_string_view<C> literal, std::size_t token, std::size_t at) {
            scan.fixed += literal.size();
            if (token == no_token)
                return;
            if (!is_name(date_tokens[token])) {
                scan.fixed += number_size(date_tokens[token], date);
            } else {
                ++scan.count[token];
                if (at > 0 && is_token_char(text[at - 1]))
                    scan.after_token_char |= 1u << token;
            }
            if (scan.found_count < scan.found.size())
                scan.found[scan.found_count++] = {at, token};
            else
                scan.found_all = false;
        });
    return scan;
}

// Whether the value of a token may take part in a token of a later pass
// (see the top of this file).
template <typename C>
constexpr bool may_join(const TemplateScan<C> &scan, std::size_t token, const TokenText<C> &value) {
    if (!is_name(date_tokens[token]))
        return false;
    if (value.name.find(C('^')) != std::basic_string_view<C>::npos)
        return true;
    return (scan.after_token_char >> token & 1u) != 0 && (value.size() == 0 || is_token_char(value.first()));
}

// The length of a scanned template with the values of its names.
template <typename C, typename Values>
constexpr std::uint64_t expanded_length(const TemplateScan<C> &scan, const Values &values) {
    std::uint64_t total = scan.fixed;
    for (const std::size_t token : name_tokens)
        if (scan.count[token] != 0)
            total += std::uint64_t{scan.count[token]} * values(token).size();
    return total;
}

// A scanned template written to out with the values of its tokens, without
// a terminator; returns the end. This is what the passes give as long as no
// value joins a token (may_join), which a template without names never has:
// numbers never join. The tokens that the scan kept are not matched again.
template <typename C, typename Values>
constexpr C *write_expanded(std::basic_string_view<C> text, const TemplateScan<C> &scan, const Date &date,
                            const Values &values, C *out) {
    std::size_t done = 0;
    for (std::size_t k = 0; k < scan.found_count; ++k) {
        const auto [at, token] = scan.found[k];
        for (std::size_t i = done; i < at; ++i)
            *out++ = text[i];
        out = is_name(date_tokens[token]) ? values(token).write(out) : write_number(date_tokens[token], date, out);
        done = at + date_tokens[token].text.size();
    }
    const std::basic_string_view<C> rest(text.data() + done, text.size() - done);
    if (scan.found_all) {
        for (const C c : rest)
            *out++ = c;
        return out;
    }
    return write_replaced(
        rest, [&](std::size_t at) { return token_at(rest, at); }, values, out);
}

// The names of one expansion. read(series, name) sets the name of a series
// and returns true, or returns false when it cannot be had; each series is
// read once, when it is first needed.
template <typename C, typename Read> struct NamesOnDemand {
    Read &read;
    CalendarNames<C> names{};
    std::uint32_t held = 0; // a bit for each series read

    bool need(NameSeries series) {
        const std::uint32_t bit = 1u << static_cast<std::uint32_t>(series);
        if ((held & bit) == 0) {
            if (!read(series, name_of(names, series)))
                return false;
            held |= bit;
        }
        return true;
    }
};

// The passes one by one, each into a block of its own. A pass that finds a
// name token reads its series first.
template <typename C, typename Names, typename Allocate, typename Release>
C *expand_by_passes(std::basic_string_view<C> text, const Date &date, Names &names, Allocate &allocate,
                    Release &release) {
    C *work = nullptr;
    std::size_t length = text.size();
    const auto values = date_values<C>(date, names.names);
    for (std::size_t token = 0; token < date_tokens.size(); ++token) {
        const std::basic_string_view<C> current = work ? std::basic_string_view<C>(work, length) : text;
        auto this_token = [&](std::size_t at) {
            return token_matches(current, at, date_tokens[token].text) ? token : no_token;
        };
        bool found = false;
        walk(current, this_token,
             [&](std::basic_string_view<C>, std::size_t t, std::size_t) { found = found || t != no_token; });
        if (!found)
            continue;
        const NameSeries series = date_tokens[token].series;
        if (is_name(date_tokens[token]) && !names.need(series)) {
            if (work)
                release(work);
            return nullptr;
        }
        const std::uint64_t total = replaced_length(current, this_token, values);
        C *next =
            filled_block<C>(total, allocate, [&](C *out) { return write_replaced(current, this_token, values, out); });
        length = static_cast<std::size_t>(total);
        const bool released = !work || release(work);
        if (!next || !released) {
            if (next)
                release(next);
            return nullptr;
        }
        work = next;
    }
    return work;
}

// The template expanded into a new block from allocate(n) (room for n
// characters and a terminator, or null), or null on failure: a name that
// read(series, name) cannot give, an allocation or a release (release(block),
// false when refused) that fails, or an empty result. Blocks of passes that
// are not returned are released.
//
// The series are read in the lookup's order and each is checked for joins
// before the next is read: a name that joins sends the template to the
// passes, which read the later series only if they print them. (Only the
// abbreviated weekday can lose every occurrence to a longer token, and only
// through a month name, whose series comes first.)
template <typename C, typename Read, typename Allocate, typename Release>
C *expand_date_template(std::basic_string_view<C> text, const Date &date, Read read, Allocate allocate,
                        Release release) {
    NamesOnDemand<C, Read> names{read};
    const TemplateScan<C> scan = scan_template(text, date);
    const auto values = date_values<C>(date, names.names);
    for (const std::size_t token : name_tokens) {
        if (scan.count[token] == 0)
            continue;
        if (!names.need(date_tokens[token].series))
            return nullptr;
        if (may_join(scan, token, values(token)))
            return expand_by_passes(text, date, names, allocate, release);
    }
    return filled_block<C>(expanded_length(scan, values), allocate,
                           [&](C *out) { return write_expanded(text, scan, date, values, out); });
}

// The same with all four names at hand.
template <typename C, typename Allocate, typename Release>
C *expand_date_template(std::basic_string_view<C> text, const Date &date, const CalendarNames<C> &names,
                        Allocate allocate, Release release) {
    auto given = [&](NameSeries series, std::basic_string_view<C> &name) {
        name = name_of(names, series);
        return true;
    };
    return expand_date_template(text, date, given, allocate, release);
}

} // namespace bw
