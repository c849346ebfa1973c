// Path fix-up and the join of a directory with a file name, both widths.
#include "tests/ascii_text.hpp"
#include "tests/cases/path.hpp"
#include "tests/zeroed_block.hpp"
#include "text/pure/path.hpp"

#include <gtest/gtest.h>

namespace {

using test::as;
using test::or_null;

template <typename C> class PathCore : public ::testing::Test {};
using Widths = ::testing::Types<char, wchar_t>;
TYPED_TEST_SUITE(PathCore, Widths);

// The fixed-up text in a block of exactly the planned size.
template <typename C> std::basic_string<C> fixed_up(const C *path, const bw::Fixup &plan) {
    auto block = test::zeroed_block<C>(plan.block_size);
    bw::write_fixup(path, plan, block.get());
    EXPECT_EQ(block[plan.block_size - 1], C()) << "unterminated";
    return block.get();
}

TYPED_TEST(PathCore, FixupAddsOrRemovesOneBackslashInABlockOfTheDocumentedSize) {
    using C = TypeParam;
    for (const test::Fixup &c : test::fixups) {
        const auto path = as<C>(c.path);
        const bw::Fixup plan = bw::plan_fixup(path.c_str(), c.mode);
        EXPECT_EQ(plan.error, 0u) << c.path << " mode " << c.mode;
        EXPECT_EQ(plan.block_size, c.block) << c.path << " mode " << c.mode;
        EXPECT_EQ(fixed_up(path.c_str(), plan), as<C>(c.result)) << c.path << " mode " << c.mode;
    }
}

TYPED_TEST(PathCore, FixupRefusesANullPathBeforeAnEmptyOne) {
    using C = TypeParam;
    const C empty[] = {C()};
    for (int mode : {0, 1, 2}) {
        EXPECT_EQ(bw::plan_fixup<C>(nullptr, mode).error, BW_E_PATH_NULL);
        EXPECT_EQ(bw::plan_fixup<C>(empty, mode).error, BW_E_PATH_EMPTY);
    }
}

TEST(PathCoreNarrow, FixupTestsSingleBytesSoASecondByte0x5CIsABackslash) {
    // A double-byte character whose second byte is 0x5C.
    const char path[] = "\x95\x5c";
    const bw::Fixup removed = bw::plan_fixup(path, 2);
    EXPECT_EQ(fixed_up(path, removed), "\x95");
    const bw::Fixup ensured = bw::plan_fixup(path, 1);
    EXPECT_EQ(fixed_up(path, ensured), path);
    EXPECT_EQ(ensured.block_size, 3u);
}

TEST(PathCoreWide, FixupKeepsNonLatinLettersWhole) {
    const wchar_t *path = L"D:\\\u0414\u0430\u043d\u043d\u044b\u0435\\\u65e5\u672c";
    const bw::Fixup plan = bw::plan_fixup(path, 1);
    EXPECT_EQ(fixed_up(path, plan), std::wstring(path) + L"\\");
    EXPECT_EQ(plan.block_size, 14u);
}

TYPED_TEST(PathCore, QualifyChecksTheNameFirstAndTheDirectoryOnlyForAPlainName) {
    using C = TypeParam;
    for (const test::QualifyRefusal &c : test::qualify_refusals) {
        const auto name = as<C>(c.name), directory = as<C>(c.directory);
        const bw::Qualify plan = bw::plan_qualify(or_null(name), or_null(directory));
        EXPECT_EQ(plan.error, c.code) << c.name << " in " << c.directory;
        EXPECT_EQ(plan.source, bw::DirectorySource::none) << c.name << " in " << c.directory;
    }
    struct Case {
        const char *name;
        const char *directory;
        bw::DirectorySource source;
    } cases[] = {
        {"sub\\a.txt", test::null_text, bw::DirectorySource::none},
        {"a.txt\\", "", bw::DirectorySource::none},
        {"\\", "C:\\temp", bw::DirectorySource::none},
        {"a.txt", "C:\\temp", bw::DirectorySource::given},
        {"sub/a.txt", "C:\\temp", bw::DirectorySource::given},
        {"a.txt", "", bw::DirectorySource::current},
    };
    for (const Case &c : cases) {
        const auto name = as<C>(c.name), directory = as<C>(c.directory);
        const bw::Qualify plan = bw::plan_qualify(name.c_str(), or_null(directory));
        EXPECT_EQ(plan.error, 0u) << c.name << " in " << c.directory;
        EXPECT_EQ(plan.source, c.source) << c.name << " in " << c.directory;
    }
}

TYPED_TEST(PathCore, JoinPutsExactlyOneBackslashBetweenDirectoryAndName) {
    using C = TypeParam;
    struct Case {
        const char *directory;
        const char *name;
        const char *result;
    } cases[] = {
        {"C:\\temp\\", "a.txt", "C:\\temp\\a.txt"},
        {"D:\\work", "a.txt", "D:\\work\\a.txt"},
        {"D:\\", "a.txt", "D:\\a.txt"},
        {"C:\\temp\\", "sub/a.txt", "C:\\temp\\sub/a.txt"},
        {"\\\\server\\share", "x", "\\\\server\\share\\x"},
        {"C:\\a\\\\", "b", "C:\\a\\\\b"},
    };
    for (const Case &c : cases) {
        const auto directory = as<C>(c.directory), name = as<C>(c.name);
        const std::size_t size = bw::joined_block(directory.size(), name.size());
        EXPECT_EQ(size, directory.size() + name.size() + 2);
        auto block = test::zeroed_block<C>(size);
        bw::write_joined<C>(directory, name, block.get());
        EXPECT_EQ(std::basic_string<C>(block.get()), as<C>(c.result)) << c.directory;
        EXPECT_EQ(block[size - 1], C());
    }
}

TEST(PathCoreWide, JoinKeepsNonLatinLettersWhole) {
    const std::wstring directory = L"C:\\\u0422\u0435\u0441\u0442", name = L"\u65e5\u672c.txt";
    auto block = test::zeroed_block<wchar_t>(bw::joined_block(directory.size(), name.size()));
    bw::write_joined<wchar_t>(directory, name, block.get());
    EXPECT_EQ(std::wstring(block.get()), directory + L"\\" + name);
}

} // namespace
