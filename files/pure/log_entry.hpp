// Building one log entry: the timestamp prefix, the message's lines with
// every continuation line indented under the first, and the line ends.
// One walk over the message gives the pieces of the entry in order, so that
// the entry can be measured before a block of exactly its size is
// allocated, and written into it by the same walk.
#pragma once

#include "core/date.hpp"
#include "core/decimal.hpp"

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace bw::log {

// The stamp is "2008/05/30 09:07:05 " (20 characters) or, in UTC,
// "2008/05/30 09:07:05 UTC " (24): the date template "^YYYY/^MM/^DD
// ^hh:^mm:^ss " and its UTC mark. Continuation lines start under the
// message's first character. A message that opens with a line feed gets its
// "\r\n" ahead of the stamp.
struct StampField {
    Field field;
    std::uint8_t width;
    char pad;
    char after;
};
inline constexpr std::array<StampField, 6> stamp_fields{{
    {Field::year, 4, ' ', '/'},
    {Field::month, 2, '0', '/'},
    {Field::day, 2, '0', ' '},
    {Field::hour, 2, '0', ':'},
    {Field::minute, 2, '0', ':'},
    {Field::second, 2, '0', ' '},
}};
inline constexpr std::string_view utc_mark = "UTC ";

// The prefix for a date, written to out; returns the end. A field wider
// than its width (a year past 9999) is written whole, as the template
// writes it.
constexpr char *write_stamp(bool utc, bool leading, const Date &date, char *out) {
    if (leading) {
        *out++ = '\r';
        *out++ = '\n';
    }
    for (const StampField &f : stamp_fields) {
        out = write_padded(field_of(date, f.field), f.width, f.pad, out);
        *out++ = f.after;
    }
    if (utc)
        for (const char c : utc_mark)
            *out++ = c;
    return out;
}

constexpr std::string_view line_separator(bool utc) {
    constexpr std::string_view separators[2] = {"\r\n                    ", "\r\n                        "};
    return separators[utc];
}

constexpr std::string_view blank_separator(bool utc) {
    constexpr std::string_view separators[2] = {"\r\n\r\n                    ", "\r\n\r\n                        "};
    return separators[utc];
}

// The word-sized moves below are __builtin_memcpy, not std::memcpy: the DLL
// is compiled with memcpy not taken as a builtin, so that the compiler keeps
// loops as loops, and there std::memcpy of four bytes is a call of the
// runtime's copy per word.

// The first line feed in message[from, end), or end. Four bytes at a time
// while four remain: a word holds a line feed when one of its bytes, XORed
// with a line feed, is zero.
inline std::size_t find_line_feed(std::string_view message, std::size_t from, std::size_t end) {
    constexpr std::uint32_t ones = 0x01010101, highs = 0x80808080, feeds = 0x0A0A0A0A;
    for (; end - from >= 4; from += 4) {
        std::uint32_t word;
        __builtin_memcpy(&word, message.data() + from, sizeof word);
        const std::uint32_t bytes = word ^ feeds;
        if (((bytes - ones) & ~bytes & highs) != 0)
            break;
    }
    while (from < end && message[from] != '\n')
        ++from;
    return from;
}

// Copies a piece of an entry to out; returns the end. Pieces are short: a
// word at a time, inline, costs less than a call of the runtime's copy.
inline char *copy_piece(std::string_view piece, char *out) {
    std::size_t i = 0;
    for (std::uint32_t word; piece.size() - i >= sizeof word; i += sizeof word) {
        __builtin_memcpy(&word, piece.data() + i, sizeof word);
        __builtin_memcpy(out + i, &word, sizeof word);
    }
    for (; i < piece.size(); ++i)
        out[i] = piece[i];
    return out + piece.size();
}

// Calls put(piece) for each piece of the entry after its prefix, in order,
// for a message that is not empty; returns the message's line feeds.
//
// The line feed that opens a message is the "\r\n" ahead of the stamp, and
// a final line feed adds a line end of its own. A carriage return that
// opens a line other than the last is dropped. The separator after a line
// is held back until the next line shows whether a run of empty lines puts
// one blank-line separator in its place; before any line, the blank line
// follows the prefix, so a message opening with two line feeds keeps its
// stamp.
template <typename Put> std::uint64_t put_lines(std::string_view message, bool utc, Put put) {
    const bool leading = message.front() == '\n';
    const bool trailing = message.back() == '\n';
    // The last line ends here; a message that is one line feed has it as
    // its final one, not as its opening one.
    const std::size_t end = message.size() - trailing;
    std::size_t start = leading && end > 0 ? 1 : 0;
    std::uint64_t feeds = start + trailing;
    std::string_view held;
    for (std::size_t feed = find_line_feed(message, start, end); feed < end;
         feed = find_line_feed(message, start, end)) {
        std::string_view line(message.data() + start, feed - start);
        start = feed + 1;
        ++feeds;
        if (line.empty()) {
            held = blank_separator(utc);
            continue;
        }
        if (line.front() == '\r')
            line.remove_prefix(1);
        put(held);
        put(line);
        held = line_separator(utc);
    }
    put(held);
    if (start < end) {
        put(std::string_view(message.data() + start, end - start));
        put("\r\n");
    }
    if (trailing)
        put("\r\n");
    return feeds;
}

// Writes the entry after its prefix to [out, end), which the message as it
// was measured fills; returns the end of what was written. Pieces are cut at
// end, so a message that another thread changed meanwhile gives a garbled
// entry, never a write past the block.
inline char *write_lines(std::string_view message, bool utc, char *out, const char *end) {
    put_lines(message, utc, [&](std::string_view piece) {
        out = copy_piece(piece.substr(0, static_cast<std::size_t>(end - out)), out);
    });
    return out;
}

// L + P + 1 + k(C - 1) for a message of L bytes holding k line feeds: at
// most one byte short of the longest entry that such a message can give,
// wherever its empty lines fall. Computed wide, as a message of many line
// feeds overflows 32 bits.
constexpr std::uint64_t entry_bound(std::uint64_t message_length, std::uint64_t line_feeds, std::size_t prefix_length,
                                    bool utc) {
    return message_length + prefix_length + 1 + line_feeds * (line_separator(utc).size() - 1);
}

} // namespace bw::log
