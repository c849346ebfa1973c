// What the stack guard does differently on each processor: the instruction
// that ends the process at once, and the counter mixed into the seed.
#pragma once

#include <cstdint>

#if defined(__x86_64__) || defined(__i386__)
#include <intrin.h>
#else
#error "the stack guard knows no fast-fail instruction for this processor"
#endif

namespace bw {

// Ends the process with STATUS_STACK_BUFFER_OVERRUN and the code as its
// reason, where the system handles the instruction (PF_FASTFAIL_AVAILABLE).
[[noreturn]] inline void fast_fail(unsigned code) {
    asm volatile("int $0x29" ::"c"(code));
    __builtin_unreachable();
}

inline std::uint64_t cycle_counter() { return __rdtsc(); }

} // namespace bw
