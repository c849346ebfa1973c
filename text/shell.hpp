// What the text services share on the Windows side: blocks of characters
// and the failures that hand back the shared empty text.
#pragma once

#include "Brindlewick.h"
#include "extender/module.hpp"
#include "text/core/codes.hpp"

namespace bw {

// The core's codes are the ones the public header promises.
static_assert(codes::path_null == BW_E_PATH_NULL && codes::path_empty == BW_E_PATH_EMPTY &&
              codes::no_memory == BW_E_NO_MEMORY && codes::file_name_null == BW_E_FILE_NAME_NULL &&
              codes::file_name_empty == BW_E_FILE_NAME_EMPTY && codes::directory_null == BW_E_DIRECTORY_NULL &&
              codes::quote_text_null == BW_E_QUOTE_TEXT_NULL && codes::quote_text_empty == BW_E_QUOTE_TEXT_EMPTY &&
              codes::quote_mode == BW_E_QUOTE_MODE && codes::quote_refused == BW_E_QUOTE_REFUSED);

// A zero-filled block of n characters of the process heap, or null.
template <typename C> C *new_block(std::size_t n) { return static_cast<C *>(heap_alloc(n * sizeof(C))); }

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
