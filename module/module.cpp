// DllMain and the module-wide state behind module.hpp: the instance handle
// for the message table, the process heap and its blocks. The static
// library (BW_STATIC) has no entry point: it asks for the process heap on
// use, has no instance or resources of its own, and seeds the stack guard
// among the program's initializers.
#include "module.hpp"

#include "guards.hpp"
#include "heap_faults.hpp"

namespace {
#ifdef BW_STATIC
HANDLE process_heap() { return GetProcessHeap(); }

// Runs with the program's C++ initializers, before main, from the table
// that both the MinGW and the MSVC-style start-up code walk.
void seed_for_program() { bw::seed_stack_guard(GetModuleHandleW(nullptr)); }
[[gnu::section(".CRT$XCT"), gnu::used]] constinit void (*const seed_entry)() = &seed_for_program;
#else
HINSTANCE instance;
HANDLE heap;
HANDLE process_heap() { return heap; }
#endif
} // namespace

namespace bw {

#ifndef BW_STATIC
HINSTANCE module_instance() { return instance; }
#endif

void *heap_alloc(std::size_t bytes) {
    if (heap_fault_now())
        return nullptr;
    return HeapAlloc(process_heap(), HEAP_ZERO_MEMORY, bytes);
}

bool heap_free(void *block) { return HeapFree(process_heap(), 0, block) != FALSE; }

void *work_alloc(std::size_t bytes) {
    if (heap_fault_now())
        return nullptr;
    return place_work_block(process_heap(), bytes);
}

bool work_free(void *block) { return release_work_block(process_heap(), block); }

} // namespace bw

#ifndef BW_STATIC
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
#endif
