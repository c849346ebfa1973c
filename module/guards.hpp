// The stack guard's seed, which DllMain sets before anything it protects
// runs, and the test build's switch of its fail-fast routine.
#pragma once

#include <windows.h>

#include <cstdint>

namespace bw {

// The guard's value before anything seeds it: the value for this width that
// the system's loader recognizes and replaces from its random source.
inline constexpr std::uintptr_t default_stack_guard =
    sizeof(void *) == 8 ? static_cast<std::uintptr_t>(0x00002B992DDFA232) : 0xBB40E64E;

// Gives __stack_chk_guard a value of this process and load where the loader
// left the default. Called first in DllMain, which has no canary of its own
// to break.
void seed_stack_guard(HINSTANCE module);

// Test build only: whether the fail-fast routine is to behave as on a
// system without fast fail.
#ifdef BW_GUARD_TESTS
bool fast_fail_refused();
#else
constexpr bool fast_fail_refused() { return false; }
#endif

} // namespace bw
