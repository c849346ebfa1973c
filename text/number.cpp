// Integers with the user's locale grouping: FormatLongInt, narrow and wide.
//
// Both read the locale items wide and format the number wide. The narrow
// result is what GetNumberFormatA gives for the narrow locale items: the
// separators are narrowed and widened again, as the narrow calls hand them
// on, and the result is converted in the locale's ANSI code page. The wide
// result is the wide calls' own, so a separator that the ANSI code page
// cannot hold comes out whole.
#include "Brindlewick.h"
#include "module/narrow.hpp"
#include "text/pure/grouping.hpp"
#include "text/results.hpp"

#include <algorithm>

namespace {

constexpr int separator_size = 8; // seven characters and the terminator
constexpr int locale_work_size = 80;
constexpr int result_size = 32;

// The characters read, the terminator among them, or 0 on failure.
int read_item(LCID locale, LCTYPE item, wchar_t (&text)[locale_work_size]) {
    return GetLocaleInfoW(locale, item, text, locale_work_size);
}

bool read_number(LCID locale, LCTYPE item, UINT &value) {
    wchar_t text[locale_work_size];
    if (!read_item(locale, item, text))
        return false;
    value = static_cast<UINT>(bw::parse_long(std::wstring_view(text)).value);
    return true;
}

bool read_grouping(LCID locale, UINT &grouping) {
    wchar_t text[locale_work_size];
    if (!read_item(locale, LOCALE_SGROUPING, text))
        return false;
    grouping = bw::grouping_from_text(text);
    return true;
}

// What each width does with the separators and the formatted text.
template <typename C> struct Width;

template <> struct Width<char> {
    // A separator as the narrow calls hand it on: read into a narrow buffer
    // of `size` characters, which fails when the narrow text and its
    // terminator do not fit, and widened again.
    static bool read_separator(LCID locale, LCTYPE item, wchar_t *separator, int size) {
        wchar_t text[locale_work_size];
        const int read = read_item(locale, item, text);
        if (read == 0)
            return false;
        char narrow[locale_work_size];
        const int length = bw::narrow_in_ansi(locale, text, read, narrow, size);
        return length != 0 && bw::widen_from_ansi(locale, narrow, length, separator, size) != 0;
    }
    // Its terminator included; fails when the ANSI text does not fit.
    static bool store(LCID locale, const wchar_t *formatted, int length, char *result) {
        return bw::narrow_in_ansi(locale, formatted, length, result, result_size) != 0;
    }
};

template <> struct Width<wchar_t> {
    // Fails when the separator and its terminator do not fit.
    static bool read_separator(LCID locale, LCTYPE item, wchar_t *separator, int size) {
        return GetLocaleInfoW(locale, item, separator, size) != 0;
    }
    static bool store(LCID, const wchar_t *formatted, int length, wchar_t *result) {
        std::copy_n(formatted, length, result);
        return true;
    }
};

// Fills the format from six locale items in this order and stops at the
// first that cannot be read; the separator pointers are already set.
template <typename C> bool fill_number_format(LCID locale, NUMBERFMTW &format, int decimal_size, int thousand_size) {
    return read_number(locale, LOCALE_IDIGITS, format.NumDigits) &&
           read_number(locale, LOCALE_ILZERO, format.LeadingZero) && read_grouping(locale, format.Grouping) &&
           Width<C>::read_separator(locale, LOCALE_SDECIMAL, format.lpDecimalSep, decimal_size) &&
           Width<C>::read_separator(locale, LOCALE_STHOUSAND, format.lpThousandSep, thousand_size) &&
           read_number(locale, LOCALE_INEGNUMBER, format.NegativeOrder);
}

// A block of 32 characters of either width, so at most 31 of them.
template <typename C> C *format_long_int(INT value) {
    // The locale calls may set the last error even when they succeed.
    const DWORD caller_error = GetLastError();
    C *result = bw::new_block<C>(result_size);
    if (!result)
        return bw::shared_empty<C>();
    wchar_t decimal[separator_size], thousand[separator_size];
    NUMBERFMTW format{0, 0, 0, decimal, thousand, 0};
    if (!fill_number_format<C>(LOCALE_USER_DEFAULT, format, separator_size, separator_size)) {
        bw::release_keeping_error(result);
        return bw::shared_empty<C>();
    }
    format.NumDigits = 0;
    wchar_t digits[bw::decimal_text_size];
    bw::decimal_text(value, digits);
    // A text that does not fit leaves an empty one, never a cut one.
    wchar_t formatted[result_size];
    const int length = GetNumberFormatW(LOCALE_USER_DEFAULT, 0, digits, &format, formatted, result_size);
    if (length == 0 || !Width<C>::store(LOCALE_USER_DEFAULT, formatted, length, result)) {
        std::fill_n(result, result_size, C('\0'));
        return result;
    }
    SetLastError(caller_error);
    return result;
}

} // namespace

extern "C" LPSTR WINAPI FormatLongIntR8J(INT value) { return format_long_int<char>(value); }
extern "C" LPWSTR WINAPI FormatLongIntWR8J(INT value) { return format_long_int<wchar_t>(value); }
