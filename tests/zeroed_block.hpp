// A zero-filled block of exactly n characters, as the heap gives them, so
// that the sanitizer catches a write past its end: for the tests and the
// fuzzers of the pure parts.
#pragma once

#include <cstddef>
#include <memory>

namespace test {

template <typename C> std::unique_ptr<C[]> zeroed_block(std::size_t n) { return std::unique_ptr<C[]>(new C[n]()); }

} // namespace test
