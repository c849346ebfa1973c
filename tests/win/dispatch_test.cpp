// How the dispatcher frames every script call: one delivery, the callback's
// value returned, the recorded last error and its message, and arguments the
// host did not pass.
#include "host.hpp"

namespace {

using test::Host;

TEST(Dispatch, TheFunctionIdCountsOnlyItsLow16Bits) {
    Host host;
    host.call(21 + 65536, {test::text("^YYYY"), test::integer(1)});
    SYSTEMTIME now;
    GetSystemTime(&now);
    EXPECT_EQ(host.only().status, 0);
    EXPECT_EQ(host.only().text, std::to_string(now.wYear));
}

TEST(Dispatch, EveryCallMakesOneDeliveryAndReturnsTheCallbacksValue) {
    struct Case {
        int32_t id;
        std::vector<WilValue> args;
    } cases[] = {
        {21, {test::text("^DD")}},
        {22, {test::text("2008:05:30:14:07:09"), test::text("^DD")}},
        {24, {test::integer(1234)}},
        {27, {test::text("C:\\x"), test::integer(1)}},
        {28, {test::text("a.txt"), test::text("C:\\x")}},
        {30, {test::text("a b"), test::integer(1)}},
        {25, {test::text("2008:05:30:14:07:09"), test::integer(1)}},
        {29, {}},
        {0, {}},
        {1, {}},
    };
    for (Case &c : cases) {
        Host host;
        host.answer = 4242;
        EXPECT_EQ(host.call(c.id, c.args), 4242) << c.id;
        EXPECT_EQ(host.deliveries.size(), 1u) << c.id;
    }
}

TEST(Dispatch, TheLastErrorTextIsTheMessageOfTheRecordedCode) {
    struct Case {
        int32_t id;
        std::vector<WilValue> args;
        int32_t recorded;
        const char *text;
    } cases[] = {
        {22,
         {test::text("2008:05:30:14:07:09:00"), test::text("^DD")},
         BW_E_YMDHMS_TOO_LONG,
         "005:YmdHms string is too long - > 19 characters."},
        {22,
         {test::text("2008:05:30:14:07:09"), test::text(nullptr)},
         BW_E_TEMPLATE_NULL,
         "001:Date format string is NULL."},
        {27, {test::text(""), test::integer(1)}, BW_E_PATH_EMPTY, ""},
        {27, {test::text("C:\\x"), test::integer(1)}, 0, ""},
        {4, {}, test::recorded_before, ""},
        // A system code from the log writer (no such handle) has no message of its own.
        {23, {test::text("abc"), test::integer(0x1234)}, ERROR_INVALID_HANDLE, "009:Undefined internal error"},
        // The log writer's negative results carry bit 29 like extender codes, and
        // their message numbers have no text.
        {23, {test::text("abc"), test::integer(0)}, BW_LOG_NO_HANDLE, ""},
    };
    for (Case &c : cases) {
        Host host;
        host.call(c.id, c.args);
        EXPECT_EQ(host.last_error(), c.recorded) << c.id;
        EXPECT_EQ(host.last_error_text(), c.text) << c.id;
    }
}

TEST(Dispatch, MissingArgumentRecordsReadAsNullAndZero) {
    struct Case {
        int32_t id;
        int32_t count;
        int32_t status;
        int32_t recorded;
    } cases[] = {
        {22, 0, -1, BW_E_TEMPLATE_NULL},                               // no template
        {22, 1, -1, BW_E_TEMPLATE_NULL},  {27, 0, -1, BW_E_PATH_NULL}, // no path
        {28, 1, -1, BW_E_DIRECTORY_NULL},                              // no directory
        {23, 1, 0, BW_LOG_NO_HANDLE},                                  // no handle
        {23, 0, 0, BW_LOG_NO_MESSAGE},                                 // no message
    };
    for (const Case &c : cases) {
        Host host;
        // The records past the count hold values that must not be read.
        std::vector<WilValue> args{test::text("2008:05:30:14:07:09"), test::text(reinterpret_cast<const char *>(1)),
                                   test::integer(0x7777)};
        args[0].integer = 0x7777;
        host.call_with_count(c.id, args, c.count);
        EXPECT_EQ(host.only().status, c.status) << c.id << " with " << c.count;
        EXPECT_EQ(host.last_error(), c.recorded) << c.id << " with " << c.count;
    }
}

TEST(Dispatch, NoArgumentArrayReadsNothing) {
    Host host;
    host.answer = 3;
    EXPECT_EQ(host.call_records(27, nullptr, 2), 3);
    EXPECT_EQ(host.only().status, -1);
    EXPECT_EQ(host.last_error(), BW_E_PATH_NULL);
}

} // namespace
