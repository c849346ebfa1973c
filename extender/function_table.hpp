// The function table that the script host enumerates through id -2.
#pragma once

#include "BrindlewickExtender.h"

#include <array>
#include <cstddef>

namespace bw {

template <std::size_t N>
constexpr WilFunctionInfo function(int32_t id, uint32_t arg_types, uint32_t arg_count, const char (&name)[N]) {
    static_assert(N <= WIL_NAME_CAPACITY);
    WilFunctionInfo entry{id, WIL_KIND_FUNCTION, arg_types, 0, arg_count, 0, {}};
    for (std::size_t i = 0; i < N; ++i)
        entry.name[i] = name[i];
    return entry;
}

template <std::size_t N> constexpr WilFunctionInfo constant(int32_t id, uint32_t value, const char (&name)[N]) {
    WilFunctionInfo entry = function(id, 0, value, name);
    entry.kind = WIL_KIND_CONSTANT;
    return entry;
}

// Argument types: 4 bits per argument, 1 = text. Count word: required
// arguments in bits 0-7, optional ones in bits 8-15.
inline constexpr std::array<WilFunctionInfo, 17> function_table{{
    function(0, 0x0, 0x0, "KeltLastErrorR8J"),
    function(1, 0x0, 0x0, "KeltLastErrorStrR8J"),
    function(2, 0x0, 0x1, "KeltExtenderInfoR8J"),
    function(3, 0x0, 0x0, "KeltExtenderVersionR8J"),
    constant(11, 0x20000000, "CUSTOMER_FLAG"),
    function(21, 0x1, 0x101, "FormatNowR8J"),
    function(22, 0x11, 0x2, "FormatYmdHMSR8J"),
    function(23, 0x1, 0x102, "LogMsgAltR8J"),
    function(24, 0x0, 0x1, "FormatLongIntR8J"),
    function(25, 0x1, 0x2, "ExtractFromYmdHms"),
    function(26, 0x0, 0x2, "ExtractrFromSystemDateR8J"),
    function(27, 0x1, 0x2, "PathStringFixupR8J"),
    function(28, 0x11, 0x2, "MakeFQFNR8J"),
    function(29, 0x0, 0x0, "GetTimeZoneNameR8J"),
    function(30, 0x101, 0x102, "QuoteStringR8J"),
    function(31, 0x11, 0x3, "MessageBoxR8J"),
    {-1, 0, 0, 0, 0, 0, {}},
}};

inline constexpr int function_count = static_cast<int>(function_table.size()) - 1;

} // namespace bw
