// Date templates expanded for a YmdHms text with the names an en_US user
// has, for the template core and the exports alike.
#pragma once

#include <cstdint>

namespace test {

struct Expansion {
    const char *ymdhms;
    const char *date_template;
    const char *expected;
};

inline constexpr Expansion expansions[] = {
    // Values and their widths.
    {"2008:05:30:14:07:09", "^YYYY/^MM/^DD ^hh:^mm:^ss ", "2008/05/30 14:07:09 "},
    {"2008:05:30:09:07:05", "^YYYY/^MM/^DD ^hh:^mm:^ss", "2008/05/30 09:07:05"},
    {"2008:12:05:07:03:04", "^D.^h|^DD.^hh|^MM ^mm ^ss", "5.7|05.07|12 03 04"},
    {"2008:12:05:07:03:04", "^hh^h^mm^ss", "0770304"},
    {"2008:05:30:14:07:09", "^D ^h", "30 14"},
    // The one walk keeps the first eight tokens it finds and matches the
    // rest again.
    {"2008:12:05:07:03:04", "^YYYY-^MM-^DD ^hh:^mm:^ss ^D", "2008-12-05 07:03:04 5"},
    {"2008:12:05:07:03:04", "^YYYY-^MM-^DD ^hh:^mm:^ss ^D.^h", "2008-12-05 07:03:04 5.7"},
    {"2008:12:05:07:03:04", "^YYYY-^MM-^DD ^hh:^mm:^ss ^D.^h ^MMMM", "2008-12-05 07:03:04 5.7 December"},
    {"2008:12:05:07:03:04", "^YYYY-^MM-^DD ^hh:^mm:^ss ^D.^h ^MMMM ^WWW", "2008-12-05 07:03:04 5.7 December Fri"},
    {"0800:01:01:00:00:00", "[^YYYY]", "[ 800]"},
    // Only the layout is checked, no range.
    {"0800:05:30:25:61:99", "^hh:^mm:^ss ^WWWW", "25:61:99 Tuesday"},
    {"0000:01:01:00:00:00", "[^YYYY]", "[   0]"},
    {"-001:05:30:00:00:00", "[^YYYY]", "[65535]"},
    {"2008:05:30:14:07:09", "^MMMM ^MMM ^WWWW ^WWW ^WW", "May May Friday Fri Fri"},
    {"2008:05:30:14:07:09", "^WWWW ^WWW ^WW ^MMMM ^MMM", "Friday Fri Fri May May"},
    {"2008:06:01:00:00:00", "^WWWW ^WWW", "Sunday Sun"},
    // Month 0 has the first month's names; the thirteenth has empty ones.
    {"2008:00:15:00:00:00", "^MMMM ^MMM ^MM ^WWWW", "January Jan 00 Saturday"},
    {"2008:13:15:00:00:00", "^MMMM|^MMM|^MM ^WWWW", "|   |13 Thursday"},
    // The longest token of a family; what is not a token stays.
    {"2008:05:30:14:07:09", "^MMMMM ^DDD ^YYYYY ^hhh", "MayM 30D 2008Y 14h"},
    {"2008:12:05:00:00:00", "^DD^D|^D^DD", "055|505"},
    {"2008:05:30:14:07:09", "^Mm ^dd ^yyyy ^HH ^M ^W ^Y ^m ^s", "^Mm ^dd ^yyyy ^HH ^M ^W ^Y ^m ^s"},
    {"2008:05:30:14:07:09", "no tokens", "no tokens"},
    {"2008:05:30:14:07:09", "^", "^"},
    {"2008:05:30:14:07:09", "^^^", "^^^"},
    {"2008:05:30:14:07:09", "100% ^DD", "100% 30"},
    {"2008:05:30:14:07:09", "%s%n%x^YYYY%d", "%s%n%x2008%d"},
    {"2008:05:30:14:07:09", "^DD-^DD ^YYYY/^YYYY", "30-30 2008/2008"},
    {"2008:05:30:14:07:09", "^DD-^DD-^DD", "30-30-30"},
    {"2008:05:30:14:07:09", "^MMMM^MMMM", "MayMay"},
    // Later passes see inserted values: a caret before December forms "^D"
    // with its D.
    {"2008:12:05:00:00:00", "^^MMMM", "5ecember"},
    {"2008:12:05:00:00:00", "^D^MMMM", "05ecember"},
    {"2008:05:30:14:07:09", "^^MMMM", "^May"},
    {"2008:05:30:14:07:09", "^^WWW", "^Fri"},
    // An empty thirteenth month joins the text around it; numbers never join.
    {"2008:13:45:00:00:00", "^M^MMMMM", "13"},
    {"2008:13:45:00:00:00", "[^MMMM]", "[]"},
    {"2008:05:30:14:07:09", "^^DD^^MM", "^30^05"},
};

// The log stamp is this template, written by a writer of its own; both
// give these texts, where every field is at, below and past its width and
// the year is past 9999, as the clock can give it.
inline constexpr const char *stamp_template = "^YYYY/^MM/^DD ^hh:^mm:^ss ";

struct Stamp {
    std::uint16_t year, month, day, hour, minute, second;
    const char *text;
};

inline constexpr Stamp stamps[] = {
    {2008, 5, 30, 9, 7, 5, "2008/05/30 09:07:05 "},
    {800, 12, 1, 23, 59, 59, " 800/12/01 23:59:59 "},
    {0, 1, 1, 0, 0, 0, "   0/01/01 00:00:00 "},
    {9999, 99, 99, 99, 99, 99, "9999/99/99 99:99:99 "},
    {10000, 1, 1, 0, 0, 0, "10000/01/01 00:00:00 "},
    {10000, 100, 100, 100, 100, 100, "10000/100/100 100:100:100 "},
    {30827, 12, 31, 23, 59, 59, "30827/12/31 23:59:59 "},
    {65535, 65535, 65535, 65535, 65535, 65535, "65535/65535/65535 65535:65535:65535 "},
};

} // namespace test
