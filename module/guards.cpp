// The DLL's own exploit mitigations, as no C runtime start-up provides them:
// the load configuration that hands the linker's Control Flow Guard tables to
// the loader, the call checks the loader may replace, and the stack guard
// with its fail-fast routine.
#include "module/guards.hpp"
#include "module/processor.hpp"

#include <windows.h>

#include <cstddef>
#include <cstdint>

namespace {

// The load configuration's layout, common to every architecture: the fields
// mingw-w64's header knows, then the Control Flow Guard fields. GuardFlags
// is 32 bits wide; the linker gives its value as the address of an absolute
// symbol, so one pointer-sized field holds it and, on x64, the first four
// bytes of the code-integrity record after it, which stay 0.
struct LoadConfiguration {
    IMAGE_LOAD_CONFIG_DIRECTORY base;
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
static_assert(offsetof(LoadConfiguration, guard_flags) == (sizeof(void *) == 8 ? 144 : 88));
static_assert(sizeof(LoadConfiguration) == (sizeof(void *) == 8 ? 192 : 120));

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

[[gnu::used]] constinit extern const LoadConfiguration _load_config_used = {
    .base = {.Size = sizeof(LoadConfiguration)},
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

// The canary of every protected frame. It is never 0, also before DllMain
// seeds it, so a frame is protected from the first call.
std::uintptr_t __stack_chk_guard = static_cast<std::uintptr_t>(0x2B992DDFA232 & UINTPTR_MAX);

// A smashed canary ends the process at once, without unwinding or handlers:
// nothing on that stack can be trusted.
[[noreturn]] void __stack_chk_fail() { bw::fail_fast(FAST_FAIL_STACK_COOKIE_CHECK_FAILURE); }

} // extern "C"

namespace bw {

// What differs per process and per load, without a further import: the
// processor's counter, the stack's address and the module's address, both
// randomized by the loader, mixed so that each bit depends on all of them.
__attribute__((no_stack_protector)) void seed_stack_guard(HINSTANCE module) {
    int here = 0;
    std::uint64_t mixed =
        cycle_counter() ^ (reinterpret_cast<std::uintptr_t>(&here) << 20) ^ reinterpret_cast<std::uintptr_t>(module);
    mixed = (mixed ^ (mixed >> 30)) * 0xBF58476D1CE4E5B9;
    mixed = (mixed ^ (mixed >> 27)) * 0x94D049BB133111EB;
    mixed ^= mixed >> 31;
    const auto guard = static_cast<std::uintptr_t>(mixed);
    if (guard != 0)
        __stack_chk_guard = guard;
}

} // namespace bw
