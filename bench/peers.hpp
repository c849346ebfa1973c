// What a native programmer would write instead of calling Brindlewick: the
// peers that the services are timed against. Each produces the same text
// as its service.
#pragma once

#include <windows.h>

#include "datetime/pure/ymdhms.hpp"

#include <cstdio>
#include <ctime>
#include <cwchar>
#include <string>
#include <string_view>

namespace bench {

// "^YYYY/^MM/^DD ^hh:^mm:^ss " for the local time: the clock, then the
// locale's date and time formatting with fixed pictures.
inline int format_now_by_hand(char (&out)[64]) {
    SYSTEMTIME now;
    GetLocalTime(&now);
    const int date = GetDateFormatA(LOCALE_USER_DEFAULT, 0, &now, "yyyy'/'MM'/'dd", out, sizeof out);
    if (date == 0)
        return 0;
    out[date - 1] = ' ';
    const int time = GetTimeFormatA(LOCALE_USER_DEFAULT, 0, &now, "HH':'mm':'ss", out + date, sizeof out - date);
    if (time == 0)
        return 0;
    const int length = date + time;
    out[length - 1] = ' ';
    out[length] = '\0';
    return length;
}

// "^WWWW, ^D ^MMMM ^YYYY" for a YmdHms text: its fields read by the C
// runtime, then the locale's date formatting with the same picture, which
// reads the names too.
inline int format_long_date_by_hand(const char *ymdhms, char (&out)[64]) {
    int year, month, day, hour, minute, second;
    if (std::sscanf(ymdhms, "%4d:%2d:%2d:%2d:%2d:%2d", &year, &month, &day, &hour, &minute, &second) != 6)
        return 0;
    SYSTEMTIME date{};
    date.wYear = static_cast<WORD>(year);
    date.wMonth = static_cast<WORD>(month);
    date.wDay = static_cast<WORD>(day);
    return GetDateFormatA(LOCALE_USER_DEFAULT, 0, &date, "dddd, d MMMM yyyy", out, sizeof out);
}

// The log template for a YmdHms text, through the C runtime.
inline std::size_t format_ymdhms_by_hand(const char *ymdhms, char (&out)[64]) {
    std::tm t{};
    if (std::sscanf(ymdhms, "%4d:%2d:%2d:%2d:%2d:%2d", &t.tm_year, &t.tm_mon, &t.tm_mday, &t.tm_hour, &t.tm_min,
                    &t.tm_sec) != 6)
        return 0;
    t.tm_year -= 1900;
    t.tm_mon -= 1;
    return std::strftime(out, sizeof out, "%Y/%m/%d %H:%M:%S ", &t);
}

// The integer printed, then grouped with the locale's own format (which
// also adds the locale's decimals).
inline int format_long_int_by_hand(int value, char (&out)[32]) {
    char digits[16];
    std::snprintf(digits, sizeof digits, "%d", value);
    return GetNumberFormatA(LOCALE_USER_DEFAULT, 0, digits, nullptr, out, sizeof out);
}

// The same, wide: the wide calls' own text.
inline int format_long_int_wide_by_hand(int value, wchar_t (&out)[32]) {
    wchar_t digits[16];
    std::swprintf(digits, std::size(digits), L"%d", value);
    return GetNumberFormatW(LOCALE_USER_DEFAULT, 0, digits, nullptr, out, static_cast<int>(std::size(out)));
}

// A text of `count` characters, its terminator among them, copied into a
// block of the process heap, as a caller that hands the text on must, and
// released: the first character.
template <typename C> C heap_copied(const C *text, int count) {
    auto *block = static_cast<C *>(HeapAlloc(GetProcessHeap(), 0, static_cast<std::size_t>(count) * sizeof(C)));
    for (int i = 0; i < count; ++i)
        block[i] = text[i];
    const C first = block[0];
    HeapFree(GetProcessHeap(), 0, block);
    return first;
}

// The floors: what a service cannot do without however it is built. A text
// service's floor ends in one block of its result's size, released as its
// callers release the service's.
inline char *text_block(std::size_t characters) {
    return static_cast<char *>(HeapAlloc(GetProcessHeap(), 0, characters + 1));
}

inline char floor_released(char *block) {
    const char first = block[0];
    HeapFree(GetProcessHeap(), 0, block);
    return first;
}

// One clock read and one block of the stamp's size.
inline char format_now_floor(std::size_t characters) {
    SYSTEMTIME now;
    GetLocalTime(&now);
    char *block = text_block(characters);
    block[0] = static_cast<char>(now.wSecond);
    return floor_released(block);
}

// The YmdHms text read by the module's own parser and one block of the
// result's size.
inline char format_ymdhms_floor(const char *ymdhms, std::size_t characters) {
    const bw::Parsed parsed = bw::parse_ymdhms(ymdhms);
    char *block = text_block(characters);
    block[0] = static_cast<char>(parsed.date.second);
    return floor_released(block);
}

// The digits of a positive value and the separators of a grouping known in
// advance, threes with commas, written into one block.
inline char format_long_int_floor(int value) {
    char digits[16];
    int count = 0;
    for (; value > 0; value /= 10)
        digits[count++] = static_cast<char>('0' + value % 10);
    char *block = text_block(static_cast<std::size_t>(count + (count - 1) / 3));
    char *out = block;
    for (int k = count; k > 0; --k) {
        *out++ = digits[k - 1];
        if (k > 1 && (k - 1) % 3 == 0)
            *out++ = ',';
    }
    *out = '\0';
    return floor_released(block);
}

// The log entry of a message without empty lines, carriage returns or line
// feeds at its ends: the stamp, the lines with each continuation line
// indented under the first, and a line end.
inline std::string log_entry(std::string_view stamp, std::string_view message) {
    constexpr std::string_view separator = "\r\n                    ";
    std::string entry(stamp);
    for (const char c : message) {
        if (c == '\n')
            entry += separator;
        else
            entry += c;
    }
    return entry + "\r\n";
}

} // namespace bench
