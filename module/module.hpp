// Module-wide state and the helpers every service shares: the instance
// handle, the process heap and the shared empty texts.
#pragma once

#include "BrindlewickCodes.h"

#include <windows.h>

#include <array>
#include <cstddef>
#include <cstdint>

namespace bw {

// The module's own handle, for its resources.
HINSTANCE module_instance();

// Blocks of the process heap, zero-filled; callers release with HeapFree
// on the process heap.
void *heap_alloc(std::size_t bytes);
bool heap_free(void *block);

// Blocks for the DLL's own work, released by the DLL before the call
// returns, zero-filled. The test build places them where a touch past
// their end faults.
void *work_alloc(std::size_t bytes);
bool work_free(void *block);

// A zero-filled block of n characters, the one way a text result is
// allocated, or null.
template <typename C> C *new_block(std::size_t n) { return static_cast<C *>(heap_alloc(n * sizeof(C))); }
template <typename C> C *new_work_block(std::size_t n) { return static_cast<C *>(work_alloc(n * sizeof(C))); }

template <typename C> std::size_t text_length(const C *text) {
    std::size_t n = 0;
    if (text)
        while (text[n])
            ++n;
    return n;
}

// Copies text into out up to capacity - 1 characters, then a terminator;
// capacity is at least 1. A bad pointer faults here rather than being
// passed over.
template <typename C> void copy_text(C *out, const C *text, std::size_t capacity) {
    std::size_t n = 0;
    for (; n + 1 < capacity && text[n]; ++n)
        out[n] = text[n];
    out[n] = 0;
}

// The one empty text of each width that failing text functions return. It
// lives in read-only memory and is never released.
inline constexpr char empty_narrow[1] = {};
inline constexpr wchar_t empty_wide[1] = {};
template <typename C> C *shared_empty();
template <> inline char *shared_empty<char>() { return const_cast<char *>(empty_narrow); }
template <> inline wchar_t *shared_empty<wchar_t>() { return const_cast<wchar_t *>(empty_wide); }
template <typename C> bool is_shared_empty(const C *text) { return text == shared_empty<C>(); }

// The one static result buffer of each width, which the time zone's name
// fills and which callers never release. The wide one keeps one character
// more than a name field holds, which stays zero.
inline constexpr int zone_name_length = 32; // characters of the platform's name fields
inline constinit std::array<char, 512> static_narrow{};
inline constinit std::array<wchar_t, zone_name_length + 1> static_wide{};

// The module's own error codes carry bit 29, the bit Windows leaves to
// applications.
inline constexpr bool is_extender_code(DWORD code) { return (code & BW_CUSTOMER_FLAG) != 0; }

} // namespace bw
