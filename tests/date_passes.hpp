// The pass-by-pass meaning of a date template written out plainly, apart
// from the module's engine, so that the tests and the fuzzer hold the engine
// to it; and the engine called with all four names at hand.
#pragma once

#include "datetime/pure/date_template.hpp"

#include <array>
#include <cstdio>
#include <optional>
#include <string>
#include <string_view>

namespace test {

template <typename C> using Text = std::basic_string<C>;

// Abbreviated month, month, abbreviated weekday, weekday.
template <typename C> using NameList = std::array<Text<C>, 4>;

// For each token in table order, every occurrence in the text so far becomes
// its value: numbers as "%02u", "%1u" and "%4u" print them, names padded
// with blanks to 3 or 2 characters where the token says. A pass that leaves
// an empty text, or an empty template, gives no result. `series_printed`
// gets a bit for each name series that a pass inserts, by NameSeries.
template <typename C>
std::optional<Text<C>> expand_plainly(Text<C> text, const bw::Date &date, const NameList<C> &names,
                                      unsigned *series_printed = nullptr) {
    auto printed = [](unsigned number, const char *conversion) {
        char digits[16];
        const int n = std::snprintf(digits, sizeof digits, conversion, number);
        return Text<C>(digits, digits + n);
    };
    auto padded = [](const Text<C> &name, std::size_t width) {
        return name.size() >= width ? name : Text<C>(width - name.size(), C(' ')) + name;
    };
    struct Pass {
        std::string_view token;
        Text<C> value;
        int series; // -1 for a number
    };
    const std::array<Pass, 13> passes{{
        {"^MMMM", names[1], 1},
        {"^MMM", padded(names[0], 3), 0},
        {"^MM", printed(date.month, "%02u"), -1},
        {"^DD", printed(date.day, "%02u"), -1},
        {"^D", printed(date.day, "%1u"), -1},
        {"^YYYY", printed(date.year, "%4u"), -1},
        {"^hh", printed(date.hour, "%02u"), -1},
        {"^h", printed(date.hour, "%1u"), -1},
        {"^mm", printed(date.minute, "%02u"), -1},
        {"^ss", printed(date.second, "%02u"), -1},
        {"^WWWW", names[3], 3},
        {"^WWW", padded(names[2], 3), 2},
        {"^WW", padded(names[2], 2), 2},
    }};
    unsigned printed_series = 0;
    for (const Pass &pass : passes) {
        const Text<C> token(pass.token.begin(), pass.token.end());
        std::size_t at = text.find(token);
        if (at == Text<C>::npos)
            continue;
        if (pass.series >= 0)
            printed_series |= 1u << pass.series;
        for (; at != Text<C>::npos; at = text.find(token, at + pass.value.size()))
            text.replace(at, token.size(), pass.value);
        if (text.empty())
            break;
    }
    if (series_printed)
        *series_printed = printed_series;
    return text.empty() ? std::nullopt : std::optional<Text<C>>(text);
}

// The engine with every name given.
template <typename C, typename Allocate, typename Release>
C *expand_with_names(std::basic_string_view<C> text, const bw::Date &date, const NameList<C> &names, Allocate allocate,
                     Release release) {
    auto given = [&](bw::NameSeries series, std::basic_string_view<C> &name) {
        name = names[static_cast<std::size_t>(series)];
        return true;
    };
    return bw::expand_date_template(text, date, given, allocate, release);
}

} // namespace test
