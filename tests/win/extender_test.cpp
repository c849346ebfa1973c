// The extender interface as a script host sees it: queries, enumeration,
// built-in functions and unknown functions.
#include "host.hpp"

#include <array>
#include <cstring>
#include <string_view>

namespace {

using test::Host;

TEST(Query, DescriptionIsEmptyAndVersionIsAnswered) {
    struct Case {
        int32_t query;
        int32_t count;
    } cases[] = {{1, 256}, {0x00010001, 256}, {1, 1}};
    for (const Case &c : cases) {
        char buffer[8] = "xxxxxxx";
        EXPECT_EQ(test::extender_query()(c.query, buffer, c.count), 41009) << c.query;
        EXPECT_STREQ(buffer, "") << c.query;
    }
}

TEST(Query, DescriptionWithoutRoomWritesNothing) {
    char buffer[4] = "abc";
    EXPECT_EQ(test::extender_query()(1, buffer, 0), 41009);
    EXPECT_EQ(test::extender_query()(1, buffer, -5), 41009);
    EXPECT_STREQ(buffer, "abc");
    EXPECT_EQ(test::extender_query()(1, nullptr, 10), 41009);
}

TEST(Query, InterfaceFourIsFound) {
    struct Case {
        std::vector<int32_t> offered;
        int32_t count;
        int32_t answer;
    } cases[] = {
        {{1, 2, 3}, 3, -1}, {{3, 4}, 2, 4}, {{4}, 0, -1}, {{4}, -1, -1}, {{1, 4, 9}, 1, -1}, {{0x10004}, 1, -1},
    };
    for (Case &c : cases)
        EXPECT_EQ(test::extender_query()(2, c.offered.data(), c.count), c.answer);
    EXPECT_EQ(test::extender_query()(0x00020002, std::array<int32_t, 1>{4}.data(), 1), 4);
}

TEST(Query, OtherQueriesAnswerZero) {
    for (int32_t query : {0, 3, -1, 0x7FFF, 0x10000})
        EXPECT_EQ(test::extender_query()(query, nullptr, 0), 0) << query;
}

TEST(Extender, SpecialIdsNeedNoCallback) {
    auto extender = test::extender2();
    EXPECT_EQ(extender(nullptr, 0, 0, -1, nullptr, 0, 0, nullptr, 0, nullptr), 16);
    EXPECT_EQ(extender(nullptr, 0, 0, -3, nullptr, 0, 0, nullptr, 0, nullptr), 1);
    EXPECT_EQ(extender(nullptr, 0, 0, 0x1FFFF, nullptr, 0, 0, nullptr, 0, nullptr), 16);
}

TEST(Extender, SpecialIdsClearTheThreadsLastError) {
    SetLastError(test::untouched);
    test::extender2()(nullptr, 0, 0, -3, nullptr, 0, 0, nullptr, 0, nullptr);
    EXPECT_EQ(GetLastError(), 0u);
}

WilFunctionInfo enumerate(int32_t index, int32_t *answer) {
    WilFunctionInfo info;
    std::memset(&info, 0xCC, sizeof info);
    *answer = test::extender2()(nullptr, 0, 0, -2, nullptr, 0, 0, &info, index, nullptr);
    return info;
}

TEST(Enumeration, EveryEntryArrivesInTableOrderInSmallLetters) {
    struct Row {
        int32_t id;
        uint32_t kind, mask, count;
        const char *name;
    } rows[] = {
        {0, 2, 0x0, 0x0, "keltlasterrorr8j"},
        {1, 2, 0x0, 0x0, "keltlasterrorstrr8j"},
        {2, 2, 0x0, 0x1, "keltextenderinfor8j"},
        {3, 2, 0x0, 0x0, "keltextenderversionr8j"},
        {11, 3, 0x0, BW_CUSTOMER_FLAG, "customer_flag"},
        {21, 2, 0x1, 0x101, "formatnowr8j"},
        {22, 2, 0x11, 0x2, "formatymdhmsr8j"},
        {23, 2, 0x1, 0x102, "logmsgaltr8j"},
        {24, 2, 0x0, 0x1, "formatlongintr8j"},
        {25, 2, 0x1, 0x2, "extractfromymdhms"},
        {26, 2, 0x0, 0x2, "extractrfromsystemdater8j"},
        {27, 2, 0x1, 0x2, "pathstringfixupr8j"},
        {28, 2, 0x11, 0x2, "makefqfnr8j"},
        {29, 2, 0x0, 0x0, "gettimezonenamer8j"},
        {30, 2, 0x101, 0x102, "quotestringr8j"},
        {31, 2, 0x11, 0x3, "messageboxr8j"},
    };
    for (int32_t index = 0; index < 16; ++index) {
        const Row &row = rows[index];
        int32_t answer = 0;
        const WilFunctionInfo info = enumerate(index, &answer);
        EXPECT_EQ(answer, 1);
        EXPECT_EQ(info.id, row.id);
        EXPECT_EQ(info.kind, row.kind);
        EXPECT_EQ(info.arg_types, row.mask);
        EXPECT_EQ(info.reserved, 0u);
        EXPECT_EQ(info.arg_count, row.count);
        EXPECT_EQ(info.name_length, std::strlen(row.name));
        EXPECT_STREQ(info.name, row.name);
        // The host promises room for the name and its terminator only.
        const std::string_view past(info.name + info.name_length + 1, WIL_NAME_CAPACITY - info.name_length - 1);
        EXPECT_EQ(past.find_first_not_of('\xCC'), std::string_view::npos) << row.name;
    }
}

TEST(Enumeration, NamesStayLowerCaseOnASecondWalk) {
    int32_t answer = 0;
    enumerate(0, &answer);
    EXPECT_STREQ(enumerate(0, &answer).name, "keltlasterrorr8j");
    EXPECT_EQ(enumerate(0, &answer).name_length, 16);
}

TEST(Enumeration, TerminatorAndIndicesOutsideTheTableWriteNothing) {
    for (int32_t index : {16, 17, 1000, -1, -2, INT32_MIN, INT32_MAX}) {
        int32_t answer = 1;
        const WilFunctionInfo info = enumerate(index, &answer);
        EXPECT_EQ(answer, 0) << index;
        EXPECT_EQ(info.id, static_cast<int32_t>(0xCCCCCCCC)) << index;
    }
}

TEST(Enumeration, NullRecordCountsEveryEntry) {
    for (int32_t index = 0; index < 16; ++index)
        EXPECT_EQ(test::extender2()(nullptr, 0, 0, -2, nullptr, 0, 0, nullptr, index, nullptr), 1);
    EXPECT_EQ(test::extender2()(nullptr, 0, 0, -2, nullptr, 0, 0, nullptr, 16, nullptr), 0);
}

TEST(BuiltIns, VersionAndInfoDeliver41009) {
    Host host;
    for (int32_t id : {2, 3}) {
        EXPECT_EQ(host.call(id), host.answer);
        const test::Delivery &d = host.only();
        EXPECT_EQ(d.status, 0);
        EXPECT_EQ(d.type, static_cast<uint32_t>(WIL_TYPE_INTEGER));
        EXPECT_EQ(d.integer, 41009);
        EXPECT_EQ(d.host_a, reinterpret_cast<intptr_t>(&host));
        EXPECT_EQ(d.host_b, 0x5A5A1234);
    }
}

TEST(UnknownFunction, ReportsStatusMinusOneWithEmptyMessageAndRecords901) {
    for (int32_t id : {4, 11, 20, 32, -4, 0x7FFF, 0x8000, 11 + 65536}) {
        Host host;
        host.answer = 55;
        EXPECT_EQ(host.call(id), 55) << id;
        const test::Delivery &d = host.only();
        EXPECT_EQ(d.status, -1);
        EXPECT_EQ(d.type, static_cast<uint32_t>(WIL_TYPE_TEXT));
        EXPECT_EQ(d.text, "");
        EXPECT_EQ(host.last_error(), test::recorded_before) << id;
        EXPECT_EQ(host.last_error_text(), "") << id;
    }
}

TEST(BuiltIns, LeaveTheRecordedLastErrorAlone) {
    Host host;
    host.call(4);
    for (int32_t id : {-3, -2, -1, 1, 2, 3}) {
        host.call(id);
        EXPECT_EQ(host.last_error(), test::recorded_before) << id;
    }
}

} // namespace
