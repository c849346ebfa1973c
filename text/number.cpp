// Integers with the user's locale grouping: FormatLongInt.
#include "Brindlewick.h"
#include "text/core/grouping.hpp"
#include "text/shell.hpp"

#include <algorithm>
#include <cstdio>

namespace {

constexpr int separator_size = 8; // seven characters and the terminator
constexpr int locale_work_size = 80;
constexpr std::size_t result_size = 32;
constexpr std::size_t print_size = 1024;

// Locale items are read with the wide call, several times cheaper than the
// narrow one; texts are then narrowed as the narrow call does it, so the
// format is the same.
bool read_item(LCID locale, LCTYPE item, wchar_t (&text)[locale_work_size]) {
    return GetLocaleInfoW(locale, item, text, locale_work_size) != 0;
}

bool read_number(LCID locale, LCTYPE item, UINT &value) {
    wchar_t text[locale_work_size];
    if (!read_item(locale, item, text))
        return false;
    value = static_cast<UINT>(bw::parse_long(text).value);
    return true;
}

bool read_grouping(LCID locale, UINT &grouping) {
    wchar_t text[locale_work_size];
    if (!read_item(locale, LOCALE_SGROUPING, text))
        return false;
    grouping = bw::grouping_from_text(text);
    return true;
}

// The narrow locale call converts to the locale's ANSI code page.
UINT ansi_code_page(LCID locale) {
    DWORD page = CP_ACP;
    GetLocaleInfoW(locale, LOCALE_IDEFAULTANSICODEPAGE | LOCALE_RETURN_NUMBER, reinterpret_cast<LPWSTR>(&page),
                   sizeof page / sizeof(wchar_t));
    return page;
}

// The item into a narrow buffer of `size` characters; it fails, as the
// narrow call does, when the text and its terminator do not fit.
bool read_text(LCID locale, LCTYPE item, char *buffer, int size) {
    wchar_t text[locale_work_size];
    if (!read_item(locale, item, text))
        return false;
    const int length = lstrlenW(text) + 1;
    // ASCII reads the same in every ANSI code page.
    if (std::all_of(text, text + length, [](wchar_t c) { return c < 0x80; })) {
        if (length > size) {
            SetLastError(ERROR_INSUFFICIENT_BUFFER);
            return false;
        }
        std::transform(text, text + length, buffer, [](wchar_t c) { return static_cast<char>(c); });
        return true;
    }
    return WideCharToMultiByte(ansi_code_page(locale), 0, text, length, buffer, size, nullptr, nullptr) != 0;
}

// Fills the format from six locale items in this order and stops at the
// first that cannot be read; the separator pointers are already set.
bool fill_number_format(LCID locale, NUMBERFMTA &format, int decimal_size, int thousand_size) {
    return read_number(locale, LOCALE_IDIGITS, format.NumDigits) &&
           read_number(locale, LOCALE_ILZERO, format.LeadingZero) && read_grouping(locale, format.Grouping) &&
           read_text(locale, LOCALE_SDECIMAL, format.lpDecimalSep, decimal_size) &&
           read_text(locale, LOCALE_STHOUSAND, format.lpThousandSep, thousand_size) &&
           read_number(locale, LOCALE_INEGNUMBER, format.NegativeOrder);
}

} // namespace

extern "C" LPSTR WINAPI FormatLongIntR8J(INT value) {
    // The locale calls may set the last error even when they succeed.
    const DWORD caller_error = GetLastError();
    auto *result = static_cast<char *>(bw::heap_alloc(result_size));
    if (!result)
        return bw::shared_empty<char>();
    char decimal[separator_size], thousand[separator_size];
    NUMBERFMTA format{0, 0, 0, decimal, thousand, 0};
    if (!fill_number_format(LOCALE_USER_DEFAULT, format, separator_size, separator_size)) {
        bw::release_keeping_error(result);
        return bw::shared_empty<char>();
    }
    format.NumDigits = 0;
    auto *printed = static_cast<char *>(bw::heap_alloc(print_size));
    if (!printed) {
        bw::release_keeping_error(result);
        return bw::shared_empty<char>();
    }
    std::snprintf(printed, print_size, "%d", value);
    // A text that does not fit leaves an empty one, never a cut one.
    const bool formatted =
        GetNumberFormatA(LOCALE_USER_DEFAULT, 0, printed, &format, result, static_cast<int>(result_size)) != 0;
    if (!formatted)
        std::fill_n(result, result_size, '\0');
    bw::release_keeping_error(printed);
    if (formatted)
        SetLastError(caller_error);
    return result;
}
