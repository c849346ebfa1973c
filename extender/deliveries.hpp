// The shared machinery of script functions: reading arguments out of the
// host's value records, the recorded last error, and the deliveries back to
// the host.
#pragma once

#include "BrindlewickExtender.h"

namespace bw {

struct ScriptCall {
    HWND window;
    intptr_t host_a;
    intptr_t host_b;
    WilHostCallback callback;
    const WilValue *args;
    int32_t count;
    WilValue *result;
};

// Argument k, counted from 1. A record the host did not pass reads as
// NULL or 0, so the service reports its own error.
const char *text_arg(const ScriptCall &call, int k);
int32_t int_arg(const ScriptCall &call, int k);

// The dispatcher's own last error, read by KeltLastErrorR8J.
int32_t recorded_last_error();
void record_last_error(int32_t value);

// What happens when HeapFree refuses a delivered heap text: the refusal's
// code becomes the recorded last error, or the host is told with a second
// delivery of "008:Heap corruption error".
enum class RefusedRelease { record_error, report_to_host };

int32_t deliver_integer(const ScriptCall &call, int32_t value);
int32_t deliver_static_text(const ScriptCall &call, const char *text);
// A NULL result arrives as the shared empty text; that text, a static
// buffer or an argument text is delivered the same way and not released.
int32_t deliver_heap_text(const ScriptCall &call, char *text, RefusedRelease refused);
int32_t deliver_error(const ScriptCall &call, DWORD code);
// Status -1 with the empty message, and 901 recorded.
int32_t deliver_unknown_function(const ScriptCall &call);

// Success test "neither NULL nor empty": a heap text delivery, or an error
// delivery of the thread's last error.
int32_t deliver_text_or_error(const ScriptCall &call, char *text, RefusedRelease refused);
// Success test "the last error right after the call is 0": that value is
// recorded either way.
int32_t deliver_text_unless_error(const ScriptCall &call, char *text, DWORD error, RefusedRelease refused);

// Copies message `number` (low 16 bits count) of the message table into
// buffer, truncated and always terminated; an absent message gives "". Only
// the extender reads the messages, so only the 32-bit DLL imports USER32.
int load_message(uint32_t number, char *buffer, int capacity);

// The message a script reads for the recorded last error (KeltLastErrorStrR8J),
// in a buffer of the module's that the next such call overwrites.
const char *last_error_text();

} // namespace bw
