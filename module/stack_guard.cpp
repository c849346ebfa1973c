// The stack guard with its fail-fast routine, in the DLL and in the static
// library alike: the canary of every protected frame and its seed.
#include "module/guards.hpp"
#include "module/processor.hpp"

#include <windows.h>

#include <cstdint>

namespace {

// The processor features the system publishes in the shared user data page,
// at the same address in every process of every architecture.
const volatile BYTE *processor_features() { return reinterpret_cast<const volatile BYTE *>(0x7FFE0274); }

// The pseudo handle of the calling process, as GetCurrentProcess returns it.
HANDLE current_process() { return reinterpret_cast<HANDLE>(-1); }

// SplitMix64's finalizer: each bit of the result depends on every bit of
// the state.
constexpr std::uint64_t scramble(std::uint64_t state) {
    state = (state ^ (state >> 30)) * 0xBF58476D1CE4E5B9;
    state = (state ^ (state >> 27)) * 0x94D049BB133111EB;
    return state ^ (state >> 31);
}

// A value of this process and moment from what the usual start-ups mix: the
// performance counter, the process and thread ids, the system time, the
// cycle counter and the addresses of the stack and of the module, both
// randomized by the loader. Never inlined into its caller, which changes the
// guard, as this frame is protected by it.
[[gnu::noinline]] std::uintptr_t fresh_guard(HINSTANCE module) {
    LARGE_INTEGER counter{};
    QueryPerformanceCounter(&counter);
    FILETIME now{};
    GetSystemTimeAsFileTime(&now);
    const std::uint64_t sources[] = {
        static_cast<std::uint64_t>(counter.QuadPart),
        GetCurrentProcessId(),
        static_cast<std::uint64_t>(GetCurrentThreadId()) << 32,
        (static_cast<std::uint64_t>(now.dwHighDateTime) << 32) | now.dwLowDateTime,
        bw::cycle_counter(),
        reinterpret_cast<std::uintptr_t>(&counter),
        reinterpret_cast<std::uintptr_t>(module),
    };
    std::uint64_t mixed = 0;
    for (const std::uint64_t source : sources)
        mixed = scramble(mixed ^ source);
    const auto guard = static_cast<std::uintptr_t>(mixed);
    return guard == 0 || guard == bw::default_stack_guard ? ~bw::default_stack_guard : guard;
}

} // namespace
extern "C" {

// The canary of every protected frame, where the loader finds it. It is
// never 0, also before it is seeded, so a frame is protected from the first
// call.
std::uintptr_t __stack_chk_guard = bw::default_stack_guard;

// A smashed canary ends the process at once, without unwinding or handlers:
// nothing on that stack can be trusted. Where the system has no fast fail,
// TerminateProcess ends it as surely: it raises no exception and does not
// return.
[[noreturn]] void __stack_chk_fail() {
    if (processor_features()[PF_FASTFAIL_AVAILABLE] && !bw::fast_fail_refused())
        bw::fast_fail(FAST_FAIL_STACK_COOKIE_CHECK_FAILURE);
    TerminateProcess(current_process(), STATUS_STACK_BUFFER_OVERRUN);
    __builtin_unreachable();
}

} // extern "C"

namespace bw {

// Where the loader seeded the guard (Windows 8 and later) it keeps that
// value. This function has no canary of its own, so it may change the guard.
void seed_stack_guard(HINSTANCE module) {
    if (__stack_chk_guard == default_stack_guard)
        __stack_chk_guard = fresh_guard(module);
}

} // namespace bw
