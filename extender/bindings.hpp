// Script functions by id: the built-ins and the bindings of the services.
#pragma once

#include "dispatch.hpp"

namespace bw {

struct Binding {
    int16_t id;
    int32_t (*run)(const ScriptCall &call);
};

const Binding *find_binding(int16_t id);

int32_t kelt_last_error(const ScriptCall &call);
int32_t kelt_last_error_text(const ScriptCall &call);
int32_t kelt_version(const ScriptCall &call);
int32_t message_box(const ScriptCall &call);

} // namespace bw
