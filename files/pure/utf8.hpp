// UTF-16 text as UTF-8, for the wide log writer: a log file holds one
// encoding whatever the width of the writer, and UTF-8 holds every
// character. A lone surrogate has no UTF-8 form, so a text holding one is
// refused whole rather than written with a stand-in.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace bw::utf8 {

constexpr bool is_high_surrogate(std::uint32_t unit) { return unit >= 0xD800 && unit <= 0xDBFF; }
constexpr bool is_low_surrogate(std::uint32_t unit) { return unit >= 0xDC00 && unit <= 0xDFFF; }

// Calls put(byte) for each byte of the UTF-8 form of a UTF-16 text, in
// order; false at a lone surrogate, when only the bytes before it are put.
template <typename C, typename Put> constexpr bool encode(std::basic_string_view<C> text, Put put) {
    const auto unit = [&](std::size_t i) -> std::uint32_t { return static_cast<std::uint16_t>(text[i]); };
    for (std::size_t i = 0; i < text.size(); ++i) {
        std::uint32_t code = unit(i);
        if (code < 0x80) {
            put(code);
            continue;
        }
        if (code < 0x800) {
            put(0xC0 | code >> 6);
            put(0x80 | (code & 0x3F));
            continue;
        }
        if (is_low_surrogate(code))
            return false;
        if (is_high_surrogate(code)) {
            if (i + 1 == text.size() || !is_low_surrogate(unit(i + 1)))
                return false;
            code = 0x10000 + ((code - 0xD800) << 10) + (unit(++i) - 0xDC00);
            put(0xF0 | code >> 18);
            put(0x80 | (code >> 12 & 0x3F));
        } else {
            put(0xE0 | code >> 12);
        }
        put(0x80 | (code >> 6 & 0x3F));
        put(0x80 | (code & 0x3F));
    }
    return true;
}

// The UTF-8 size of a text, or none at a lone surrogate. Counted wide:
// three bytes a unit overflow 32 bits for the longest texts.
template <typename C> constexpr std::optional<std::uint64_t> size_of(std::basic_string_view<C> text) {
    std::uint64_t size = 0;
    if (!encode(text, [&](std::uint32_t) { ++size; }))
        return std::nullopt;
    return size;
}

// Writes the UTF-8 form of a text to [out, end), bytes past end dropped;
// returns the end of what was written, or null at a lone surrogate. The
// bound holds even when another thread changes the text meanwhile.
template <typename C> constexpr char *write(std::basic_string_view<C> text, char *out, const char *end) {
    return encode(text,
                  [&](std::uint32_t byte) {
                      if (out != end)
                          *out++ = static_cast<char>(byte);
                  })
               ? out
               : nullptr;
}

} // namespace bw::utf8
