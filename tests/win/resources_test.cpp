// The resources of either build of the DLL: the message table and the
// version resource.
#include "code_table.hpp"
#include "dll.hpp"

#include <cstring>
#include <cwchar>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace {

// The adapter's own messages, which no code has.
constexpr std::pair<UINT, const char *> adapter_texts[] = {
    {7, "007:Internal error 1."},
    {8, "008:Heap corruption error"},
    {9, "009:Undefined internal error"},
};

// The string table holds the messages of the codes it keeps under their low
// bits, and the adapter's own; other numbers have no text. A buffer too small
// cuts a text.
TEST(MessageTable, HoldsEachCodesTextAndTheAdaptersInUsEnglish) {
    std::vector<std::pair<UINT, std::string>> texts;
    for (const bw::codes::Row &row : bw::codes::rows)
        texts.emplace_back(row.code - BW_CUSTOMER_FLAG, row.in_string_table ? row.message : "");
    for (const auto &[n, text] : adapter_texts)
        texts.emplace_back(n, text);
    for (UINT n : {0u, 10u, 20u, 65u, 66u, 901u, 1000u})
        texts.emplace_back(n, "");
    for (const auto &[n, text] : texts) {
        char buffer[256] = "x";
        EXPECT_EQ(LoadStringA(test::dll(), n, buffer, sizeof buffer), static_cast<int>(text.size())) << n;
        if (!text.empty()) {
            EXPECT_EQ(buffer, text) << n;
        }
    }
    char cut[10];
    EXPECT_EQ(LoadStringA(test::dll(), 6, cut, sizeof cut), 9);
    EXPECT_STREQ(cut, "006:YmdHm");
}

// A native caller asks FormatMessage for a code's text, in either width:
// every code of the header has one; numbers that are not codes give none.
TEST(MessageTable, FormatMessageGivesEachCodesTextUnderTheFullCode) {
    constexpr DWORD flags = FORMAT_MESSAGE_FROM_HMODULE | FORMAT_MESSAGE_IGNORE_INSERTS;
    std::vector<std::pair<DWORD, std::string_view>> texts;
    for (const bw::codes::Row &row : bw::codes::rows) {
        EXPECT_FALSE(row.message.empty()) << row.name;
        texts.emplace_back(row.code, row.message);
    }
    for (DWORD code : {0ul, 1ul, 5ul, 0x20000007ul, 0x20000009ul, 0x20010005ul})
        texts.emplace_back(code, "");
    for (const auto &[code, text] : texts) {
        char buffer[256] = "x";
        SetLastError(0);
        EXPECT_EQ(FormatMessageA(flags, test::dll(), code, 0, buffer, sizeof buffer, nullptr), text.size())
            << std::hex << code;
        if (text.empty()) {
            EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_MR_MID_NOT_FOUND)) << std::hex << code;
            continue;
        }
        EXPECT_EQ(buffer, text);
        wchar_t wide[256] = L"x";
        EXPECT_EQ(FormatMessageW(flags, test::dll(), code, 0, wide, 256, nullptr), text.size());
        EXPECT_EQ(std::string(wide, wide + std::wcslen(wide)), text);
    }
}

// A program refuses a DLL older than its header by this number.
TEST(VersionNumber, IsTheHeadersNumber) { EXPECT_EQ(test::exports().version(), BRINDLEWICK_VERSION_NUMBER); }

TEST(VersionResource, IsTheHeadersVersionForAUsEnglishDll) {
    const std::string path = test::dll_path();
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeA(path.c_str(), &ignored);
    ASSERT_GT(size, 0u);
    std::vector<char> data(size);
    ASSERT_TRUE(GetFileVersionInfoA(path.c_str(), 0, size, data.data()));
    VS_FIXEDFILEINFO *fixed = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueA(data.data(), "\\", reinterpret_cast<void **>(&fixed), &length));
    constexpr WORD parts[] = {BRINDLEWICK_VERSION_PARTS};
    EXPECT_EQ(fixed->dwFileVersionMS, static_cast<DWORD>(parts[0] << 16 | parts[1]));
    EXPECT_EQ(fixed->dwFileVersionLS, static_cast<DWORD>(parts[2] << 16 | parts[3]));
    EXPECT_EQ(fixed->dwProductVersionMS, fixed->dwFileVersionMS);
    EXPECT_EQ(fixed->dwProductVersionLS, fixed->dwFileVersionLS);
    EXPECT_EQ(fixed->dwFileFlagsMask, 0x3Fu);
    EXPECT_EQ(fixed->dwFileFlags, 0u);
    EXPECT_EQ(fixed->dwFileOS, 4u);
    EXPECT_EQ(fixed->dwFileType, 2u);
    EXPECT_EQ(fixed->dwFileSubtype, 0u);
    EXPECT_EQ(fixed->dwFileDateMS | fixed->dwFileDateLS, 0u);

    WORD *translation = nullptr;
    ASSERT_TRUE(
        VerQueryValueA(data.data(), "\\VarFileInfo\\Translation", reinterpret_cast<void **>(&translation), &length));
    EXPECT_EQ(translation[0], 0x0409);
    EXPECT_EQ(translation[1], 0x04B0);

    const char *keys[] = {"Comments",     "CompanyName",    "FileDescription", "FileVersion",
                          "InternalName", "LegalCopyright", "LegalTrademarks", "OriginalFilename",
                          "PrivateBuild", "ProductName",    "ProductVersion",  "SpecialBuild"};
    for (const char *key : keys) {
        char *value = nullptr;
        const std::string query = std::string("\\StringFileInfo\\040904b0\\") + key;
        EXPECT_TRUE(VerQueryValueA(data.data(), query.c_str(), reinterpret_cast<void **>(&value), &length)) << key;
    }
    char *value = nullptr;
    ASSERT_TRUE(VerQueryValueA(data.data(), "\\StringFileInfo\\040904b0\\FileVersion",
                               reinterpret_cast<void **>(&value), &length));
    const std::string expected = std::to_string(parts[0]) + ", " + std::to_string(parts[1]) + ", " +
                                 std::to_string(parts[2]) + ", " + std::to_string(parts[3]);
    EXPECT_EQ(value, expected);
}

} // namespace
