#include "temp_folder.hpp"

#include <atomic>

namespace test {

void TempFolder::SetUp() {
    static std::atomic<int> serial;
    wchar_t temp[MAX_PATH];
    ASSERT_NE(GetTempPathW(MAX_PATH, temp), 0u);
    folder = std::wstring(temp) + L"bw-" + std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(++serial);
    ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr)) << GetLastError();
}

void TempFolder::TearDown() {
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((folder + L"\\*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            const bool file = !(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY);
            EXPECT_TRUE(!file || DeleteFileW((folder + L"\\" + found.cFileName).c_str())) << "a handle left open";
        } while (FindNextFileW(search, &found));
        FindClose(search);
    }
    EXPECT_TRUE(RemoveDirectoryW(folder.c_str()));
}

std::string TempFolder::path(std::string_view name) const {
    char narrow[MAX_PATH * 2];
    const int n = WideCharToMultiByte(CP_ACP, 0, folder.c_str(), -1, narrow, sizeof narrow, nullptr, nullptr);
    EXPECT_GT(n, 0);
    return std::string(narrow) + "\\" + std::string(name);
}

std::wstring TempFolder::wide_path(std::wstring_view name) const { return folder + L"\\" + std::wstring(name); }

bool TempFolder::exists(std::wstring_view name) const {
    return GetFileAttributesW(wide_path(name).c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::string TempFolder::read(std::string_view name) const {
    HANDLE file = CreateFileA(path(name).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, 0, nullptr);
    EXPECT_NE(file, INVALID_HANDLE_VALUE) << name;
    std::string bytes;
    char chunk[65536];
    DWORD n = 0;
    while (ReadFile(file, chunk, sizeof chunk, &n, nullptr) && n > 0)
        bytes.append(chunk, n);
    CloseHandle(file);
    return bytes;
}

void TempFolder::write(std::string_view name, std::string_view bytes) const {
    HANDLE file = CreateFileA(path(name).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE) << name;
    DWORD n = 0;
    EXPECT_TRUE(WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &n, nullptr));
    EXPECT_EQ(n, bytes.size());
    CloseHandle(file);
}

} // namespace test
