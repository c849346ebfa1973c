#include "dll.hpp"

#include <cstdio>
#include <cstring>

namespace tools {

std::string dll_beside_program() {
    char path[MAX_PATH];
    const std::string program(path, GetModuleFileNameA(nullptr, path, MAX_PATH));
    return program.substr(0, program.find_last_of("\\/") + 1) + "Brindlewick.dll";
}

HMODULE load_dll(const char *program, const std::string &path) {
    HMODULE module = LoadLibraryA(path.c_str());
    if (!module) {
        const DWORD error = GetLastError();
        char text[256] = "";
        FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error, 0, text, sizeof text,
                       nullptr);
        text[std::strcspn(text, "\r\n")] = '\0';
        std::fprintf(stderr, "%s: cannot load %s: %s (%lu)\n", program, path.c_str(), text, error);
    }
    return module;
}

} // namespace tools
