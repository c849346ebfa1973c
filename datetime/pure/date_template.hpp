// Date templates: "^YYYY/^MM/^DD" and the other ^ tokens expanded for one
// date. Pure: the caller supplies the calendar names and the blocks.
//
// The meaning of a template is defined pass by pass (date_passes.hpp). Most
// templates are expanded in one walk instead: at each caret the first
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

#include "datetime/pure/date_passes.hpp"
#include "datetime/pure/date_tokens.hpp"

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace bw {

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

} // namespace bw
