// Access to the built DLL as a native caller has it: loaded by path, exports
// looked up by name.
#pragma once

#include "BrindlewickExtender.h"

#include <gtest/gtest.h>

#include <string>

namespace test {

HMODULE dll();
HMODULE faults_dll();
std::string dll_path();

template <typename F> F export_of(HMODULE module, const char *name) {
    auto *proc = GetProcAddress(module, name);
    EXPECT_NE(proc, nullptr) << name;
    return reinterpret_cast<F>(reinterpret_cast<void (*)()>(proc));
}
template <typename F> F export_of(const char *name) { return export_of<F>(dll(), name); }

// Busy blocks of the process heap, for leak accounting.
std::size_t busy_heap_blocks();

// A zero-filled block's size, to check results are as long as documented.
inline std::size_t block_size(const void *block) { return HeapSize(GetProcessHeap(), 0, block); }
inline void release(const void *block) { ASSERT_TRUE(HeapFree(GetProcessHeap(), 0, const_cast<void *>(block))); }

} // namespace test
