// One row per script function: the id and how its arguments reach the
// service, which success test applies and which delivery answers the host.
#include "bindings.hpp"

#include "Brindlewick.h"

#include <array>

namespace bw {
namespace {

// No success test: a failure reaches the script as an empty text.
int32_t format_now(const ScriptCall &call) {
    return deliver_heap_text(call, FormatNowAR8J(text_arg(call, 1), int_arg(call, 2)), Release::quiet);
}

int32_t format_ymdhms(const ScriptCall &call) {
    return deliver_text_or_error(call, FormatYmdHmsAR8J(text_arg(call, 1), text_arg(call, 2)), Release::reported);
}

int32_t extract_from_ymdhms(const ScriptCall &call) {
    const DWORD field = ExtractFromYmdHmsAR8J(text_arg(call, 1), static_cast<DWORD>(int_arg(call, 2)));
    return deliver_integer(call, static_cast<int32_t>(field));
}

int32_t extract_from_system_date(const ScriptCall &call) {
    const DWORD field = ExtractrFromSystemDateR8J(int_arg(call, 1), static_cast<DWORD>(int_arg(call, 2)));
    return deliver_integer(call, static_cast<int32_t>(field));
}

// The name lives in a static buffer: delivered, never released. The last
// error right after the call decides, and is recorded either way.
int32_t time_zone_name(const ScriptCall &call) {
    const char *name = GetTimeZoneNameAR8J();
    const DWORD error = GetLastError();
    if (error != 0)
        return deliver_error(call, error);
    record_last_error(0);
    return deliver_static_text(call, name);
}

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

// The handle arrives as a plain integer; the result goes back as it is and
// becomes the recorded last error.
int32_t log_msg_alt(const ScriptCall &call) {
    HANDLE file = reinterpret_cast<HANDLE>(static_cast<intptr_t>(int_arg(call, 2)));
    const int32_t result = LogMsgAltAR8J(text_arg(call, 1), file, int_arg(call, 3));
    record_last_error(result);
    return deliver_integer(call, result);
}

constexpr std::array bindings{
    Binding{0, kelt_last_error},      Binding{1, kelt_last_error_text},
    Binding{2, kelt_version},         Binding{3, kelt_version},
    Binding{21, format_now},          Binding{22, format_ymdhms},
    Binding{23, log_msg_alt},         Binding{24, format_long_int},
    Binding{25, extract_from_ymdhms}, Binding{26, extract_from_system_date},
    Binding{27, path_string_fixup},   Binding{28, make_fqfn},
    Binding{29, time_zone_name},      Binding{30, quote_string},
    Binding{31, message_box},
};

} // namespace

const Binding *find_binding(int16_t id) {
    for (const Binding &binding : bindings)
        if (binding.id == id)
            return &binding;
    return nullptr;
}

} // namespace bw
