// Test build only: makes the Nth allocation from now fail, and places each
// work block so that its last byte ends a page whose next page cannot be
// read or written, so that a read or write past the block faults at once.
#include "heap_faults.hpp"

#include <cstdint>
#include <limits>

namespace {

volatile LONG countdown;

// x86 and x64 pages.
constexpr std::size_t page = 4096;

// Kept just ahead of a work block: the heap block that holds it, and its
// size, which gives the guard page.
struct Placement {
    void *heap_block;
    std::size_t bytes;
};

bool protect(void *guard, DWORD access) {
    DWORD previous = 0;
    return VirtualProtect(guard, page, access, &previous) != FALSE;
}

} // namespace

namespace bw {

bool heap_fault_now() { return countdown > 0 && InterlockedDecrement(&countdown) == 0; }

// A heap block with room for the record, the block and two pages: wherever
// the heap puts it, a whole page inside it starts where the block ends.
// Callers still count one block of the process heap per work block.
void *place_work_block(HANDLE heap, std::size_t bytes) {
    constexpr std::size_t room = sizeof(Placement) + 2 * page;
    if (bytes > std::numeric_limits<std::size_t>::max() - room)
        return nullptr;
    auto *heap_block = static_cast<char *>(HeapAlloc(heap, HEAP_ZERO_MEMORY, bytes + room));
    if (!heap_block)
        return nullptr;
    const auto start = reinterpret_cast<std::uintptr_t>(heap_block);
    char *guard = heap_block + ((start + sizeof(Placement) + bytes + page - 1) / page * page - start);
    char *block = guard - bytes;
    const Placement placement{heap_block, bytes};
    __builtin_memcpy(block - sizeof placement, &placement, sizeof placement);
    if (!protect(guard, PAGE_NOACCESS)) {
        HeapFree(heap, 0, heap_block);
        return nullptr;
    }
    return block;
}

// The guard page is given back to the heap readable again.
bool release_work_block(HANDLE heap, void *block) {
    Placement placement;
    __builtin_memcpy(&placement, static_cast<char *>(block) - sizeof placement, sizeof placement);
    return protect(static_cast<char *>(block) + placement.bytes, PAGE_READWRITE) &&
           HeapFree(heap, 0, placement.heap_block) != FALSE;
}

} // namespace bw

// n = 1 fails the next heap request, n = 0 disarms. Returns the requests
// that were still to come before the failing one: 0 once it has failed, so a
// test can tell whether a call reached it.
extern "C" LONG WINAPI BwFailHeapRequest(LONG n) { return InterlockedExchange(&countdown, n); }
