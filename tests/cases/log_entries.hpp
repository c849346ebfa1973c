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
// for the blank-line separator and * for `fill` letters x.
inline std::string expand_entry(std::string_view pattern, std::string_view stamp, bool utc, std::size_t fill = 0) {
    std::string out;
    for (const char c : pattern)
        out += c == '#'   ? std::string(stamp)
               : c == '|' ? line_separator(utc)
               : c == '~' ? blank_separator(utc)
               : c == '*' ? std::string(fill, 'x')
                          : std::string(1, c);
    return out;
}

// A row whose entry has a size of its own holds * in its message and its
// pattern: as many letters x as make the entry that size, with either stamp.
struct LogEntry {
    const char *message;
    std::string_view pattern;
    std::size_t entry_size = 0;
};

inline std::size_t fill_of(const LogEntry &entry, bool utc) {
    const std::size_t rest = expand_entry(entry.pattern, std::string(utc ? 24 : 20, '#'), utc).size();
    return entry.entry_size ? entry.entry_size - rest : 0;
}

inline std::string message_of(const LogEntry &entry, bool utc) {
    std::string message = entry.message;
    if (const std::size_t at = message.find('*'); at != std::string::npos)
        message.replace(at, 1, fill_of(entry, utc), 'x');
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
};

} // namespace test
