// The names of the module's codes, for the runner's messages. Each row is
// written with the macro alone, so that a name cannot be paired with another
// value; a test holds the rows against BrindlewickCodes.h.
#pragma once

#include "BrindlewickCodes.h"
#include "resources/message_numbers.h"

#include <cstdint>
#include <string_view>

namespace tools {

struct CodeName {
    std::uint32_t code;
    std::string_view name;
};

#define BW_CODE_NAME(code)                                                                                             \
    CodeName { static_cast<std::uint32_t>(code), #code }
inline constexpr CodeName code_names[] = {
    BW_CODE_NAME(BW_E_TEMPLATE_NULL),   BW_CODE_NAME(BW_E_TEMPLATE_EMPTY),   BW_CODE_NAME(BW_E_YMDHMS_NULL),
    BW_CODE_NAME(BW_E_YMDHMS_EMPTY),    BW_CODE_NAME(BW_E_YMDHMS_TOO_LONG),  BW_CODE_NAME(BW_E_YMDHMS_LAYOUT),
    BW_CODE_NAME(BW_E_PATH_NULL),       BW_CODE_NAME(BW_E_PATH_EMPTY),       BW_CODE_NAME(BW_E_NO_MEMORY),
    BW_CODE_NAME(BW_E_FILE_NAME_NULL),  BW_CODE_NAME(BW_E_FILE_NAME_EMPTY),  BW_CODE_NAME(BW_E_DIRECTORY_NULL),
    BW_CODE_NAME(BW_E_QUOTE_TEXT_NULL), BW_CODE_NAME(BW_E_QUOTE_TEXT_EMPTY), BW_CODE_NAME(BW_E_QUOTE_MODE),
    BW_CODE_NAME(BW_E_QUOTE_REFUSED),
};
#undef BW_CODE_NAME

// The name of an extender code, or empty.
constexpr std::string_view code_name(std::uint32_t code) {
    for (const CodeName &known : code_names)
        if (known.code == code)
            return known.name;
    return {};
}

} // namespace tools
