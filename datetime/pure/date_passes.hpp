// The meaning of a date template, pass by pass: for each token in table
// order, every occurrence in the text so far becomes the token's value, and
// later passes search the whole text, inserted values included, so a value
// can complete a token with the text around it ("^" before a December gives
// "^December", whose "^D" the day pass then takes). A pass that leaves an
// empty text is a failure. Pure: the caller supplies the names and the
// blocks.
#pragma once

#include "datetime/pure/date_tokens.hpp"

#include <cstddef>
#include <cstdint>
#include <limits>
#include <string_view>

namespace bw {

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

} // namespace bw
