// One row per script function: the id and how its arguments reach the
// service, which success test applies and which delivery answers the host.
#include "bindings.hpp"

#include "Brindlewick.h"

#include <array>

namespace bw {
namespace {

// The handle arrives as a plain integer; the result goes back as it is and
// becomes the recorded last error.
int32_t log_msg_alt(const ScriptCall &call) {
    HANDLE file = reinterpret_cast<HANDLE>(static_cast<intptr_t>(int_arg(call, 2)));
    const int32_t result = LogMsgAltAR8J(text_arg(call, 1), file, int_arg(call, 3));
    record_last_error(result);
    return deliver_integer(call, result);
}

constexpr std::array bindings{
    Binding{0, kelt_last_error}, Binding{1, kelt_last_error_text}, Binding{2, kelt_version},
    Binding{3, kelt_version},    Binding{23, log_msg_alt},         Binding{31, message_box},
};

} // namespace

const Binding *find_binding(int16_t id) {
    for (const Binding &binding : bindings)
        if (binding.id == id)
            return &binding;
    return nullptr;
}

} // namespace bw
