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

namespace {

template <typename F> void bind(HMODULE module, F &function, const char *name) {
    function = export_of<F>(module, name);
}

template <typename C> WidthExports<C> bind_width(HMODULE module) {
    const bool narrow = sizeof(C) == 1;
    WidthExports<C> e{};
    bind(module, e.format_now, narrow ? "FormatNowAR8J" : "FormatNowWR8J");
    bind(module, e.format_ymdhms, narrow ? "FormatYmdHmsAR8J" : "FormatYmdHmsWR8J");
    bind(module, e.extract, narrow ? "ExtractFromYmdHmsAR8J" : "ExtractFromYmdHmsWR8J");
    bind(module, e.zone_name, narrow ? "GetTimeZoneNameAR8J" : "GetTimeZoneNameWR8J");
    bind(module, e.fixup, narrow ? "PathStringFixupAR8J" : "PathStringFixupWR8J");
    bind(module, e.qualify, narrow ? "MakeFQFNAR8J" : "MakeFQFNWR8J");
    bind(module, e.quote, narrow ? "QuoteStringAR8J" : "QuoteStringWR8J");
    bind(module, e.open_input, narrow ? "OpenInputFileHandleA_R8J" : "OpenInputFileHandleW_R8J");
    bind(module, e.open_output, narrow ? "OpenOutputFileHandleA_R8J" : "OpenOutputFileHandleW_R8J");
    bind(module, e.log, narrow ? "LogMsgAltAR8J" : "LogMsgAltWR8J");
    bind(module, e.format_long_int, narrow ? "FormatLongIntR8J" : "FormatLongIntWR8J");
    return e;
}

} // namespace

Exports exports(HMODULE module) {
    Exports e{bind_width<char>(module), bind_width<wchar_t>(module), {}, {}, {}, {}};
    bind(module, e.extract_system, "ExtractrFromSystemDateR8J");
    bind(module, e.close, "CloseFileHandle_R8J");
    bind(module, e.release, "ReleaseTextR8J");
    bind(module, e.version, "GetVersionNumberR8J");
    return e;
}

LONG fail_heap_request(LONG n) {
    static const auto fail = export_of<LONG(WINAPI *)(LONG)>(faults_dll(), "BwFailHeapRequest");
    return fail(n);
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
