// Brindlewick.dll as the runner and the benchmark load it: by default the
// one beside the program, its exports looked up by name.
#pragma once

#include <windows.h>

#include <string>

namespace tools {

// Brindlewick.dll in the folder of the running program.
std::string dll_beside_program();

// The loaded DLL, or nullptr after a line on standard error that names the
// program, the path and the system's error code.
HMODULE load_dll(const char *program, const std::string &path);

// An export as the function type it has; nullptr when the DLL lacks it.
template <typename F> F find_export(HMODULE module, const char *name) {
    return reinterpret_cast<F>(reinterpret_cast<void (*)()>(GetProcAddress(module, name)));
}

} // namespace tools
