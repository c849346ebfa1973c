// The grouping text of the locale turned into the Grouping number of a
// number format.
#pragma once

#include "core/decimal.hpp"

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace bw {

// Group sizes from the decimal point leftwards, separated by semicolons
// ("3;2;0"), become the decimal digits of the Grouping number. A final ";0"
// (the last size repeats) is dropped; without it a 0 is appended, so that the
// digits beyond the last group stay ungrouped. "3;0" gives 3, "3;2;0" 32,
// "3" 30. The arithmetic is that of the format's unsigned field.
template <typename C> constexpr std::uint32_t grouping_from_text(const C *text) {
    constexpr C repeat[] = {C(';'), C('0')};
    std::uint32_t grouping = 0;
    const C *p = text;
    for (;;) {
        grouping *= 10;
        if (!*p)
            return grouping;
        const ParsedLong size = parse_long(std::basic_string_view<C>(p));
        grouping += static_cast<std::uint32_t>(size.value);
        const std::basic_string_view<C> rest(p + size.length);
        if (rest == std::basic_string_view<C>(repeat, 2))
            return grouping;
        if (rest.empty())
            return grouping * 10;
        p = rest.data() + 1;
    }
}

} // namespace bw
