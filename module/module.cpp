// DllMain and the module-wide state behind module.hpp: the instance handle
// for the message table, the process heap and its blocks.
#include "module.hpp"

#include "heap_faults.hpp"

namespace {
HINSTANCE instance;
HANDLE heap;
} // namespace

namespace bw {

void *heap_alloc(std::size_t bytes) {
    if (heap_fault_now())
        return nullptr;
    return HeapAlloc(heap, HEAP_ZERO_MEMORY, bytes);
}

void *heap_realloc(void *block, std::size_t bytes) {
    if (heap_fault_now())
        return nullptr;
    return HeapReAlloc(heap, HEAP_ZERO_MEMORY, block, bytes);
}

bool heap_free(void *block) { return HeapFree(heap, 0, block) != FALSE; }

int load_message(std::uint32_t number, char *buffer, int capacity) {
    if (!buffer || capacity <= 0)
        return 0;
    buffer[0] = '\0';
    const int n = LoadStringA(instance, number & 0xFFFF, buffer, capacity);
    if (n <= 0)
        buffer[0] = '\0';
    return n > 0 ? n : 0;
}

} // namespace bw

// The DLL's entry point (no C runtime start-up runs before it). The module
// keeps nothing per thread, so it asks for no thread notifications.
extern "C" BOOL WINAPI DllMain(HINSTANCE module, DWORD reason, LPVOID) {
    instance = module;
    if (reason == DLL_PROCESS_ATTACH) {
        DisableThreadLibraryCalls(module);
        heap = GetProcessHeap();
        if (!heap)
            return FALSE;
    }
    return TRUE;
}
