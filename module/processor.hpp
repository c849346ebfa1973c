// The guards' instructions, which differ per processor: the Control Flow
// Guard checks that stand in until a loader that enforces the guard replaces
// them, the fail-fast trap (taken where the system handles it,
// PF_FASTFAIL_AVAILABLE), and a counter that differs per process.
#pragma once

#include <windows.h>

#include <cstdint>
#include <intrin.h>

namespace bw {

#if defined(__aarch64__)

// The compiler calls the check with the target in x15 and relies on every
// other register being kept, then calls the target itself: there is no
// dispatch on ARM64.
using GuardCheck = void (*)();
[[gnu::naked]] inline void check_unchecked() { asm("ret"); }

// Windows' fail-fast trap takes the code in x0.
[[noreturn]] inline void fast_fail(std::uint64_t code) {
    asm volatile("mov x0, %0\n\tbrk #0xf003" ::"r"(code) : "x0");
    __builtin_unreachable();
}

inline std::uint64_t cycle_counter() { return __builtin_arm_rsr64("cntvct_el0"); }

#elif defined(__x86_64__) || defined(__i386__)

// On x86 the compiler calls the check with the target in ECX and then calls
// the target; on x64 it jumps through the dispatch with the target in RAX.
using GuardCheck = void(__fastcall *)(void *);
inline void __fastcall check_unchecked(void *) {}
#ifdef __x86_64__
[[gnu::naked]] inline void dispatch_unchecked() { asm("jmp *%rax"); }
#endif

// Windows' fail-fast interrupt takes the code in ECX.
[[noreturn]] inline void fast_fail(unsigned code) {
    asm volatile("int $0x29" ::"c"(code));
    __builtin_unreachable();
}

inline std::uint64_t cycle_counter() { return __rdtsc(); }

#else
#error "the guards know no instructions for this processor"
#endif

} // namespace bw
