// Access to the built DLL as a native caller has it: loaded by path, exports
// looked up by their plain names from the module handle, results released
// as the caller must release them.
#pragma once

#include "Brindlewick.h"
#include "tests/ascii_text.hpp"
#include "tools/code_page.hpp"
#include "tools/dll.hpp"

#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <type_traits>

namespace test {

HMODULE dll();
HMODULE faults_dll();
std::string dll_path();

// An export by name, as a failure of the test when the DLL lacks it.
template <typename F> F export_of(HMODULE module, const char *name) {
    const F function = tools::find_export<F>(module, name);
    EXPECT_NE(function, nullptr) << name;
    return function;
}

// The header's declaration of the width C, of a narrow and a wide one.
template <typename C, typename Narrow, typename Wide> using ByWidth = std::conditional_t<sizeof(C) == 1, Narrow, Wide>;

// The native exports of one width, typed as the header declares them.
template <typename C> struct WidthExports {
    ByWidth<C, decltype(&FormatNowAR8J), decltype(&FormatNowWR8J)> format_now;
    ByWidth<C, decltype(&FormatYmdHmsAR8J), decltype(&FormatYmdHmsWR8J)> format_ymdhms;
    ByWidth<C, decltype(&ExtractFromYmdHmsAR8J), decltype(&ExtractFromYmdHmsWR8J)> extract;
    ByWidth<C, decltype(&GetTimeZoneNameAR8J), decltype(&GetTimeZoneNameWR8J)> zone_name;
    ByWidth<C, decltype(&PathStringFixupAR8J), decltype(&PathStringFixupWR8J)> fixup;
    ByWidth<C, decltype(&MakeFQFNAR8J), decltype(&MakeFQFNWR8J)> qualify;
    ByWidth<C, decltype(&QuoteStringAR8J), decltype(&QuoteStringWR8J)> quote;
    ByWidth<C, decltype(&OpenInputFileHandleA_R8J), decltype(&OpenInputFileHandleW_R8J)> open_input;
    ByWidth<C, decltype(&OpenOutputFileHandleA_R8J), decltype(&OpenOutputFileHandleW_R8J)> open_output;
    ByWidth<C, decltype(&LogMsgAltAR8J), decltype(&LogMsgAltWR8J)> log;
    ByWidth<C, decltype(&FormatLongIntR8J), decltype(&FormatLongIntWR8J)> format_long_int;
};

// Every native export of one build of the DLL: both widths and those
// without one. The extender's entry points are the script host's (host.hpp).
struct Exports {
    WidthExports<char> narrow;
    WidthExports<wchar_t> wide;
    decltype(&ExtractrFromSystemDateR8J) extract_system;
    decltype(&CloseFileHandle_R8J) close;
    decltype(&ReleaseTextR8J) release;
    decltype(&GetVersionNumberR8J) version;

    template <typename C> const WidthExports<C> &width() const {
        if constexpr (sizeof(C) == 1)
            return narrow;
        else
            return wide;
    }
};
Exports exports(HMODULE module = dll());

// The test build's switch: the nth heap request from now fails, 0 disarms.
// Returns the requests still to come before the failing one, so 0 after a
// call means the call reached it.
LONG fail_heap_request(LONG n);

// The shared empty text of a module's width C: what a failing call returns.
template <typename C> const C *shared_empty(HMODULE module = dll()) {
    const C *empty = exports(module).width<C>().fixup(nullptr, 0);
    EXPECT_TRUE(empty && !*empty) << "a shared empty text";
    return empty;
}

// Busy blocks of the process heap, for leak accounting.
std::size_t busy_heap_blocks();

// A zero-filled block's size, to check results are as long as documented.
inline std::size_t block_size(const void *block) { return HeapSize(GetProcessHeap(), 0, block); }
inline void release(const void *block) { ASSERT_TRUE(HeapFree(GetProcessHeap(), 0, const_cast<void *>(block))); }

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

// A wide text as a narrow caller has it, in the ANSI code page.
inline std::string ansi(std::wstring_view text) { return tools::narrowed(text, CP_ACP); }

// Any last error that a successful call must leave alone.
inline constexpr DWORD untouched = 0x0BADF00D;

} // namespace test
