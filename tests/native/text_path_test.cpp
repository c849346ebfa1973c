// What only the pure parts show: a fix-up that reads single bytes and where a
// qualified name's directory comes from. The results are checked through the
// DLL.
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

TEST(PathCoreNarrow, FixupTestsSingleBytesSoASecondByte0x5CIsABackslash) {
    // A double-byte character whose second byte is 0x5C.
    const char path[] = "\x95\x5c";
    const bw::Fixup removed = bw::plan_fixup(path, 2);
    EXPECT_EQ(fixed_up(path, removed), "\x95");
    const bw::Fixup ensured = bw::plan_fixup(path, 1);
    EXPECT_EQ(fixed_up(path, ensured), path);
    EXPECT_EQ(ensured.block_size, 3u);
}

TYPED_TEST(PathCore, QualifyTakesADirectoryOnlyForAPlainName) {
    using C = TypeParam;
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

} // namespace
