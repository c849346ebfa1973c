// The text services in both widths, as a native caller reaches them.
#pragma once

#include "dll.hpp"
#include "tests/ascii_text.hpp"

#include <string>
#include <string_view>

namespace test {

template <typename C> struct TextExports {
    using Fixup = C *(WINAPI *)(const C *, INT);
    using Qualify = C *(WINAPI *)(const C *, const C *);
    using Quote = C *(WINAPI *)(const C *, INT, const C *);
    Fixup fixup;
    Qualify qualify;
    Quote quote;
};

template <typename C> TextExports<C> text_exports(HMODULE module);
template <> inline TextExports<char> text_exports<char>(HMODULE module) {
    return {export_of<TextExports<char>::Fixup>(module, "PathStringFixupAR8J"),
            export_of<TextExports<char>::Qualify>(module, "MakeFQFNAR8J"),
            export_of<TextExports<char>::Quote>(module, "QuoteStringAR8J")};
}
template <> inline TextExports<wchar_t> text_exports<wchar_t>(HMODULE module) {
    return {export_of<TextExports<wchar_t>::Fixup>(module, "PathStringFixupWR8J"),
            export_of<TextExports<wchar_t>::Qualify>(module, "MakeFQFNWR8J"),
            export_of<TextExports<wchar_t>::Quote>(module, "QuoteStringWR8J")};
}

// The shared empty text of a module's width C: what a failing call returns.
template <typename C> const C *shared_empty_of(HMODULE module) { return text_exports<C>(module).fixup(nullptr, 0); }

// A result that the caller owns: its text, its block size in characters,
// and the block released.
template <typename C> struct Owned {
    std::basic_string<C> text;
    std::size_t block;
};
template <typename C> Owned<C> take(C *result) {
    if (!result || !HeapValidate(GetProcessHeap(), 0, result)) {
        ADD_FAILURE() << "not a block of the process heap";
        return {result ? result : std::basic_string<C>(), 0};
    }
    Owned<C> owned{result, block_size(result) / sizeof(C)};
    release(result);
    return owned;
}

// Any last error that a successful call must leave alone.
inline constexpr DWORD untouched = 0x0BADF00D;

} // namespace test
