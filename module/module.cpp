// DllMain and the module-wide state behind module.hpp: the instance handle
// for the message table, the process heap and its blocks.
#include "module.hpp"

#include "guards.hpp"
#include "heap_faults.hpp"

namespace {
HINSTANCE instance;
HANDLE heap;
} // namespace

namespace bw {

HINSTANCE module_instance() { return instance; }

void *heap_alloc(std::size_t bytes) {
    if (heap_fault_now())
        return nullptr;
    return HeapAlloc(heap, HEAP_ZERO_MEMORY, bytes);
}

bool heap_free(void *block) { return HeapFree(heap, 0, block) != FALSE; }

void *work_alloc(std::size_t bytes) {
    if (heap_fault_now())
        return nullptr;
    return place_work_block(heap, bytes);
}

bool work_free(void *block) { return release_work_block(heap, block); }

} // namespace bw

// The DLL's entry point (no C runtime start-up runs before it). The module
// keeps nothing per thread, so it asks for no thread notifications. It seeds
// the stack guard, so it keeps no array or addressed local that would give it
// a canary.
extern "C" BOOL WINAPI DllMain(HINSTANCE module, DWORD reason, LPVOID) {
    instance = module;
    if (reason == DLL_PROCESS_ATTACH) {
        bw::seed_stack_guard(module);
        DisableThreadLibraryCalls(module);
        heap = GetProcessHeap();
        if (!heap)
            return FALSE;
    }
    return TRUE;
}
