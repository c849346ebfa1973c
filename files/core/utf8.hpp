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

// The UTF-8 size of a UTF-16 text, or none when it holds a lone surrogate.
// Counted wide: three bytes a unit overflow 32 bits for the longest texts.
template <typename C> constexpr std::optional<std::uint64_t> size_of(std::basic_string_view<C> text) {
    std::uint64_t size = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto unit = static_cast<std::uint16_t>(text[i]);
        if (unit < 0x80) {
            size += 1;
        } else if (unit < 0x800) {
            size += 2;
        } else if (is_high_surrogate(unit) && i + 1 < text.size() &&
                   is_low_surrogate(static_cast<std::uint16_t>(text[i + 1]))) {
            size += 4;
            ++i;
        } else if (is_high_surrogate(unit) || is_low_surrogate(unit)) {
            return std::nullopt;
        } else {
            size += 3;
        }
    }
    return size;
}

// Writes the UTF-8 form of a text that size_of accepted; returns the end.
template <typename C> constexpr char *write(std::basic_string_view<C> text, char *out) {
    const auto put = [&](std::uint32_t byte) { *out++ = static_cast<char>(byte); };
    for (std::size_t i = 0; i < text.size(); ++i) {
        std::uint32_t code = static_cast<std::uint16_t>(text[i]);
        if (code < 0x80) {
            put(code);
        } else if (code < 0x800) {
            put(0xC0 | code >> 6);
            put(0x80 | (code & 0x3F));
        } else if (is_high_surrogate(code)) {
            code = 0x10000 + ((code - 0xD800) << 10) + (static_cast<std::uint16_t>(text[++i]) - 0xDC00u);
            put(0xF0 | code >> 18);
            put(0x80 | (code >> 12 & 0x3F));
            put(0x80 | (code >> 6 & 0x3F));
            put(0x80 | (code & 0x3F));
        } else {
            put(0xE0 | code >> 12);
            put(0x80 | (code >> 6 & 0x3F));
            put(0x80 | (code & 0x3F));
        }
    }
    return out;
}

} // namespace bw::utf8
