// The failure paths of FormatLongInt, narrow and wide, that only a locale can open: a number
// that does not fit its 32-byte block, which comes back empty in that block,
// and a separator of more than seven characters. Natively the caller
// releases the empty block; through the script host the dispatcher must.
#include "reliability.hpp"

#include <climits>
#include <utility>
#include <vector>

namespace {

using test::Expected;
using test::Shape;

// Sets items of the user's locale for one test and puts the old values back.
class FormatLongIntFailures : public ::testing::Test {
protected:
    void set(LCTYPE item, const wchar_t *value) {
        wchar_t old[80] = {};
        GetLocaleInfoW(LOCALE_USER_DEFAULT, item, old, 80);
        saved_.emplace_back(item, old);
        ASSERT_TRUE(SetLocaleInfoW(LOCALE_USER_DEFAULT, item, value)) << item;
    }
    void TearDown() override {
        for (auto it = saved_.rbegin(); it != saved_.rend(); ++it)
            SetLocaleInfoW(LOCALE_USER_DEFAULT, it->first, it->second.c_str());
    }

    static void expect_documented(const std::string &what, const test::Run &run, const Expected &expected) {
        const test::Outcome outcome = test::leak_checked(what, run);
        EXPECT_TRUE(test::matches(outcome, expected)) << what << ": " << test::describe(outcome);
        ++test::tally().hostile_inputs;
    }

private:
    std::vector<std::pair<LCTYPE, std::wstring>> saved_;
};

// The narrow and the wide export, each with its name.
template <typename C> std::pair<std::string, test::Run> native_format(INT value) {
    const std::string name = sizeof(C) == 1 ? "FormatLongIntR8J(" : "FormatLongIntWR8J(";
    return {name + std::to_string(value) + ")", [value](HMODULE m) {
                return test::native(m, [&] { return test::exports(m).width<C>().format_long_int(value); });
            }};
}
const auto both_formats = [](INT value) {
    return std::vector{native_format<char>(value), native_format<wchar_t>(value)};
};
#ifndef _WIN64
const auto script_format = [](INT value) {
    return [value](HMODULE m) { return test::script(m, 24, {test::integer(value)}); };
};
#endif

// Seven digits grouped by ones with four-character separators take 31
// characters; the minus sign makes 32, one too many.
TEST_F(FormatLongIntFailures, ANumberThatDoesNotFitLeavesNoBlockBehind) {
    set(LOCALE_SGROUPING, L"1;0");
    set(LOCALE_STHOUSAND, L"abcd");
    for (const auto &[name, run] : both_formats(1234567))
        expect_documented(name, run, {Shape::heap_text, {}, test::untouched, L"1abcd2abcd3abcd4abcd5abcd6abcd7"});
    for (const INT value : {-1234567, INT_MIN, INT_MAX}) {
        for (const auto &[name, run] : both_formats(value))
            expect_documented(name, run, {Shape::heap_text, {}, ERROR_INSUFFICIENT_BUFFER, L""});
#ifndef _WIN64
        expect_documented("FormatLongIntR8J script(" + std::to_string(value) + ")", script_format(value),
                          {Shape::delivered_text,
                           {},
                           ERROR_INSUFFICIENT_BUFFER,
                           test::as<wchar_t>("009:Undefined internal error"),
                           WIL_STATUS_INTERNAL});
#endif
    }
}

TEST_F(FormatLongIntFailures, ASeparatorOfMoreThanSevenCharactersLeavesNoBlockBehind) {
    set(LOCALE_STHOUSAND, L"abcdefgh");
    for (const auto &[name, run] : both_formats(1234567))
        expect_documented(name, run, {Shape::shared_empty, {}, ERROR_INSUFFICIENT_BUFFER, L""});
#ifndef _WIN64
    expect_documented("FormatLongIntR8J script(1234567)", script_format(1234567),
                      {Shape::delivered_text,
                       {},
                       ERROR_INSUFFICIENT_BUFFER,
                       test::as<wchar_t>("009:Undefined internal error"),
                       WIL_STATUS_INTERNAL});
#endif
}

} // namespace
