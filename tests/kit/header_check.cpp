// The public headers compile as C++ with every warning, and Unicode maps the
// generic names to the wide exports.
#define UNICODE
#include "Brindlewick.h"
#include "BrindlewickExtender.h"

#include <type_traits>

static_assert(std::is_same_v<decltype(&FormatNowR8J), LPWSTR(WINAPI *)(LPCWSTR, INT)>);
static_assert(std::is_same_v<decltype(&QuoteStringR8J), LPWSTR(WINAPI *)(LPCWSTR, INT, LPCWSTR)>);
static_assert(
    std::is_same_v<decltype(&WILExtender2), int32_t(WINAPI *)(HWND, intptr_t, intptr_t, int32_t, WilHostCallback,
                                                              intptr_t, intptr_t, void *, int32_t, WilValue *)>);
