// Integers with the user's locale grouping: FormatLongInt.
//
// The narrow result is what GetNumberFormatA gives for the narrow locale
// items, but the work goes through the wide calls, several times cheaper:
// the items are read wide, the number is formatted wide, and texts are
// narrowed (and separators narrowed and widened again, as the narrow calls
// pass them on) in the locale's ANSI code page. Texts in ASCII read the same
// in every ANSI code page and skip the conversions.
#include "Brindlewick.h"
#include "text/core/grouping.hpp"
#include "text/shell.hpp"

#include <algorithm>
#include <cstdint>

namespace {

constexpr int separator_size = 8; // seven characters and the terminator
constexpr int locale_work_size = 80;
constexpr int result_size = 32;

template <typename C> bool is_ascii(const C *text, int length) {
    return std::all_of(text, text + length, [](C c) { return static_cast<std::uint32_t>(c) < 0x80; });
}

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

// The narrow locale calls convert in the locale's ANSI code page.
UINT ansi_code_page(LCID locale) {
    DWORD page = CP_ACP;
    GetLocaleInfoW(locale, LOCALE_IDEFAULTANSICODEPAGE | LOCALE_RETURN_NUMBER, reinterpret_cast<LPWSTR>(&page),
                   sizeof page / sizeof(wchar_t));
    return page;
}

// A separator as the narrow calls hand it on: read into a narrow buffer of
// `size` characters, which fails when the narrow text and its terminator do
// not fit, and widened again.
bool read_separator(LCID locale, LCTYPE item, wchar_t *separator, int size) {
    wchar_t text[locale_work_size];
    if (!read_item(locale, item, text))
        return false;
    const int length = lstrlenW(text) + 1;
    if (is_ascii(text, length)) {
        if (length > size) {
            SetLastError(ERROR_INSUFFICIENT_BUFFER);
            return false;
        }
        std::copy_n(text, length, separator);
        return true;
    }
    const UINT page = ansi_code_page(locale);
    char narrow[locale_work_size];
    return WideCharToMultiByte(page, 0, text, length, narrow, size, nullptr, nullptr) != 0 &&
           MultiByteToWideChar(page, 0, narrow, -1, separator, size) != 0;
}

// Fills the format from six locale items in this order and stops at the
// first that cannot be read; the separator pointers are already set.
bool fill_number_format(LCID locale, NUMBERFMTW &format, int decimal_size, int thousand_size) {
    return read_number(locale, LOCALE_IDIGITS, format.NumDigits) &&
           read_number(locale, LOCALE_ILZERO, format.LeadingZero) && read_grouping(locale, format.Grouping) &&
           read_separator(locale, LOCALE_SDECIMAL, format.lpDecimalSep, decimal_size) &&
           read_separator(locale, LOCALE_STHOUSAND, format.lpThousandSep, thousand_size) &&
           read_number(locale, LOCALE_INEGNUMBER, format.NegativeOrder);
}

// The formatted text narrowed into the result block; false, with the block
// left as it was, when it does not fit.
bool narrow_into(LCID locale, const wchar_t *text, int length, char *result) {
    if (is_ascii(text, length)) {
        std::transform(text, text + length, result, [](wchar_t c) { return static_cast<char>(c); });
        return true;
    }
    return WideCharToMultiByte(ansi_code_page(locale), 0, text, length, result, result_size, nullptr, nullptr) != 0;
}

} // namespace

extern "C" LPSTR WINAPI FormatLongIntR8J(INT value) {
    // The locale calls may set the last error even when they succeed.
    const DWORD caller_error = GetLastError();
    auto *result = static_cast<char *>(bw::heap_alloc(result_size));
    if (!result)
        return bw::shared_empty<char>();
    wchar_t decimal[separator_size], thousand[separator_size];
    NUMBERFMTW format{0, 0, 0, decimal, thousand, 0};
    if (!fill_number_format(LOCALE_USER_DEFAULT, format, separator_size, separator_size)) {
        bw::release_keeping_error(result);
        return bw::shared_empty<char>();
    }
    format.NumDigits = 0;
    wchar_t digits[bw::decimal_text_size];
    bw::decimal_text(value, digits);
    // A text that does not fit leaves an empty one, never a cut one.
    wchar_t formatted[result_size];
    const int length = GetNumberFormatW(LOCALE_USER_DEFAULT, 0, digits, &format, formatted, result_size);
    if (length == 0 || !narrow_into(LOCALE_USER_DEFAULT, formatted, length, result)) {
        std::fill_n(result, result_size, '\0');
        return result;
    }
    SetLastError(caller_error);
    return result;
}
