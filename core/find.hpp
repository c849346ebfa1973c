// The 1-based find shared by the template formatter and quoting.
#pragma once

#include <cstddef>
#include <string_view>

namespace bw::core {

// 1-based position of the first occurrence of pattern in text; 0 when there
// is none or when either text is empty.
template <typename C> std::size_t find_position(std::basic_string_view<C> text, std::basic_string_view<C> pattern) {
    if (text.empty() || pattern.empty())
        return 0;
    const auto at = text.find(pattern);
    return at == std::basic_string_view<C>::npos ? 0 : at + 1;
}

} // namespace bw::core
