// The grouping text of a locale, any text in both widths: the leading
// number as the 32-bit runtime's strtol reads it, and the Grouping number
// whose digits are the group sizes.
#include "fuzz/input.hpp"
#include "text/pure/grouping.hpp"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>

namespace {

// The runtime's strtol, clamped to the 32 bits that long has on Windows.
bw::ParsedLong runtime_strtol(const char *text) {
    char *end = nullptr;
    const long long value = std::strtoll(text, &end, 10);
    return {static_cast<std::int32_t>(std::clamp<long long>(value, INT32_MIN, INT32_MAX)),
            static_cast<std::size_t>(end - text)};
}

// Single-digit group sizes separated by semicolons: the digits in order,
// then a 0 unless the text ends in ";0" (the last size repeats).
bool digits_and_semicolons(std::string_view text) {
    for (std::size_t i = 0; i < text.size(); ++i)
        if (i % 2 == 0 ? text[i] < '0' || text[i] > '9' : text[i] != ';')
            return false;
    return text.size() % 2 == 1;
}

std::uint32_t documented_grouping(std::string_view text) {
    const bool repeats = text.size() >= 3 && text.substr(text.size() - 2) == ";0";
    std::uint32_t grouping = 0;
    for (std::size_t i = 0; i < text.size() - (repeats ? 2 : 0); i += 2)
        grouping = grouping * 10 + static_cast<std::uint32_t>(text[i] - '0');
    return repeats ? grouping : grouping * 10;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    fuzz::Bytes in{data, size};
    const std::string narrow = fuzz::take_text<char>(in);
    const std::u16string wide = fuzz::take_text<char16_t>(in);
    const auto narrow_block = fuzz::exact_copy<char>(narrow);
    const auto wide_block = fuzz::exact_copy<char16_t>(wide);

    const bw::ParsedLong parsed = bw::parse_long(std::string_view(narrow_block.get()));
    const bw::ParsedLong expected = runtime_strtol(narrow_block.get());
    fuzz::require(parsed.value == expected.value, "the value that strtol gives, clamped to 32 bits");
    fuzz::require(parsed.length == expected.length, "the end that strtol gives");

    const std::uint32_t grouping = bw::grouping_from_text(narrow_block.get());
    if (digits_and_semicolons(narrow))
        fuzz::require(grouping == documented_grouping(narrow), "the group sizes become the digits");
    else if (narrow.empty())
        fuzz::require(grouping == 0, "an empty grouping text gives 0");

    // A wide text reads as its narrow counterpart, in which every unit
    // beyond ASCII stands for a byte that is neither digit nor blank.
    std::string narrowed(wide.size(), '\x80');
    std::transform(wide.begin(), wide.end(), narrowed.begin(),
                   [](char16_t c) { return c < 0x80 ? static_cast<char>(c) : '\x80'; });
    const bw::ParsedLong wide_parsed = bw::parse_long(std::u16string_view(wide_block.get()));
    const bw::ParsedLong narrowed_parsed = bw::parse_long(std::string_view(narrowed.c_str()));
    fuzz::require(wide_parsed.value == narrowed_parsed.value, "both widths read the same number");
    fuzz::require(wide_parsed.length == narrowed_parsed.length, "both widths stop at the same place");
    fuzz::require(bw::grouping_from_text(wide_block.get()) == bw::grouping_from_text(narrowed.c_str()),
                  "both widths give the same grouping");
    return 0;
}
