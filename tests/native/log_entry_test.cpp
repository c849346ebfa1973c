// The log entry builder on its own: entries byte for byte, the capacity and
// its one doubling, and a property sweep over random messages. Blocks are
// exact-size allocations, so a write past the capacity trips ASan.
#include "files/core/log_entry.hpp"
#include "tests/cases/log_entries.hpp"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <random>
#include <string>
#include <vector>

namespace {

using bw::log::EntryBuffer;

constexpr std::string_view local_stamp = "2008/05/30 09:07:05 ";
constexpr std::string_view utc_stamp = "2008/05/30 09:07:05 UTC ";

std::string prefix_for(std::string_view message, bool utc) {
    return std::string(message.front() == '\n' ? "\r\n" : "") + std::string(utc ? utc_stamp : local_stamp);
}

struct Built {
    bool ok;
    std::string entry;
    std::size_t first_capacity;
    std::size_t capacity;
    int doublings;
};

// Builds like the writer does, in an exact-size block; `fail_enlarge`
// refuses the doubling.
Built build(std::string_view message, std::string_view prefix, bool utc, bool fail_enlarge = false) {
    const auto first = static_cast<std::size_t>(bw::log::entry_capacity(message, prefix.size(), utc));
    auto block = std::make_unique<char[]>(first);
    EntryBuffer entry{block.get(), first, 0};
    int doublings = 0;
    const bool ok = bw::log::build_entry(entry, message, prefix, utc, [&](char *bytes, std::size_t capacity) {
        ++doublings;
        if (fail_enlarge)
            return static_cast<char *>(nullptr);
        EXPECT_EQ(bytes, block.get());
        auto grown = std::make_unique<char[]>(capacity);
        std::memcpy(grown.get(), bytes, entry.capacity);
        block = std::move(grown);
        return block.get();
    });
    EXPECT_EQ(entry.bytes, block.get()) << "the block to release is the current one";
    return {ok, std::string(entry.bytes, entry.length), first, entry.capacity, doublings};
}

TEST(LogEntry, EntriesByteForByte) {
    for (const bool utc : {false, true})
        for (const test::LogEntry &c : test::log_entries) {
            const Built built = build(c.message, prefix_for(c.message, utc), utc);
            EXPECT_TRUE(built.ok);
            EXPECT_EQ(built.entry, test::expand_entry(c.pattern, utc ? utc_stamp : local_stamp, utc))
                << testing::PrintToString(c.message) << " utc " << utc;
        }
}

TEST(LogEntry, SeparatorsIndentUnderTheStamp) {
    for (const bool utc : {false, true}) {
        const std::size_t indent = (utc ? utc_stamp : local_stamp).size();
        EXPECT_EQ(bw::log::line_separator(utc), "\r\n" + std::string(indent, ' '));
        EXPECT_EQ(bw::log::blank_separator(utc), "\r\n\r\n" + std::string(indent, ' '));
    }
}

TEST(LogEntry, WithoutAStampTheLinesStillFollow) {
    struct Case {
        std::string_view message, pattern;
    } cases[] = {{"abc", "abc\r\n"}, {"a\nb", "a|b\r\n"}, {"\n\nx", "~x\r\n"}, {"\n", "\r\n"}};
    for (const Case &c : cases) {
        const Built built = build(c.message, "", false);
        EXPECT_TRUE(built.ok);
        EXPECT_EQ(built.entry, test::expand_entry(c.pattern, "", false)) << testing::PrintToString(c.message);
    }
}

TEST(LogEntry, CapacityAndTheOneDoubling) {
    struct Case {
        std::string_view message;
        bool utc;
        std::size_t capacity;
        std::size_t length;
        int doublings;
    } cases[] = {
        {"abc", false, 24, 25, 1},    {"abc", true, 28, 29, 1},      {"a\n\nb", false, 67, 48, 0},
        {"a\n\nb", true, 79, 56, 0},  {"\n\nabc", false, 70, 51, 0}, {"\n\n\n", false, 89, 48, 0},
        {"ab\ncd", false, 47, 48, 1}, {"a\nb\nc", false, 68, 69, 1}, {"\n", false, 45, 24, 0},
    };
    for (const Case &c : cases) {
        const Built built = build(c.message, prefix_for(c.message, c.utc), c.utc);
        EXPECT_EQ(built.first_capacity, c.capacity) << testing::PrintToString(c.message);
        EXPECT_EQ(built.entry.size(), c.length) << testing::PrintToString(c.message);
        EXPECT_EQ(built.doublings, c.doublings) << testing::PrintToString(c.message);
        EXPECT_EQ(built.capacity, c.capacity << c.doublings) << testing::PrintToString(c.message);
    }
}

TEST(LogEntry, RefusedDoublingStopsTheBuild) {
    const Built built = build("abc", local_stamp, false, true);
    EXPECT_FALSE(built.ok);
    EXPECT_EQ(built.doublings, 1);
    EXPECT_EQ(built.capacity, 24u);
}

// Lines of the message as the entry must show them: the leading and the
// trailing line feed dropped, a carriage return opening any line but the
// last removed, empty lines left out.
std::vector<std::string> expected_lines(std::string_view message) {
    if (message.front() == '\n')
        message.remove_prefix(1);
    if (!message.empty() && message.back() == '\n')
        message.remove_suffix(1);
    std::vector<std::string> lines;
    for (std::size_t start = 0;;) {
        const std::size_t feed = message.find('\n', start);
        std::string_view line = message.substr(start, feed == std::string_view::npos ? feed : feed - start);
        if (feed != std::string_view::npos && !line.empty() && line.front() == '\r')
            line.remove_prefix(1);
        if (!line.empty())
            lines.emplace_back(line);
        if (feed == std::string_view::npos)
            return lines;
        start = feed + 1;
    }
}

TEST(LogEntry, RandomMessagesKeepEveryLineInOrderUnderTheFirst) {
    std::mt19937 random(20080530);
    constexpr std::string_view alphabet = "ab \r\n\n\n";
    for (int round = 0; round < 20000; ++round) {
        const bool utc = round % 2;
        const std::size_t indent = (utc ? utc_stamp : local_stamp).size();
        std::string message(1 + random() % 40, ' ');
        for (char &c : message)
            c = alphabet[random() % alphabet.size()];
        const std::string prefix = prefix_for(message, utc);
        const Built built = build(message, prefix, utc);
        SCOPED_TRACE(testing::PrintToString(message));
        ASSERT_TRUE(built.ok);
        ASSERT_LE(built.doublings, 1);

        std::string_view rest = built.entry;
        ASSERT_EQ(rest.substr(0, prefix.size()), prefix);
        rest.remove_prefix(prefix.size());
        ASSERT_GE(rest.size(), 2u);
        ASSERT_EQ(rest.substr(rest.size() - 2), "\r\n");

        // Pieces between the entry's line ends: the first line, then blank
        // lines or continuation lines that start at the stamp's width.
        std::vector<std::string> lines;
        bool first = true;
        for (std::size_t start = 0; start < rest.size();) {
            const std::size_t end = rest.find("\r\n", start);
            std::string_view piece = rest.substr(start, end - start);
            start = end + 2;
            if (!first && !piece.empty()) {
                ASSERT_EQ(piece.substr(0, indent), std::string(indent, ' '));
                piece.remove_prefix(indent);
            }
            first = false;
            if (!piece.empty())
                lines.emplace_back(piece);
        }
        EXPECT_EQ(lines, expected_lines(message));
    }
}

} // namespace
