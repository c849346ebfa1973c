#include "reliability.hpp"

#include <cstdio>
#include <map>
#include <set>
#include <sstream>

namespace test {

std::string describe(const Outcome &o) {
    static const char *const shapes[] = {"heap text", "shared empty text", "static text", "delivered text", "null",
                                         "integer"};
    std::ostringstream out;
    out << shapes[static_cast<int>(o.shape)] << ", integer " << o.integer << ", error 0x" << std::hex << o.error
        << std::dec << ", status " << o.status << ", " << o.text.size() << " characters";
    if (o.text.size() <= 80) {
        out << " \"";
        for (wchar_t c : o.text)
            out << (c >= 0x20 && c < 0x7F ? static_cast<char>(c) : '?');
        out << '"';
    }
    return out.str();
}

bool matches(const Outcome &o, const Expected &e) {
    return o.shape == e.shape && o.status == e.status && (!e.integer || o.integer == *e.integer) &&
           (!e.error || o.error == *e.error) && (!e.text || o.text == *e.text) &&
           (!e.length || o.text.size() == *e.length);
}

#ifndef _WIN64
namespace {

struct Recording {
    HMODULE module;
    int deliveries = 0;
    Outcome outcome;
};

constexpr int32_t callback_answer = 7;

int32_t WINAPI record(int32_t status, intptr_t host_a, intptr_t, WilValue *result) {
    auto *recording = reinterpret_cast<Recording *>(host_a);
    ++recording->deliveries;
    Outcome &o = recording->outcome;
    o.status = status;
    if (result->type == WIL_TYPE_INTEGER) {
        o.shape = Shape::integer;
        o.integer = result->integer;
    } else {
        o.shape = !result->text                                           ? Shape::null
                  : result->text == shared_empty<char>(recording->module) ? Shape::shared_empty
                                                                          : Shape::delivered_text;
        o.text = result->text ? as<wchar_t>(result->text) : std::wstring();
    }
    return callback_answer;
}

int32_t dispatch(HMODULE module, Recording &recording, int32_t id, void *args, int32_t count) {
    WilValue result{};
    return extender2(module)(nullptr, 0, reinterpret_cast<intptr_t>(&recording), id, record, 0, 0, args, count,
                             &result);
}

} // namespace

Outcome script(HMODULE module, int32_t id, std::vector<WilValue> args, std::optional<int32_t> count) {
    Recording unknown{module, 0, {}};
    dispatch(module, unknown, 4, nullptr, 0);
    Recording call{module, 0, {}};
    const int32_t answer = dispatch(module, call, id, args.empty() ? nullptr : args.data(),
                                    count.value_or(static_cast<int32_t>(args.size())));
    EXPECT_EQ(call.deliveries, 1) << "script function " << id;
    EXPECT_EQ(answer, callback_answer) << "script function " << id;
    Recording recorded{module, 0, {}};
    dispatch(module, recorded, 0, nullptr, 0);
    call.outcome.error = static_cast<DWORD>(recorded.outcome.integer);
    return call.outcome;
}
#endif

namespace {

// The suites that call every export, each by the names its test suites
// begin with, and the exports that each has called.
constexpr std::string_view sweeping_suites[] = {"EveryCall", "Hostile"};
std::map<std::string_view, std::set<std::string>> exports_called;

void note_export(const std::string &what) {
    const ::testing::TestInfo *test = ::testing::UnitTest::GetInstance()->current_test_info();
    const std::string_view suite = test ? test->test_suite_name() : "";
    for (const std::string_view sweeping : sweeping_suites)
        if (suite.starts_with(sweeping))
            exports_called[sweeping].insert(what.substr(0, what.find_first_of("( ")));
}

// One call: its export noted, and the whole process heap validated after
// it, so that a write past a block fails at the call that made it rather
// than at some later count.
Outcome checked_call(const std::string &what, const Run &run, HMODULE module) {
    note_export(what);
    const Outcome outcome = run(module);
    EXPECT_TRUE(HeapValidate(GetProcessHeap(), 0, nullptr)) << what << ": the process heap is damaged";
    return outcome;
}

} // namespace

void sweep_heap_faults(const std::string &what, const Run &run, const std::vector<Expected> &failures) {
    fail_heap_request(0);
    const Outcome unfailed = checked_call(what, run, faults_dll());
    ++tally().swept_calls;
    constexpr LONG most_requests = 1000;
    for (LONG n = 1; n <= most_requests; ++n) {
        const std::size_t busy = busy_heap_blocks();
        bool reached = false;
        {
            fail_heap_request(n);
            const Outcome outcome = checked_call(what, run, faults_dll());
            reached = fail_heap_request(0) == 0;
            if (reached) {
                ++tally().fault_points;
                bool documented = false;
                for (const Expected &failure : failures)
                    documented = documented || matches(outcome, failure);
                EXPECT_TRUE(documented) << what << ": request " << n << " failed: " << describe(outcome);
            } else {
                EXPECT_EQ(describe(outcome), describe(unfailed)) << what << ": no request failed";
                EXPECT_EQ(outcome.text, unfailed.text) << what;
            }
        }
        EXPECT_EQ(busy_heap_blocks(), busy) << what << ": blocks left behind when request " << n << " failed";
        if (!reached)
            return;
    }
    ADD_FAILURE() << what << ": still making heap requests after " << most_requests;
}

// The C runtime's blocks (the outcome's copy of a text) come from a heap of
// its own, so only the DLL's blocks count.
Outcome leak_checked(const std::string &what, const Run &run) {
    checked_call(what, run, faults_dll());
    HMODULE module = dll(); // loaded on first use, which takes blocks of its own
    const std::size_t busy = busy_heap_blocks();
    const Outcome outcome = checked_call(what, run, module);
    EXPECT_EQ(busy_heap_blocks(), busy) << what << ": blocks left behind";
    ++tally().leak_checks;
    return outcome;
}

namespace {

HHOOK dismiss_hook;

LRESULT CALLBACK dismiss(int code, WPARAM wparam, LPARAM lparam) {
    if (code == HCBT_ACTIVATE) {
        auto box = reinterpret_cast<HWND>(wparam);
        PostMessageA(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(box, IDOK)));
    }
    return CallNextHookEx(dismiss_hook, code, wparam, lparam);
}

} // namespace

DismissMessageBoxes::DismissMessageBoxes() {
    dismiss_hook = SetWindowsHookExA(WH_CBT, dismiss, nullptr, GetCurrentThreadId());
    EXPECT_NE(dismiss_hook, nullptr);
}

DismissMessageBoxes::~DismissMessageBoxes() { UnhookWindowsHookEx(dismiss_hook); }

Tally &tally() {
    static Tally figures;
    return figures;
}

std::set<std::string> export_names(HMODULE module) {
    const auto *base = reinterpret_cast<const BYTE *>(module);
    const auto *headers =
        reinterpret_cast<const IMAGE_NT_HEADERS *>(base + reinterpret_cast<const IMAGE_DOS_HEADER *>(base)->e_lfanew);
    const IMAGE_DATA_DIRECTORY &table = headers->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_EXPORT];
    const auto *directory = reinterpret_cast<const IMAGE_EXPORT_DIRECTORY *>(base + table.VirtualAddress);
    const auto *names = reinterpret_cast<const DWORD *>(base + directory->AddressOfNames);
    std::set<std::string> exported;
    for (DWORD i = 0; i < directory->NumberOfNames; ++i) {
        std::string_view name = reinterpret_cast<const char *>(base + names[i]);
        if (name.starts_with('_') && name.find('@') != std::string_view::npos)
            name = name.substr(1, name.find('@') - 1);
        exported.emplace(name);
    }
    return exported;
}

namespace {

// Whether every test of the suites whose names begin with `suites` ran.
bool ran_whole(std::string_view suites) {
    const ::testing::UnitTest &unit = *::testing::UnitTest::GetInstance();
    bool any = false;
    for (int i = 0; i < unit.total_test_suite_count(); ++i) {
        const ::testing::TestSuite &suite = *unit.GetTestSuite(i);
        if (!std::string_view(suite.name()).starts_with(suites))
            continue;
        if (suite.test_to_run_count() != suite.total_test_count())
            return false;
        any = true;
    }
    return any;
}

// A new export that the sweeping suites do not call fails the run that
// holds them whole.
void expect_every_export_called() {
    const std::set<std::string> exported = export_names(dll());
    EXPECT_FALSE(exported.empty());
    for (const std::string_view suites : sweeping_suites) {
        if (!ran_whole(suites))
            continue;
        for (const std::string &name : exported)
            EXPECT_TRUE(exports_called[suites].contains(name)) << suites << " never calls " << name;
    }
}

// Settles the process before any test and prints the figures once every
// test has run; docs/RELIABILITY.md quotes them.
class Reliability : public ::testing::Environment {
    // The first trace of a thread starts a thread of GoogleTest's own, which
    // takes blocks of the process heap as it starts: start it now and let
    // it settle, so that it cannot upset a count of busy blocks later.
    void SetUp() override {
        { SCOPED_TRACE("start"); }
        constexpr int quiet_samples = 5, most_samples = 500;
        std::size_t last = busy_heap_blocks();
        for (int quiet = 0, samples = 0; quiet < quiet_samples && samples < most_samples; ++samples) {
            Sleep(5);
            const std::size_t now = busy_heap_blocks();
            quiet = now == last ? quiet + 1 : 0;
            last = now;
        }
    }

    void TearDown() override {
        expect_every_export_called();
        const Tally &t = tally();
        if (t.swept_calls + t.leak_checks + t.hostile_inputs + t.thread_calls == 0)
            return;
        std::printf("reliability: %zu calls swept over %zu heap-request failures, %zu leak checks, "
                    "%zu hostile inputs, %zu threads making %zu calls\n",
                    t.swept_calls, t.fault_points, t.leak_checks, t.hostile_inputs, t.threads, t.thread_calls);
    }
};

[[maybe_unused]] const auto *const environment = ::testing::AddGlobalTestEnvironment(new Reliability);

} // namespace

} // namespace test
