#include "host.hpp"

namespace test {
namespace {

constexpr intptr_t host_b_marker = 0x5A5A1234;

int32_t WINAPI record(int32_t status, intptr_t host_a, intptr_t host_b, WilValue *result) {
    auto *host = reinterpret_cast<Host *>(host_a);
    Delivery d{status, host_a, host_b, result->type, result->integer, {}, result->text};
    if (result->type == WIL_TYPE_TEXT && result->text)
        d.text = result->text;
    host->deliveries.push_back(d);
    return host->answer;
}

} // namespace

WilExtender2Proc extender2(HMODULE module) { return export_of<WilExtender2Proc>(module, "_WILExtender2@40"); }
WilExtenderQueryProc extender_query(HMODULE module) {
    return export_of<WilExtenderQueryProc>(module, "_WILExtenderQuery@12");
}

WilValue text(const char *value) {
    WilValue v{};
    v.type = WIL_TYPE_TEXT;
    v.text = const_cast<char *>(value);
    return v;
}

WilValue integer(int32_t value) {
    WilValue v{};
    v.type = WIL_TYPE_INTEGER;
    v.integer = value;
    return v;
}

int32_t Host::call(int32_t id, std::vector<WilValue> args) {
    const auto count = static_cast<int32_t>(args.size());
    return call_with_count(id, std::move(args), count);
}

int32_t Host::call_with_count(int32_t id, std::vector<WilValue> args, int32_t count) {
    return call_records(id, args.empty() ? nullptr : args.data(), count);
}

int32_t Host::call_records(int32_t id, WilValue *records, int32_t count) {
    deliveries.clear();
    WilValue result{};
    return extender2()(window, 0, reinterpret_cast<intptr_t>(this), id, record, host_b_marker, 0, records, count,
                       &result);
}

const Delivery &Host::only() const {
    EXPECT_EQ(deliveries.size(), 1u);
    static const Delivery none{};
    return deliveries.empty() ? none : deliveries.back();
}

int32_t Host::last_error() {
    Host probe;
    probe.call(0);
    return probe.only().integer;
}

std::string Host::last_error_text() {
    Host probe;
    probe.call(1);
    return probe.only().text;
}

} // namespace test
