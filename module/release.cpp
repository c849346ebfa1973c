// The release of text results and the DLL's version, for native callers.
#include "Brindlewick.h"
#include "module/module.hpp"

// Only heap results go back to the heap: NULL, the shared empty texts and
// the static buffers are the DLL's own, and HeapFree on them would corrupt
// the heap or fail.
extern "C" BOOL WINAPI ReleaseTextR8J(LPVOID text) {
    if (!text || bw::is_shared_empty(static_cast<const char *>(text)) ||
        bw::is_shared_empty(static_cast<const wchar_t *>(text)) || text == bw::static_narrow.data() ||
        text == bw::static_wide.data())
        return FALSE;
    return bw::heap_free(text);
}

extern "C" DWORD WINAPI GetVersionNumberR8J(void) { return BRINDLEWICK_VERSION_NUMBER; }
