// Test build only: the stack guard's test switches. An overrun ends the
// process that asks for it, so a test asks for it in a child process.
#include "module/guards.hpp"
#include "module/module.hpp"

namespace {
volatile LONG refuse_fast_fail;
}

extern "C" std::uintptr_t __stack_chk_guard;

namespace bw {
bool fast_fail_refused() { return refuse_fast_fail != 0; }
} // namespace bw

// Nonzero makes the fail-fast routine take the way of systems without fast
// fail; returns the previous setting.
extern "C" LONG WINAPI BwRefuseFastFail(LONG refuse) { return InterlockedExchange(&refuse_fast_fail, refuse); }

// Writes bytes bytes into a 16-byte array of a protected frame: more than 16
// smash its canary.
extern "C" void WINAPI BwOverrunStackBuffer(DWORD bytes) {
    char buffer[16];
    char *cursor = buffer;
    // The compiler must not see that the writes go past the array.
    asm volatile("" : "+r"(cursor));
    for (DWORD i = 0; i < bytes; ++i)
        cursor[i] = 'x';
    asm volatile("" ::"r"(cursor) : "memory");
}

// Seeds the guard as DllMain does from start, and returns what the guard
// became; the guard is then put back. No frame of the module may be live
// meanwhile.
extern "C" std::uintptr_t WINAPI BwSeedStackGuardFrom(std::uintptr_t start) {
    const std::uintptr_t kept = __stack_chk_guard;
    __stack_chk_guard = start;
    bw::seed_stack_guard(bw::module_instance());
    const std::uintptr_t seeded = __stack_chk_guard;
    __stack_chk_guard = kept;
    return seeded;
}
