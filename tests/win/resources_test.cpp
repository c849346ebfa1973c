// The resources of either build of the DLL: the message table and the
// version resource.
#include "dll.hpp"

#include <cstring>
#include <cwchar>
#include <string>
#include <vector>

namespace {

// The string table's texts; those of the extender codes are the first six.
constexpr const char *texts[] = {
    "001:Date format string is NULL.",
    "002:Date format string is empty.",
    "003:YmdHms string is NULL.",
    "004:YmdHms string is empty.",
    "005:YmdHms string is too long - > 19 characters.",
    "006:YmdHms string format is invalid - colons are are misplaced.",
    "007:Internal error 1.",
    "008:Heap corruption error",
    "009:Undefined internal error",
};
constexpr DWORD codes_with_text = 6;

TEST(MessageTable, HoldsTheNineTextsInUsEnglish) {
    for (UINT n = 1; n <= 9; ++n) {
        char buffer[256] = "x";
        EXPECT_EQ(LoadStringA(test::dll(), n, buffer, sizeof buffer), static_cast<int>(std::strlen(texts[n - 1])));
        EXPECT_STREQ(buffer, texts[n - 1]);
    }
    for (UINT n : {0u, 10u, 11u, 20u, 65u, 66u, 901u, 1000u}) {
        char buffer[256] = "x";
        EXPECT_EQ(LoadStringA(test::dll(), n, buffer, sizeof buffer), 0) << n;
    }
    char cut[10];
    EXPECT_EQ(LoadStringA(test::dll(), 6, cut, sizeof cut), 9);
    EXPECT_STREQ(cut, "006:YmdHm");
}

// A native caller asks FormatMessage for a code's text; codes without a
// text, and numbers that are not codes, give none.
TEST(MessageTable, FormatMessageGivesEachCodesTextUnderTheFullCode) {
    constexpr DWORD flags = FORMAT_MESSAGE_FROM_HMODULE | FORMAT_MESSAGE_IGNORE_INSERTS;
    for (DWORD n = 1; n <= codes_with_text; ++n) {
        char buffer[256] = "x";
        const DWORD code = BW_CUSTOMER_FLAG + n;
        EXPECT_EQ(FormatMessageA(flags, test::dll(), code, 0, buffer, sizeof buffer, nullptr),
                  std::strlen(texts[n - 1]))
            << std::hex << code;
        EXPECT_STREQ(buffer, texts[n - 1]);
        wchar_t wide[256] = L"x";
        EXPECT_EQ(FormatMessageW(flags, test::dll(), code, 0, wide, 256, nullptr), std::strlen(texts[n - 1]));
        EXPECT_EQ(std::string(wide, wide + std::wcslen(wide)), texts[n - 1]);
    }
    for (DWORD code : {0ul, 1ul, 5ul, 0x20000007ul, 0x20000009ul, 0x2000000Bul, 0x20000014ul, 0x20010005ul}) {
        char buffer[256] = "x";
        SetLastError(0);
        EXPECT_EQ(FormatMessageA(flags, test::dll(), code, 0, buffer, sizeof buffer, nullptr), 0u) << std::hex << code;
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_MR_MID_NOT_FOUND)) << std::hex << code;
    }
}

TEST(VersionResource, Is1009ForAUsEnglishDll) {
    const std::string path = test::dll_path();
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeA(path.c_str(), &ignored);
    ASSERT_GT(size, 0u);
    std::vector<char> data(size);
    ASSERT_TRUE(GetFileVersionInfoA(path.c_str(), 0, size, data.data()));
    VS_FIXEDFILEINFO *fixed = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueA(data.data(), "\\", reinterpret_cast<void **>(&fixed), &length));
    EXPECT_EQ(fixed->dwFileVersionMS, 0x00010000u);
    EXPECT_EQ(fixed->dwFileVersionLS, 0x00000009u);
    EXPECT_EQ(fixed->dwProductVersionMS, 0x00010000u);
    EXPECT_EQ(fixed->dwProductVersionLS, 0x00000009u);
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
    EXPECT_STREQ(value, "1, 0, 0, 9");
}

} // namespace
