// The runner's checks: integer arguments, calls cut from a command line or
// read from lines, argument counts and types against the table, names.
#include "tools/calls.hpp"

#include <gtest/gtest.h>

#include <climits>

namespace {

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
        {"0", 0},           {"010", 10},        {"+7", 7},
        {"-1", -1},         {"0x1F", 31},       {"-0X10", -16},
        {"0xFFFFFFFF", -1}, {"4294967295", -1}, {"-2147483648", INT_MIN},
        {"abc", {}},        {"12abc", {}},      {"99999999999", {}},
        {"1e6", {}},        {"", {}},           {"-", {}},
        {"0x", {}},         {"4294967296", {}}, {"-2147483649", {}},
        {" 1", {}},         {"--1", {}},        {"0x-1", {}},
    };
    for (const auto &c : cases)
        EXPECT_EQ(tools::parse_integer(c.text), c.value) << c.text;
}

TEST(RunnerCalls, LinesAndCommandLinesCutIntoCalls) {
    const struct {
        const char *text;
        const char *calls; // or the error
    } lines[] = {
        {"KeltLastErrorR8J\nFormatNowR8J \"^DD ^MM\" 1\n", "f:1: KeltLastErrorR8J\nf:2: FormatNowR8J|^DD ^MM|1"},
        {"# a note\n\n\t PathStringFixupR8J C:\\temp\\ 2\r\n", "f:3: PathStringFixupR8J|C:\\temp\\|2"},
        {"QuoteStringR8J \"say \"\"hi\"\"\" 2 \"\"", "f:1: QuoteStringR8J|say \"hi\"|2|"},
        {"LogMsgAltR8J \"a\r\n\nb\" 0\nx #y", "f:1: LogMsgAltR8J|a\n\nb|0\nf:4: x|#y"},
        {"a\"b c\"d", "f:1: ab cd"},
        {"ok\nx \"open\n\n", "f:2: the quotation that begins here has no end"},
    };
    for (const auto &c : lines) {
        const tools::Calls read = tools::read_lines(c.text, "f");
        EXPECT_EQ(read.error.empty() ? shown(read.calls) : read.error, c.calls) << c.text;
    }
    EXPECT_EQ(shown(tools::split_command_line({"A", "1", "--", "B", "--", "--"})), "call 1: A|1\ncall 2: B");
    EXPECT_EQ(shown(tools::split_command_line({"--", "A", "x y"})), "A|x y");
}

TEST(RunnerCalls, QuotedWordsReadBackAsThemselves) {
    EXPECT_EQ(tools::quoted("C:\\temp\\a.txt"), "C:\\temp\\a.txt");
    for (const char *word : {"", "two words", "say \"hi\"", "a\nb", "#x", "C:\\Program Files\\"}) {
        const tools::Calls read = tools::read_lines("f " + tools::quoted(word), "f");
        EXPECT_EQ(shown(read.calls), std::string("f:1: f|") + word) << word;
    }
}

TEST(RunnerCalls, CallsAreCheckedAgainstTheTable) {
    const std::vector<tools::Entry> table = {
        {"keltlasterrorr8j", 0, false, 0x0, 0x0},    {"customer_flag", 11, true, 0x0, 0x20000000},
        {"formatnowr8j", 21, false, 0x1, 0x101},     {"logmsgaltr8j", 23, false, 0x1, 0x102},
        {"extractfromymdhms", 25, false, 0x1, 0x2},  {"extractrfromsystemdater8j", 26, false, 0x0, 0x2},
        {"quotestringr8j", 30, false, 0x101, 0x102},
    };
    const struct {
        std::vector<std::string> words;
        const char *result; // the arguments, or the start of the error
    } cases[] = {
        {{"FORMATNOWR8J", "^DD"}, "formatnowr8j: text ^DD"},
        {{"LogMsgAltR8J", "m", "@Append:C:\\x.log", "010"}, "logmsgaltr8j: text m, append C:\\x.log, integer 10"},
        {{"FormatNowR8J", "@append:x", "-0x1"}, "formatnowr8j: text @append:x, integer -1"},
        {{"customer_flag"}, "customer_flag:"},
        {{"FormatNowR8J"}, "error: formatnowr8j(text, [integer]) takes 1 or 2 arguments, not 0"},
        {{"LogMsgAltR8J", "m", "1", "0", "9"},
         "error: logmsgaltr8j(text, integer, [integer]) takes 2 or 3 arguments, "},
        {{"QuoteStringR8J"}, "error: quotestringr8j(text, integer, [text]) takes 2 or 3 arguments, not 0"},
        {{"KeltLastErrorR8J", "1"}, "error: keltlasterrorr8j() takes no arguments, not 1"},
        {{"CUSTOMER_FLAG", "1"}, "error: customer_flag is a constant and takes no arguments, not 1"},
        {{"ExtractrFromSystemDateR8J", "1e6", "1"},
         "error: argument 1 of extractrfromsystemdater8j, \"1e6\", is not a 32-bit"},
        {{"LogMsgAltR8J", "m", "@append:"}, "error: argument 2 of logmsgaltr8j: @append: names no file"},
        {{"ExtractFromSystemDateR8J", "0", "1"},
         "error: no function ExtractFromSystemDateR8J; did you mean "
         "extractrfromsystemdater8j?"},
        {{"KeltLastError"}, "error: no function KeltLastError; did you mean keltlasterrorr8j?"},
        {{"NoSuchFunction"}, "error: no function NoSuchFunction (bwcall --list shows them all)"},
    };
    for (const auto &c : cases) {
        const tools::Checked checked = tools::check(table, Call{"", c.words});
        std::string result = checked.error.empty() ? checked.entry->name + ":" : "error: " + checked.error;
        for (const tools::Arg &arg : checked.args)
            result += (&arg == &checked.args[0] ? " " : ", ") +
                      (arg.kind == tools::ArgKind::integer ? "integer " + std::to_string(arg.integer)
                       : arg.kind == tools::ArgKind::text  ? "text " + arg.text
                                                           : "append " + arg.text);
        EXPECT_TRUE(result.starts_with(c.result)) << result;
    }
    EXPECT_EQ(tools::check(table, Call{"f:4", {"nope"}}).error, "f:4: no function nope (bwcall --list shows them all)");
}

} // namespace
