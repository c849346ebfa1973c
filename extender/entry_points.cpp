// WILExtenderQuery and WILExtender2: the two entry points through which the
// script host learns the interface, enumerates the script functions and
// calls them.
#include "extender/script_functions.hpp"
#include "module/module.hpp"
#include "resources/message_numbers.h"

namespace {

constexpr int description_capacity = 256;

// The description is looked up into a buffer of the module's and copied
// from there, cut to the caller's capacity.
char description[description_capacity];

// The fixed fields, the name in small letters and its terminator; the host
// promises room for the name and nothing beyond it.
int32_t enumerate(WilFunctionInfo *info, int32_t index) {
    const auto functions = bw::script_functions();
    if (index < 0 || static_cast<std::size_t>(index) >= functions.size())
        return 0;
    const bw::ScriptFunction &row = functions[static_cast<std::size_t>(index)];
    if (info) {
        info->id = row.id;
        info->kind = row.kind;
        info->arg_types = row.arg_types;
        info->reserved = 0;
        info->arg_count = row.arg_count;
        info->name_length = static_cast<uint16_t>(row.name.size());
        bw::copy_text(info->name, row.name.data(), row.name.size() + 1);
        CharLowerA(info->name);
    }
    return 1;
}

} // namespace

extern "C" int32_t WINAPI WILExtenderQuery(int32_t query, void *buffer, int32_t count) {
    switch (static_cast<int16_t>(query)) {
    case 1:
        if (buffer && count > 0) {
            bw::load_message(BW_MESSAGE_DESCRIPTION, description, description_capacity);
            bw::copy_text(static_cast<char *>(buffer), description, static_cast<std::size_t>(count));
        }
        return WIL_EXTENDER_VERSION;
    case 2: {
        const auto *interfaces = static_cast<const int32_t *>(buffer);
        for (int32_t i = 0; interfaces && i < count; ++i)
            if (interfaces[i] == 4)
                return 4;
        return -1;
    }
    default:
        return 0;
    }
}

extern "C" int32_t WINAPI WILExtender2(HWND window, intptr_t, intptr_t host_a, int32_t function_id,
                                       WilHostCallback callback, intptr_t host_b, intptr_t, void *args, int32_t count,
                                       WilValue *result) {
    SetLastError(0);
    const int16_t id = static_cast<int16_t>(function_id);
    switch (id) {
    case WIL_ID_PRESENT:
        return 1;
    case WIL_ID_COUNT:
        return static_cast<int32_t>(bw::script_functions().size());
    case WIL_ID_ENUMERATE:
        return enumerate(static_cast<WilFunctionInfo *>(args), count);
    default:
        break;
    }
    const bw::ScriptCall call{window, host_a, host_b, callback, static_cast<const WilValue *>(args), count, result};
    if (const bw::ScriptFunction *function = bw::find_script_function(id))
        return function->run(call);
    return bw::deliver_unknown_function(call);
}
