// The one table of script functions: what the host enumerates and what runs
// when it calls a function by id.
#pragma once

#include "extender/deliveries.hpp"

#include <span>
#include <string_view>

namespace bw {

struct ScriptFunction {
    int32_t id;
    uint32_t kind;      // WIL_KIND_FUNCTION or WIL_KIND_CONSTANT
    uint32_t arg_types; // WIL_ARG_TEXT of each text argument
    uint32_t arg_count; // WIL_ARGS(required, optional), or a constant's value
    std::string_view name;
    int32_t (*run)(const ScriptCall &call); // null for a constant
};

// The rows in the order the host enumerates them.
std::span<const ScriptFunction> script_functions();

// The function a call of `id` runs, or null for an unknown id or a constant.
const ScriptFunction *find_script_function(int16_t id);

} // namespace bw
