// The 1-based find, as the quoting check uses it.
#pragma once

#include <cstddef>
#include <string_view>

namespace bw {

// 1-based position of the first occurrence of needle in haystack; 0 when
// either is empty or needle does not occur.
template <typename C>
constexpr std::size_t find_position(std::basic_string_view<C> haystack, std::basic_string_view<C> needle) {
    if (haystack.empty() || needle.empty())
        return 0;
    const std::size_t at = haystack.find(needle);
    return at == std::basic_string_view<C>::npos ? 0 : at + 1;
}

} // namespace bw
