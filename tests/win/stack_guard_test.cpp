// The stack guard as a caller's process meets it: the canary that the load
// configuration names is seeded per process, and an overrun ends the
// process with STATUS_STACK_BUFFER_OVERRUN before any handler of it runs.
#include "dll.hpp"

#include <cstdint>
#include <cstdio>
#include <set>
#include <vector>

namespace {

// The value the system's loader replaces, for the pointer width.
constexpr std::uintptr_t default_guard =
    sizeof(void *) == 8 ? static_cast<std::uintptr_t>(0x00002B992DDFA232) : 0xBB40E64E;
constexpr int overrun_status = static_cast<int>(STATUS_STACK_BUFFER_OVERRUN);
constexpr UINT handler_ran = 0xBADBAD;

// The canary as the loader finds it, through the module's load configuration.
const std::uintptr_t *guard_of(HMODULE module) {
    const auto *base = reinterpret_cast<const BYTE *>(module);
    const auto *headers =
        reinterpret_cast<const IMAGE_NT_HEADERS *>(base + reinterpret_cast<const IMAGE_DOS_HEADER *>(base)->e_lfanew);
    const IMAGE_DATA_DIRECTORY &directory = headers->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_LOAD_CONFIG];
    if (directory.Size < offsetof(IMAGE_LOAD_CONFIG_DIRECTORY, SEHandlerTable))
        return nullptr;
    const auto *configuration = reinterpret_cast<const IMAGE_LOAD_CONFIG_DIRECTORY *>(base + directory.VirtualAddress);
    return reinterpret_cast<const std::uintptr_t *>(configuration->SecurityCookie);
}

// The canary folded into an exit status.
int folded(std::uintptr_t guard) { return static_cast<int>(static_cast<std::uint64_t>(guard) ^ (guard >> 16 >> 16)); }

LONG WINAPI vectored(EXCEPTION_POINTERS *) {
    TerminateProcess(GetCurrentProcess(), handler_ran);
    return EXCEPTION_CONTINUE_SEARCH;
}
#ifndef _WIN64
EXCEPTION_DISPOSITION __cdecl frame_handler(EXCEPTION_RECORD *, void *, CONTEXT *, void *) {
    TerminateProcess(GetCurrentProcess(), handler_ran);
    return ExceptionContinueSearch;
}
#endif

// Every kind of handler a process may have, each ending the process with a
// status of its own should it run; then the overrun.
void overrun_under_handlers(bool refuse_fast_fail) {
    const HMODULE faults = test::faults_dll();
    const auto refuse = test::export_of<LONG(WINAPI *)(LONG)>(faults, "BwRefuseFastFail");
    const auto overrun = test::export_of<void(WINAPI *)(DWORD)>(faults, "BwOverrunStackBuffer");
    AddVectoredExceptionHandler(1, vectored);
    SetUnhandledExceptionFilter(vectored);
#ifndef _WIN64
    struct Registration {
        void *next;
        void *handler;
    } registration{nullptr, reinterpret_cast<void *>(frame_handler)};
    asm volatile("movl %%fs:0, %0\n\tmovl %1, %%fs:0" : "=&r"(registration.next) : "r"(&registration) : "memory");
#endif
    refuse(refuse_fast_fail ? 1 : 0);
    overrun(16);
    std::fputs("a full buffer returns\n", stderr);
    std::fflush(stderr);
    overrun(16 + sizeof(void *));
}

TEST(StackGuard, OverrunEndsTheProcessBeforeAnyHandler) {
    for (const bool refuse_fast_fail : {false, true}) {
        SCOPED_TRACE(refuse_fast_fail ? "without fast fail" : "with fast fail as the system has it");
        EXPECT_EXIT(overrun_under_handlers(refuse_fast_fail), testing::ExitedWithCode(overrun_status),
                    "a full buffer returns");
    }
}

TEST(StackGuard, SeededPerProcessWhereTheLoadConfigurationNamesIt) {
    std::vector<int> seen;
    for (const HMODULE module : {test::dll(), test::faults_dll()}) {
        const std::uintptr_t *guard = guard_of(module);
        ASSERT_NE(guard, nullptr) << "the load configuration names no canary";
        EXPECT_NE(*guard, default_guard);
        EXPECT_NE(*guard, 0u);
        seen.push_back(folded(*guard));
    }
    for (int child = 0; child < 2; ++child)
        EXPECT_EXIT(
            ExitProcess(static_cast<UINT>(folded(*guard_of(test::dll())))),
            [&](int status) {
                seen.push_back(status);
                return true;
            },
            "");
    // A loader seeds from coarse sources (Wine's from the tick count and the
    // process id, which it reuses), so two loads may meet by chance; one
    // value in every load is a canary that is not seeded per load.
    EXPECT_GT(std::set<int>(seen.begin(), seen.end()).size(), 1u) << "one canary in every process";
}

// Where the loader left the default, as systems before Windows 8 and those
// that do not seed leave it, DllMain seeds it; a seeded value stays.
TEST(StackGuard, DllMainSeedsOnlyTheDefault) {
    const auto seed =
        test::export_of<std::uintptr_t(WINAPI *)(std::uintptr_t)>(test::faults_dll(), "BwSeedStackGuardFrom");
    const std::uintptr_t first = seed(default_guard), second = seed(default_guard);
    EXPECT_NE(first, default_guard);
    EXPECT_NE(first, 0u);
    EXPECT_NE(first, second);
    for (const std::uintptr_t seeded : {std::uintptr_t{1}, ~default_guard, first})
        EXPECT_EQ(seed(seeded), seeded);
}

} // namespace
