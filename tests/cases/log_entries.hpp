// Log entries as the writer lays them out, for the entry builder and the
// export alike.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace test {

// Continuation lines and blank lines are indented under the stamp,
// "2008/05/30 09:07:05 " or "2008/05/30 09:07:05 UTC ".
inline std::string line_separator(bool utc) { return "\r\n" + std::string(utc ? 24 : 20, ' '); }
inline std::string blank_separator(bool utc) { return "\r\n\r\n" + std::string(utc ? 24 : 20, ' '); }

// An expected entry: # stands for the stamp, | for the line separator, ~
// for the blank-line separator and * for the row's fill.
inline std::string expand_entry(std::string_view pattern, std::string_view stamp, bool utc,
                                std::string_view fill = {}) {
    std::string out;
    for (const char c : pattern)
        out += c == '#'   ? std::string(stamp)
               : c == '|' ? line_separator(utc)
               : c == '~' ? blank_separator(utc)
               : c == '*' ? std::string(fill)
                          : std::string(1, c);
    return out;
}

// A row with a fill holds * in its message and its pattern: `characters`
// times `character` (UTF-8), or, when the row gives an entry size, as many
// as make the entry that size with either stamp, letters x making up the
// rest.
struct LogEntry {
    const char *message;
    std::string_view pattern;
    std::size_t entry_size = 0;
    std::string_view character = "x";
    std::size_t characters = 0;
};

inline std::string fill_of(const LogEntry &entry, bool utc) {
    const std::size_t rest = expand_entry(entry.pattern, std::string(utc ? 24 : 20, '#'), utc).size();
    const std::size_t bytes = entry.entry_size ? entry.entry_size - rest : entry.characters * entry.character.size();
    std::string fill;
    for (std::size_t i = 0; i < bytes / entry.character.size(); ++i)
        fill += entry.character;
    return fill + std::string(bytes % entry.character.size(), 'x');
}

inline std::string message_of(const LogEntry &entry, bool utc) {
    std::string message = entry.message;
    if (const std::size_t at = message.find('*'); at != std::string::npos)
        message.replace(at, 1, fill_of(entry, utc));
    return message;
}

inline constexpr LogEntry log_entries[] = {
    {"abc", "#abc\r\n"},
    {"a\nb", "#a|b\r\n"},
    {"ab\ncd\nef", "#ab|cd|ef\r\n"},
    {"abc\n", "#abc\r\n\r\n"},
    {"a\n\n", "#a|\r\n"},
    {"a\n\nb", "#a~b\r\n"},
    {"a\n\n\nb", "#a~b\r\n"},
    {"x\n\ny\nz", "#x~y|z\r\n"},
    // A leading line feed comes before the stamp.
    {"\nabc", "\r\n#abc\r\n"},
    {"\nab\ncd", "\r\n#ab|cd\r\n"},
    {"\nab\n", "\r\n#ab\r\n\r\n"},
    {"\n", "\r\n#\r\n"},
    {"\n\n", "\r\n#\r\n"},
    {"a\r\nb", "#a\r|b\r\n"},
    {"\r\n", "#\r\r\n\r\n"},
    {"\r\nabc", "#|abc\r\n"},
    {"a\n\rb\nc", "#a|b|c\r\n"},
    {"a\n\rb", "#a|\rb\r\n"},
    {"a\rb", "#a\rb\r\n"},
    // Two leading line feeds: the blank line follows the stamp.
    {"\n\nabc", "\r\n#~abc\r\n"},
    {"\n\n\n", "\r\n#~\r\n"},
    {"\n\n\nab\n\ncd", "\r\n#~ab~cd\r\n"},
    // Entries of up to 4096 bytes are built on the stack, longer ones on the
    // heap: entries at that size and one byte either side.
    {"*", "#*\r\n", 4095},
    {"*", "#*\r\n", 4096},
    {"*", "#*\r\n", 4097},
    {"*\nab\ncd", "#*|ab|cd\r\n", 4095},
    {"*\nab\ncd", "#*|ab|cd\r\n", 4096},
    {"*\nab\ncd", "#*|ab|cd\r\n", 4097},
    {"\n*", "\r\n#*\r\n", 4096},
    {"\n*", "\r\n#*\r\n", 4097},
    {"\n\n*\nab", "\r\n#~*|ab\r\n", 4096},
    {"\n\n*\nab", "\r\n#~*|ab\r\n", 4097},
    // The wide writer converts a message of up to 1365 UTF-16 units into
    // UTF-8 on the stack, three bytes a unit at most, and a longer one into a
    // block: 1364 to 1367 units of characters of each UTF-8 length, and
    // entries of such characters at the stack's size and a byte either side.
    {"*", "#*\r\n", 0, "x", 1364},
    {"*", "#*\r\n", 0, "x", 1365},
    {"*", "#*\r\n", 0, "x", 1366},
    {"*", "#*\r\n", 0, "x", 1367},
    {"*", "#*\r\n", 0, "\xC3\xA9", 1364},
    {"*", "#*\r\n", 0, "\xC3\xA9", 1365},
    {"*", "#*\r\n", 0, "\xC3\xA9", 1366},
    {"*", "#*\r\n", 0, "\xC3\xA9", 1367},
    {"*", "#*\r\n", 0, "\xE6\x97\xA5", 1364},
    {"*", "#*\r\n", 0, "\xE6\x97\xA5", 1365},
    {"*", "#*\r\n", 0, "\xE6\x97\xA5", 1366},
    {"*", "#*\r\n", 0, "\xE6\x97\xA5", 1367},
    {"*", "#*\r\n", 0, "\xF0\x9F\x98\x80", 682},
    {"*x", "#*x\r\n", 0, "\xF0\x9F\x98\x80", 682},
    {"*", "#*\r\n", 0, "\xF0\x9F\x98\x80", 683},
    {"*x", "#*x\r\n", 0, "\xF0\x9F\x98\x80", 683},
    {"*", "#*\r\n", 4095, "\xE6\x97\xA5"},
    {"*", "#*\r\n", 4096, "\xE6\x97\xA5"},
    {"*", "#*\r\n", 4097, "\xE6\x97\xA5"},
    {"*", "#*\r\n", 4095, "\xF0\x9F\x98\x80"},
    {"*", "#*\r\n", 4096, "\xF0\x9F\x98\x80"},
    {"*", "#*\r\n", 4097, "\xF0\x9F\x98\x80"},
};

} // namespace test
