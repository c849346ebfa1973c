// Allocation-failure injection and the placement of work blocks. Only the
// test build of the DLL defines BW_HEAP_FAULTS; in the shipped DLL the check
// folds away and work blocks are plain blocks of the heap.
#pragma once

#include <windows.h>

#include <cstddef>

namespace bw {
#ifdef BW_HEAP_FAULTS
bool heap_fault_now();
void *place_work_block(HANDLE heap, std::size_t bytes);
bool release_work_block(HANDLE heap, void *block);
#else
constexpr bool heap_fault_now() { return false; }
inline void *place_work_block(HANDLE heap, std::size_t bytes) { return HeapAlloc(heap, HEAP_ZERO_MEMORY, bytes); }
inline bool release_work_block(HANDLE heap, void *block) { return HeapFree(heap, 0, block) != FALSE; }
#endif
} // namespace bw
