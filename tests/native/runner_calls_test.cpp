// The runner's checks: integer arguments, calls cut from a command line or
// read from lines, argument counts and types against the table, names, texts
// turned into the host's code page, success as each function defines it, and
// the reference's table of codes.
#include "code_table.hpp"
#include "tools/calls.hpp"

#include <gtest/gtest.h>

#include <climits>
#include <cstdio>
#include <fstream>
#include <sstream>

namespace {

using namespace std::literals;
using tools::Call;

// Calls shown as "where: word|word", one per line.
std::string shown(const std::vector<Call> &calls) {
    std::string text;
    for (const Call &call : calls) {
        text += text.empty() ? "" : "\n";
        text += call.where.empty() ? "" : call.where + ": ";
        for (std::size_t i = 0; i < call.words.size(); ++i)
            text += (i ? "|" : "") + call.words[i];
    }
    return text;
}

TEST(RunnerCalls, IntegersAreDecimalOrHexAndFit32Bits) {
    const struct {
        const char *text;
        std::optional<int32_t> value;
    } cases[] = {
        {"0", 0},
        {"010", 10},
        {"+7", 7},
        {"-1", -1},
        {"0x1F", 31},
        {"-0X10", -16},
        {"0xFFFFFFFF", -1},
        {"2147483647", INT_MAX},
        {"-2147483648", INT_MIN},
        {"4294967295", {}},
        {"3000000000", {}},
        {"2147483648", {}},
        {"abc", {}},
        {"12abc", {}},
        {"99999999999", {}},
        {"1e6", {}},
        {"", {}},
        {"-", {}},
        {"0x", {}},
        {"4294967296", {}},
        {"-2147483649", {}},
        {" 1", {}},
        {"--1", {}},
        {"0x-1", {}},
    };
    for (const auto &c : cases)
        EXPECT_EQ(tools::parse_integer(c.text), c.value) << c.text;
}

TEST(RunnerCalls, LinesAndCommandLinesCutIntoCalls) {
    const struct {
        std::string_view text;
        const char *calls; // or the error
    } lines[] = {
        {"KeltLastErrorR8J\nFormatNowR8J \"^DD ^MM\" 1\n", "f:1: KeltLastErrorR8J\nf:2: FormatNowR8J|^DD ^MM|1"},
        {"# a note\n\n\t PathStringFixupR8J C:\\temp\\ 2\r\n", "f:3: PathStringFixupR8J|C:\\temp\\|2"},
        {"QuoteStringR8J \"say \"\"hi\"\"\" 2 \"\"", "f:1: QuoteStringR8J|say \"hi\"|2|"},
        {"LogMsgAltR8J \"a\r\n\nb\" 0\nx #y", "f:1: LogMsgAltR8J|a\n\nb|0\nf:4: x|#y"},
        {"a\"b c\"d", "f:1: ab cd"},
        {"ok\nx \"open\n\n", "f:2: the quotation that begins here has no end"},
        {"\xEF\xBB\xBFKeltLastErrorR8J\n", "f:1: KeltLastErrorR8J"},
        {"ok\nQuoteStringR8J \"a\0b\" 1"sv, "f:2: holds a NUL byte"},
        {"\xFF\xFEK\0\n\0x\0 \0\xA9\x03=\xD8\x00\xDE"sv, "f:1: K\nf:2: x|\xCE\xA9\xF0\x9F\x98\x80"},
        {"\xFE\xFF\0K\0 \0\xE9"sv, "f:1: K|\xC3\xA9"},
        {"\xFF\xFE\n\0=\xD8x\0"sv, "f:2: holds a lone UTF-16 surrogate"},
        {"\xFF\xFEK\0x"sv, "f:1: ends in half a UTF-16 unit"},
        {"K\0\n\0"sv, "f:1: holds a NUL byte"},
    };
    for (const auto &c : lines) {
        const tools::Calls read = tools::read_lines(c.text, "f");
        EXPECT_TRUE((read.error.empty() ? shown(read.calls) : read.error).starts_with(c.calls)) << c.text;
    }
    EXPECT_EQ(shown(tools::split_command_line({"A", "1", "--", "B", "--", "--"})), "call 1: A|1\ncall 2: B");
    EXPECT_EQ(shown(tools::split_command_line({"--", "A", "x y"})), "call 1: A|x y");
}

// Options first, then the calls: a word that reads as an option after a
// function's name is its argument.
TEST(RunnerCalls, OptionsEndWhereTheCallsBegin) {
    const struct {
        std::vector<std::string> argv;
        const char *parsed; // the options set and the calls' words, or the error
    } cases[] = {
        {{"--echo", "LogMsgAltR8J", "--- backup start ---", "@append:x"},
         "echo: LogMsgAltR8J|--- backup start ---|@append:x"},
        {{"LogMsgAltR8J", "-h", "@append:o.log"}, ": LogMsgAltR8J|-h|@append:o.log"},
        {{"F", "--echo", "--", "G", "--file", "x"}, ": F|--echo|--|G|--file|x"},
        {{"--", "-h", "x"}, ": -h|x"},
        {{"--help", "FormatNowR8J"}, "help FormatNowR8J:"},
        {{"-h"}, "help:"},
        {{"--ansi", "--utf8-acp", "--dll", "-x.dll", "F"}, "ansi utf8-acp dll -x.dll: F"},
        {{"--file", "a", "--file", "b"}, "error: --file given twice"},
        {{"--file"}, "error: --file needs a value"},
        {{"--file", ""}, "error: --file needs a value"},
        {{"--bogus", "F"}, "error: unknown option --bogus"},
        {{"--file", "a", "F"}, "error: choose one of"},
        {{"--echo"}, "error: nothing to call"},
        {{"--", "--"}, "error: nothing to call"},
    };
    for (const auto &c : cases) {
        std::vector<std::string> argv = {"bwcall"};
        argv.insert(argv.end(), c.argv.begin(), c.argv.end());
        tools::Options o;
        const std::string error = tools::parse_options(argv, o);
        std::string parsed = o.echo ? "echo" : "";
        for (const auto &[set, name] : {std::pair{o.help, "help"}, {o.ansi, "ansi"}, {o.utf8_acp, "utf8-acp"}})
            parsed += set ? (parsed.empty() ? "" : " ") + std::string(name) : "";
        parsed += o.about.empty() ? "" : " " + o.about;
        parsed += o.dll.empty() ? "" : " dll " + o.dll;
        parsed += ":";
        for (std::size_t i = 0; i < o.words.size(); ++i)
            parsed += (i ? "|" : " ") + o.words[i];
        EXPECT_TRUE((error.empty() ? parsed : "error: " + error).starts_with(c.parsed)) << parsed << " / " << error;
    }
}

TEST(RunnerCalls, QuotedWordsReadBackAsThemselves) {
    EXPECT_EQ(tools::quoted("C:\\temp\\a.txt"), "C:\\temp\\a.txt");
    for (const char *word : {"", "two words", "say \"hi\"", "a\nb", "#x", "C:\\Program Files\\"}) {
        const tools::Calls read = tools::read_lines("f " + tools::quoted(word), "f");
        EXPECT_EQ(shown(read.calls), std::string("f:1: f|") + word) << word;
    }
}

// Latin-1 stands in for the ANSI code page.
bool latin1(char32_t c, std::string &out) {
    out += static_cast<char>(c);
    return c < 0x100;
}

// The module's table as it enumerates, described as the runner loads it.
std::vector<tools::Entry> table() {
    std::vector<tools::Entry> rows = {
        {"keltlasterrorr8j", 0, false, 0, 0, 0, 0x0, nullptr},
        {"customer_flag", 11, true, 0x20000000, 0, 0, 0x0, nullptr},
        {"formatnowr8j", 21, false, 0, 1, 1, 0x1, nullptr},
        {"logmsgaltr8j", 23, false, 0, 2, 1, 0x1, nullptr},
        {"extractfromymdhms", 25, false, 0, 2, 0, 0x1, nullptr},
        {"extractrfromsystemdater8j", 26, false, 0, 2, 0, 0x0, nullptr},
        {"quotestringr8j", 30, false, 0, 2, 1, 0x5, nullptr},
    };
    for (tools::Entry &row : rows)
        EXPECT_EQ(tools::describe(row), "") << row.name;
    return rows;
}

std::string checked_as_text(const tools::Checked &checked) {
    std::string result = checked.error.empty() ? checked.entry.name + ":" : "error: " + checked.error;
    for (const tools::Arg &arg : checked.args)
        result += (&arg == &checked.args[0] ? " " : ", ") + (arg.kind == tools::ArgKind::integer
                                                                 ? "integer " + std::to_string(arg.integer)
                                                             : arg.kind == tools::ArgKind::text ? "text " + arg.text
                                                                                                : "append " + arg.text);
    return result;
}

TEST(RunnerCalls, CallsAreCheckedAgainstTheTable) {
    const std::vector<tools::Entry> rows = table();
    const struct {
        std::vector<std::string> words;
        const char *result; // the arguments, or the start of the error
    } cases[] = {
        {{"FORMATNOWR8J", "^DD"}, "FormatNowR8J: text ^DD"},
        {{"LogMsgAltR8J", "m", "@Append:C:\\x.log", "010"}, "LogMsgAltR8J: text m, append C:\\x.log, integer 10"},
        {{"FormatNowR8J", "@append:x", "-0x1"}, "FormatNowR8J: text @append:x, integer -1"},
        {{"QuoteStringR8J", "caf\xC3\xA9", "1"}, "QuoteStringR8J: text caf\xE9, integer 1"},
        {{"customer_flag"}, "CUSTOMER_FLAG:"},
        {{"id:26", "0", "7"}, "ExtractrFromSystemDateR8J: integer 0, integer 7"},
        {{"ID:11", "x", "5"}, "ID:11: text x, integer 5"},
        {{"id:4", "5"}, "id:4: integer 5"},
        {{"FormatNowR8J"}, "error: call 1, FormatNowR8J: FormatNowR8J(template, [utc]) takes 1 or 2 arguments, not 0"},
        {{"LogMsgAltR8J", "m", "1", "0", "9"},
         "error: call 1, LogMsgAltR8J: LogMsgAltR8J(message, handle, [utc]) takes 2 or 3 arguments, not 4"},
        {{"KeltLastErrorR8J", "1"}, "error: call 1, KeltLastErrorR8J: KeltLastErrorR8J() takes no arguments, not 1"},
        {{"CUSTOMER_FLAG", "1"}, "error: call 1, CUSTOMER_FLAG: CUSTOMER_FLAG is a constant and takes no arguments"},
        {{"ExtractrFromSystemDateR8J", "1e6", "1"},
         "error: call 1, ExtractrFromSystemDateR8J: argument 1 (utc), "
         "\"1e6\", is no 32-bit integer"},
        {{"ExtractrFromSystemDateR8J", "3000000000", "1"},
         "error: call 1, ExtractrFromSystemDateR8J: argument 1 "
         "(utc), \"3000000000\", is no 32-bit integer"},
        {{"ExtractFromYmdHms", "x", "@append:h.log"},
         "error: call 1, ExtractFromYmdHms: argument 2 (field) takes no file handle"},
        {{"LogMsgAltR8J", "m", "@append:"}, "error: call 1, LogMsgAltR8J: argument 2 (handle): @append: names no file"},
        {{"LogMsgAltR8J", "m", "@append:logs/NUL.log"},
         "error: call 1, LogMsgAltR8J: argument 2 (handle): logs/NUL.log names a Windows device"},
        {{"QuoteStringR8J", "\xCE\xA9 x", "1"},
         "error: call 1, QuoteStringR8J: argument 1 (text) holds \xCE\xA9 (U+03A9), which the ANSI code page cannot "
         "hold"},
        {{"id:x"}, "error: call 1: id:x names no id"},
        {{"ExtractFromSystemDateR8J", "0", "1"},
         "error: call 1: no function ExtractFromSystemDateR8J; did you mean ExtractrFromSystemDateR8J?"},
        {{"KeltLastError"}, "error: call 1: no function KeltLastError; did you mean KeltLastErrorR8J?"},
        {{"NoSuchFunction"}, "error: call 1: no function NoSuchFunction (bwcall --list shows them all)"},
    };
    for (const auto &c : cases) {
        const std::string result = checked_as_text(tools::check(rows, Call{"call 1", c.words}, latin1));
        EXPECT_TRUE(result.starts_with(c.result)) << result;
    }
    EXPECT_EQ(tools::signature(rows[6]), "QuoteStringR8J(text, mode, [quote])");
    EXPECT_EQ(tools::signature(rows[1]), "CUSTOMER_FLAG = 0x20000000");
}

TEST(RunnerCalls, TextsReachTheCodePageWholeOrNotAtAll) {
    const struct {
        const char *utf8;
        const char *bytes; // or the error
    } cases[] = {
        {"", ""},
        {"a\r\nb", "a\r\nb"},
        {"d\xC4\x83t\xC4\x83", "error: holds \xC4\x83 (U+0103), which the ANSI code page cannot hold"},
        {"\xE2\x82\xAC", "error: holds \xE2\x82\xAC (U+20AC)"},
        {"x\xF0\x9F\x98\x80", "error: holds \xF0\x9F\x98\x80 (U+1F600)"},
        {"\xC3\xA9\xC3\xBF", "\xE9\xFF"},
        {"a\xC3", "error: is not UTF-8 text (byte 2)"},
        {"\xC0\xAF", "error: is not UTF-8 text (byte 1)"},
        {"\xED\xA0\x80", "error: is not UTF-8 text (byte 1)"},
        {"\xF4\x90\x80\x80", "error: is not UTF-8 text (byte 1)"},
    };
    for (const auto &c : cases) {
        const tools::Narrowed out = tools::narrowed(c.utf8, latin1);
        EXPECT_TRUE((out.error.empty() ? out.bytes : "error: " + out.error).starts_with(c.bytes)) << c.utf8;
    }
}

TEST(RunnerCalls, DeviceNamesAreToldFromFiles) {
    for (const char *device : {"aux",
                               "AUX.txt",
                               "con.tar.gz",
                               "C:\\x\\nul.log",
                               "dir/Com1",
                               "lpt9.x",
                               "prn ",
                               "CON",
                               "aux:",
                               "COM1.txt:",
                               "nul:",
                               "con.",
                               "nul. ",
                               "c:con",
                               "CONIN$",
                               "conout$.log",
                               "com\xC2\xB9",
                               "LPT\xC2\xB3.txt",
                               "\\\\.\\x.txt",
                               "//./pipe/p",
                               "\\\\?\\GLOBALROOT\\x"})
        EXPECT_TRUE(tools::device_name(device)) << device;
    for (const char *file : {"auxi.txt", "com0", "com10", "lpt", "x.con", "con/a.txt", "nul-log", "", "c:", "a.txt:",
                             "com\xC2\xB4", "\\\\?\\C:\\x\\con", "\\\\?\\UNC\\srv\\share\\a.log", "\\\\srv\\share\\a"})
        EXPECT_FALSE(tools::device_name(file)) << file;
}

TEST(RunnerCalls, EachFunctionFailsAsTheReferenceSays) {
    const std::vector<tools::Entry> rows = table();
    const struct {
        std::vector<std::string> words;
        tools::Outcome outcome;
        const char *failure; // "" for a success
    } cases[] = {
        {{"KeltLastErrorR8J"}, {0, false, 901, {}, 0}, ""},
        {{"FormatNowR8J", "^D"}, {0, true, 0, "7", 0}, ""},
        {{"FormatNowR8J", "^MMMM"}, {0, true, 0, "", 0}, "an empty text, code 0"},
        {{"QuoteStringR8J", "a\"b", "1"}, {0, true, 0, "", 0x20000014}, "an empty text, code 536870932"},
        {{"LogMsgAltR8J", "m", "0"}, {0, false, -1, {}, 0}, "result -1, no handle, code 0"},
        {{"LogMsgAltR8J", "m", "12345"}, {0, false, 6, {}, 6}, "result 6, code 6"},
        {{"LogMsgAltR8J", "m", "4"}, {0, false, 0, {}, 0}, ""},
        {{"ExtractrFromSystemDateR8J", "0", "8"}, {0, false, 0, {}, 0}, "0: field 8 is not 1 to 7, code 0"},
        {{"ExtractrFromSystemDateR8J", "0", "7"}, {0, false, 0, {}, 0}, ""},
        {{"ExtractFromYmdHms", "2008:05:30:14:07:09", "0"}, {0, false, 0, {}, 0}, "0: field 0 is not 1 to 7"},
        {{"ExtractFromYmdHms", "2008-05-30", "1"}, {0, false, 0, {}, 0x20000006}, "0, code 536870918"},
        {{"ExtractFromYmdHms", "2008:05:25:14:07:09", "7"}, {0, false, 0, {}, 0}, ""},
        {{"id:4"}, {-1, true, 0, "", 0}, "the host received status -1, code 0"},
        {{"FormatNowR8J", "x"}, {-3, true, 0, "009:Undefined internal error", 0}, "the host received status -3"},
    };
    for (const auto &c : cases) {
        const tools::Checked call = tools::check(rows, Call{"call 1", c.words}, latin1);
        ASSERT_EQ(call.error, "");
        const std::optional<tools::Failure> failed = tools::failure(call, c.outcome);
        const std::string got = failed ? failed->reason + ", code " + std::to_string(failed->code) : "";
        EXPECT_TRUE(got.starts_with(c.failure) && (got.empty() == !*c.failure)) << c.words[0] << ": " << got;
    }
}

std::string file_text(const std::string &path) {
    std::ifstream file(std::string(SOURCE_DIR) + "/" + path);
    std::stringstream text;
    text << file.rdbuf();
    EXPECT_FALSE(text.str().empty()) << path;
    return text.str();
}

// The reference's table of codes is the build's table, row for row.
TEST(Codes, TheReferenceListsEveryCodeAsTheTableHoldsIt) {
    std::istringstream reference(file_text("docs/REFERENCE.md"));
    std::vector<std::string> listed;
    for (std::string line; std::getline(reference, line);)
        if (line.starts_with("| 0x2000"))
            listed.push_back(line);
    std::vector<std::string> expected;
    for (const bw::codes::Row &row : bw::codes::rows) {
        char code[11];
        std::snprintf(code, sizeof code, "0x%08X", row.code);
        const std::string message =
            "\"" + std::string(row.message) + "\"" + (row.in_string_table ? "" : " (message table only)");
        expected.push_back("| " + std::string(code) + " | `" + std::string(row.name) + "` | " +
                           std::string(row.raised_when) + " | " + message + " |");
    }
    EXPECT_EQ(listed, expected);
}

} // namespace
