// The stack guard's seed, which DllMain sets before anything it protects
// runs.
#pragma once

#include <windows.h>

namespace bw {

// Gives __stack_chk_guard a value of this process and load. Called first in
// DllMain, which has no canary of its own to break.
void seed_stack_guard(HINSTANCE module);

} // namespace bw
