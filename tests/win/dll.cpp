#include "dll.hpp"

namespace test {

std::string dll_path() {
    char path[MAX_PATH];
    const DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string dir(path, n);
    return dir.substr(0, dir.find_last_of('\\') + 1) + "Brindlewick.dll";
}

HMODULE dll() {
    static HMODULE module = LoadLibraryA(dll_path().c_str());
    return module;
}

HMODULE faults_dll() {
    static HMODULE module = [] {
        std::string path = dll_path();
        path.insert(path.find_last_of('\\') + 1, "faults\\");
        return LoadLibraryA(path.c_str());
    }();
    return module;
}

std::size_t busy_heap_blocks() {
    HANDLE heap = GetProcessHeap();
    std::size_t busy = 0;
    HeapLock(heap);
    PROCESS_HEAP_ENTRY entry{};
    while (HeapWalk(heap, &entry))
        if (entry.wFlags & PROCESS_HEAP_ENTRY_BUSY)
            ++busy;
    HeapUnlock(heap);
    return busy;
}

} // namespace test
