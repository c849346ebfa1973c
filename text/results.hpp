// How the text services hand back their results: new blocks of characters,
// and failures that hand back the shared empty text.
#pragma once

#include "Brindlewick.h"
#include "module/module.hpp"

namespace bw {

// A failure detected here: the code becomes the thread's last error.
template <typename C> C *fail_with(DWORD code) {
    SetLastError(code);
    return shared_empty<C>();
}

// Releases a block on a failure path without disturbing the last error that
// explains the failure.
inline void release_keeping_error(void *block) {
    const DWORD error = GetLastError();
    heap_free(block);
    SetLastError(error);
}

} // namespace bw
