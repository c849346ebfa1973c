// Allocation-failure injection. Only the test build of the DLL defines
// BW_HEAP_FAULTS; in the shipped DLL the check folds away.
#pragma once

namespace bw {
#ifdef BW_HEAP_FAULTS
bool heap_fault_now();
#else
constexpr bool heap_fault_now() { return false; }
#endif
} // namespace bw
