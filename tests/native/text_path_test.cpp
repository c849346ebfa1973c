// Path fix-up and the join of a directory with a file name, both widths.
#include "tests/native/text_strings.hpp"
#include "text/core/path.hpp"

#include <gtest/gtest.h>

#include <climits>

namespace {

using test::as;

template <typename C> class PathCore : public ::testing::Test {};
using Widths = ::testing::Types<char, wchar_t>;
TYPED_TEST_SUITE(PathCore, Widths);

// The fixed-up text in a block of exactly the planned size.
template <typename C> std::basic_string<C> fixed_up(const C *path, const bw::Fixup &plan) {
    auto block = test::block_of<C>(plan.block);
    bw::write_fixup(path, plan, block.get());
    EXPECT_EQ(block[plan.block - 1], C()) << "unterminated";
    return block.get();
}

TYPED_TEST(PathCore, FixupAddsOrRemovesOneBackslashInABlockOfTheDocumentedSize) {
    using C = TypeParam;
    struct Case {
        const char *path;
        int mode;
        const char *result;
        std::size_t block;
    } cases[] = {
        {"C:\\temp", 1, "C:\\temp\\", 9},
        {"C:\\temp\\", 1, "C:\\temp\\", 9},
        {"C:\\temp\\\\", 1, "C:\\temp\\\\", 10},
        {"C:\\temp\\\\", 2, "C:\\temp\\", 10},
        {"C:\\temp\\", 2, "C:\\temp", 9},
        {"C:\\temp", 2, "C:\\temp", 8},
        {"\\", 2, "", 2},
        {"\\", 1, "\\", 2},
        {"x", 1, "x\\", 3},
        {"C:/temp/", 1, "C:/temp/\\", 10},
        {"C:/temp/", 2, "C:/temp/", 9},
        {"C:\\temp\\", 0, "C:\\temp\\", 9},
        {"C:\\temp", 3, "C:\\temp", 8},
        {"C:\\temp\\", -1, "C:\\temp\\", 9},
        {"C:\\temp", INT_MIN, "C:\\temp", 8},
        {"C:\\temp\\", INT_MAX, "C:\\temp\\", 9},
        {"C:\\temp", 1 + 65536, "C:\\temp", 8},
    };
    for (const Case &c : cases) {
        const auto path = as<C>(c.path);
        const bw::Fixup plan = bw::plan_fixup(path.c_str(), c.mode);
        EXPECT_EQ(plan.error, 0u) << c.path << " mode " << c.mode;
        EXPECT_EQ(plan.block, c.block) << c.path << " mode " << c.mode;
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
    EXPECT_EQ(ensured.block, 3u);
}

TEST(PathCoreWide, FixupKeepsNonLatinLettersWhole) {
    const wchar_t *path = L"D:\\\u0414\u0430\u043d\u043d\u044b\u0435\\\u65e5\u672c";
    const bw::Fixup plan = bw::plan_fixup(path, 1);
    EXPECT_EQ(fixed_up(path, plan), std::wstring(path) + L"\\");
    EXPECT_EQ(plan.block, 14u);
}

TYPED_TEST(PathCore, QualifyChecksTheNameFirstAndTheDirectoryOnlyForAPlainName) {
    using C = TypeParam;
    struct Case {
        const char *name; // "@" stands for a null pointer
        const char *directory;
        std::uint32_t error;
        bw::DirectorySource source;
    } cases[] = {
        {"@", "C:\\temp", BW_E_FILE_NAME_NULL, bw::DirectorySource::none},
        {"@", "@", BW_E_FILE_NAME_NULL, bw::DirectorySource::none},
        {"", "@", BW_E_FILE_NAME_EMPTY, bw::DirectorySource::none},
        {"a.txt", "@", BW_E_DIRECTORY_NULL, bw::DirectorySource::none},
        {"sub\\a.txt", "@", 0, bw::DirectorySource::none},
        {"a.txt\\", "", 0, bw::DirectorySource::none},
        {"\\", "C:\\temp", 0, bw::DirectorySource::none},
        {"a.txt", "C:\\temp", 0, bw::DirectorySource::given},
        {"sub/a.txt", "C:\\temp", 0, bw::DirectorySource::given},
        {"a.txt", "", 0, bw::DirectorySource::current},
    };
    for (const Case &c : cases) {
        const auto name = as<C>(c.name), directory = as<C>(c.directory);
        const bw::Qualify plan = bw::plan_qualify(name == as<C>("@") ? nullptr : name.c_str(),
                                                  directory == as<C>("@") ? nullptr : directory.c_str());
        EXPECT_EQ(plan.error, c.error) << c.name << " in " << c.directory;
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
        auto block = test::block_of<C>(size);
        bw::write_joined<C>(directory, name, block.get());
        EXPECT_EQ(std::basic_string<C>(block.get()), as<C>(c.result)) << c.directory;
        EXPECT_EQ(block[size - 1], C());
    }
}

TEST(PathCoreWide, JoinKeepsNonLatinLettersWhole) {
    const std::wstring directory = L"C:\\\u0422\u0435\u0441\u0442", name = L"\u65e5\u672c.txt";
    auto block = test::block_of<wchar_t>(bw::joined_block(directory.size(), name.size()));
    bw::write_joined<wchar_t>(directory, name, block.get());
    EXPECT_EQ(std::wstring(block.get()), directory + L"\\" + name);
}

} // namespace
