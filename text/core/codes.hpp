// The extender error codes that the text services raise. Bit 29 marks them
// as the module's own; the low bits are the message number.
#pragma once

#include <cstdint>

namespace bw::codes {

inline constexpr std::uint32_t path_null = 0x2000000b;
inline constexpr std::uint32_t path_empty = 0x2000000c;
inline constexpr std::uint32_t no_memory = 0x2000000d;
inline constexpr std::uint32_t file_name_null = 0x2000000e;
inline constexpr std::uint32_t file_name_empty = 0x2000000f;
inline constexpr std::uint32_t directory_null = 0x20000010;
inline constexpr std::uint32_t quote_text_null = 0x20000011;
inline constexpr std::uint32_t quote_text_empty = 0x20000012;
inline constexpr std::uint32_t quote_mode = 0x20000013;
inline constexpr std::uint32_t quote_refused = 0x20000014;

} // namespace bw::codes
