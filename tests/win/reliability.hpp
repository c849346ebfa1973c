// What the reliability tests share: a call of either build of the DLL, native
// or through the script host, reduced to what it gave back; the sweep that
// fails each heap request of a call in turn; leak accounting; and the tally
// of what ran, printed at the end for docs/RELIABILITY.md.
#pragma once

#include "dll.hpp"
#ifndef _WIN64
#include "host.hpp"
#endif

#include <functional>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

namespace test {

enum class Shape {
    heap_text,      // a block of the process heap, now released
    shared_empty,   // the module's shared empty text
    static_text,    // a buffer of the module's own
    delivered_text, // a script's text other than the shared empty one
    null,
    integer,
};

// What a call gave back. For a script call: the one delivery, its status,
// and the recorded last error (KeltLastErrorR8J) in place of the thread's.
struct Outcome {
    Shape shape = Shape::integer;
    std::wstring text; // narrow texts widened byte by byte
    int64_t integer = 0;
    DWORD error = 0;
    int32_t status = 0;
};

std::string describe(const Outcome &outcome);

// A call of one build of the DLL.
using Run = std::function<Outcome(HMODULE)>;

// A documented result; what is left open is not compared.
struct Expected {
    Shape shape = Shape::integer;
    std::optional<int64_t> integer = {};
    std::optional<DWORD> error = {};
    std::optional<std::wstring> text = {};
    int32_t status = 0;
    std::optional<std::size_t> length = {};
};

bool matches(const Outcome &outcome, const Expected &expected);

template <typename C> Outcome text_outcome(HMODULE module, const C *result, DWORD error) {
    Outcome outcome{Shape::null, {}, 0, error, 0};
    if (!result)
        return outcome;
    std::basic_string<C> text(result);
    if constexpr (std::is_same_v<C, char>)
        outcome.text = as<wchar_t>(text);
    else
        outcome.text = text;
    if (result == shared_empty<C>(module)) {
        outcome.shape = Shape::shared_empty;
    } else if (HeapValidate(GetProcessHeap(), 0, result)) {
        outcome.shape = Shape::heap_text;
        release(result);
    } else {
        outcome.shape = Shape::static_text;
    }
    return outcome;
}

// A native call: the last error is set to `untouched` before it and read
// right after it; a text result is released, a handle closed.
template <typename Call> Outcome native(HMODULE module, Call call) {
    SetLastError(untouched);
    const auto result = call();
    const DWORD error = GetLastError();
    using Result = decltype(result);
    if constexpr (std::is_same_v<Result, const HANDLE>) {
        if (result)
            CloseHandle(result);
        return {Shape::integer, {}, result != nullptr, error, 0};
    } else if constexpr (std::is_pointer_v<std::remove_const_t<Result>>) {
        return text_outcome(module, result, error);
    } else {
        return {Shape::integer, {}, static_cast<int64_t>(result), error, 0};
    }
}

#ifndef _WIN64
// A script call through the module's WILExtender2 after id 4 (unknown)
// has recorded `recorded_before`, so that "unchanged" shows. Checks that the call made
// exactly one delivery and returned the callback's value. A count below 0
// passes the records with that count.
Outcome script(HMODULE module, int32_t id, std::vector<WilValue> args, std::optional<int32_t> count = {});
#endif

// The name of an export of width C, "FormatNow" giving FormatNowAR8J or
// FormatNowWR8J. A call's name in these suites begins with its export's
// name, which is how the sweep knows that every export was called.
template <typename C> std::string export_name(std::string_view stem, std::string_view suffix = "R8J") {
    return std::string(stem) + (sizeof(C) == 1 ? "A" : "W") + std::string(suffix);
}

// Every heap request of the call fails in turn, from the first until the
// call makes no more: each failure must give one of `failures` and leave no
// block; the call that no failure reaches must give what an unfailed call
// gives. Runs on the test build.
void sweep_heap_faults(const std::string &what, const Run &run, const std::vector<Expected> &failures);

// Runs the call once on the test build, where a read or write past a work
// block faults, which also warms up the platform's own caches; then on the
// shipped DLL counting the busy blocks of the process heap: the count must
// be the same once the result has been released.
Outcome leak_checked(const std::string &what, const Run &run);

// Dismisses the message boxes that this thread shows, with OK, while it
// lives, so that MessageBoxR8J can run with a display.
struct DismissMessageBoxes {
    DismissMessageBoxes();
    ~DismissMessageBoxes();
    DismissMessageBoxes(const DismissMessageBoxes &) = delete;
    DismissMessageBoxes &operator=(const DismissMessageBoxes &) = delete;
};

// Figures of what ran, printed when the tests end.
struct Tally {
    std::size_t swept_calls = 0;
    std::size_t fault_points = 0;
    std::size_t leak_checks = 0;
    std::size_t hostile_inputs = 0;
    std::size_t threads = 0;
    std::size_t thread_calls = 0;
};
Tally &tally();

// The exported names, the extender's without their decoration
// ("_WILExtender2@40" is WILExtender2).
std::set<std::string> export_names(HMODULE module);

} // namespace test
