// File handles for native callers: open for reading, open for writing at the
// start or at the end, close. 0 is the only failure value.
#include "Brindlewick.h"

#include <type_traits>

namespace {

// Both opens share the file for reading only: a log has one writer.
template <typename C> HANDLE create_file(const C *name, DWORD access, DWORD disposition) {
    HANDLE file;
    if constexpr (std::is_same_v<C, char>)
        file = CreateFileA(name, access, FILE_SHARE_READ, nullptr, disposition, 0, nullptr);
    else
        file = CreateFileW(name, access, FILE_SHARE_READ, nullptr, disposition, 0, nullptr);
    return file == INVALID_HANDLE_VALUE ? nullptr : file;
}

template <typename C> HANDLE open_input(const C *name) { return create_file(name, GENERIC_READ, OPEN_EXISTING); }

// Positions at the true 64-bit end: a size whose low half is 0xFFFFFFFF is
// a size like any other. If that fails the handle is closed, not lost, and
// the caller still sees the error that made the open fail.
template <typename C> HANDLE open_output(const C *name, INT append) {
    HANDLE file = create_file(name, GENERIC_WRITE, OPEN_ALWAYS);
    if (!file || !append || GetLastError() != ERROR_ALREADY_EXISTS)
        return file;
    LARGE_INTEGER size;
    if (GetFileSizeEx(file, &size) && SetFilePointerEx(file, size, nullptr, FILE_BEGIN))
        return file;
    const DWORD error = GetLastError();
    CloseHandle(file);
    SetLastError(error);
    return nullptr;
}

} // namespace

extern "C" HANDLE WINAPI OpenInputFileHandleA_R8J(LPCSTR file_name) { return open_input(file_name); }
extern "C" HANDLE WINAPI OpenInputFileHandleW_R8J(LPCWSTR file_name) { return open_input(file_name); }

extern "C" HANDLE WINAPI OpenOutputFileHandleA_R8J(LPCSTR file_name, INT append) {
    return open_output(file_name, append);
}
extern "C" HANDLE WINAPI OpenOutputFileHandleW_R8J(LPCWSTR file_name, INT append) {
    return open_output(file_name, append);
}

extern "C" INT WINAPI CloseFileHandle_R8J(HANDLE file) { return CloseHandle(file) ? 1 : 0; }
