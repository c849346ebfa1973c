// The YmdHms parse with any text in both widths, and the day number of any
// date: codes in their order, fields as strtol reads them, and weekdays and
// day numbers against the standard library's calendar.
#include "datetime/pure/ymdhms.hpp"
#include "fuzz/input.hpp"

#include <algorithm>
#include <chrono>
#include <climits>
#include <cstdlib>
#include <string>

namespace {

enum Flags : std::uint8_t { wide_input = 1, text_null = 2 };

// strtol of the 32-bit runtime: the 64-bit reading clamped to 32 bits.
std::int32_t runtime_strtol(const std::string &field) {
    return static_cast<std::int32_t>(
        std::clamp<long long>(std::strtoll(field.c_str(), nullptr, 10), INT32_MIN, INT32_MAX));
}

bool same(const bw::Parsed &a, const bw::Parsed &b) {
    if (a.code != b.code)
        return false;
    if (a.code != 0)
        return true;
    const bw::Date &x = a.date, &y = b.date;
    return x.year == y.year && x.month == y.month && x.weekday == y.weekday && x.day == y.day && x.hour == y.hour &&
           x.minute == y.minute && x.second == y.second && x.milliseconds == y.milliseconds;
}

void check_parse(const std::string &text, const bw::Parsed &parsed) {
    if (text.empty()) {
        fuzz::require(parsed.code == BW_E_YMDHMS_EMPTY, "an empty text is refused");
        return;
    }
    if (text.size() > bw::ymdhms_max_length) {
        fuzz::require(parsed.code == BW_E_YMDHMS_TOO_LONG, "a text of more than 19 characters is refused");
        return;
    }
    const bool colons_placed = std::all_of(bw::ymdhms_colons.begin(), bw::ymdhms_colons.end(),
                                           [&](std::size_t at) { return at < text.size() && text[at] == ':'; });
    if (!colons_placed || std::count(text.begin(), text.end(), ':') != 5) {
        fuzz::require(parsed.code == BW_E_YMDHMS_LAYOUT, "five colons, all in their places, or refused");
        return;
    }
    std::uint16_t fields[6];
    for (std::size_t k = 0; k < 6; ++k) {
        const std::size_t start = bw::ymdhms_fields[k];
        const std::size_t end = k < 5 ? bw::ymdhms_colons[k] : text.size();
        const std::int32_t value = runtime_strtol(text.substr(start, end - start));
        if (value == INT32_MIN || value == INT32_MAX) {
            fuzz::require(parsed.code == BW_E_YMDHMS_LAYOUT, "a field out of range is refused");
            return;
        }
        fields[k] = static_cast<std::uint16_t>(value);
    }
    fuzz::require(parsed.code == 0, "a well-formed text is accepted");
    const bw::Date &d = parsed.date;
    fuzz::require(d.year == fields[0] && d.month == fields[1] && d.day == fields[2] && d.hour == fields[3] &&
                      d.minute == fields[4] && d.second == fields[5],
                  "each field as strtol reads it, cut to 16 bits");
    fuzz::require(d.milliseconds == 0, "no milliseconds");
    fuzz::require(d.weekday == bw::weekday_from_date(d.year, d.month, d.day), "the weekday of the fields");
}

// For every real date from 0000-03-01 on, as far as the library's calendar
// reaches: days since 0000-01-01 and the weekday.
void check_day_number(std::uint16_t y, std::uint16_t m, std::uint16_t d) {
    using namespace std::chrono;
    if (y > 32767 || m > 12 || d > 31) // beyond the library's calendar, or cut by its 8-bit fields
        return;
    const year_month_day date{year{y}, month{m}, day{d}};
    if (!date.ok() || (y == 0 && m < 3))
        return;
    const sys_days days{date};
    const sys_days origin{year{0} / January / 1};
    fuzz::require(bw::day_number(y, m, d) == static_cast<std::uint32_t>((days - origin).count()),
                  "the day number counts days since 0000-01-01");
    fuzz::require(bw::weekday_from_date(y, m, d) == weekday{days}.c_encoding(), "the weekday of the calendar");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    fuzz::Bytes in{data, size};
    const auto flags = fuzz::take<std::uint8_t>(in);
    const auto y = fuzz::take<std::uint16_t>(in);
    const auto m = fuzz::take<std::uint16_t>(in);
    const auto d = fuzz::take<std::uint16_t>(in);
    check_day_number(y, m, d);

    // The same text in both widths: wide units beyond ASCII stand for a
    // narrow byte that is neither digit, blank, sign nor colon.
    const std::u16string wide = flags & wide_input ? fuzz::take_text<char16_t>(in) : [&] {
        const std::string bytes = fuzz::take_text<char>(in);
        return std::u16string(bytes.begin(), bytes.end());
    }();
    std::string narrow(wide.size(), '\x80');
    std::transform(wide.begin(), wide.end(), narrow.begin(),
                   [](char16_t c) { return c < 0x80 ? static_cast<char>(c) : '\x80'; });
    const auto narrow_block = fuzz::exact_copy<char>(narrow);
    const auto wide_block = fuzz::exact_copy<char16_t>(wide);

    if (flags & text_null) {
        fuzz::require(bw::parse_ymdhms<char>(nullptr).code == BW_E_YMDHMS_NULL, "a null text is refused");
        fuzz::require(bw::parse_ymdhms<char16_t>(nullptr).code == BW_E_YMDHMS_NULL, "a null wide text is refused");
        return 0;
    }
    const bw::Parsed parsed = bw::parse_ymdhms(narrow_block.get());
    check_parse(narrow, parsed);
    fuzz::require(same(parsed, bw::parse_ymdhms(wide_block.get())), "both widths parse alike");
    for (std::uint32_t field = 0; field <= 8; ++field)
        if (parsed.code == 0)
            fuzz::require(bw::date_field(parsed.date, field) <= 0xFFFF, "a field is 16 bits");
    return 0;
}
