// FormatNow and FormatYmdHms: a date template expanded with the month and
// weekday names of the user's locale.
#include "Brindlewick.h"
#include "datetime/pure/date_template.hpp"
#include "datetime/pure/ymdhms.hpp"
#include "module/clock.hpp"
#include "module/module.hpp"
#include "module/narrow.hpp"

#include <array>

namespace {

// Characters per name, terminator included.
constexpr int name_capacity = 64;

// The four name series in the engine's order, each by the first type of its
// series; a month name is the series' first plus the month index, a weekday
// name plus the weekday index.
struct SeriesLookup {
    CALTYPE first;
    bool month;
};
constexpr std::array<SeriesLookup, bw::name_series_count> name_series{{
    {CAL_SABBREVMONTHNAME1, true},
    {CAL_SMONTHNAME1, true},
    {CAL_SABBREVDAYNAME1, false},
    {CAL_SDAYNAME1, false},
}};

int calendar_info(CALTYPE type, wchar_t *name) {
    return GetCalendarInfoW(LOCALE_USER_DEFAULT, CAL_GREGORIAN, type, name, name_capacity, nullptr);
}

// The narrow name is that of GetCalendarInfoA, read wide at a third of the
// cost and converted as it converts.
int calendar_info(CALTYPE type, char *name) {
    wchar_t wide[name_capacity];
    const int length = calendar_info(type, wide);
    return length == 0 ? 0 : bw::narrow_in_ansi(LOCALE_USER_DEFAULT, wide, length, name, name_capacity);
}

// Templates up to this length are copied onto the stack.
constexpr std::size_t stack_template = 256;

// The month and weekday indices are checked before the template is
// searched, so that a date without names fails whatever the template holds.
// A name is read from the locale only when the template prints it, so the
// user's locale as it stands now gives it.
//
// The expansion reads the template more than once, measuring and then
// writing, so it reads a copy: a caller that changed its text meanwhile (a
// race on its side) could otherwise make the write overrun the block.
template <typename C> C *format_date_template(const bw::Date &date, const C *caller_text) {
    // A short template is measured and copied in one go.
    C local[stack_template];
    std::size_t length = 0;
    for (; length < stack_template && caller_text[length]; ++length)
        local[length] = caller_text[length];
    if (length == stack_template)
        length = bw::text_length(caller_text);
    if (length == 0)
        return bw::shared_empty<C>();
    const bw::NameIndices index = bw::name_indices(date);
    if (index.code != 0) {
        SetLastError(index.code);
        return bw::shared_empty<C>();
    }
    C *text = local;
    if (length > stack_template) {
        text = bw::new_work_block<C>(length);
        if (!text)
            return bw::shared_empty<C>();
        for (std::size_t i = 0; i < length; ++i)
            text[i] = caller_text[i];
    }
    C names[name_series.size()][name_capacity];
    auto read = [&](bw::NameSeries value, std::basic_string_view<C> &name) {
        const auto k = static_cast<std::size_t>(value);
        const SeriesLookup &series = name_series[k];
        if (!calendar_info(series.first + (series.month ? index.month : index.weekday), names[k]))
            return false;
        name = names[k];
        return true;
    };
    C *result = bw::expand_date_template<C>(
        {text, length}, date, read, [](std::size_t n) { return bw::new_block<C>(n + 1); },
        [](C *used) { return bw::heap_free(used); });
    if (text != local)
        bw::work_free(text);
    return result ? result : bw::shared_empty<C>();
}

template <typename C> bool template_given(const C *text) {
    if (!text)
        SetLastError(BW_E_TEMPLATE_NULL);
    else if (!*text)
        SetLastError(BW_E_TEMPLATE_EMPTY);
    return text && *text;
}

template <typename C> C *format_now(const C *text, INT utc) {
    return template_given(text) ? format_date_template(bw::clock_date(utc), text) : nullptr;
}

// The template is checked before the YmdHms text; a good parse leaves the
// last error at 0.
template <typename C> C *format_ymdhms(const C *ymdhms, const C *text) {
    if (!template_given(text))
        return nullptr;
    const bw::Parsed parsed = bw::parse_ymdhms(ymdhms);
    SetLastError(parsed.code);
    return parsed.code == 0 ? format_date_template(parsed.date, text) : nullptr;
}

} // namespace

extern "C" LPSTR WINAPI FormatNowAR8J(LPCSTR date_template, INT utc) { return format_now(date_template, utc); }
extern "C" LPWSTR WINAPI FormatNowWR8J(LPCWSTR date_template, INT utc) { return format_now(date_template, utc); }

extern "C" LPSTR WINAPI FormatYmdHmsAR8J(LPCSTR ymdhms, LPCSTR date_template) {
    return format_ymdhms(ymdhms, date_template);
}
extern "C" LPWSTR WINAPI FormatYmdHmsWR8J(LPCWSTR ymdhms, LPCWSTR date_template) {
    return format_ymdhms(ymdhms, date_template);
}
