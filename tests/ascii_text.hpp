// Test texts written once in ASCII and used in both widths, natively and
// under Wine.
#pragma once

#include <string>
#include <string_view>

namespace test {

// An ASCII text as a string of C.
template <typename C> std::basic_string<C> as(std::string_view ascii) {
    std::basic_string<C> out;
    for (char c : ascii)
        out.push_back(static_cast<C>(static_cast<unsigned char>(c)));
    return out;
}

// Stands for a null pointer in the tables.
inline constexpr const char *null_text = "@";

template <typename C> const C *or_null(const std::basic_string<C> &text) {
    return text == as<C>(null_text) ? nullptr : text.c_str();
}

} // namespace test
