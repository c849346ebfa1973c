// File handles as native callers use them, on real files: what each open
// finds, creates and shares, where an append starts, and what closes.
#include "dll.hpp"
#include "temp_folder.hpp"

#include <winioctl.h>

#include <cstdint>

namespace {

std::int64_t position(HANDLE file) {
    LARGE_INTEGER at{};
    EXPECT_TRUE(SetFilePointerEx(file, LARGE_INTEGER{}, &at, FILE_CURRENT));
    return at.QuadPart;
}

void put(HANDLE file, std::string_view bytes) {
    DWORD n = 0;
    EXPECT_TRUE(WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &n, nullptr)) << GetLastError();
    EXPECT_EQ(n, bytes.size());
}

constexpr bool variants[] = {false, true};
const char *variant_name(bool wide) { return wide ? "W" : "A"; }

class FileHandles : public test::TempFolder {
protected:
    // ASCII names, through the narrow or the wide export.
    HANDLE open_input(bool wide, std::wstring_view name) const {
        if (wide)
            return test::exports().wide.open_input(wide_path(name).c_str());
        return test::exports().narrow.open_input(path(test::ansi(name)).c_str());
    }
    HANDLE open_output(bool wide, std::wstring_view name, INT append) const {
        if (wide)
            return test::exports().wide.open_output(wide_path(name).c_str(), append);
        return test::exports().narrow.open_output(path(test::ansi(name)).c_str(), append);
    }

    // A file of `size` bytes that takes no room on the disk, ending in Z.
    void make_sparse(std::wstring_view name, std::int64_t size) const {
        HANDLE file = CreateFileW(wide_path(name).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        ASSERT_NE(file, INVALID_HANDLE_VALUE);
        DWORD unused = 0;
        DeviceIoControl(file, FSCTL_SET_SPARSE, nullptr, 0, nullptr, 0, &unused, nullptr);
        LARGE_INTEGER at;
        at.QuadPart = size - 1;
        ASSERT_TRUE(SetFilePointerEx(file, at, nullptr, FILE_BEGIN));
        put(file, "Z");
        CloseHandle(file);
    }

    std::string tail(std::wstring_view name, std::int64_t from) const {
        HANDLE file =
            CreateFileW(wide_path(name).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
        LARGE_INTEGER at;
        at.QuadPart = from;
        SetFilePointerEx(file, at, nullptr, FILE_BEGIN);
        char bytes[16];
        DWORD n = 0;
        EXPECT_TRUE(ReadFile(file, bytes, sizeof bytes, &n, nullptr));
        CloseHandle(file);
        return std::string(bytes, n);
    }
};

TEST_F(FileHandles, MissingFileForReadingGivesZeroAndCreatesNothing) {
    for (const bool wide : variants) {
        SetLastError(0);
        EXPECT_EQ(open_input(wide, L"missing.txt"), nullptr) << variant_name(wide);
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND)) << variant_name(wide);
        EXPECT_FALSE(exists(L"missing.txt"));
    }
}

TEST_F(FileHandles, ReadingStartsAtTheBeginning) {
    write("data.txt", "abcdef");
    for (const bool wide : variants) {
        HANDLE file = open_input(wide, L"data.txt");
        ASSERT_NE(file, nullptr) << variant_name(wide);
        char bytes[8] = {};
        DWORD n = 0;
        EXPECT_TRUE(ReadFile(file, bytes, sizeof bytes, &n, nullptr));
        EXPECT_EQ(std::string(bytes, n), "abcdef");
        EXPECT_EQ(test::exports().close(file), 1);
    }
}

TEST_F(FileHandles, MissingFileForWritingIsCreatedEmpty) {
    for (const bool wide : variants)
        for (const INT append : {0, 1, -7}) {
            const std::wstring name = L"new-" + std::to_wstring(wide) + std::to_wstring(append) + L".log";
            HANDLE file = open_output(wide, name, append);
            ASSERT_NE(file, nullptr) << variant_name(wide) << append;
            EXPECT_EQ(position(file), 0);
            EXPECT_EQ(read(test::ansi(name)), "");
            EXPECT_EQ(test::exports().close(file), 1);
        }
}

TEST_F(FileHandles, WritingReplacesTheStartOrAppends) {
    struct Case {
        INT append;
        std::string_view after;
    } cases[] = {{0, "XYcdef"}, {1, "abcdefXY"}, {0x100, "abcdefXY"}};
    for (const bool wide : variants)
        for (const Case &c : cases) {
            write("abc.txt", "abcdef");
            HANDLE file = open_output(wide, L"abc.txt", c.append);
            ASSERT_NE(file, nullptr);
            put(file, "XY");
            EXPECT_EQ(test::exports().close(file), 1);
            EXPECT_EQ(read("abc.txt"), c.after) << variant_name(wide) << c.append;
        }
}

TEST_F(FileHandles, AppendStartsAtTheTrueEndOfLargeFiles) {
    // 4 GiB - 1 bytes has a low size half of 0xFFFFFFFF, the value that the
    // 32-bit size call also uses for failure.
    constexpr std::int64_t sizes[] = {0xFFFFFFFFll, 0x100000000ll, 0x100000003ll, 0x2A0000011ll};
    for (const bool wide : variants)
        for (const std::int64_t size : sizes) {
            make_sparse(L"big.bin", size);
            HANDLE file = open_output(wide, L"big.bin", 1);
            ASSERT_NE(file, nullptr) << variant_name(wide) << " size " << size << " error " << GetLastError();
            EXPECT_EQ(position(file), size) << variant_name(wide);
            put(file, "XY");
            EXPECT_EQ(test::exports().close(file), 1);
            EXPECT_EQ(tail(L"big.bin", size - 1), "ZXY") << variant_name(wide) << " size " << size;
        }
}

// A pipe opens for writing as an existing file but has no size: the open
// fails with the platform's error and must not keep the client end open.
TEST_F(FileHandles, AppendThatCannotPositionClosesWhatItOpened) {
    for (const bool wide : variants) {
        const std::wstring name = L"\\\\.\\pipe\\bw-append-" + std::to_wstring(GetCurrentProcessId());
        HANDLE server = CreateNamedPipeW(name.c_str(), PIPE_ACCESS_INBOUND, PIPE_TYPE_BYTE, 1, 0, 0, 0, nullptr);
        ASSERT_NE(server, INVALID_HANDLE_VALUE);
        HANDLE file = wide ? test::exports().wide.open_output(name.c_str(), 1)
                           : test::exports().narrow.open_output(test::ansi(name).c_str(), 1);
        EXPECT_EQ(file, nullptr) << variant_name(wide);
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_FUNCTION)) << variant_name(wide);
        DWORD waiting = 0;
        EXPECT_FALSE(PeekNamedPipe(server, nullptr, 0, nullptr, &waiting, nullptr)) << variant_name(wide);
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_BROKEN_PIPE)) << "the client end is still open";
        CloseHandle(server);
    }
}

TEST_F(FileHandles, WideNamesReachTheFileSystemUnchanged) {
    const std::wstring name = L"\u0436\u0443\u0440\u043d\u0430\u043b-\u00fc\u20ac.log";
    HANDLE file = test::exports().wide.open_output(wide_path(name).c_str(), 1);
    ASSERT_NE(file, nullptr);
    EXPECT_EQ(test::exports().close(file), 1);
    EXPECT_TRUE(exists(name));
    file = test::exports().wide.open_input(wide_path(name).c_str());
    EXPECT_NE(file, nullptr);
    EXPECT_EQ(test::exports().close(file), 1);
}

TEST_F(FileHandles, OnlyReadersShareAFile) {
    enum Open { reading, writing };
    struct Case {
        Open first, second;
        bool second_opens;
    } cases[] = {
        {reading, reading, true},
        {reading, writing, false},
        {writing, reading, false},
        {writing, writing, false},
    };
    write("shared.txt", "abc");
    for (const bool wide : variants)
        for (const Case &c : cases) {
            auto open = [&](Open how) {
                return how == reading ? open_input(wide, L"shared.txt") : open_output(wide, L"shared.txt", 1);
            };
            HANDLE first = open(c.first);
            ASSERT_NE(first, nullptr);
            HANDLE second = open(c.second);
            EXPECT_EQ(second != nullptr, c.second_opens) << variant_name(wide) << c.first << c.second;
            if (second) {
                EXPECT_EQ(test::exports().close(second), 1);
            } else {
                EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
            }
            EXPECT_EQ(test::exports().close(first), 1);
        }
}

TEST_F(FileHandles, CloseAnswersOneOnlyForAnOpenHandle) {
    write("c.txt", "abc");
    HANDLE input = open_input(false, L"c.txt");
    HANDLE output = open_output(true, L"d.txt", 0);
    ASSERT_NE(input, nullptr);
    ASSERT_NE(output, nullptr);
    EXPECT_EQ(test::exports().close(input), 1);
    EXPECT_EQ(test::exports().close(output), 1);
    EXPECT_EQ(test::exports().close(input), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
    EXPECT_EQ(test::exports().close(nullptr), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
}

} // namespace
