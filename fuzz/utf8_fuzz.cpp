// The UTF-8 encoder with any UTF-16 text, lone surrogates included, against
// the C library's own conversion: the same bytes, refused exactly where it
// refuses, the size it measures that of the bytes, and a block shorter than
// the text filled with their start and nothing past it.
#include "files/pure/utf8.hpp"
#include "fuzz/input.hpp"

#include <iconv.h>

#include <cerrno>
#include <memory>
#include <optional>
#include <string>

namespace {

// The text as iconv converts it, or none when it refuses: a surrogate
// without its partner, or a high one at the end.
std::optional<std::string> converted(std::u16string_view text) {
    static const iconv_t converter = iconv_open("UTF-8", "UTF-16LE");
    fuzz::require(converter != reinterpret_cast<iconv_t>(-1), "iconv converts UTF-16LE to UTF-8");
    std::string in;
    for (const char16_t unit : text) {
        in.push_back(static_cast<char>(unit & 0xFF));
        in.push_back(static_cast<char>(unit >> 8));
    }
    std::string out(text.size() * 3, '\0');
    char *from = in.data(), *to = out.data();
    std::size_t left = in.size(), room = out.size();
    iconv(converter, nullptr, nullptr, nullptr, nullptr);
    if (iconv(converter, &from, &left, &to, &room) == static_cast<std::size_t>(-1)) {
        fuzz::require(errno == EILSEQ || errno == EINVAL, "iconv refuses only what it cannot convert");
        return std::nullopt;
    }
    out.resize(out.size() - room);
    return out;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    fuzz::Bytes in{data, size};
    const auto cut = fuzz::take<std::uint16_t>(in);
    std::u16string text;
    while (in.size)
        text.push_back(static_cast<char16_t>(fuzz::take<std::uint16_t>(in)));

    const std::optional<std::string> expected = converted(text);
    const std::optional<std::uint64_t> measured = bw::utf8::size_of(std::u16string_view(text));
    fuzz::require(measured.has_value() == expected.has_value(), "refused exactly where iconv refuses");
    const std::size_t length = expected ? expected->size() : text.size() * 3;
    fuzz::require(!expected || *measured == length, "the size is that of the bytes");

    const auto block = std::make_unique<char[]>(length);
    char *end = bw::utf8::write(std::u16string_view(text), block.get(), block.get() + length);
    fuzz::require(end == (expected ? block.get() + length : nullptr), "written to the end, or refused");
    fuzz::require(!expected || std::string_view(block.get(), length) == *expected, "the bytes iconv gives");

    if (expected) {
        const std::size_t shorter = cut % (length + 1);
        const auto short_block = std::make_unique<char[]>(shorter);
        end = bw::utf8::write(std::u16string_view(text), short_block.get(), short_block.get() + shorter);
        fuzz::require(end == short_block.get() + shorter, "a short block is filled to its end");
        fuzz::require(std::string_view(short_block.get(), shorter) == expected->substr(0, shorter),
                      "a short block holds the start of the bytes");
    }
    return 0;
}
