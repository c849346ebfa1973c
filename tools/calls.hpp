// The runner's checks, kept free of Windows so that they are tested
// natively: reading calls from the command line or from lines of text,
// checking each against the function table as a script host does, turning
// its texts into the host's code page, and telling from what a call
// delivered whether it succeeded.
#pragma once

#include "tools/functions.hpp"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tools {

// A row of the function table as the host's enumeration hands it over,
// with the runner's description of it when it has one.
struct Entry {
    std::string name; // as scripts write it once described, else in small letters
    int32_t id = 0;
    bool constant = false;
    uint32_t value = 0; // a constant's
    unsigned required = 0, optional = 0;
    uint32_t texts = 0; // bit k - 1 set: argument k is a text
    const Function *about = nullptr;
};

// Finds entry's description by name and takes its spelling; the fault when
// the description's arguments do not fit the table's counts.
std::string describe(Entry &entry);

// A call as written, the function's name first, and where it was written:
// "call 2" on a command line, "FILE:3" in a call file.
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
    std::string text; // text in the host's code page, or the path of append (UTF-8)
};

// A call that can run (error empty): its row and its arguments. A call of
// "id:N" for an id that is no function gets a row of its own, named so.
struct Checked {
    Entry entry;
    std::vector<Arg> args;
    std::string error;
};

// The prefix (in any case) of an integer argument that asks for a file
// opened for appending, and of a call by function id.
inline constexpr std::string_view append_prefix = "@append:";
inline constexpr std::string_view id_prefix = "id:";

// Decimal from -2147483648 to 2147483647, or 0x hexadecimal up to
// 0xFFFFFFFF taken as the 32 bits (0xFFFFFFFF is -1), with an optional
// sign; nothing else, not even a blank.
std::optional<int32_t> parse_integer(std::string_view text);

// The words of a command line cut into calls at "--".
std::vector<Call> split_command_line(const std::vector<std::string> &words);

// One call per line: words apart by blanks, a word in double quotes may hold
// blanks and line breaks (each a line feed) and "" stands for one quote;
// blank lines and lines that begin with # are skipped. The text is UTF-8,
// or UTF-16 with its byte-order mark; a UTF-8 byte-order mark is skipped,
// and a NUL is refused. source names the text in messages, which say
// source:line.
Calls read_lines(std::string_view text, std::string_view source);

// The command line of the runner: options, then the calls. -- ends the
// options; from a function's name on every word is an argument, and --
// starts the next call.
struct Options {
    std::string dll;
    std::string file;  // --file
    std::string about; // --help FUNCTION
    bool echo = false, ansi = false, list = false, demo = false, help = false, utf8_acp = false;
    std::vector<std::string> words; // the calls
};

// The options of argv (its program name first), or the fault.
std::string parse_options(const std::vector<std::string> &argv, Options &options);

// The word as read_lines reads it back, quoted only when it must be.
std::string quoted(std::string_view word);

// "FormatYmdHMSR8J(ymdhms, template)", "FormatNowR8J(template, [utc])",
// "CUSTOMER_FLAG = 0x20000000".
std::string signature(const Entry &entry);

// The table's names nearest to name, nearest first, at most three; none
// when nothing is close.
std::vector<std::string> nearest_names(const std::vector<Entry> &table, std::string_view name);

// Whether Windows takes the path for a device instead of a file: a last part
// CON, PRN, AUX, NUL, CONIN$, CONOUT$, COM1 to COM9 or LPT1 to LPT9 (also
// with the digits ¹ ² ³), with any extension, trailing blanks, dots or
// colon; or a path in the device namespace, \\.\ or \\?\ other than a
// drive or a share.
bool device_name(std::string_view path);

// Appends the bytes of c in the host's code page to out; false when the code
// page has no form for it.
using Encoder = bool (*)(char32_t c, std::string &out);

// UTF-8 text in the host's code page, character by character, or the fault:
// "holds Ω (U+03A9), which the ANSI code page cannot hold", or that it is
// not UTF-8.
struct Narrowed {
    std::string bytes;
    std::string error;
};
Narrowed narrowed(std::string_view utf8, Encoder encode);

// The call's row (names match without regard to case) and its arguments
// converted by the row's types, or the message of its first fault.
Checked check(const std::vector<Entry> &table, const Call &call, Encoder encode);

// What the host received from a call, and the thread's last error as the
// callback found it.
struct Outcome {
    int32_t status = 0;
    bool text = false;
    int32_t integer = 0;
    std::string_view delivered;
    uint32_t thread_error = 0;
};

// Why a call failed as its description defines failure, with the code
// behind it (0 when none is known); nullopt when it succeeded.
struct Failure {
    std::string reason;
    uint32_t code = 0;
};
std::optional<Failure> failure(const Checked &call, const Outcome &outcome);

} // namespace tools
