// Narrow texts as the narrow locale calls give them. Under Wine the wide
// locale calls cost a fraction of the narrow ones, which call them and
// convert in the locale's ANSI code page; converting here gives the same
// bytes. ASCII reads the same in every ANSI code page and is copied.
#pragma once

#include <windows.h>

#include <algorithm>
#include <cstdint>

namespace bw {

template <typename C> bool is_ascii(const C *text, int length) {
    return std::all_of(text, text + length, [](C c) { return static_cast<std::uint32_t>(c) < 0x80; });
}

// The ANSI code page of a locale; CP_ACP for a locale that has none.
inline UINT ansi_code_page(LCID locale) {
    DWORD page = CP_ACP;
    GetLocaleInfoW(locale, LOCALE_IDEFAULTANSICODEPAGE | LOCALE_RETURN_NUMBER, reinterpret_cast<LPWSTR>(&page),
                   sizeof page / sizeof(wchar_t));
    return page;
}

// Converts `length` characters (the terminator among them when it is to
// be converted too) into `capacity` bytes at out. Returns the bytes
// written, or 0 with the last error set (ERROR_INSUFFICIENT_BUFFER when
// they do not fit).
inline int narrow_in_ansi(LCID locale, const wchar_t *text, int length, char *out, int capacity) {
    if (!is_ascii(text, length))
        return WideCharToMultiByte(ansi_code_page(locale), 0, text, length, out, capacity, nullptr, nullptr);
    if (length > capacity) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return 0;
    }
    std::transform(text, text + length, out, [](wchar_t c) { return static_cast<char>(c); });
    return length;
}

// The other way, as a narrow call hands a narrow text on to a wide one.
inline int widen_from_ansi(LCID locale, const char *text, int length, wchar_t *out, int capacity) {
    if (!is_ascii(text, length))
        return MultiByteToWideChar(ansi_code_page(locale), 0, text, length, out, capacity);
    if (length > capacity) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return 0;
    }
    std::transform(text, text + length, out, [](char c) { return static_cast<wchar_t>(c); });
    return length;
}

} // namespace bw
