// Every script function as one row: the id, kind, argument types and counts
// and name that the host enumerates, and the function that runs a call.
// Each runner says how its arguments reach the service, which success test
// applies and which delivery answers the host.
#include "extender/script_functions.hpp"

#include "Brindlewick.h"

#include <algorithm>
#include <array>

namespace bw {
namespace {

int32_t kelt_last_error(const ScriptCall &call) { return deliver_integer(call, recorded_last_error()); }

int32_t kelt_last_error_text(const ScriptCall &call) { return deliver_static_text(call, last_error_text()); }

int32_t kelt_version(const ScriptCall &call) { return deliver_integer(call, WIL_EXTENDER_VERSION); }

// No success test: a failure reaches the script as an empty text.
int32_t format_now(const ScriptCall &call) {
    return deliver_heap_text(call, FormatNowAR8J(text_arg(call, 1), int_arg(call, 2)), RefusedRelease::record_error);
}

int32_t format_ymdhms(const ScriptCall &call) {
    return deliver_text_or_error(call, FormatYmdHmsAR8J(text_arg(call, 1), text_arg(call, 2)),
                                 RefusedRelease::report_to_host);
}

// The handle arrives as a plain integer; the result goes back as it is and
// becomes the recorded last error.
int32_t log_msg_alt(const ScriptCall &call) {
    HANDLE file = reinterpret_cast<HANDLE>(static_cast<intptr_t>(int_arg(call, 2)));
    const int32_t result = LogMsgAltAR8J(text_arg(call, 1), file, int_arg(call, 3));
    record_last_error(result);
    return deliver_integer(call, result);
}

// Its failures carry no extender code; an empty result is one.
int32_t format_long_int(const ScriptCall &call) {
    return deliver_text_or_error(call, FormatLongIntR8J(int_arg(call, 1)), RefusedRelease::report_to_host);
}

int32_t extract_from_ymdhms(const ScriptCall &call) {
    const DWORD field = ExtractFromYmdHmsAR8J(text_arg(call, 1), static_cast<DWORD>(int_arg(call, 2)));
    return deliver_integer(call, static_cast<int32_t>(field));
}

int32_t extract_from_system_date(const ScriptCall &call) {
    const DWORD field = ExtractrFromSystemDateR8J(int_arg(call, 1), static_cast<DWORD>(int_arg(call, 2)));
    return deliver_integer(call, static_cast<int32_t>(field));
}

// The thread's last error, read right after the call, decides.
int32_t path_string_fixup(const ScriptCall &call) {
    char *text = PathStringFixupAR8J(text_arg(call, 1), int_arg(call, 2));
    const DWORD error = GetLastError();
    return deliver_text_unless_error(call, text, error, RefusedRelease::record_error);
}

int32_t make_fqfn(const ScriptCall &call) {
    char *text = MakeFQFNAR8J(text_arg(call, 1), text_arg(call, 2));
    const DWORD error = GetLastError();
    return deliver_text_unless_error(call, text, error, RefusedRelease::record_error);
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

// No success test: a failure delivers the shared empty text with status 0.
int32_t quote_string(const ScriptCall &call) {
    return deliver_heap_text(call, QuoteStringAR8J(text_arg(call, 1), int_arg(call, 2), text_arg(call, 3)),
                             RefusedRelease::record_error);
}

int32_t message_box(const ScriptCall &call) {
    const int button =
        MessageBoxA(call.window, text_arg(call, 2), text_arg(call, 1), static_cast<UINT>(int_arg(call, 3)));
    return deliver_integer(call, button);
}

constexpr ScriptFunction function(int32_t id, uint32_t arg_types, uint32_t arg_count, std::string_view name,
                                  int32_t (*run)(const ScriptCall &)) {
    return {id, WIL_KIND_FUNCTION, arg_types, arg_count, name, run};
}

constexpr ScriptFunction constant(int32_t id, uint32_t value, std::string_view name) {
    return {id, WIL_KIND_CONSTANT, 0, value, name, nullptr};
}

// The argument words are spelt with BrindlewickExtender.h's macros. The
// names are the host's own spelling (ExtractrFromSystemDateR8J, ExtractFromYmdHms without
// its suffix, FormatYmdHMSR8J): scripts call them so, do not "correct" them.
// std::array<ScriptFunction, N> with the element type named: a table of a
// deduced type lands in writable data, and its rows hold code pointers.
constexpr auto table = std::to_array<ScriptFunction>({
    function(0, 0, WIL_ARGS(0, 0), "KeltLastErrorR8J", kelt_last_error),
    function(1, 0, WIL_ARGS(0, 0), "KeltLastErrorStrR8J", kelt_last_error_text),
    function(2, 0, WIL_ARGS(1, 0), "KeltExtenderInfoR8J", kelt_version),
    function(3, 0, WIL_ARGS(0, 0), "KeltExtenderVersionR8J", kelt_version),
    constant(11, BW_CUSTOMER_FLAG, "CUSTOMER_FLAG"),
    function(21, WIL_ARG_TEXT(1), WIL_ARGS(1, 1), "FormatNowR8J", format_now),
    function(22, WIL_ARG_TEXT(1) | WIL_ARG_TEXT(2), WIL_ARGS(2, 0), "FormatYmdHMSR8J", format_ymdhms),
    function(23, WIL_ARG_TEXT(1), WIL_ARGS(2, 1), "LogMsgAltR8J", log_msg_alt),
    function(24, 0, WIL_ARGS(1, 0), "FormatLongIntR8J", format_long_int),
    function(25, WIL_ARG_TEXT(1), WIL_ARGS(2, 0), "ExtractFromYmdHms", extract_from_ymdhms),
    function(26, 0, WIL_ARGS(2, 0), "ExtractrFromSystemDateR8J", extract_from_system_date),
    function(27, WIL_ARG_TEXT(1), WIL_ARGS(2, 0), "PathStringFixupR8J", path_string_fixup),
    function(28, WIL_ARG_TEXT(1) | WIL_ARG_TEXT(2), WIL_ARGS(2, 0), "MakeFQFNR8J", make_fqfn),
    function(29, 0, WIL_ARGS(0, 0), "GetTimeZoneNameR8J", time_zone_name),
    function(30, WIL_ARG_TEXT(1) | WIL_ARG_TEXT(3), WIL_ARGS(2, 1), "QuoteStringR8J", quote_string),
    function(31, WIL_ARG_TEXT(1) | WIL_ARG_TEXT(2), WIL_ARGS(3, 0), "MessageBoxR8J", message_box),
});

// A name and its terminator fit the host's info record.
static_assert(std::ranges::all_of(table, [](const ScriptFunction &f) { return f.name.size() < WIL_NAME_CAPACITY; }));

} // namespace

std::span<const ScriptFunction> script_functions() { return table; }

const ScriptFunction *find_script_function(int16_t id) {
    const auto *row = std::ranges::find(table, id, &ScriptFunction::id);
    return row != table.end() && row->run ? row : nullptr;
}

} // namespace bw
