// Path cases that the core and the exports must both pass, in either width.
#pragma once

#include "BrindlewickCodes.h"
#include "tests/ascii_text.hpp"

#include <climits>
#include <cstddef>
#include <cstdint>

namespace test {

struct Fixup {
    const char *path;
    int mode;
    const char *result;
    std::size_t block; // in characters
};

// Mode 1 ensures one trailing backslash, mode 2 removes one, any other
// copies; only a backslash counts.
inline constexpr Fixup fixups[] = {
    {"C:\\temp", 1, "C:\\temp\\", 9},
    {"C:\\temp\\", 1, "C:\\temp\\", 9},
    {"C:\\temp\\\\", 1, "C:\\temp\\\\", 10},
    {"C:\\temp\\\\", 2, "C:\\temp\\", 10},
    {"C:\\temp\\", 2, "C:\\temp", 9},
    {"C:\\temp", 2, "C:\\temp", 8},
    {"\\", 2, "", 2},
    {"\\", 1, "\\", 2},
    {"x", 1, "x\\", 3},
    {"C:/temp/", 1, "C:/temp/\\", 10},
    {"C:/temp/", 2, "C:/temp/", 9},
    {"C:\\temp\\", 0, "C:\\temp\\", 9},
    {"C:\\temp", 3, "C:\\temp", 8},
    {"C:\\temp\\", -1, "C:\\temp\\", 9},
    {"C:\\temp", INT_MIN, "C:\\temp", 8},
    {"C:\\temp\\", INT_MAX, "C:\\temp\\", 9},
    {"C:\\temp", 1 + 65536, "C:\\temp", 8},
};

struct QualifyRefusal {
    const char *name;
    const char *directory;
    std::uint32_t code;
};

// The name is checked first; the directory only for a name without a
// backslash.
inline constexpr QualifyRefusal qualify_refusals[] = {
    {null_text, "C:\\temp", BW_E_FILE_NAME_NULL}, {null_text, null_text, BW_E_FILE_NAME_NULL},
    {"", null_text, BW_E_FILE_NAME_EMPTY},        {"", "C:\\temp", BW_E_FILE_NAME_EMPTY},
    {"a.txt", null_text, BW_E_DIRECTORY_NULL},
};

} // namespace test
