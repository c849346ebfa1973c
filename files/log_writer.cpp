// LogMsgAltAR8J: one timestamped entry, built in one heap block and handed
// to the file in one WriteFile, so that writers sharing a handle never
// interleave within an entry.
#include "Brindlewick.h"

#include "module/module.hpp"
#include "files/core/log_entry.hpp"

#include <cstdint>
#include <limits>
#include <string_view>

namespace {

// The block must stay doublable within the address space.
constexpr std::uint64_t largest_capacity = std::numeric_limits<std::size_t>::max() / 2;

void release_stamp(char *stamp) {
    if (stamp && !bw::is_shared_empty(stamp))
        bw::heap_free(stamp);
}

// A failed heap request leaves no last error of its own, and a stale one
// (183 from an open for appending, say) must not pass for the reason.
INT out_of_memory() {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return ERROR_NOT_ENOUGH_MEMORY;
}

// The block is released on every path; a failed write reports the write's
// error, not the release's.
INT write_and_release(HANDLE file, const bw::log::EntryBuffer &entry) {
    DWORD written = 0;
    const bool wrote = WriteFile(file, entry.bytes, static_cast<DWORD>(entry.length), &written, nullptr) != FALSE;
    const DWORD write_error = GetLastError();
    const bool released = bw::heap_free(entry.bytes);
    if (!wrote) {
        SetLastError(write_error);
        return static_cast<INT>(write_error);
    }
    if (written != entry.length)
        return BW_LOG_SHORT_WRITE;
    return released ? BW_LOG_OK : static_cast<INT>(GetLastError());
}

} // namespace

extern "C" INT WINAPI LogMsgAltAR8J(LPCSTR message, HANDLE file, INT utc) {
    const std::string_view text(message ? message : "", bw::text_length(message));
    if (text.empty())
        return BW_LOG_NO_MESSAGE;
    if (!file)
        return BW_LOG_NO_HANDLE;
    const bool in_utc = utc != 0;

    char *stamp = FormatNowAR8J(bw::log::prefix_template(in_utc, text.front() == '\n').data(), in_utc ? 1 : 0);
    const std::string_view prefix(stamp ? stamp : "", bw::text_length(stamp));
    const std::uint64_t capacity = bw::log::entry_capacity(text, prefix.size(), in_utc);
    auto *block = capacity <= largest_capacity ? static_cast<char *>(bw::heap_alloc(static_cast<std::size_t>(capacity)))
                                               : nullptr;
    if (!block) {
        release_stamp(stamp);
        return out_of_memory();
    }

    bw::log::EntryBuffer entry{block, static_cast<std::size_t>(capacity), 0};
    const bool built = bw::log::build_entry(entry, text, prefix, in_utc, [](char *bytes, std::size_t bigger) {
        return static_cast<char *>(bw::heap_realloc(bytes, bigger));
    });
    release_stamp(stamp);
    if (!built) {
        bw::heap_free(entry.bytes);
        return BW_LOG_NO_MEMORY;
    }
    return write_and_release(file, entry);
}
