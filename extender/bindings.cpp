// One row per script function: the id and how its arguments reach the
// service, which success test applies and which delivery answers the host.
#include "bindings.hpp"

#include "Brindlewick.h"

#include <array>

namespace bw {
namespace {

// Its failures carry no extender code; an empty result is one.
int32_t format_long_int(const ScriptCall &call) {
    return deliver_text_or_error(call, FormatLongIntR8J(int_arg(call, 1)), Release::reported);
}

// The thread's last error, read right after the call, decides.
int32_t path_string_fixup(const ScriptCall &call) {
    char *text = PathStringFixupAR8J(text_arg(call, 1), int_arg(call, 2));
    const DWORD error = GetLastError();
    return deliver_text_unless_error(call, text, error, Release::quiet);
}

int32_t make_fqfn(const ScriptCall &call) {
    char *text = MakeFQFNAR8J(text_arg(call, 1), text_arg(call, 2));
    const DWORD error = GetLastError();
    return deliver_text_unless_error(call, text, error, Release::quiet);
}

// No success test: a failure delivers the shared empty text with status 0.
int32_t quote_string(const ScriptCall &call) {
    return deliver_heap_text(call, QuoteStringAR8J(text_arg(call, 1), int_arg(call, 2), text_arg(call, 3)),
                             Release::quiet);
}

constexpr std::array bindings{
    Binding{0, kelt_last_error}, Binding{1, kelt_last_error_text}, Binding{2, kelt_version},
    Binding{3, kelt_version},    Binding{24, format_long_int},     Binding{27, path_string_fixup},
    Binding{28, make_fqfn},      Binding{30, quote_string},        Binding{31, message_box},
};

} // namespace

const Binding *find_binding(int16_t id) {
    for (const Binding &binding : bindings)
        if (binding.id == id)
            return &binding;
    return nullptr;
}

} // namespace bw
