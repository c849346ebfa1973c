// Texts between UTF-16 and a code page, for the runner and the tests.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

namespace tools {

inline std::wstring widened(std::string_view text, UINT code_page) {
    const int size = static_cast<int>(text.size());
    std::wstring wide(static_cast<std::size_t>(MultiByteToWideChar(code_page, 0, text.data(), size, nullptr, 0)),
                      L'\0');
    MultiByteToWideChar(code_page, 0, text.data(), size, wide.data(), static_cast<int>(wide.size()));
    return wide;
}

inline std::string narrowed(std::wstring_view wide, UINT code_page) {
    const int size = static_cast<int>(wide.size());
    std::string out(
        static_cast<std::size_t>(WideCharToMultiByte(code_page, 0, wide.data(), size, nullptr, 0, nullptr, nullptr)),
        '\0');
    WideCharToMultiByte(code_page, 0, wide.data(), size, out.data(), static_cast<int>(out.size()), nullptr, nullptr);
    return out;
}

} // namespace tools
