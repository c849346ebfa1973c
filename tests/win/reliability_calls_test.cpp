// Every export and every script function, called so that it succeeds: with
// each of its heap requests failing in turn in the test build, and with the
// busy blocks of the process heap counted around it in the shipped build.
#include "reliability.hpp"
#include "temp_folder.hpp"

namespace {

using test::as;
using test::Expected;
using test::native;
using test::Outcome;
using test::Shape;
using test::untouched;

constexpr DWORD name_block_missing = BW_E_YMDHMS_NULL;

// A call that succeeds, and what a failed heap request may make of it.
struct Call {
    std::string name;
    test::Run run;
    Expected success;
    std::vector<Expected> on_heap_failure;
};

Expected heap_text(std::optional<std::wstring> text = {}, std::optional<DWORD> error = untouched) {
    return {Shape::heap_text, {}, error, std::move(text)};
}
Expected shared_empty(std::optional<DWORD> error) { return {Shape::shared_empty, {}, error, L""}; }
Expected number(std::optional<int64_t> value, std::optional<DWORD> error = {}) {
    return {Shape::integer, value, error};
}
#ifndef _WIN64
using test::recorded_before;
using test::script;

// Script deliveries: the error is the recorded last error.
Expected delivered(std::optional<std::wstring> text, DWORD recorded) {
    return {Shape::delivered_text, {}, recorded, std::move(text)};
}
Expected delivered_error(int32_t status, const char *message, std::optional<DWORD> recorded) {
    return {Shape::delivered_text, {}, recorded, as<wchar_t>(message), status};
}
Expected delivered_shared_empty(DWORD recorded) { return {Shape::shared_empty, {}, recorded, L""}; }
#endif

// The date services fail with the shared empty text: BW_E_YMDHMS_NULL when the
// names cannot have their block, else leaving the last error as it was.
std::vector<Expected> date_failures(DWORD before) { return {shared_empty(name_block_missing), shared_empty(before)}; }

class EveryCall : public test::TempFolder {
protected:
    void SetUp() override {
        TempFolder::SetUp();
        write("in.txt", "input");
        log_file =
            CreateFileA(path("calls.log").c_str(), FILE_APPEND_DATA, FILE_SHARE_READ, nullptr, OPEN_ALWAYS, 0, nullptr);
        ASSERT_NE(log_file, INVALID_HANDLE_VALUE);
    }
    void TearDown() override {
        CloseHandle(log_file);
        TempFolder::TearDown();
    }

    template <typename C> void add_width_calls(std::vector<Call> &calls) const;
    void add_plain_calls(std::vector<Call> &calls) const;
    // The extender's entry points and script functions: the 32-bit DLL's.
    void add_script_calls(std::vector<Call> &calls) const;
    std::vector<Call> calls() const {
        std::vector<Call> all;
        add_width_calls<char>(all);
        add_width_calls<wchar_t>(all);
        add_plain_calls(all);
#ifndef _WIN64
        add_script_calls(all);
#endif
        return all;
    }

    HANDLE log_file = nullptr;
    // Messages whose entries are built on the heap, each one byte past a
    // multiple of 16 long: a block one byte short would have no padding to
    // hide a write past its end.
    const std::string local_lines = std::string(4995, 'x') + "\ncd"; // 5041 bytes with the local stamp
    const std::string utc_line = std::string(4999, 'x');             // 5025 with the UTC stamp
    const std::string utc_lines = std::string(4987, 'x') + "\ncd";   // 5041 with the UTC stamp
};

template <typename C> void EveryCall::add_width_calls(std::vector<Call> &calls) const {
    using Text = std::basic_string<C>;
    const std::string width = sizeof(C) == 1 ? "A" : "W";
    const Text ymdhms = as<C>("2008:12:05:07:03:04");
    const Text input = as<C>(path("in.txt")), output = as<C>(path("out" + width + ".log"));

    // Templates for the one walk and, where a name completes a token, for
    // the passes.
    for (const char *t : {"^YYYY-^MM-^DD ^WWWW ^MMMM", "^^MMMM ^WW ^hh ^D"}) {
        const Text date_template = as<C>(t);
        calls.push_back({test::export_name<C>("FormatNow") + "(" + t + ", 1)",
                         [=](HMODULE m) {
                             return native(
                                 m, [&] { return test::exports(m).width<C>().format_now(date_template.c_str(), 1); });
                         },
                         heap_text(), date_failures(untouched)});
        calls.push_back({test::export_name<C>("FormatYmdHms") + "(" + t + ")",
                         [=](HMODULE m) {
                             return native(m, [&] {
                                 return test::exports(m).width<C>().format_ymdhms(ymdhms.c_str(),
                                                                                  date_template.c_str());
                             });
                         },
                         heap_text({}, 0), date_failures(0)});
    }
    calls.push_back({test::export_name<C>("ExtractFromYmdHms"),
                     [=](HMODULE m) {
                         return native(
                             m, [&] { return test::exports(m).width<C>().extract(ymdhms.c_str(), BW_FIELD_WEEKDAY); });
                     },
                     number(5, 0),
                     {}});
    calls.push_back({test::export_name<C>("GetTimeZoneName"),
                     [=](HMODULE m) { return native(m, [&] { return test::exports(m).width<C>().zone_name(); }); },
                     {Shape::static_text},
                     {}});

    struct Fixup {
        const char *path;
        int mode;
    };
    for (const Fixup f : {Fixup{"C:\\temp", 1}, Fixup{"C:\\temp\\", 2}, Fixup{"C:\\temp", 0}}) {
        const Text p = as<C>(f.path);
        calls.push_back(
            {test::export_name<C>("PathStringFixup") + "(" + f.path + ", " + std::to_string(f.mode) + ")",
             [=](HMODULE m) { return native(m, [&] { return test::exports(m).width<C>().fixup(p.c_str(), f.mode); }); },
             heap_text(),
             {shared_empty(BW_E_NO_MEMORY)}});
    }
    struct Qualify {
        const char *name;
        const char *directory;
    };
    for (const Qualify q : {Qualify{"a.txt", "C:\\temp"}, Qualify{"a.txt", ""}, Qualify{"sub\\a.txt", "C:\\temp"}}) {
        const Text name = as<C>(q.name), directory = as<C>(q.directory);
        calls.push_back(
            {test::export_name<C>("MakeFQFN") + "(" + q.name + ", " + q.directory + ")",
             [=](HMODULE m) {
                 return native(m, [&] { return test::exports(m).width<C>().qualify(name.c_str(), directory.c_str()); });
             },
             heap_text(),
             {shared_empty(BW_E_NO_MEMORY)}});
    }
    struct Quote {
        const char *text;
        int mode;
        const char *quote;
    };
    for (const Quote q : {Quote{"a b", 1, nullptr}, Quote{"x", 2, "'"}, Quote{"x", 3, nullptr}}) {
        const Text text = as<C>(q.text), quote = as<C>(q.quote ? q.quote : "");
        const bool given = q.quote != nullptr;
        calls.push_back({test::export_name<C>("QuoteString") + "(" + q.text + ", " + std::to_string(q.mode) + ")",
                         [=](HMODULE m) {
                             return native(m, [&] {
                                 return test::exports(m).width<C>().quote(text.c_str(), q.mode,
                                                                          given ? quote.c_str() : nullptr);
                             });
                         },
                         heap_text(),
                         {shared_empty(BW_E_NO_MEMORY)}});
    }
    calls.push_back(
        {test::export_name<C>("OpenInputFileHandle", "_R8J"),
         [=](HMODULE m) { return native(m, [&] { return test::exports(m).width<C>().open_input(input.c_str()); }); },
         number(1),
         {}});
    // A new file each time, so that the platform's last error is the same.
    calls.push_back({test::export_name<C>("OpenOutputFileHandle", "_R8J"),
                     [=](HMODULE m) {
                         const Outcome outcome =
                             native(m, [&] { return test::exports(m).width<C>().open_output(output.c_str(), 1); });
                         EXPECT_TRUE(DeleteFileW(std::wstring(output.begin(), output.end()).c_str()));
                         return outcome;
                     },
                     number(1, 0),
                     {}});
    // An existing file keeps CreateFile's ERROR_ALREADY_EXISTS after success.
    calls.push_back({test::export_name<C>("OpenOutputFileHandle", "_R8J") + " (existing)",
                     [=](HMODULE m) {
                         return native(m, [&] { return test::exports(m).width<C>().open_output(input.c_str(), 1); });
                     },
                     number(1, ERROR_ALREADY_EXISTS),
                     {}});
    const std::string plain = sizeof(C) == 1 ? "" : "W";
    calls.push_back(
        {"FormatLongInt" + plain + "R8J",
         [](HMODULE m) { return native(m, [&] { return test::exports(m).width<C>().format_long_int(-1234567); }); },
         heap_text(L"-1,234,567"),
         {shared_empty({})}});
    // Entries past the stack's 4 KiB take one block, and a wide message
    // past a third of it one more for its UTF-8 form: a failure of either is
    // the only one a log call has.
    const std::vector<Expected> log_failures{number(ERROR_NOT_ENOUGH_MEMORY, ERROR_NOT_ENOUGH_MEMORY)};
    for (const std::string *message : {&local_lines, &utc_line}) {
        const INT utc = message == &utc_line;
        const Text text = as<C>(*message);
        const HANDLE log = log_file;
        calls.push_back({"LogMsgAlt" + width + "R8J(" + std::to_string(message->size()) + " characters, " +
                             std::to_string(utc) + ")",
                         [=](HMODULE m) {
                             return native(m, [&] { return test::exports(m).width<C>().log(text.c_str(), log, utc); });
                         },
                         number(0), log_failures});
    }
}

void EveryCall::add_plain_calls(std::vector<Call> &calls) const {
    const std::string input = path("in.txt");
    calls.push_back(
        {"ExtractrFromSystemDateR8J",
         [](HMODULE m) { return native(m, [&] { return test::exports(m).extract_system(1, BW_FIELD_YEAR); }); },
         number({}, untouched),
         {}});
    calls.push_back({"CloseFileHandle_R8J",
                     [=](HMODULE m) {
                         HANDLE file = CreateFileA(input.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                                   0, nullptr);
                         return native(m, [&] { return test::exports(m).close(file); });
                     },
                     number(1),
                     {}});
    calls.push_back({"ReleaseTextR8J",
                     [](HMODULE m) {
                         void *block = HeapAlloc(GetProcessHeap(), 0, 16);
                         return native(m, [&] { return test::exports(m).release(block); });
                     },
                     number(1, untouched),
                     {}});
    calls.push_back({"GetVersionNumberR8J",
                     [](HMODULE m) { return native(m, [&] { return test::exports(m).version(); }); },
                     number(BRINDLEWICK_VERSION_NUMBER, untouched),
                     {}});
}

#ifndef _WIN64
void EveryCall::add_script_calls(std::vector<Call> &calls) const {
    calls.push_back({"WILExtenderQuery(1)",
                     [](HMODULE m) {
                         char description[64] = "x";
                         return native(m, [&] { return test::extender_query(m)(1, description, sizeof description); });
                     },
                     number(WIL_EXTENDER_VERSION),
                     {}});
    calls.push_back({"WILExtenderQuery(2)",
                     [](HMODULE m) {
                         int32_t interfaces[] = {1, 4};
                         return native(m, [&] { return test::extender_query(m)(2, interfaces, 2); });
                     },
                     number(4),
                     {}});
    for (const int32_t id : {-1, -2, -3}) {
        calls.push_back({"WILExtender2(" + std::to_string(id) + ")",
                         [=](HMODULE m) {
                             WilFunctionInfo info{};
                             return native(m, [&] {
                                 return test::extender2(m)(nullptr, 0, 0, id, nullptr, 0, 0, &info, 0, nullptr);
                             });
                         },
                         number(id == -1 ? 16 : 1),
                         {}});
    }
    using test::integer;
    using test::text;
    const auto handle = test::integer(static_cast<int32_t>(reinterpret_cast<intptr_t>(log_file)));
    struct ScriptCase {
        int32_t id;
        std::vector<WilValue> args;
        Expected success;
        std::vector<Expected> on_heap_failure;
    };
    const std::vector<Expected> text_failures{delivered_error(-1, "", BW_E_NO_MEMORY)};
    const ScriptCase cases[] = {
        {0, {}, number(recorded_before, recorded_before), {}},
        {1, {}, delivered(L"", recorded_before), {}},
        {2, {}, number(WIL_EXTENDER_VERSION, recorded_before), {}},
        {3, {}, number(WIL_EXTENDER_VERSION, recorded_before), {}},
        {21,
         {text("^YYYY ^MMMM"), integer(1)},
         delivered({}, recorded_before),
         {delivered_shared_empty(recorded_before)}},
        {21, {text("^WWWW")}, delivered({}, recorded_before), {delivered_shared_empty(recorded_before)}},
        {22,
         {text("2008:12:05:07:03:04"), text("^^MMMM ^WW ^hh ^D")},
         delivered(L"5ecember Fri 07 5", recorded_before),
         {delivered_error(-1, "003:YmdHms string is NULL.", name_block_missing),
          delivered_error(-3, "009:Undefined internal error", 0)}},
        {23,
         {text(utc_lines.c_str()), handle, integer(1)},
         number(0, 0),
         {number(ERROR_NOT_ENOUGH_MEMORY, ERROR_NOT_ENOUGH_MEMORY)}},
        {24,
         {integer(-1234567)},
         delivered(L"-1,234,567", recorded_before),
         {delivered_error(-3, "009:Undefined internal error", {})}},
        {25, {text("2008:12:05:07:03:04"), integer(BW_FIELD_WEEKDAY)}, number(5, recorded_before), {}},
        {26, {integer(1), integer(BW_FIELD_YEAR)}, number({}, recorded_before), {}},
        {27, {text("C:\\temp"), integer(1)}, delivered(L"C:\\temp\\", 0), text_failures},
        {28, {text("a.txt"), text("C:\\temp")}, delivered(L"C:\\temp\\a.txt", 0), text_failures},
        {28, {text("a.txt"), text("")}, delivered({}, 0), text_failures},
        {29, {}, delivered({}, 0), {}},
        {30,
         {text("a b"), integer(1)},
         delivered(L"\"a b\"", recorded_before),
         {delivered_shared_empty(recorded_before)}},
        {30,
         {text("x"), integer(2), text("'")},
         delivered(L"'x'", recorded_before),
         {delivered_shared_empty(recorded_before)}},
        {31, {text("caption"), text("text"), integer(MB_OK)}, number(IDOK, recorded_before), {}},
    };
    for (const ScriptCase &c : cases) {
        const std::vector<WilValue> args = c.args;
        calls.push_back(
            {"script function " + std::to_string(c.id) + " with " + std::to_string(args.size()) + " arguments",
             [=, id = c.id](HMODULE m) { return script(m, id, args); }, c.success, c.on_heap_failure});
    }
}

#endif

// A new export fails here until the table calls it, whichever suites run.
TEST_F(EveryCall, TableCallsEveryExport) {
    std::set<std::string> called;
    for (const Call &call : calls())
        called.insert(call.name.substr(0, call.name.find_first_of("( ")));
    for (const std::string &name : test::export_names(test::dll()))
        EXPECT_TRUE(called.contains(name)) << "no call of " << name;
}

TEST_F(EveryCall, FailsAsDocumentedAtEveryHeapRequestAndKeepsNoBlock) {
    const test::DismissMessageBoxes dismiss;
    for (const Call &call : calls())
        test::sweep_heap_faults(call.name, call.run, call.on_heap_failure);
}

TEST_F(EveryCall, SucceedsAndKeepsNoBlockOnceTheResultIsReleased) {
    const test::DismissMessageBoxes dismiss;
    for (const Call &call : calls()) {
        const Outcome outcome = test::leak_checked(call.name, call.run);
        EXPECT_TRUE(test::matches(outcome, call.success)) << call.name << ": " << test::describe(outcome);
    }
}

} // namespace
