// The DLL's own exploit mitigations, as no C runtime start-up provides them:
// the load configuration that hands the linker's Control Flow Guard tables to
// the loader and names the stack guard for it to seed, the call checks the
// loader may replace, and the stack guard with its fail-fast routine.
#include "module/guards.hpp"
#include "module/processor.hpp"

#include <windows.h>

#include <cstddef>
#include <cstdint>

namespace {

// The load configuration's layout, common to every architecture: the fields
// mingw-w64's header knows, of which the DLL sets the size and the stack
// guard's address, then the Control Flow Guard fields. GuardFlags is 32 bits
// wide; the linker gives its value as the address of an absolute symbol, so
// one pointer-sized field holds it and, on 64-bit, the first four bytes of
// the code-integrity record after it, which stay 0.
struct LoadConfiguration {
    DWORD size;
    std::byte unset_fields[offsetof(IMAGE_LOAD_CONFIG_DIRECTORY, SecurityCookie) - sizeof(DWORD)];
    const void *security_cookie;
    const void *safe_handler_table;
    const void *safe_handler_count;
    const void *check_function_pointer;
    const void *dispatch_function_pointer;
    const void *function_table;
    const void *function_count;
    const void *guard_flags;
    std::byte code_integrity_rest[16 - sizeof(void *)];
    const void *address_taken_iat_table;
    const void *address_taken_iat_count;
    const void *long_jump_table;
    const void *long_jump_count;
};
static_assert(offsetof(LoadConfiguration, security_cookie) == offsetof(IMAGE_LOAD_CONFIG_DIRECTORY, SecurityCookie));
static_assert(offsetof(LoadConfiguration, check_function_pointer) == sizeof(IMAGE_LOAD_CONFIG_DIRECTORY));
static_assert(offsetof(LoadConfiguration, guard_flags) == (sizeof(void *) == 8 ? 144 : 88));
static_assert(sizeof(LoadConfiguration) == (sizeof(void *) == 8 ? 192 : 120));

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

// The loader replaces these pointers in a process that enforces the guard.
[[gnu::section(".00cfg")]] extern constinit const bw::GuardCheck __guard_check_icall_fptr = &bw::check_unchecked;
#ifdef __x86_64__
[[gnu::section(".00cfg")]] extern constinit void (*const __guard_dispatch_icall_fptr)() = &bw::dispatch_unchecked;
#endif

// Tables and counts the linker makes; a count or the flags is the address
// of an absolute symbol.
extern const std::byte __guard_fids_table[], __guard_fids_count, __guard_flags;
extern const std::byte __guard_iat_table[], __guard_iat_count;
extern const std::byte __guard_longjmp_table[], __guard_longjmp_count;

// The canary of every protected frame, where the loader finds it. It is
// never 0, also before it is seeded, so a frame is protected from the first
// call.
std::uintptr_t __stack_chk_guard = bw::default_stack_guard;

[[gnu::used]] constinit extern const LoadConfiguration _load_config_used = {
    .size = sizeof(LoadConfiguration),
    .unset_fields = {},
    .security_cookie = &__stack_chk_guard,
    .safe_handler_table = nullptr,
    .safe_handler_count = nullptr,
    .check_function_pointer = &__guard_check_icall_fptr,
#ifdef __x86_64__
    .dispatch_function_pointer = &__guard_dispatch_icall_fptr,
#else
    .dispatch_function_pointer = nullptr,
#endif
    .function_table = __guard_fids_table,
    .function_count = &__guard_fids_count,
    .guard_flags = &__guard_flags,
    .code_integrity_rest = {},
    .address_taken_iat_table = __guard_iat_table,
    .address_taken_iat_count = &__guard_iat_count,
    .long_jump_table = __guard_longjmp_table,
    .long_jump_count = &__guard_longjmp_count,
};

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
