#include "dll.hpp"

#include <cstdio>

namespace tools {

std::string dll_beside_program() {
    char path[MAX_PATH];
    const std::string program(path, GetModuleFileNameA(nullptr, path, MAX_PATH));
    return program.substr(0, program.find_last_of("\\/") + 1) + "Brindlewick.dll";
}

HMODULE load_dll(const char *program, const std::string &path) {
    HMODULE module = LoadLibraryA(path.c_str());
    if (!module)
        std::fprintf(stderr, "%s: cannot load %s (error %lu)\n", program, path.c_str(), GetLastError());
    return module;
}

} // namespace tools
