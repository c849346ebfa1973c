// A fake script host: value records as the host lays them out, and a
// recording callback that copies what each delivery carried.
#pragma once

#include "BrindlewickExtender.h"
#include "dll.hpp"

#include <string>
#include <vector>

namespace test {

struct Delivery {
    int32_t status;
    intptr_t host_a;
    intptr_t host_b;
    uint32_t type;
    int32_t integer;
    std::string text;
    const char *text_pointer;
};

struct Host {
    std::vector<Delivery> deliveries;
    int32_t answer = 7; // what the callback returns
    HWND window = nullptr;

    // Calls script function `id` with the given arguments; returns what
    // WILExtender2 returned.
    int32_t call(int32_t id, std::vector<WilValue> args = {});
    int32_t call_with_count(int32_t id, std::vector<WilValue> args, int32_t count);
    // The records as the host passes them, possibly none at all.
    int32_t call_records(int32_t id, WilValue *records, int32_t count);

    // The single delivery of the last call.
    const Delivery &only() const;
    int32_t last_error();          // KeltLastErrorR8J
    std::string last_error_text(); // KeltLastErrorStrR8J
};

// What an unknown function id records as the last error. Recorded before a
// call, it shows whether the call left the recorded error alone.
inline constexpr int32_t recorded_before = 901;

WilValue text(const char *value);
WilValue integer(int32_t value);

// The extender's entry points, exported under their 32-bit decorated names.
WilExtender2Proc extender2(HMODULE module = dll());
WilExtenderQueryProc extender_query(HMODULE module = dll());

} // namespace test
