// Path fix-up and fully qualified names: PathStringFixupA/W and MakeFQFNA/W.
#include "text/pure/path.hpp"
#include "Brindlewick.h"
#include "text/results.hpp"

#include <algorithm>
#include <string_view>

namespace {

// Into a block from allocate(n): a result, or a directory for the call's own
// work.
template <typename C, typename Allocate> C *fixup(const C *path, int mode, Allocate allocate) {
    const bw::Fixup plan = bw::plan_fixup(path, mode);
    if (plan.error)
        return bw::fail_with<C>(plan.error);
    C *block = allocate(plan.block_size);
    if (!block)
        return bw::fail_with<C>(BW_E_NO_MEMORY);
    bw::write_fixup(path, plan, block);
    return block;
}

// A directory in a work block of its own; a null block when it could not be
// had, the last error saying why.
template <typename C> struct DirectoryPart {
    C *block;
    std::size_t length;
};

template <typename C> DirectoryPart<C> given_directory(const C *directory) {
    C *fixed = fixup(directory, bw::ensure_backslash, bw::new_work_block<C>);
    if (bw::is_shared_empty(fixed))
        return {nullptr, 0};
    return {fixed, bw::text_length(fixed)};
}

DWORD read_current_directory(DWORD size, char *buffer) { return GetCurrentDirectoryA(size, buffer); }
DWORD read_current_directory(DWORD size, wchar_t *buffer) { return GetCurrentDirectoryW(size, buffer); }

// Another thread may change the current directory between two reads, so a
// read that asks for a larger buffer is followed by another, a few times at
// most; a directory is never used cut short.
constexpr int directory_reads = 4;

template <typename C> DirectoryPart<C> current_directory() {
    DWORD size = MAX_PATH;
    C *buffer = bw::new_work_block<C>(size);
    if (!buffer) {
        SetLastError(BW_E_NO_MEMORY);
        return {nullptr, 0};
    }
    for (int read = 1;; ++read) {
        // The length when the directory fits, else the size it needs.
        const DWORD answer = read_current_directory(size, buffer);
        if (answer != 0 && answer <= size)
            return {buffer, answer};
        if (answer == 0 || read == directory_reads) {
            if (answer != 0)
                SetLastError(ERROR_INSUFFICIENT_BUFFER);
            const DWORD error = GetLastError();
            bw::work_free(buffer);
            SetLastError(error);
            return {nullptr, 0};
        }
        // The next read fills the whole buffer again.
        bw::work_free(buffer);
        buffer = bw::new_work_block<C>(answer);
        if (!buffer) {
            SetLastError(BW_E_NO_MEMORY);
            return {nullptr, 0};
        }
        size = answer;
    }
}

template <typename C> C *qualify(const C *file_name, const C *directory) {
    const bw::Qualify plan = bw::plan_qualify(file_name, directory);
    if (plan.error)
        return bw::fail_with<C>(plan.error);
    const std::basic_string_view<C> name(file_name);
    if (plan.source == bw::DirectorySource::none) {
        C *copy = bw::new_block<C>(name.size() + 1);
        if (!copy)
            return bw::fail_with<C>(BW_E_NO_MEMORY);
        std::copy(name.begin(), name.end(), copy);
        return copy;
    }
    const DirectoryPart<C> part =
        plan.source == bw::DirectorySource::given ? given_directory(directory) : current_directory<C>();
    if (!part.block)
        return bw::shared_empty<C>();
    C *joined = bw::new_block<C>(bw::joined_block(part.length, name.size()));
    if (joined)
        bw::write_joined<C>({part.block, part.length}, name, joined);
    bw::work_free(part.block);
    return joined ? joined : bw::fail_with<C>(BW_E_NO_MEMORY);
}

} // namespace

extern "C" LPSTR WINAPI PathStringFixupAR8J(LPCSTR path, INT mode) { return fixup(path, mode, bw::new_block<char>); }
extern "C" LPWSTR WINAPI PathStringFixupWR8J(LPCWSTR path, INT mode) {
    return fixup(path, mode, bw::new_block<wchar_t>);
}
extern "C" LPSTR WINAPI MakeFQFNAR8J(LPCSTR file_name, LPCSTR directory) { return qualify(file_name, directory); }
extern "C" LPWSTR WINAPI MakeFQFNWR8J(LPCWSTR file_name, LPCWSTR directory) { return qualify(file_name, directory); }
