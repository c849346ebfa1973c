// The public headers compile as C++98 and C++20 with every warning, and
// Unicode maps the generic names to the wide exports. The extender's header
// is for 32-bit compilers.
#define UNICODE
#include "Brindlewick.h"
#ifndef _WIN64
#include "BrindlewickExtender.h"
#endif

#if __cplusplus >= 202002L
#include <string_view>
#include <type_traits>

static_assert(std::is_same_v<decltype(&FormatNowR8J), LPWSTR(WINAPI *)(LPCWSTR, INT)>);
static_assert(std::is_same_v<decltype(&QuoteStringR8J), LPWSTR(WINAPI *)(LPCWSTR, INT, LPCWSTR)>);
#ifndef _WIN64
static_assert(
    std::is_same_v<decltype(&WILExtender2), int32_t(WINAPI *)(HWND, intptr_t, intptr_t, int32_t, WilHostCallback,
                                                              intptr_t, intptr_t, void *, int32_t, WilValue *)>);
#endif

// The text and the number form of the version say the same.
constexpr unsigned version_number(std::string_view text) {
    unsigned number = 0, part = 0;
    for (const char c : text) {
        if (c == '.') {
            number = number << 8 | part;
            part = 0;
        } else {
            part = part * 10 + static_cast<unsigned>(c - '0');
        }
    }
    return number << 8 | part;
}
static_assert(version_number(BRINDLEWICK_VERSION) == BRINDLEWICK_VERSION_NUMBER);
#else
int brindlewick_header_check_cpp98();
int brindlewick_header_check_cpp98() {
    LPWSTR(WINAPI * format_now)(LPCWSTR, INT) = FormatNowR8J;
    return format_now != 0 && sizeof BRINDLEWICK_VERSION > 1;
}
#endif
