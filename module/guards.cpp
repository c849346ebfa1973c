// The DLL's load configuration, as no C runtime start-up provides one: it
// hands the linker's Control Flow Guard tables to the loader and names the
// stack guard (stack_guard.cpp) for it to seed, and the call checks the
// loader may replace.
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

extern std::uintptr_t __stack_chk_guard;

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

} // extern "C"
