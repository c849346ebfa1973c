// The runner's checks, kept free of Windows so that they are tested
// natively: reading calls from the command line or from lines of text,
// checking each against the function table as a script host does, and
// finding the nearest names for an unknown one.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tools {

// A row of the function table as the host's enumeration hands it over.
struct Entry {
    std::string name; // in small letters
    int32_t id;
    bool constant;
    uint32_t arg_types; // 4 bits per argument, argument 1 lowest: 1 text, 0 integer
    uint32_t arg_count; // function: required in bits 0-7, optional in 8-15; constant: its value
};

// A call as written, the function's name first, and where it was written
// (empty for the only call of a command line).
struct Call {
    std::string where;
    std::vector<std::string> words;
};

// Calls read from text; error names the place of the first fault.
struct Calls {
    std::vector<Call> calls;
    std::string error;
};

enum class ArgKind { integer, text, append };

struct Arg {
    ArgKind kind;
    int32_t integer;  // integer
    std::string text; // text, or the path of append
};

// A call that can run (error empty): its row and its arguments.
struct Checked {
    const Entry *entry = nullptr;
    std::vector<Arg> args;
    std::string error;
};

// The prefix (in any case) of an integer argument that asks for a file
// opened for appending.
inline constexpr std::string_view append_prefix = "@append:";

// Decimal or 0x hexadecimal with an optional sign, from -2147483648 to
// 4294967295 (0xFFFFFFFF is -1); nothing else, not even a blank.
std::optional<int32_t> parse_integer(std::string_view text);

// The words of a command line cut into calls at "--".
std::vector<Call> split_command_line(const std::vector<std::string> &words);

// One call per line: words apart by blanks, a word in double quotes may hold
// blanks and line breaks (each a line feed) and "" stands for one quote;
// blank lines and lines that begin with # are skipped. source names the
// text in messages, which say source:line.
Calls read_lines(std::string_view text, std::string_view source);

// The word as read_lines reads it back, quoted only when it must be.
std::string quoted(std::string_view word);

// "formatnowr8j(text, [integer])", "customer_flag = 0x20000000".
std::string signature(const Entry &entry);

// The table's names nearest to name, nearest first, at most three; none
// when nothing is close.
std::vector<std::string> nearest_names(const std::vector<Entry> &table, std::string_view name);

// The call's row (names match without regard to case) and its arguments
// converted by the row's types, or the message of its first fault.
Checked check(const std::vector<Entry> &table, const Call &call);

} // namespace tools
