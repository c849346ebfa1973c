// Building one log entry: the timestamp prefix, the message's lines with
// every continuation line indented under the first, and the line ends.
// The caller owns the block; the builder asks it to double the block at
// most once, so that the one enlargement and its failure stay with the
// caller.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace bw::log {

// The stamp is "2008/05/30 09:07:05 " (20 characters) or, in UTC,
// "2008/05/30 09:07:05 UTC " (24); continuation lines start under the
// message's first character. A message that opens with a line feed gets
// its "\r\n" ahead of the stamp. The templates are literals, so data() is
// terminated.
constexpr std::string_view prefix_template(bool utc, bool leading) {
    constexpr std::string_view templates[2][2] = {
        {"^YYYY/^MM/^DD ^hh:^mm:^ss ", "\r\n^YYYY/^MM/^DD ^hh:^mm:^ss "},
        {"^YYYY/^MM/^DD ^hh:^mm:^ss UTC ", "\r\n^YYYY/^MM/^DD ^hh:^mm:^ss UTC "},
    };
    return templates[utc][leading];
}

constexpr std::string_view line_separator(bool utc) {
    return utc ? "\r\n                        " : "\r\n                    ";
}

constexpr std::string_view blank_separator(bool utc) {
    return utc ? "\r\n\r\n                        " : "\r\n\r\n                    ";
}

constexpr std::size_t count_line_feeds(std::string_view message) {
    std::size_t k = 0;
    for (const char c : message)
        k += c == '\n';
    return k;
}

// L + P + 1 + k(C - 1): at most one byte short of the longest entry a
// message can give, so one doubling always suffices. Computed wide, as a
// message of many line feeds overflows 32 bits.
constexpr std::uint64_t entry_capacity(std::string_view message, std::size_t prefix_length, bool utc) {
    return std::uint64_t{message.size()} + prefix_length + 1 +
           std::uint64_t{count_line_feeds(message)} * (line_separator(utc).size() - 1);
}

// The block being filled: `capacity` bytes at `bytes`, `length` of them
// holding the entry so far.
struct EntryBuffer {
    char *bytes;
    std::size_t capacity;
    std::size_t length;
};

namespace detail {

inline void append(EntryBuffer &entry, std::string_view part) {
    for (const char c : part)
        entry.bytes[entry.length++] = c;
}

// Makes room for `needed` more bytes. `enlarge(bytes, capacity)` returns
// the block grown to that capacity with its contents kept, or null, and
// then the old block is still the caller's.
template <typename Enlarge> bool make_room(EntryBuffer &entry, std::size_t needed, Enlarge &enlarge) {
    if (entry.length + needed < entry.capacity)
        return true;
    char *grown = enlarge(entry.bytes, entry.capacity * 2);
    if (!grown)
        return false;
    entry.bytes = grown;
    entry.capacity *= 2;
    return true;
}

} // namespace detail

// Fills `entry` (empty, with the capacity of entry_capacity) with the entry
// for a non-empty message and an expanded prefix (empty when there is no
// stamp). False when the enlargement failed; entry.bytes is then the block
// to release.
template <typename Enlarge>
bool build_entry(EntryBuffer &entry, std::string_view message, std::string_view prefix, bool utc, Enlarge enlarge) {
    const std::string_view separator = line_separator(utc);
    const std::string_view blank = blank_separator(utc);
    const bool leading = message.front() == '\n';
    const bool trailing = message.back() == '\n';
    const std::size_t k = count_line_feeds(message);

    detail::append(entry, prefix);
    std::size_t search = 0;
    std::size_t line_start = 0;
    // Where the last line separator went. Before any, a blank line goes
    // straight after the prefix, so a message opening with two line feeds
    // keeps its stamp.
    std::size_t separator_at = entry.length;
    const std::size_t walked = trailing ? k - 1 : k;
    for (std::size_t i = 0; i < walked; ++i) {
        const std::size_t feed = message.find('\n', search);
        std::string_view line = message.substr(search, feed - search);
        search = feed + 1;
        if (leading && i == 0) {
            // The "\r\n" that heads the prefix stands for this line feed.
            line_start = search;
            continue;
        }
        if (line.empty()) {
            // A run of empty lines makes one blank line: the blank
            // separator replaces the line separator before it.
            if (!detail::make_room(entry, 2, enlarge))
                return false;
            entry.length = separator_at;
            detail::append(entry, blank);
        } else {
            if (!detail::make_room(entry, separator.size() + line.size(), enlarge))
                return false;
            if (line.front() == '\r')
                line.remove_prefix(1);
            detail::append(entry, line);
            separator_at = entry.length;
            detail::append(entry, separator);
        }
        line_start = search;
    }

    const std::string_view last = message.substr(line_start, message.size() - line_start - trailing);
    if (!last.empty()) {
        if (!detail::make_room(entry, last.size() + 2, enlarge))
            return false;
        detail::append(entry, last);
        detail::append(entry, "\r\n");
    }
    // The final line feed's share of the capacity always holds this.
    if (trailing)
        detail::append(entry, "\r\n");
    return true;
}

} // namespace bw::log
