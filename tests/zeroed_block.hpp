// Test texts written once and used in both widths.
#pragma once

#include "tests/ascii_text.hpp"

#include <memory>
#include <string>
#include <string_view>

namespace test {

// A zero-filled block of exactly n characters, as the heap gives them, so
// that the sanitizer catches a write past its end.
template <typename C> std::unique_ptr<C[]> block_of(std::size_t n) { return std::unique_ptr<C[]>(new C[n]()); }

} // namespace test
