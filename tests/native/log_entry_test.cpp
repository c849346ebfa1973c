// The log entry builder on its own: entries byte for byte, their exact
// length and the bound on it, and a property sweep over random messages.
// Blocks are exact-size allocations, so a write past the measured length
// trips ASan.
#include "files/pure/log_entry.hpp"
#include "tests/cases/date_template.hpp"
#include "tests/cases/log_entries.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <random>
#include <string>
#include <vector>

namespace {

constexpr std::string_view local_stamp = "2008/05/30 09:07:05 ";
constexpr std::string_view utc_stamp = "2008/05/30 09:07:05 UTC ";

std::string prefix_for(std::string_view message, bool utc) {
    return std::string(message.front() == '\n' ? "\r\n" : "") + std::string(utc ? utc_stamp : local_stamp);
}

struct Built {
    std::string entry;
    std::uint64_t line_feeds;
};

// Builds like the writer does: measured, then written after the prefix
// into a block of exactly the measured size.
Built build(std::string_view message, std::string_view prefix, bool utc) {
    std::uint64_t measured = 0;
    const std::uint64_t line_feeds =
        bw::log::put_lines(message, utc, [&](std::string_view piece) { measured += piece.size(); });
    const auto length = static_cast<std::size_t>(prefix.size() + measured);
    auto block = std::make_unique<char[]>(length);
    std::memcpy(block.get(), prefix.data(), prefix.size());
    EXPECT_EQ(bw::log::write_lines(message, utc, block.get() + prefix.size(), block.get() + length),
              block.get() + length)
        << "the walk writes what it measured";
    return {std::string(block.get(), length), line_feeds};
}

TEST(LogEntry, EntriesByteForByte) {
    for (const bool utc : {false, true})
        for (const test::LogEntry &c : test::log_entries) {
            const std::string message = test::message_of(c, utc);
            const Built built = build(message, prefix_for(message, utc), utc);
            EXPECT_EQ(built.entry,
                      test::expand_entry(c.pattern, utc ? utc_stamp : local_stamp, utc, test::fill_of(c, utc)))
                << testing::PrintToString(c.message) << " utc " << utc;
        }
}

// A message that another thread lengthens between the measure and the
// write must not take the walk past its block: every row written into
// exact blocks one byte, two bytes, half and all of it short of the entry
// gets the entry's start and nothing past the block.
TEST(LogEntry, WritingStopsAtTheEndOfAShortBlock) {
    for (const bool utc : {false, true})
        for (const test::LogEntry &c : test::log_entries) {
            const std::string message = test::message_of(c, utc);
            const std::string entry = build(message, "", utc).entry;
            for (const std::size_t shorter : {std::size_t{1}, std::size_t{2}, entry.size() / 2, entry.size()}) {
                const std::size_t length = entry.size() - shorter;
                const auto block = std::make_unique<char[]>(length);
                EXPECT_EQ(bw::log::write_lines(message, utc, block.get(), block.get() + length), block.get() + length);
                EXPECT_EQ(std::string_view(block.get(), length), std::string_view(entry).substr(0, length))
                    << testing::PrintToString(c.message) << " utc " << utc << " " << shorter << " short";
            }
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
        EXPECT_EQ(built.entry, test::expand_entry(c.pattern, "", false)) << testing::PrintToString(c.message);
    }
}

// Every field at least as wide as its template token, never cut: the
// stamp template's own texts.
TEST(LogEntry, StampsByteForByte) {
    for (const test::Stamp &c : test::stamps)
        for (const bool utc : {false, true})
            for (const bool leading : {false, true}) {
                const bw::Date date{c.year, c.month, 0, c.day, c.hour, c.minute, c.second, 0};
                char stamp[64];
                const std::string written(stamp, bw::log::write_stamp(utc, leading, date, stamp));
                const std::string expected =
                    std::string(leading ? "\r\n" : "") + std::string(c.text) + (utc ? "UTC " : "");
                EXPECT_EQ(written, expected) << c.year << ' ' << utc << ' ' << leading;
            }
}

// The bound that refuses a message too large for any block is at most one
// byte short of the entry.
TEST(LogEntry, ExactLengthAndTheBound) {
    struct Case {
        std::string_view message;
        bool utc;
        std::uint64_t bound;
        std::size_t length;
    } cases[] = {
        {"abc", false, 24, 25},    {"abc", true, 28, 29},      {"a\n\nb", false, 67, 48},
        {"a\n\nb", true, 79, 56},  {"\n\nabc", false, 70, 51}, {"\n\n\n", false, 89, 48},
        {"ab\ncd", false, 47, 48}, {"a\nb\nc", false, 68, 69}, {"\n", false, 45, 24},
    };
    for (const Case &c : cases) {
        const std::string prefix = prefix_for(c.message, c.utc);
        const Built built = build(c.message, prefix, c.utc);
        EXPECT_EQ(bw::log::entry_bound(c.message.size(), built.line_feeds, prefix.size(), c.utc), c.bound)
            << testing::PrintToString(c.message);
        EXPECT_EQ(built.entry.size(), c.length) << testing::PrintToString(c.message);
    }
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
        ASSERT_EQ(built.line_feeds, static_cast<std::uint64_t>(std::count(message.begin(), message.end(), '\n')));
        ASSERT_LE(built.entry.size(), bw::log::entry_bound(message.size(), built.line_feeds, prefix.size(), utc) + 1);

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
