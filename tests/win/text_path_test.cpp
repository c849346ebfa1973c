// Path fix-up and fully qualified names, narrow and wide, as native callers
// and scripts reach them.
#include "dll.hpp"
#ifndef _WIN64
#include "host.hpp"
#endif
#include "tests/cases/path.hpp"

#include <string>
#include <string_view>
#include <vector>

namespace {

using test::as;
using test::or_null;
using test::take;
using test::untouched;

template <typename C> class PathFixup : public ::testing::Test {};
template <typename C> class Qualify : public ::testing::Test {};
template <typename C> class QualifyInCurrentDirectory : public ::testing::Test {};
using Widths = ::testing::Types<char, wchar_t>;
TYPED_TEST_SUITE(PathFixup, Widths);
TYPED_TEST_SUITE(Qualify, Widths);
TYPED_TEST_SUITE(QualifyInCurrentDirectory, Widths);

// A call that succeeds: its text in a new block of the given size, the last
// error left alone.
template <typename C, typename Call>
void expect_new_block(Call call, std::string_view text, std::size_t block, const std::string &what) {
    SetLastError(untouched);
    C *result = call();
    EXPECT_EQ(GetLastError(), untouched) << what;
    const test::Owned<C> owned = take(result);
    EXPECT_EQ(owned.text, as<C>(text)) << what;
    EXPECT_EQ(owned.block, block) << what;
}

// A call refused with the shared empty text and its code, keeping no block.
template <typename C, typename Call> void expect_refusal(Call call, DWORD code, const std::string &what) {
    const std::size_t busy = test::busy_heap_blocks();
    const C *shared = test::shared_empty<C>(); // which sets a last error of its own
    SetLastError(0);
    EXPECT_EQ(static_cast<const C *>(call()), shared) << what;
    EXPECT_EQ(GetLastError(), code) << what;
    EXPECT_EQ(test::busy_heap_blocks(), busy) << what;
}

TYPED_TEST(PathFixup, AddsOrRemovesOneTrailingBackslashInANewBlock) {
    using C = TypeParam;
    const auto fixup = test::exports().width<C>().fixup;
    for (const test::Fixup &c : test::fixups) {
        const auto path = as<C>(c.path);
        const auto call = [&] {
            C *result = fixup(path.c_str(), c.mode);
            EXPECT_NE(static_cast<const C *>(result), path.c_str()) << "a new block, not the path";
            return result;
        };
        expect_new_block<C>(call, c.result, c.block, std::string(c.path) + " mode " + std::to_string(c.mode));
    }
}

TYPED_TEST(PathFixup, RefusesNullAndEmptyPathsWithTheSharedEmptyText) {
    using C = TypeParam;
    const auto fixup = test::exports().width<C>().fixup;
    const C *shared = test::shared_empty<C>();
    ASSERT_NE(shared, nullptr);
    EXPECT_EQ(*shared, C());
    EXPECT_FALSE(HeapValidate(GetProcessHeap(), 0, shared));
    const C empty[] = {C()};
    struct Case {
        const C *path;
        int mode;
        DWORD code;
    } cases[] = {{nullptr, 1, BW_E_PATH_NULL},
                 {nullptr, 2, BW_E_PATH_NULL},
                 {empty, 1, BW_E_PATH_EMPTY},
                 {empty, 0, BW_E_PATH_EMPTY}};
    for (const Case &c : cases)
        expect_refusal<C>([&] { return fixup(c.path, c.mode); }, c.code, "mode " + std::to_string(c.mode));
}

TEST(PathFixupWide, KeepsNonLatinLettersWhole) {
    const auto fixup = test::exports().wide.fixup;
    const std::wstring path = L"D:\\\u0414\u0430\u043d\u043d\u044b\u0435\\\u65e5\u672c\u8a9e";
    EXPECT_EQ(take(fixup(path.c_str(), 1)).text, path + L"\\");
    EXPECT_EQ(take(fixup((path + L"\\").c_str(), 2)).text, path);
    EXPECT_EQ(take(fixup(path.c_str(), 0)).text, path);
}

TYPED_TEST(Qualify, JoinsAGivenDirectoryWithExactlyOneBackslash) {
    using C = TypeParam;
    const auto qualify = test::exports().width<C>().qualify;
    struct Case {
        const char *name;
        const char *directory;
        const char *result;
        std::size_t block;
    } cases[] = {
        {"a.txt", "C:\\temp", "C:\\temp\\a.txt", 15},
        {"a.txt", "C:\\temp\\", "C:\\temp\\a.txt", 15},
        {"a.txt", "C:\\temp\\\\", "C:\\temp\\\\a.txt", 16},
        {"sub\\a.txt", "C:\\temp", "sub\\a.txt", 10},
        {"sub\\a.txt", test::null_text, "sub\\a.txt", 10},
        {"sub\\a.txt", "", "sub\\a.txt", 10},
        {"..\\a.txt", "C:\\x", "..\\a.txt", 9},
        {"sub/a.txt", "C:\\temp", "C:\\temp\\sub/a.txt", 19},
        {"a.txt", "rel", "rel\\a.txt", 11},
        {"a.txt", "C:/temp/", "C:/temp/\\a.txt", 16},
        {"a.txt", "D:\\", "D:\\a.txt", 10},
        {"x", "\\\\server\\share", "\\\\server\\share\\x", 18},
    };
    for (const Case &c : cases) {
        const auto name = as<C>(c.name), directory = as<C>(c.directory);
        expect_new_block<C>([&] { return qualify(name.c_str(), or_null(directory)); }, c.result, c.block,
                            std::string(c.name) + " in " + c.directory);
    }
}

TYPED_TEST(Qualify, RefusesMissingNamesAndDirectoriesWithTheirCodes) {
    using C = TypeParam;
    const auto qualify = test::exports().width<C>().qualify;
    for (const test::QualifyRefusal &c : test::qualify_refusals) {
        const auto name = as<C>(c.name), directory = as<C>(c.directory);
        expect_refusal<C>([&] { return qualify(or_null(name), or_null(directory)); }, c.code,
                          std::string(c.name) + " in " + c.directory);
    }
}

TEST(QualifyWide, KeepsNonLatinLettersWhole) {
    const auto qualify = test::exports().wide.qualify;
    const std::wstring name = L"\u0444\u0430\u0439\u043b.txt", directory = L"C:\\\u0414\u0430\u043d\u043d\u044b\u0435";
    EXPECT_EQ(take(qualify(name.c_str(), directory.c_str())).text, directory + L"\\" + name);
    const std::wstring qualified = L"\u65e5\u672c\\\u8a9e.txt";
    EXPECT_EQ(take(qualify(qualified.c_str(), nullptr)).text, qualified);
}

// Restores the current directory at the end of a test; declared after a
// DirectoryOfLength, so that the directory is left before it is removed.
class CurrentDirectory {
public:
    CurrentDirectory() : saved_(32768, L'\0') { saved_.resize(GetCurrentDirectoryW(32768, saved_.data())); }
    ~CurrentDirectory() { SetCurrentDirectoryW(saved_.c_str()); }
    CurrentDirectory(const CurrentDirectory &) = delete;
    CurrentDirectory &operator=(const CurrentDirectory &) = delete;

private:
    std::wstring saved_;
};

// A directory of exactly `length` characters under the temporary directory,
// made of nested parts, removed again at the end.
class DirectoryOfLength {
public:
    DirectoryOfLength(std::size_t length, std::wstring_view leaf = L"") {
        wchar_t temp[MAX_PATH];
        std::wstring path(temp, GetTempPathW(MAX_PATH, temp));
        path += L"bwtext" + std::to_wstring(GetCurrentProcessId());
        make(path);
        const std::size_t last = leaf.empty() ? 0 : leaf.size() + 1;
        while (length - last - path.size() > 60)
            make(path += L"\\" + std::wstring(40, L'd'));
        std::size_t rest = length - last - path.size();
        if (rest > 41) {
            make(path += L"\\" + std::wstring(rest / 2 - 1, L'e'));
            rest = length - last - path.size();
        }
        if (rest > 0)
            make(path += L"\\" + std::wstring(rest - 1, L'f'));
        if (!leaf.empty())
            make(path += L"\\" + std::wstring(leaf));
        EXPECT_EQ(path.size(), length);
    }
    ~DirectoryOfLength() {
        for (auto it = made_.rbegin(); it != made_.rend(); ++it)
            RemoveDirectoryW((L"\\\\?\\" + *it).c_str());
    }
    DirectoryOfLength(const DirectoryOfLength &) = delete;
    DirectoryOfLength &operator=(const DirectoryOfLength &) = delete;

    const std::wstring &path() const { return made_.back(); }

private:
    void make(const std::wstring &path) {
        EXPECT_TRUE(CreateDirectoryW((L"\\\\?\\" + path).c_str(), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS)
            << path.size();
        made_.push_back(path);
    }
    std::vector<std::wstring> made_;
};

template <typename C> std::basic_string<C> narrow_or_wide(const std::wstring &text) {
    if constexpr (sizeof(C) == 1)
        return test::ansi(text);
    else
        return text;
}

DWORD read_current_directory(DWORD size, char *buffer) { return GetCurrentDirectoryA(size, buffer); }
DWORD read_current_directory(DWORD size, wchar_t *buffer) { return GetCurrentDirectoryW(size, buffer); }

// What MakeFQFN of a.txt with an empty directory gives: the current
// directory as the platform reports it and a.txt, or the shared empty text
// with the platform's own code when it cannot report it.
template <typename C> void expect_qualified_in_current_directory(const std::wstring &directory) {
    const auto qualify = test::exports().width<C>().qualify;
    const auto name = as<C>("a.txt"), empty = as<C>("");
    std::basic_string<C> reported(32768, C());
    SetLastError(0);
    reported.resize(read_current_directory(32768, reported.data()));
    const DWORD platform_error = GetLastError();

    const std::size_t busy = test::busy_heap_blocks();
    SetLastError(untouched);
    C *result = qualify(name.c_str(), empty.c_str());
    const DWORD error = GetLastError();
    if (reported.empty()) {
        EXPECT_EQ(test::busy_heap_blocks(), busy);
        EXPECT_EQ(static_cast<const C *>(result), test::shared_empty<C>());
        EXPECT_EQ(error, platform_error);
        EXPECT_NE(platform_error, 0u);
        EXPECT_EQ(platform_error & BW_CUSTOMER_FLAG, 0u);
        return;
    }
    EXPECT_EQ(reported, narrow_or_wide<C>(directory));
    EXPECT_EQ(error, untouched);
    const std::basic_string<C> separator = reported.back() == C('\\') ? as<C>("") : as<C>("\\");
    const test::Owned<C> owned = take(result);
    EXPECT_EQ(owned.text, reported + separator + name) << directory.size();
    EXPECT_EQ(owned.block, reported.size() + name.size() + 2);
    EXPECT_EQ(test::busy_heap_blocks(), busy);
}

TYPED_TEST(QualifyInCurrentDirectory, JoinsWithTheDirectoryOfAnyLength) {
    using C = TypeParam;
    for (std::size_t length : {64u, 259u, 260u, 261u, 300u, 600u}) {
        DirectoryOfLength directory(length);
        CurrentDirectory restore;
        ASSERT_TRUE(SetCurrentDirectoryW(directory.path().c_str())) << length;
        expect_qualified_in_current_directory<C>(directory.path());
    }
}

TYPED_TEST(QualifyInCurrentDirectory, AddsNoSecondBackslashToADriveRoot) {
    using C = TypeParam;
    CurrentDirectory restore;
    ASSERT_TRUE(SetCurrentDirectoryW(L"C:\\"));
    const auto qualify = test::exports().width<C>().qualify;
    EXPECT_EQ(take(qualify(as<C>("a.txt").c_str(), as<C>("").c_str())).text, as<C>("C:\\a.txt"));
}

TEST(QualifyInCurrentDirectoryWide, KeepsNonLatinLettersWhole) {
    DirectoryOfLength directory(300, L"\u0414\u0430\u043d\u043d\u044b\u0435 \u65e5\u672c");
    CurrentDirectory restore;
    ASSERT_TRUE(SetCurrentDirectoryW(directory.path().c_str()));
    expect_qualified_in_current_directory<wchar_t>(directory.path());
}

// Each heap request of a call, failed in turn: code BW_E_NO_MEMORY, the shared
// empty text and nothing left behind; the call succeeds once its requests
// are all granted.
template <typename C, typename Call> void expect_each_request_may_fail(int requests, Call call) {
    const C *shared = test::shared_empty<C>(test::faults_dll());
    for (int n = 1; n <= requests + 1; ++n) {
        const std::size_t busy = test::busy_heap_blocks();
        test::fail_heap_request(n);
        SetLastError(0);
        C *result = call();
        test::fail_heap_request(0);
        if (n <= requests) {
            EXPECT_EQ(static_cast<const C *>(result), shared) << "request " << n;
            EXPECT_EQ(GetLastError(), DWORD{BW_E_NO_MEMORY}) << "request " << n;
        } else {
            EXPECT_NE(static_cast<const C *>(result), shared) << "more requests than " << requests;
            test::release(result);
        }
        EXPECT_EQ(test::busy_heap_blocks(), busy) << "request " << n;
    }
}

TYPED_TEST(PathFixup, ReleasesEverythingWhenABlockIsRefused) {
    using C = TypeParam;
    const auto fixup = test::exports(test::faults_dll()).width<C>().fixup;
    const auto path = as<C>("C:\\temp");
    for (int mode : {0, 1, 2})
        expect_each_request_may_fail<C>(1, [&] { return fixup(path.c_str(), mode); });
}

TYPED_TEST(Qualify, ReleasesEverythingWhenABlockIsRefused) {
    using C = TypeParam;
    const auto qualify = test::exports(test::faults_dll()).width<C>().qualify;
    const auto name = as<C>("a.txt"), qualified = as<C>("sub\\a.txt"), directory = as<C>("C:\\temp"), empty = as<C>("");
    expect_each_request_may_fail<C>(1, [&] { return qualify(qualified.c_str(), nullptr); });
    // The fixed-up directory, then the joined name.
    expect_each_request_may_fail<C>(2, [&] { return qualify(name.c_str(), directory.c_str()); });
    {
        CurrentDirectory restore;
        ASSERT_TRUE(SetCurrentDirectoryW(L"C:\\"));
        // The current-directory buffer, then the joined name.
        expect_each_request_may_fail<C>(2, [&] { return qualify(name.c_str(), empty.c_str()); });
    }
}

TEST(QualifyWide, ReleasesEverythingWhenTheGrownDirectoryBufferIsRefused) {
    const auto qualify = test::exports(test::faults_dll()).wide.qualify;
    DirectoryOfLength directory(300);
    CurrentDirectory restore;
    ASSERT_TRUE(SetCurrentDirectoryW(directory.path().c_str()));
    // The buffer of 260 characters, its growth, then the joined name.
    expect_each_request_may_fail<wchar_t>(3, [&] { return qualify(L"a.txt", L""); });
}

#ifndef _WIN64
using test::Host;

TEST(PathScript, FixupDeliversTheTextAndRecordsZero) {
    Host host;
    struct Case {
        std::vector<WilValue> args;
        const char *result;
    } cases[] = {
        {{test::text("C:\\temp"), test::integer(1)}, "C:\\temp\\"},
        {{test::text("C:\\temp\\"), test::integer(2)}, "C:\\temp"},
        {{test::text("C:\\temp\\"), test::integer(3)}, "C:\\temp\\"},
        {{test::text("C:\\temp\\")}, "C:\\temp\\"},
    };
    for (Case &c : cases) {
        host.call(4); // records test::recorded_before
        const std::size_t busy = test::busy_heap_blocks();
        EXPECT_EQ(host.call(27, c.args), host.answer);
        const test::Delivery &d = host.only();
        EXPECT_EQ(d.status, 0);
        EXPECT_EQ(d.type, static_cast<uint32_t>(WIL_TYPE_TEXT));
        EXPECT_EQ(d.text, c.result);
        EXPECT_EQ(test::busy_heap_blocks(), busy);
        EXPECT_EQ(host.last_error(), 0);
    }
}

TEST(PathScript, RefusalsArriveWithStatusMinusOneAndTheirCode) {
    Host host;
    struct Case {
        int32_t id;
        std::vector<WilValue> args;
        int32_t code;
    } cases[] = {
        {27, {test::text(""), test::integer(1)}, BW_E_PATH_EMPTY},
        {27, {test::text(nullptr), test::integer(1)}, BW_E_PATH_NULL},
        {27, {}, BW_E_PATH_NULL},
        {28, {test::text(nullptr), test::text("C:\\temp")}, BW_E_FILE_NAME_NULL},
        {28, {test::text(""), test::text("C:\\temp")}, BW_E_FILE_NAME_EMPTY},
        {28, {test::text("a.txt"), test::text(nullptr)}, BW_E_DIRECTORY_NULL},
        {28, {test::text("a.txt")}, BW_E_DIRECTORY_NULL},
    };
    for (Case &c : cases) {
        EXPECT_EQ(host.call(c.id, c.args), host.answer);
        const test::Delivery &d = host.only();
        EXPECT_EQ(d.status, -1) << c.id;
        EXPECT_EQ(d.type, static_cast<uint32_t>(WIL_TYPE_TEXT));
        EXPECT_EQ(d.text, "") << c.id;
        EXPECT_EQ(host.last_error(), c.code) << c.id;
    }
}

TEST(PathScript, MakeFqfnDeliversTheQualifiedName) {
    Host host;
    CurrentDirectory restore;
    ASSERT_TRUE(SetCurrentDirectoryW(L"C:\\windows"));
    struct Case {
        std::vector<WilValue> args;
        const char *result;
    } cases[] = {
        {{test::text("a.txt"), test::text("C:\\temp")}, "C:\\temp\\a.txt"},
        {{test::text("sub\\a.txt"), test::text(nullptr)}, "sub\\a.txt"},
        {{test::text("a.txt"), test::text("")}, "C:\\windows\\a.txt"},
    };
    for (Case &c : cases) {
        host.call(4);
        const std::size_t busy = test::busy_heap_blocks();
        EXPECT_EQ(host.call(28, c.args), host.answer);
        const test::Delivery &d = host.only();
        EXPECT_EQ(d.status, 0);
        EXPECT_EQ(d.text, c.result);
        EXPECT_EQ(test::busy_heap_blocks(), busy);
        EXPECT_EQ(host.last_error(), 0);
    }
}

// A current directory that the narrow call cannot report (one longer than
// MAX_PATH under Wine) reaches a script as an internal error with the
// platform's code.
TEST(PathScript, MakeFqfnInAnUnreportableDirectoryIsAnInternalError) {
    Host host;
    DirectoryOfLength directory(300);
    CurrentDirectory restore;
    ASSERT_TRUE(SetCurrentDirectoryW(directory.path().c_str()));
    char reported[1024];
    SetLastError(0);
    const bool readable = GetCurrentDirectoryA(sizeof reported, reported) != 0;
    const DWORD platform_error = GetLastError();

    const std::size_t busy = test::busy_heap_blocks();
    host.call(28, {test::text("a.txt"), test::text("")});
    const test::Delivery &d = host.only();
    EXPECT_EQ(test::busy_heap_blocks(), busy);
    if (readable) {
        EXPECT_EQ(d.status, 0);
        EXPECT_EQ(d.text, std::string(reported) + "\\a.txt");
        return;
    }
    EXPECT_EQ(d.status, -3);
    EXPECT_EQ(d.text, "009:Undefined internal error");
    EXPECT_EQ(host.last_error(), static_cast<int32_t>(platform_error));
}
#endif

} // namespace

// Any text result goes to the release call: heap results go back to the
// heap, and what the DLL keeps (NULL, the shared empty texts, the static
// buffers) stays, without a change of the last error.
TEST(ReleaseText, ReleasesHeapResultsAndLeavesTheDllsOwnTexts) {
    const test::Exports e = test::exports();
    const struct {
        const char *what;
        void *text;
        BOOL released;
    } cases[] = {
        {"narrow heap result", e.narrow.fixup("C:\\temp", 1), TRUE},
        {"wide heap result", e.wide.fixup(L"C:\\temp", 1), TRUE},
        {"narrow shared empty text", e.narrow.fixup(nullptr, 0), FALSE},
        {"wide shared empty text", e.wide.fixup(nullptr, 0), FALSE},
        {"narrow static buffer", e.narrow.zone_name(), FALSE},
        {"wide static buffer", e.wide.zone_name(), FALSE},
        {"NULL", nullptr, FALSE},
    };
    for (const auto &c : cases) {
        const std::size_t busy = test::busy_heap_blocks();
        SetLastError(untouched);
        EXPECT_EQ(e.release(c.text), c.released) << c.what;
        EXPECT_EQ(GetLastError(), untouched) << c.what;
        EXPECT_EQ(test::busy_heap_blocks() + (c.released ? 1 : 0), busy) << c.what;
    }
}
