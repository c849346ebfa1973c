// Test build only: makes the Nth allocation or re-allocation from now fail.
#include "heap_faults.hpp"

#include <windows.h>

namespace {
volatile LONG countdown;
}

namespace bw {
bool heap_fault_now() { return countdown > 0 && InterlockedDecrement(&countdown) == 0; }
} // namespace bw

// n = 1 fails the next heap request, n = 0 disarms.
extern "C" void WINAPI BwFailHeapRequest(LONG n) { InterlockedExchange(&countdown, n); }
