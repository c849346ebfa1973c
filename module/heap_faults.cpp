// Test build only: makes the Nth allocation or re-allocation from now fail.
#include "heap_faults.hpp"

#include <windows.h>

namespace {
volatile LONG countdown;
}

namespace bw {
bool heap_fault_now() { return countdown > 0 && InterlockedDecrement(&countdown) == 0; }
} // namespace bw

// n = 1 fails the next heap request, n = 0 disarms. Returns the requests
// that were still to come before the failing one: 0 once it has failed, so a
// test can tell whether a call reached it.
extern "C" LONG WINAPI BwFailHeapRequest(LONG n) { return InterlockedExchange(&countdown, n); }
