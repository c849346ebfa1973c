// Test texts written once and used in both widths.
#pragma once

#include <memory>
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

// A zero-filled block of exactly n characters, as the heap gives them, so
// that the sanitizer catches a write past its end.
template <typename C> std::unique_ptr<C[]> block_of(std::size_t n) { return std::unique_ptr<C[]>(new C[n]()); }

} // namespace test
