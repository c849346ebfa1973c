// The 64-bit DLL beyond 32 bits. Under Wine the process heap lies below
// 4 GiB, so a pointer or a size cut to 32 bits would pass every other test:
// here the free address space below 4 GiB is reserved first, so that every
// block of a megabyte or more, the inputs' and the results', lands above
// it. And a log entry longer than 4 GiB, which one WriteFile cannot count.
#include "dll.hpp"
#include "temp_folder.hpp"

#include <algorithm>
#include <cstdint>
#include <functional>
#include <vector>

namespace {

using test::as;

constexpr std::uintptr_t four_gib = std::uintptr_t{1} << 32;
constexpr std::size_t megabyte = std::size_t{1} << 20;

bool above_four_gib(const void *block) { return reinterpret_cast<std::uintptr_t>(block) >= four_gib; }

class AboveFourGiB : public test::TempFolder {
protected:
    void SetUp() override {
        TempFolder::SetUp();
        reserved.reserve(256);
        constexpr std::uintptr_t granularity = 0x10000;
        MEMORY_BASIC_INFORMATION region;
        for (std::uintptr_t at = granularity;
             at < four_gib && VirtualQuery(reinterpret_cast<void *>(at), &region, sizeof region) != 0;
             at = reinterpret_cast<std::uintptr_t>(region.BaseAddress) + region.RegionSize) {
            const auto base = reinterpret_cast<std::uintptr_t>(region.BaseAddress);
            const std::uintptr_t start = (base + granularity - 1) & ~(granularity - 1);
            const std::uintptr_t end = std::min(base + region.RegionSize, four_gib);
            if (region.State == MEM_FREE && end > start)
                if (void *block =
                        VirtualAlloc(reinterpret_cast<void *>(start), end - start, MEM_RESERVE, PAGE_NOACCESS))
                    reserved.push_back(block);
        }
        void *probe = HeapAlloc(GetProcessHeap(), 0, megabyte);
        ASSERT_TRUE(above_four_gib(probe)) << "a megabyte block still lies below 4 GiB";
        HeapFree(GetProcessHeap(), 0, probe);
    }
    void TearDown() override {
        for (void *block : reserved)
            VirtualFree(block, 0, MEM_RELEASE);
        TempFolder::TearDown();
    }

private:
    std::vector<void *> reserved;
};

template <typename C> class AboveFourGiBText : public AboveFourGiB {};
using Widths = ::testing::Types<char, wchar_t>;
TYPED_TEST_SUITE(AboveFourGiBText, Widths);

// Each text service makes a result of over a megabyte from inputs of that
// size: the result lies above 4 GiB and is whole, with its terminator in
// its block.
TYPED_TEST(AboveFourGiBText, EveryTextServiceReturnsItsWholeResultThere) {
    using C = TypeParam;
    using Text = std::basic_string<C>;
    const auto api = test::exports().width<C>();
    const Text ymdhms = as<C>("2008:05:30:14:07:09"), name = as<C>("a.txt");
    const Text letters(megabyte, C('a')), spaced = letters + C(' ') + letters;
    Text days_template, days;
    for (std::size_t i = 0; i < megabyte / 3; ++i) {
        days_template += as<C>("^DD.");
        days += as<C>("30.");
    }
    const struct {
        const char *what;
        std::function<C *()> call;
        Text expected;
    } cases[] = {
        {"FormatNow", [&] { return api.format_now(letters.c_str(), 1); }, letters},
        {"FormatYmdHms", [&] { return api.format_ymdhms(ymdhms.c_str(), days_template.c_str()); }, days},
        {"PathStringFixup", [&] { return api.fixup(letters.c_str(), 1); }, letters + C('\\')},
        {"MakeFQFN", [&] { return api.qualify(name.c_str(), letters.c_str()); }, letters + C('\\') + name},
        {"QuoteString", [&] { return api.quote(spaced.c_str(), 1, nullptr); }, C('"') + spaced + C('"')},
    };
    for (const auto &c : cases) {
        C *result = c.call();
        EXPECT_TRUE(above_four_gib(result)) << c.what;
        const test::Owned<C> owned = test::take(result);
        EXPECT_TRUE(owned.text == c.expected) << c.what << ": " << owned.text.size() << " characters";
        EXPECT_GE(owned.block, c.expected.size() + 1) << c.what;
    }
}

// The entry of a megabyte message is built above 4 GiB and written whole.
TEST_F(AboveFourGiB, TheLogWriterWritesAMegabyteEntryWhole) {
    const std::string message = std::string(megabyte, 'm') + "\nlast";
    HANDLE file = CreateFileA(path("big.log").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    EXPECT_EQ(test::exports().narrow.log(message.c_str(), file, 1), BW_LOG_OK);
    CloseHandle(file);
    const std::string entry = read("big.log");
    const std::string separator = "\r\n" + std::string(24, ' ');
    ASSERT_EQ(entry.size(), 24 + megabyte + separator.size() + 4 + 2);
    EXPECT_EQ(entry.substr(19, 5), " UTC ");
    EXPECT_TRUE(entry.compare(24, megabyte, message, 0, megabyte) == 0);
    EXPECT_EQ(entry.substr(24 + megabyte), separator + "last\r\n");
}

// A text of `length` letters and its terminator that costs the memory of
// one 16 MiB section: the section, filled with letters, is mapped again
// and again over one stretch of address space, and a page of its own ends
// the text.
class RepeatedText {
public:
    explicit RepeatedText(std::uint64_t length) {
        section = CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, piece, nullptr);
        if (char *fill = static_cast<char *>(MapViewOfFile(section, FILE_MAP_WRITE, 0, 0, piece))) {
            std::fill_n(fill, piece, 'a');
            UnmapViewOfFile(fill);
        }
        const auto pieces = static_cast<std::size_t>(length / piece), rest = static_cast<std::size_t>(length % piece);
        start = static_cast<char *>(VirtualAlloc(nullptr, pieces * piece + rest + 1, MEM_RESERVE, PAGE_NOACCESS));
        VirtualFree(start, 0, MEM_RELEASE);
        for (std::size_t i = 0; i < pieces; ++i)
            views.push_back(MapViewOfFileEx(section, FILE_MAP_READ, 0, 0, piece, start + i * piece));
        end = static_cast<char *>(
            VirtualAlloc(start + pieces * piece, rest + 1, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE));
        if (end)
            std::fill_n(end, rest, 'a');
        whole = end && std::count(views.begin(), views.end(), nullptr) == 0;
    }
    ~RepeatedText() {
        for (void *view : views)
            UnmapViewOfFile(view);
        VirtualFree(end, 0, MEM_RELEASE);
        CloseHandle(section);
    }
    RepeatedText(const RepeatedText &) = delete;
    RepeatedText &operator=(const RepeatedText &) = delete;

    const char *text() const { return start; }
    bool whole = false;

private:
    static constexpr std::size_t piece = 16u << 20;
    HANDLE section = nullptr;
    char *start = nullptr;
    char *end = nullptr;
    std::vector<void *> views;
};

class OverFourGiB : public test::TempFolder {};

// One WriteFile counts its bytes in a DWORD: an entry longer than that fails
// with ERROR_ARITHMETIC_OVERFLOW before anything is written.
TEST_F(OverFourGiB, ALogEntryThatOneWriteCannotCountIsRefusedAndNothingWritten) {
    const RepeatedText message(four_gib + 100);
    ASSERT_TRUE(message.whole) << "could not map a text of 4 GiB";
    HANDLE file = CreateFileA(path("huge.log").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    SetLastError(0);
    EXPECT_EQ(test::exports().narrow.log(message.text(), file, 0), ERROR_ARITHMETIC_OVERFLOW);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ARITHMETIC_OVERFLOW));
    CloseHandle(file);
    EXPECT_EQ(read("huge.log"), "");
}

} // namespace
