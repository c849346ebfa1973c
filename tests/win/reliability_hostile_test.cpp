// Hostile input for every export and script function: null pointers, texts
// of a megabyte and more, modes, fields and ids at the limits of 32 bits,
// handles that are closed, never opened or INVALID_HANDLE_VALUE, non-ASCII
// and double-byte text, too few argument records. Each gives its documented
// result, and every call, failing or not, leaves no block behind.
#include "reliability.hpp"
#include "temp_folder.hpp"
#include "tests/cases/log_entries.hpp"

#include <algorithm>
#include <climits>

namespace {

using test::as;
using test::Expected;
using test::native;
using test::Outcome;
using test::Shape;
using test::untouched;

struct Case {
    std::string name;
    test::Run run;
    Expected expected;
};

Expected heap_text(std::optional<std::wstring> text, std::optional<DWORD> error = untouched) {
    return {Shape::heap_text, {}, error, std::move(text)};
}
Expected heap_text_of_length(std::size_t length, DWORD error = untouched) {
    return {Shape::heap_text, {}, error, {}, 0, length};
}
Expected shared_empty(DWORD error) { return {Shape::shared_empty, {}, error, L""}; }
Expected null(DWORD error) { return {Shape::null, {}, error}; }
Expected number(std::optional<int64_t> value, std::optional<DWORD> error = {}) {
    return {Shape::integer, value, error};
}
#ifndef _WIN64
using test::recorded_before;
using test::script;

// The log writer's script result, recorded as the last error too.
Expected log_result(INT result) { return number(result, static_cast<DWORD>(result)); }
Expected delivered(std::optional<std::wstring> text, DWORD recorded) {
    return {Shape::delivered_text, {}, recorded, std::move(text)};
}
Expected delivered_of_length(std::size_t length, DWORD recorded) {
    return {Shape::delivered_text, {}, recorded, {}, 0, length};
}
Expected delivered_error(int32_t status, const char *message, DWORD recorded) {
    return {Shape::delivered_text, {}, recorded, as<wchar_t>(message), status};
}
Expected delivered_shared_empty() { return {Shape::shared_empty, {}, recorded_before, L""}; }
#endif

constexpr std::size_t megabyte_and_more = (1u << 20) + 17;

// A texts argument: a null pointer or a text.
template <typename C> using Arg = std::optional<std::basic_string<C>>;
template <typename C> const C *pointer(const Arg<C> &text) { return text ? text->c_str() : nullptr; }
template <typename C> Arg<C> arg(std::string_view ascii) { return as<C>(ascii); }

// Runs each case on the shipped DLL with leak accounting.
void expect_documented(const std::vector<Case> &cases) {
    for (const Case &c : cases) {
        const test::Outcome outcome = test::leak_checked(c.name, c.run);
        EXPECT_TRUE(test::matches(outcome, c.expected)) << c.name << ": " << test::describe(outcome);
        ++test::tally().hostile_inputs;
    }
}

template <typename C> class HostileText : public test::TempFolder {};
using Widths = ::testing::Types<char, wchar_t>;
TYPED_TEST_SUITE(HostileText, Widths);

// Null pointers, empty texts and the limits of modes and field numbers.
TYPED_TEST(HostileText, NullEmptyAndLimitsGetTheirCodes) {
    using C = TypeParam;
    using A = Arg<C>;
    const auto e = [](HMODULE m) { return test::exports(m).width<C>(); };
    const A none, empty = arg<C>(""), ymdhms = arg<C>("2008:12:05:07:03:04");
    std::vector<Case> cases;
    const auto format_now = [&](const char *name, A t, INT utc, Expected expected) {
        cases.push_back({test::export_name<C>("FormatNow") + name,
                         [=](HMODULE m) { return native(m, [&] { return e(m).format_now(pointer(t), utc); }); },
                         expected});
    };
    format_now("(NULL)", none, 0, null(BW_E_TEMPLATE_NULL));
    format_now("(empty)", empty, INT_MIN, null(BW_E_TEMPLATE_EMPTY));
    format_now("(^YYYY, INT_MIN is UTC)", arg<C>("^YYYY"), INT_MIN, heap_text({}));
    const auto format_ymdhms = [&](const char *name, A y, A t, Expected expected) {
        cases.push_back(
            {test::export_name<C>("FormatYmdHms") + name,
             [=](HMODULE m) { return native(m, [&] { return e(m).format_ymdhms(pointer(y), pointer(t)); }); },
             expected});
    };
    format_ymdhms("(NULL, NULL)", none, none, null(BW_E_TEMPLATE_NULL));
    format_ymdhms("(NULL, ^YYYY)", none, arg<C>("^YYYY"), null(BW_E_YMDHMS_NULL));
    format_ymdhms("(empty, ^YYYY)", empty, arg<C>("^YYYY"), null(BW_E_YMDHMS_EMPTY));
    format_ymdhms("(ymdhms, NULL)", ymdhms, none, null(BW_E_TEMPLATE_NULL));
    format_ymdhms("(ymdhms, empty)", ymdhms, empty, null(BW_E_TEMPLATE_EMPTY));
    // Conversions of the runtime's printing are plain text in a template.
    format_ymdhms("(ymdhms, %s%n)", ymdhms, arg<C>("%s%n%d^YYYY%%^MMMM%"), heap_text(L"%s%n%d2008%%December%", 0));
    const auto extract = [&](const char *name, A y, DWORD field, Expected expected) {
        cases.push_back({test::export_name<C>("ExtractFromYmdHms") + name,
                         [=](HMODULE m) { return native(m, [&] { return e(m).extract(pointer(y), field); }); },
                         expected});
    };
    extract("(NULL)", none, BW_FIELD_YEAR, number(0, BW_E_TEMPLATE_NULL));
    extract("(empty)", empty, BW_FIELD_YEAR, number(0, BW_E_TEMPLATE_EMPTY));
    for (const DWORD field : {0ul, 8ul, 0x7FFFFFFFul, 0x80000000ul, 0xFFFFFFFFul})
        extract("(field at a limit)", ymdhms, field, number(0, 0));
    const auto fixup = [&](const char *name, A p, INT mode, Expected expected) {
        cases.push_back({test::export_name<C>("PathStringFixup") + name,
                         [=](HMODULE m) { return native(m, [&] { return e(m).fixup(pointer(p), mode); }); }, expected});
    };
    fixup("(NULL)", none, 1, shared_empty(BW_E_PATH_NULL));
    fixup("(empty)", empty, 2, shared_empty(BW_E_PATH_EMPTY));
    for (const INT mode : {INT_MIN, -1, 0, 3, INT_MAX})
        fixup("(mode at a limit)", arg<C>("C:\\temp\\"), mode, heap_text(L"C:\\temp\\"));
    const auto qualify = [&](const char *name, A n, A d, Expected expected) {
        cases.push_back({test::export_name<C>("MakeFQFN") + name,
                         [=](HMODULE m) { return native(m, [&] { return e(m).qualify(pointer(n), pointer(d)); }); },
                         expected});
    };
    qualify("(NULL, NULL)", none, none, shared_empty(BW_E_FILE_NAME_NULL));
    qualify("(empty, C:\\)", empty, arg<C>("C:\\"), shared_empty(BW_E_FILE_NAME_EMPTY));
    qualify("(a.txt, NULL)", arg<C>("a.txt"), none, shared_empty(BW_E_DIRECTORY_NULL));
    qualify("(sub\\a.txt, NULL)", arg<C>("sub\\a.txt"), none, heap_text(L"sub\\a.txt"));
    const auto quote = [&](const char *name, A t, INT mode, A q, Expected expected) {
        cases.push_back({test::export_name<C>("QuoteString") + name,
                         [=](HMODULE m) { return native(m, [&] { return e(m).quote(pointer(t), mode, pointer(q)); }); },
                         expected});
    };
    quote("(NULL)", none, 1, none, shared_empty(BW_E_QUOTE_TEXT_NULL));
    quote("(empty)", empty, INT_MAX, none, shared_empty(BW_E_QUOTE_TEXT_EMPTY));
    quote("(a b, 2, NULL)", arg<C>("a b"), 2, none, heap_text(L"\"a b\""));
    for (const INT mode : {INT_MIN, -1, 0, 4, INT_MAX})
        quote("(mode at a limit)", arg<C>("a b"), mode, arg<C>("'"), shared_empty(BW_E_QUOTE_MODE));
    const auto open = [&](const char *name, A n, bool output, Expected expected) {
        cases.push_back({test::export_name<C>(output ? "OpenOutputFileHandle" : "OpenInputFileHandle", "_R8J") + name,
                         [=](HMODULE m) {
                             return native(m, [&] {
                                 return output ? e(m).open_output(pointer(n), INT_MIN) : e(m).open_input(pointer(n));
                             });
                         },
                         expected});
    };
    open("(NULL)", none, false, number(0));
    open("(NULL)", none, true, number(0));
    open("(empty)", empty, false, number(0));
    open("(empty)", empty, true, number(0));
    // Nothing to make hostile, but swept like every export.
    cases.push_back({test::export_name<C>("GetTimeZoneName") + "()",
                     [=](HMODULE m) { return native(m, [&] { return e(m).zone_name(); }); },
                     {Shape::static_text}});
    expect_documented(cases);
}

// A megabyte and more of template, YmdHms text, path, file name, directory,
// text and quote text.
TYPED_TEST(HostileText, MegabyteTextsAreServedOrRefusedWhole) {
    using C = TypeParam;
    using A = Arg<C>;
    const auto e = [](HMODULE m) { return test::exports(m).width<C>(); };
    const std::size_t n = megabyte_and_more;
    const A ymdhms = arg<C>("2008:12:05:07:03:04");
    const A dots = std::basic_string<C>(n, C('.')), spaced = std::basic_string<C>(n, C(' '));
    const A date_template = as<C>("^DD") + *dots + as<C>("^MMMM^YYYY");
    const A quotes = std::basic_string<C>(n, C('\''));
    std::vector<Case> cases{
        {test::export_name<C>("FormatNow") + "(1 MB)",
         [=](HMODULE m) { return native(m, [&] { return e(m).format_now(pointer(date_template), 1); }); },
         {Shape::heap_text, {}, untouched, {}, 0, {}}},
        {test::export_name<C>("FormatYmdHms") + "(1 MB template)",
         [=](HMODULE m) {
             return native(m, [&] { return e(m).format_ymdhms(pointer(ymdhms), pointer(date_template)); });
         },
         heap_text_of_length(2 + n + 8 + 4, 0)},
        {test::export_name<C>("FormatYmdHms") + "(1 MB YmdHms text)",
         [=](HMODULE m) { return native(m, [&] { return e(m).format_ymdhms(pointer(dots), pointer(ymdhms)); }); },
         null(BW_E_YMDHMS_TOO_LONG)},
        {test::export_name<C>("ExtractFromYmdHms") + "(1 MB)",
         [=](HMODULE m) { return native(m, [&] { return e(m).extract(pointer(dots), BW_FIELD_YEAR); }); },
         number(0, BW_E_YMDHMS_TOO_LONG)},
        {test::export_name<C>("PathStringFixup") + "(1 MB)",
         [=](HMODULE m) { return native(m, [&] { return e(m).fixup(pointer(dots), 1); }); },
         heap_text_of_length(n + 1)},
        {test::export_name<C>("MakeFQFN") + "(1 MB, 1 MB)",
         [=](HMODULE m) { return native(m, [&] { return e(m).qualify(pointer(dots), pointer(dots)); }); },
         heap_text_of_length(2 * n + 1)},
        {test::export_name<C>("QuoteString") + "(1 MB of spaces, 1)",
         [=](HMODULE m) { return native(m, [&] { return e(m).quote(pointer(spaced), 1, nullptr); }); },
         heap_text_of_length(n + 2)},
        {test::export_name<C>("QuoteString") + "(x, 2, 1 MB quote text)",
         [=](HMODULE m) { return native(m, [&] { return e(m).quote(as<C>("x").c_str(), 2, pointer(quotes)); }); },
         heap_text(L"'x'")},
        {test::export_name<C>("OpenInputFileHandle", "_R8J") + "(1 MB)",
         [=](HMODULE m) { return native(m, [&] { return e(m).open_input(pointer(dots)); }); }, number(0)},
        {test::export_name<C>("OpenOutputFileHandle", "_R8J") + "(1 MB)",
         [=](HMODULE m) { return native(m, [&] { return e(m).open_output(pointer(dots), 1); }); }, number(0)},
    };
    expect_documented(cases);
}

// Narrow texts are bytes: a double-byte character whose second byte is 0x5C
// counts as a backslash there, and a lead byte can be the quote character.
TEST(HostileNarrowText, NonAsciiAndDoubleByteTextsAreBytes) {
    const auto e = [](HMODULE m) { return test::exports(m).narrow; };
    const auto fixup = [&](std::string path, INT mode, std::string expected) {
        return Case{"PathStringFixupAR8J(" + path + ")",
                    [=](HMODULE m) { return native(m, [&] { return e(m).fixup(path.c_str(), mode); }); },
                    heap_text(as<wchar_t>(expected))};
    };
    const auto quote = [&](std::string text, INT mode, std::string quote_text, std::string expected) {
        return Case{
            "QuoteStringAR8J(" + text + ")",
            [=](HMODULE m) { return native(m, [&] { return e(m).quote(text.c_str(), mode, quote_text.c_str()); }); },
            heap_text(as<wchar_t>(expected))};
    };
    const auto format = [&](std::string date_template, std::string expected) {
        return Case{"FormatYmdHmsAR8J(" + date_template + ")",
                    [=](HMODULE m) {
                        return native(m,
                                      [&] { return e(m).format_ymdhms("2008:12:05:07:03:04", date_template.c_str()); });
                    },
                    heap_text(as<wchar_t>(expected), 0)};
    };
    const auto qualify = [&](std::string name, std::string directory, std::string expected) {
        return Case{"MakeFQFNAR8J(" + name + ")",
                    [=](HMODULE m) { return native(m, [&] { return e(m).qualify(name.c_str(), directory.c_str()); }); },
                    heap_text(as<wchar_t>(expected))};
    };
    expect_documented({
        fixup("C:\\\x95\x5C", 2, "C:\\\x95"),
        fixup("C:\\\x95\x5C", 1, "C:\\\x95\x5C"),
        fixup("C:\\caf\xE9", 1, "C:\\caf\xE9\\"),
        fixup("\xE6\x97\xA5\xE6\x9C\xAC", 1, "\xE6\x97\xA5\xE6\x9C\xAC\\"),
        quote("\x82\xA0 \x82\xA2", 2, "\x81\x75", "\x81\x82\xA0 \x82\xA2\x81"),
        quote("\xE9t\xE9 x", 1, "", "\"\xE9t\xE9 x\""),
        format("\xE9^YYYY\xFF^DD", "\xE9"
                                   "2008\xFF"
                                   "05"),
        qualify("\x95\x5C.txt", "C:\\temp", "\x95\x5C.txt"),
        qualify("caf\xE9.txt", "C:\\d\xE9j\xE0", "C:\\d\xE9j\xE0\\caf\xE9.txt"),
        {"ExtractFromYmdHmsAR8J(non-ASCII digits)",
         [=](HMODULE m) { return native(m, [&] { return e(m).extract("\xB2\xB3\xB9\xB9:12:05:07:03:04", 1); }); },
         number(0, 0)},
    });
}

// Wide texts are UTF-16 units, kept whole: letters beyond Latin, pairs of
// surrogates and a lone one.
TEST(HostileWideText, NonLatinAndSurrogateTextsStayWhole) {
    const auto e = [](HMODULE m) { return test::exports(m).wide; };
    const std::wstring kanji = L"\u8868\u65e5\u672c", emoji = L"\U0001F600", lone = L"\xD800";
    const auto fixup = [&](std::wstring path, INT mode, std::wstring expected) {
        return Case{"PathStringFixupWR8J",
                    [=](HMODULE m) { return native(m, [&] { return e(m).fixup(path.c_str(), mode); }); },
                    heap_text(expected)};
    };
    const auto quote = [&](std::wstring text, INT mode, std::wstring quote_text, std::wstring expected) {
        return Case{
            "QuoteStringWR8J",
            [=](HMODULE m) { return native(m, [&] { return e(m).quote(text.c_str(), mode, quote_text.c_str()); }); },
            heap_text(expected)};
    };
    expect_documented({
        fixup(L"C:\\" + kanji, 1, L"C:\\" + kanji + L"\\"),
        fixup(L"C:\\" + emoji + L"\\", 2, L"C:\\" + emoji),
        fixup(lone, 1, lone + L"\\"),
        quote(kanji + L" " + emoji, 1, L"\u00ab\u00bb", L"\u00ab" + kanji + L" " + emoji + L"\u00ab"),
        quote(emoji, 2, emoji, emoji),
        quote(lone + L"x", 2, L"", L"\"" + lone + L"x\""),
        {"MakeFQFNWR8J",
         [=](HMODULE m) {
             return native(m, [&] { return e(m).qualify((emoji + L".txt").c_str(), (L"C:\\" + kanji).c_str()); });
         },
         heap_text(L"C:\\" + kanji + L"\\" + emoji + L".txt")},
        {"FormatYmdHmsWR8J",
         [=](HMODULE m) {
             return native(m, [&] {
                 return e(m).format_ymdhms(L"2008:12:05:07:03:04", (kanji + L"^YYYY" + emoji + L"^DD" + lone).c_str());
             });
         },
         heap_text(kanji + L"2008" + emoji + L"05" + lone, 0)},
        {"ExtractFromYmdHmsWR8J(Arabic-Indic digits)",
         [=](HMODULE m) {
             return native(m, [&] { return e(m).extract(L"\u0662\u0660\u0660\u0668:12:05:07:03:04", 1); });
         },
         number(0, 0)},
    });
}

// The exports that take integers alone, at the limits of 32 bits, and those
// that take no text.
TEST(HostileIntegers, ClockFieldsAndGroupedNumbersAtTheLimits) {
    const auto e = [](HMODULE m) { return test::exports(m); };
    std::vector<Case> cases;
    for (const INT utc : {INT_MIN, -1, INT_MAX})
        for (const DWORD field : {0ul, 8ul, 0x80000000ul, 0xFFFFFFFFul})
            cases.push_back({"ExtractrFromSystemDateR8J(field at a limit)",
                             [=](HMODULE m) { return native(m, [&] { return e(m).extract_system(utc, field); }); },
                             number(0, untouched)});
    const struct {
        INT value;
        const wchar_t *text;
    } numbers[] = {{INT_MIN, L"-2,147,483,648"}, {INT_MAX, L"2,147,483,647"}, {-1, L"-1"}};
    for (const auto &n : numbers) {
        cases.push_back({"FormatLongIntR8J(" + std::to_string(n.value) + ")",
                         [=](HMODULE m) { return native(m, [&] { return e(m).narrow.format_long_int(n.value); }); },
                         heap_text(n.text)});
        cases.push_back({"FormatLongIntWR8J(" + std::to_string(n.value) + ")",
                         [=](HMODULE m) { return native(m, [&] { return e(m).wide.format_long_int(n.value); }); },
                         heap_text(n.text)});
    }
    // The release call given what the DLL keeps instead of a heap block, and
    // the version call, which takes nothing.
    const struct {
        const char *what;
        void *(*text)(const test::Exports &);
    } kept[] = {
        {"NULL", [](const test::Exports &) -> void * { return nullptr; }},
        {"narrow shared empty text", [](const test::Exports &x) -> void * { return x.narrow.fixup(nullptr, 0); }},
        {"wide shared empty text", [](const test::Exports &x) -> void * { return x.wide.fixup(nullptr, 0); }},
        {"narrow static buffer", [](const test::Exports &x) -> void * { return x.narrow.zone_name(); }},
        {"wide static buffer", [](const test::Exports &x) -> void * { return x.wide.zone_name(); }},
    };
    for (const auto &k : kept)
        cases.push_back({std::string("ReleaseTextR8J(") + k.what + ")",
                         [=](HMODULE m) {
                             void *text = k.text(e(m));
                             return native(m, [&] { return e(m).release(text); });
                         },
                         number(0, untouched)});
    cases.push_back({"GetVersionNumberR8J()", [=](HMODULE m) { return native(m, [&] { return e(m).version(); }); },
                     number(BRINDLEWICK_VERSION_NUMBER, untouched)});
    expect_documented(cases);
}

class HostileFiles : public test::TempFolder {};

// The log writers and close with handles that are 0, closed, never opened or
// INVALID_HANDLE_VALUE, null and megabyte messages, and flags at the limits;
// the wide writer with each message widened.
TEST_F(HostileFiles, LogWriterAndCloseAnswerEveryHandle) {
    const auto e = [](HMODULE m) { return test::exports(m); };
    const std::string log_path = path("hostile.log");
    HANDLE log = CreateFileA(log_path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ, nullptr, OPEN_ALWAYS, 0, nullptr);
    ASSERT_NE(log, INVALID_HANDLE_VALUE);
    const auto closed = [&] {
        HANDLE file = CreateFileA(log_path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                  OPEN_EXISTING, 0, nullptr);
        CloseHandle(file);
        return file;
    };
    const HANDLE never_opened = reinterpret_cast<HANDLE>(0x12345678);
    const std::string line(megabyte_and_more, 'x'), feeds(megabyte_and_more, '\n');
    std::string lines;
    while (lines.size() < megabyte_and_more)
        lines += "ab\n\r\n\ncd\r";
    struct Write {
        std::string name;
        Arg<char> message;
        std::function<HANDLE()> handle;
        INT utc;
        Expected expected;
    };
    const auto write_case = [&]<typename C>(const Write &w, Arg<C> message) {
        return Case{std::string("LogMsgAlt") + (sizeof(C) == 1 ? "A" : "W") + "R8J(" + w.name + ")",
                    [=, handle = w.handle, utc = w.utc](HMODULE m) {
                        const HANDLE file = handle();
                        return native(m, [&] { return e(m).template width<C>().log(pointer(message), file, utc); });
                    },
                    w.expected};
    };
    const auto write = [&](std::string name, const char *message, std::function<HANDLE()> handle, INT utc,
                           Expected expected) {
        return Write{std::move(name), message ? Arg<char>(message) : Arg<char>(), std::move(handle), utc, expected};
    };
    const auto to = [](HANDLE file) { return [file] { return file; }; };
    const auto close = [&](std::string name, std::function<HANDLE()> handle, Expected expected) {
        return Case{"CloseFileHandle_R8J(" + name + ")",
                    [=](HMODULE m) {
                        const HANDLE file = handle();
                        return native(m, [&] { return e(m).close(file); });
                    },
                    expected};
    };
    const int64_t closes_invalid = CloseHandle(INVALID_HANDLE_VALUE) ? 1 : 0;
    const Write writes[] = {
        write("NULL, log", nullptr, to(log), 0, number(BW_LOG_NO_MESSAGE)),
        write("NULL, 0", nullptr, to(nullptr), 0, number(BW_LOG_NO_MESSAGE)),
        write("empty, log", "", to(log), 1, number(BW_LOG_NO_MESSAGE)),
        write("x, 0", "x", to(nullptr), 0, number(BW_LOG_NO_HANDLE)),
        write("x, INVALID_HANDLE_VALUE", "x", to(INVALID_HANDLE_VALUE), 0, number(ERROR_INVALID_HANDLE)),
        write("x, closed", "x", closed, 0, number(ERROR_INVALID_HANDLE)),
        write("x, never opened", "x", to(never_opened), 0, number(ERROR_INVALID_HANDLE)),
        write("x, log, INT_MIN", "x", to(log), INT_MIN, number(0)),
        write("1 MB line", line.c_str(), to(log), INT_MAX, number(0)),
        write("1 MB of line feeds", feeds.c_str(), to(log), 0, number(0)),
        write("1 MB of short lines", lines.c_str(), to(log), 1, number(0)),
        write("double-byte", "\x82\xA0\n\x95\x5C\r\n\xE9", to(log), 0, number(0)),
        write("conversions", "%s%n%d%%", to(log), 0, number(0)),
    };
    std::vector<Case> cases;
    for (const Write &w : writes) {
        cases.push_back(write_case(w, w.message));
        cases.push_back(write_case(w, w.message ? Arg<wchar_t>(as<wchar_t>(*w.message)) : Arg<wchar_t>()));
    }
    cases.insert(cases.end(), {
                                  close("0", to(nullptr), number(0)),
                                  close("closed", closed, number(0, ERROR_INVALID_HANDLE)),
                                  close("never opened", to(never_opened), number(0, ERROR_INVALID_HANDLE)),
                                  close("INVALID_HANDLE_VALUE", to(INVALID_HANDLE_VALUE), number(closes_invalid)),
                              });
    expect_documented(cases);
    CloseHandle(log);
    // Each writing case ran twice; every entry reached the file whole.
    const std::string written = read("hostile.log");
    EXPECT_EQ(std::count(written.begin(), written.end(), 'x') % 2, 0);
    const std::string separator = test::line_separator(false);
    EXPECT_NE(written.find(" %s%n%d%%\r\n"), std::string::npos);
    EXPECT_NE(written.find("\x82\xA0" + separator + "\x95\x5C\r" + separator + "\xE9\r\n"), std::string::npos);
    EXPECT_NE(written.find("\xC2\x82\xC2\xA0" + separator + "\xC2\x95\x5C\r" + separator + "\xC3\xA9\r\n"),
              std::string::npos);
}

#ifndef _WIN64
// The entry points at the limits of 32 bits, with null buffers, records
// and callbacks.
TEST(HostileExtender, EntryPointsAtTheLimits) {
    const auto query = [&](std::string name, int32_t type, bool buffer, int32_t count, Expected expected) {
        return Case{"WILExtenderQuery(" + name + ")",
                    [=](HMODULE m) {
                        int32_t values[4] = {1, 2, 4, 0};
                        const Outcome outcome =
                            native(m, [&] { return test::extender_query(m)(type, buffer ? values : nullptr, count); });
                        EXPECT_EQ(values[0], 1) << "nothing written";
                        return outcome;
                    },
                    expected};
    };
    const auto extender = [&](std::string name, int32_t id, bool info, int32_t count, Expected expected) {
        return Case{"WILExtender2(" + name + ")",
                    [=](HMODULE m) {
                        WilFunctionInfo record{};
                        return native(m, [&] {
                            return test::extender2(m)(nullptr, 0, 0, id, nullptr, 0, 0, info ? &record : nullptr, count,
                                                      nullptr);
                        });
                    },
                    expected};
    };
    expect_documented({
        query("1, NULL", 1, false, 100, number(WIL_EXTENDER_VERSION)),
        query("1, INT_MIN", 1, true, INT_MIN, number(WIL_EXTENDER_VERSION)),
        query("0x10001, 0", 0x10001, true, 0, number(WIL_EXTENDER_VERSION)),
        query("2, NULL", 2, false, 3, number(-1)),
        query("2, INT_MIN", 2, true, INT_MIN, number(-1)),
        query("0x7FFF0002", 0x7FFF0002, true, 3, number(4)),
        query("INT_MIN", INT_MIN, true, 3, number(0)),
        extender("-2, NULL record", -2, false, 0, number(1)),
        extender("-2, INT_MIN", -2, true, INT_MIN, number(0)),
        extender("-2, INT_MAX", -2, true, INT_MAX, number(0)),
        extender("0x7FFFFFFF is -1", 0x7FFFFFFF, false, 0, number(16)),
        extender("0x8000FFFD is -3", static_cast<int32_t>(0x8000FFFD), false, 0, number(1)),
        extender("0, no callback", 0, false, 0, number(0)),
        extender("27, no callback, no records", 27, false, 2, number(0)),
        extender("INT_MIN is 0, no callback", INT_MIN, false, 0, number(0)),
    });
}

// Script calls with null texts, too few records, a megabyte of text, and
// integers at the limits.
class HostileScript : public test::TempFolder {};

TEST_F(HostileScript, EveryFunctionAnswersWithItsDelivery) {
    using test::integer;
    using test::text;
    const test::DismissMessageBoxes dismiss;
    HANDLE log =
        CreateFileA(path("script.log").c_str(), FILE_APPEND_DATA, FILE_SHARE_READ, nullptr, OPEN_ALWAYS, 0, nullptr);
    ASSERT_NE(log, INVALID_HANDLE_VALUE);
    const WilValue handle = integer(static_cast<int32_t>(reinterpret_cast<intptr_t>(log)));
    const std::string big(megabyte_and_more, '.'), spaced(megabyte_and_more, ' ');
    const std::string big_template = "^DD" + big + "^MMMM";
    const char *ymdhms = "2008:12:05:07:03:04";
    struct ScriptCase {
        int32_t id;
        std::vector<WilValue> args;
        std::optional<int32_t> count;
        Expected expected;
    };
    const std::vector<ScriptCase> cases{
        // Null texts.
        {21, {text(nullptr), integer(INT_MIN)}, {}, delivered_shared_empty()},
        {22,
         {text(nullptr), text(nullptr)},
         {},
         delivered_error(-1, "001:Date format string is NULL.", BW_E_TEMPLATE_NULL)},
        {22, {text(nullptr), text("^YYYY")}, {}, delivered_error(-1, "003:YmdHms string is NULL.", BW_E_YMDHMS_NULL)},
        {22,
         {text(ymdhms), text(nullptr)},
         {},
         delivered_error(-1, "001:Date format string is NULL.", BW_E_TEMPLATE_NULL)},
        {23, {text(nullptr), handle}, {}, log_result(BW_LOG_NO_MESSAGE)},
        {25, {text(nullptr), integer(1)}, {}, number(0, recorded_before)},
        {27, {text(nullptr), integer(1)}, {}, delivered_error(-1, "", BW_E_PATH_NULL)},
        {28, {text(nullptr), text(nullptr)}, {}, delivered_error(-1, "", BW_E_FILE_NAME_NULL)},
        {28, {text("a.txt"), text(nullptr)}, {}, delivered_error(-1, "", BW_E_DIRECTORY_NULL)},
        {30, {text(nullptr), integer(1)}, {}, delivered_shared_empty()},
        {30, {text("x"), integer(2), text(nullptr)}, {}, delivered(L"\"x\"", recorded_before)},
        {31, {text(nullptr), text(nullptr), integer(MB_OK)}, {}, number(IDOK, recorded_before)},
        // Too few records: the missing ones read as NULL and 0.
        {21, {}, {}, delivered_shared_empty()},
        {22, {text(ymdhms)}, {}, delivered_error(-1, "001:Date format string is NULL.", BW_E_TEMPLATE_NULL)},
        {23, {}, {}, log_result(BW_LOG_NO_MESSAGE)},
        {23, {text("x")}, {}, log_result(BW_LOG_NO_HANDLE)},
        {24, {}, {}, delivered(L"0", recorded_before)},
        {25, {text(ymdhms)}, {}, number(0, recorded_before)},
        {26, {}, {}, number(0, recorded_before)},
        {27, {}, {}, delivered_error(-1, "", BW_E_PATH_NULL)},
        {27, {text("C:\\temp")}, {}, delivered(L"C:\\temp", 0)},
        {28, {text("a.txt")}, {}, delivered_error(-1, "", BW_E_DIRECTORY_NULL)},
        {30, {text("a b")}, {}, delivered_shared_empty()},
        {31, {}, {}, number(IDOK, recorded_before)},
        {27, {text("C:\\temp"), integer(1)}, -1, delivered_error(-1, "", BW_E_PATH_NULL)},
        {30, {text("a b"), integer(2)}, INT_MIN, delivered_shared_empty()},
        {30, {}, 3, delivered_shared_empty()},
        {22, {}, 2, delivered_error(-1, "001:Date format string is NULL.", BW_E_TEMPLATE_NULL)},
        // A megabyte and more.
        {22, {text(ymdhms), text(big_template.c_str())}, {}, delivered_of_length(2 + big.size() + 8, recorded_before)},
        {22,
         {text(big.c_str()), text("^D")},
         {},
         delivered_error(-1, "005:YmdHms string is too long - > 19 characters.", BW_E_YMDHMS_TOO_LONG)},
        {23, {text(big.c_str()), handle, integer(1)}, {}, log_result(BW_LOG_OK)},
        {27, {text(big.c_str()), integer(1)}, {}, delivered_of_length(big.size() + 1, 0)},
        {28, {text(big.c_str()), text(big.c_str())}, {}, delivered_of_length(2 * big.size() + 1, 0)},
        {30,
         {text(spaced.c_str()), integer(1), text(big.c_str())},
         {},
         delivered_of_length(big.size() + 2, recorded_before)},
        // Integers at the limits.
        {23, {text("x"), handle, integer(INT_MIN)}, {}, log_result(BW_LOG_OK)},
        {23, {text("x"), integer(-1)}, {}, log_result(ERROR_INVALID_HANDLE)},
        {24, {integer(INT_MIN)}, {}, delivered(L"-2,147,483,648", recorded_before)},
        {24, {integer(INT_MAX)}, {}, delivered(L"2,147,483,647", recorded_before)},
        {25, {text(ymdhms), integer(INT_MIN)}, {}, number(0, recorded_before)},
        {25, {text(ymdhms), integer(-1)}, {}, number(0, recorded_before)},
        {26, {integer(INT_MIN), integer(INT_MAX)}, {}, number(0, recorded_before)},
        {27, {text("C:\\temp"), integer(INT_MIN)}, {}, delivered(L"C:\\temp", 0)},
        {30, {text("x"), integer(INT_MAX)}, {}, delivered_shared_empty()},
        {32767, {}, {}, delivered_error(-1, "", recorded_before)},
        {-32768, {}, {}, delivered_error(-1, "", recorded_before)},
        // Non-ASCII and double-byte bytes.
        {27, {text("C:\\\x95\x5C"), integer(2)}, {}, delivered(as<wchar_t>("C:\\\x95"), 0)},
        {30, {text("\x82\xA0 x"), integer(1)}, {}, delivered(as<wchar_t>("\"\x82\xA0 x\""), recorded_before)},
        {22,
         {text(ymdhms), text("\xE9^YYYY")},
         {},
         delivered(as<wchar_t>("\xE9"
                               "2008"),
                   recorded_before)},
    };
    std::vector<Case> runs;
    for (const ScriptCase &c : cases)
        runs.push_back(
            {"script function " + std::to_string(c.id) + " with " + std::to_string(c.args.size()) + " records",
             [=](HMODULE m) { return script(m, c.id, c.args, c.count); }, c.expected});
    expect_documented(runs);
    CloseHandle(log);
}
#endif

} // namespace
