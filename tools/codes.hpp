// The names of the module's codes, for the runner's messages, from the build's
// table of codes.
#pragma once

#include "code_table.hpp"

#include <cstdint>
#include <string_view>

namespace tools {

// The name of an extender code, or empty.
constexpr std::string_view code_name(std::uint32_t code) {
    for (const bw::codes::Row &row : bw::codes::rows)
        if (row.code == code)
            return row.name;
    return {};
}

} // namespace tools
