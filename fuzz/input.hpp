// What every fuzzer shares: reading its input as fields, blocks of exactly
// the size a caller would allocate, and checks that stop the run.
//
// An input is read front to back: fixed-width integers (little-endian, bytes
// past the end read as 0), then texts that end at a zero character or at the
// end of the input. A narrow text takes one byte per character, a wide one
// two (UTF-16 units), so any text of either width can be reached.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <string_view>

namespace fuzz {

struct Bytes {
    const std::uint8_t *data;
    std::size_t size;
};

template <typename T> T take(Bytes &in) {
    std::uint64_t value = 0;
    for (std::size_t i = 0; i < sizeof(T); ++i) {
        const std::uint64_t byte = in.size ? (--in.size, *in.data++) : 0;
        value |= byte << (8 * i);
    }
    return static_cast<T>(value);
}

template <typename C> std::basic_string<C> take_text(Bytes &in) {
    std::basic_string<C> text;
    while (in.size) {
        const C c = sizeof(C) == 1 ? static_cast<C>(take<std::uint8_t>(in)) : static_cast<C>(take<std::uint16_t>(in));
        if (c == C(0))
            break;
        text.push_back(c);
    }
    return text;
}

// The text and its terminator in a heap block of exactly that size, so that
// AddressSanitizer stops a read past the terminator.
template <typename C> std::unique_ptr<C[]> exact_copy(std::basic_string_view<C> text) {
    std::unique_ptr<C[]> block(new C[text.size() + 1]);
    text.copy(block.get(), text.size());
    block[text.size()] = C(0);
    return block;
}

// A broken invariant: report it and abort, so that libFuzzer keeps the
// input that broke it.
inline void require(bool holds, const char *invariant) {
    if (holds)
        return;
    std::fprintf(stderr, "invariant broken: %s\n", invariant);
    std::abort();
}

} // namespace fuzz
