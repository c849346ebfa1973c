// The deliveries of script results and errors to the host, and the values
// the module keeps for the host between calls.
#include "extender/deliveries.hpp"

#include "module/module.hpp"
#include "resources/message_numbers.h"

namespace {

constexpr int message_capacity = 256;
constexpr int last_error_text_capacity = 255;

// Texts the host reads during the callback; they stay until the next call
// that writes them. The host calls one script function at a time.
char message_buffer[message_capacity];
char last_error_buffer[last_error_text_capacity];
int32_t recorded;

// A host that passes no callback or no result record gets nothing back.
int32_t call_back(const bw::ScriptCall &call, int32_t status) {
    return call.callback ? call.callback(status, call.host_a, call.host_b, call.result) : 0;
}

void put_text(const bw::ScriptCall &call, const char *text) {
    if (!call.result)
        return;
    call.result->text = const_cast<char *>(text);
    call.result->type = WIL_TYPE_TEXT;
}

int32_t deliver_message(const bw::ScriptCall &call, std::uint32_t number, int32_t status) {
    bw::load_message(number, message_buffer, message_capacity);
    put_text(call, message_buffer);
    return call_back(call, status);
}

bool is_argument_text(const bw::ScriptCall &call, const char *text) {
    for (int k = 1; k <= call.count; ++k)
        if (bw::text_arg(call, k) == text)
            return true;
    return false;
}

// A result that fails its success test is not delivered, but a block of
// its own is still the caller's to release.
void discard(char *text) {
    if (text && !bw::is_shared_empty(text))
        bw::heap_free(text);
}

// The message a script sees for a recorded last error: that of an extender
// code, none for 0 and for an unknown function, and the internal-error
// message for anything else (a Windows code or a log writer result).
std::uint32_t message_for(int32_t error) {
    if (error == 0 || error == BW_UNKNOWN_FUNCTION)
        return 0;
    const auto code = static_cast<DWORD>(error);
    return bw::is_extender_code(code) ? code - BW_CUSTOMER_FLAG : BW_MESSAGE_UNDEFINED;
}

} // namespace

namespace bw {

int load_message(uint32_t number, char *buffer, int capacity) {
    if (!buffer || capacity <= 0)
        return 0;
    buffer[0] = '\0';
    const int n = LoadStringA(module_instance(), number & 0xFFFF, buffer, capacity);
    if (n <= 0)
        buffer[0] = '\0';
    return n > 0 ? n : 0;
}

const char *text_arg(const ScriptCall &call, int k) {
    return k <= call.count && call.args ? call.args[k - 1].text : nullptr;
}

int32_t int_arg(const ScriptCall &call, int k) { return k <= call.count && call.args ? call.args[k - 1].integer : 0; }

int32_t recorded_last_error() { return recorded; }
void record_last_error(int32_t value) { recorded = value; }

int32_t deliver_integer(const ScriptCall &call, int32_t value) {
    if (call.result) {
        call.result->integer = value;
        call.result->type = WIL_TYPE_INTEGER;
    }
    return call_back(call, WIL_STATUS_OK);
}

int32_t deliver_static_text(const ScriptCall &call, const char *text) {
    put_text(call, text);
    return call_back(call, WIL_STATUS_OK);
}

int32_t deliver_heap_text(const ScriptCall &call, char *text, RefusedRelease refused) {
    if (!text)
        return deliver_static_text(call, shared_empty<char>());
    const int32_t answer = deliver_static_text(call, text);
    if (is_shared_empty(text) || is_argument_text(call, text) || heap_free(text))
        return answer;
    if (refused == RefusedRelease::record_error) {
        record_last_error(static_cast<int32_t>(GetLastError()));
        return answer;
    }
    return deliver_message(call, BW_MESSAGE_HEAP_CORRUPTION, WIL_STATUS_INTERNAL);
}

int32_t deliver_error(const ScriptCall &call, DWORD code) {
    record_last_error(static_cast<int32_t>(code));
    if (is_extender_code(code))
        return deliver_message(call, code - BW_CUSTOMER_FLAG, WIL_STATUS_ERROR);
    return deliver_message(call, BW_MESSAGE_UNDEFINED, WIL_STATUS_INTERNAL);
}

int32_t deliver_text_or_error(const ScriptCall &call, char *text, RefusedRelease refused) {
    if (text && *text)
        return deliver_heap_text(call, text, refused);
    const DWORD error = GetLastError();
    discard(text);
    return deliver_error(call, error);
}

int32_t deliver_text_unless_error(const ScriptCall &call, char *text, DWORD error, RefusedRelease refused) {
    if (error != 0) {
        discard(text);
        return deliver_error(call, error);
    }
    record_last_error(0);
    return deliver_heap_text(call, text, refused);
}

int32_t deliver_unknown_function(const ScriptCall &call) {
    record_last_error(BW_UNKNOWN_FUNCTION);
    return deliver_message(call, BW_UNKNOWN_FUNCTION, WIL_STATUS_ERROR);
}

const char *last_error_text() {
    load_message(message_for(recorded), last_error_buffer, last_error_text_capacity);
    return last_error_buffer;
}

} // namespace bw
