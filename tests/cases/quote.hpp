// Quoting cases that the core and the exports must both pass, in either
// width.
#pragma once

#include "BrindlewickCodes.h"
#include "tests/ascii_text.hpp"

#include <climits>
#include <cstdint>

namespace test {

struct Quoting {
    const char *text;
    int mode;
    const char *quote;
    const char *result;
};

// Wrapped by mode, unless the text begins or ends with the quote.
inline constexpr Quoting quotings[] = {
    {"C:\\Program Files\\x", 1, null_text, "\"C:\\Program Files\\x\""},
    {"C:\\temp\\x", 1, null_text, "C:\\temp\\x"},
    {"\"C:\\Program Files\\x", 1, null_text, "\"C:\\Program Files\\x"},
    {"C:\\Program Files\\x\"", 1, null_text, "C:\\Program Files\\x\""},
    {"\"C:\\Program Files\\x\"", 1, null_text, "\"C:\\Program Files\\x\""},
    {"a\tb", 1, null_text, "a\tb"},
    {" ", 1, null_text, "\" \""},
    {"C:\\temp\\x", 2, "", "\"C:\\temp\\x\""},
    {"C:\\temp\\x", 2, "'", "'C:\\temp\\x'"},
    {"C:\\temp\\x", 2, "'\"", "'C:\\temp\\x'"},
    {"C:\\temp\\x", 2, "'abc", "'C:\\temp\\x'"},
    {"'C:\\temp\\x", 2, "'", "'C:\\temp\\x"},
    {"C:\\temp\\x'", 2, "'", "C:\\temp\\x'"},
    {"C:\\temp\\x\"", 2, "'", "'C:\\temp\\x\"'"},
    {"C:\\temp\\x\"", 2, null_text, "C:\\temp\\x\""},
    {"\"", 2, null_text, "\""},
    {"'", 2, "'", "'"},
    {"a\"", 2, null_text, "a\""},
    {"x", 2, null_text, "\"x\""},
    {"say \"hi\"", 2, null_text, "say \"hi\""},
    {"say \"hi\" now", 2, null_text, "\"say \"hi\" now\""},
    {"My Files", 1, "#", "#My Files#"},
    {"My Files", 3, null_text, "My Files"},
    {"C:\\Program Files\\x", 3, null_text, "C:\\Program Files\\x"},
    {"\"", 3, "'", "\""},
    {"C:\\temp\\x", 3, "", "C:\\temp\\x"},
};

struct QuoteRefusal {
    const char *text;
    int mode;
    const char *quote;
    std::uint32_t code;
};

// The code of the first fault: null and empty texts, then the further
// check, then the mode.
inline constexpr QuoteRefusal quote_refusals[] = {
    {null_text, 7, null_text, BW_E_QUOTE_TEXT_NULL},
    {null_text, 1, "'", BW_E_QUOTE_TEXT_NULL},
    {"", 0, null_text, BW_E_QUOTE_TEXT_EMPTY},
    {"", 2, "'", BW_E_QUOTE_TEXT_EMPTY},
    {"", 3, "'", BW_E_QUOTE_TEXT_EMPTY},
    {"a\"b", 7, null_text, BW_E_QUOTE_REFUSED},
    {"a\"b", 3, null_text, BW_E_QUOTE_REFUSED},
    {"a'b c", 1, "'", BW_E_QUOTE_REFUSED},
    {"a'b c", 2, "''", BW_E_QUOTE_REFUSED},
    {"C:\\temp\\x", 0, null_text, BW_E_QUOTE_MODE},
    {"C:\\temp\\x", 4, "'", BW_E_QUOTE_MODE},
    {"C:\\temp\\x", -1, null_text, BW_E_QUOTE_MODE},
    {"C:\\temp\\x", INT_MIN, null_text, BW_E_QUOTE_MODE},
    {"C:\\temp\\x", 1 + 65536, null_text, BW_E_QUOTE_MODE},
    {"x", -1, null_text, BW_E_QUOTE_MODE},
    {"x", INT_MIN, null_text, BW_E_QUOTE_MODE},
};

struct FurtherCheck {
    const char *text;
    const char *quote;
    bool refused;
};

// The further check looks only at the second character of a text of three
// or more: the quote character there is refused, elsewhere it is not.
inline constexpr FurtherCheck further_checks[] = {
    {"a\"b", null_text, true},
    {"a\"b", "", true},
    {"\"\"a b", null_text, true},
    {"a'b", "'", true},
    {"a'bc", "'", true},
    {"a'bc", "'x", true},
    {"a'b", null_text, false},
    {"a'bc", null_text, false},
    {"a\"b", "'", false},
    {"a\"bc", "'", false},
    {"a\"", null_text, false},
    {"\"\"", null_text, false},
    {"\"", null_text, false},
    {"ab\"", null_text, false},
    {"ab\"c", null_text, false},
    {"a'b", "x'", false},
    {"C:\\Program Files\\x", null_text, false},
    {"C:\\temp\\x", "'", false},
    {"C:'temp", "'", false},
};

} // namespace test
