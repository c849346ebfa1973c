#include "core/find.hpp"

#include <gtest/gtest.h>

namespace {

TEST(FindPosition, IsOneBasedAndZeroForEmptyTexts) {
    struct Case {
        std::string_view text, pattern;
        std::size_t position;
    } cases[] = {
        {"x^MM", "^MM", 2}, {"^MM", "^MM", 1},  {"a^MMb^MM", "^MM", 2}, {"", "x", 0},
        {"abc", "", 0},     {"abc", "abcd", 0}, {"ab c", " ", 3},
    };
    for (const Case &c : cases)
        EXPECT_EQ(bw::core::find_position(c.text, c.pattern), c.position) << c.text << " / " << c.pattern;
    EXPECT_EQ(bw::core::find_position<wchar_t>(L"M\u00e4rz", L"\u00e4"), 2u);
}

} // namespace
