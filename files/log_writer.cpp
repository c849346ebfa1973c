// LogMsgAltAR8J and LogMsgAltWR8J: one timestamped entry, built on the
// stack when it is small and otherwise measured and built in one heap block
// of exactly its size, then handed to the file in one WriteFile, so that
// writers sharing a handle never interleave within an entry. The stamp is
// written field by field from the log entry's own table of its fields,
// straight into the entry.
// The wide writer turns its message into UTF-8 first and then lays out the
// same entry as the narrow one.
#include "Brindlewick.h"

#include "files/pure/log_entry.hpp"
#include "files/pure/utf8.hpp"
#include "module/clock.hpp"
#include "module/module.hpp"

#include <cstdint>
#include <limits>
#include <optional>
#include <string_view>

namespace {

// Entries up to this size are built on the stack.
constexpr std::size_t stack_entry = 4096;

// A message whose entry could grow past this is refused as out of memory,
// whatever entry it gives: the limit depends on its length and its line
// feeds alone.
constexpr std::uint64_t largest_entry = std::numeric_limits<std::size_t>::max() / 2;

// A failure that no platform call reported, such as a heap request that
// failed: its code is set as the last error too, so that a stale one (183
// from an open for appending, say) does not pass for the reason.
INT log_failure(DWORD code) {
    SetLastError(code);
    return static_cast<INT>(code);
}

INT write_entry(HANDLE file, const char *entry, DWORD length) {
    DWORD written = 0;
    if (!WriteFile(file, entry, length, &written, nullptr))
        return static_cast<INT>(GetLastError());
    return written == length ? BW_LOG_OK : BW_LOG_SHORT_WRITE;
}

// The block is released on every path; a failure before the release
// reports its own error, not the release's.
INT release_after(INT result, char *block) {
    const DWORD error = GetLastError();
    const bool released = bw::work_free(block);
    if (result != BW_LOG_OK) {
        SetLastError(error);
        return result;
    }
    return released ? BW_LOG_OK : static_cast<INT>(GetLastError());
}

// The entry of a message that is not empty, for a handle that is not 0.
INT log_text(std::string_view text, HANDLE file, INT utc) {
    const bool in_utc = utc != 0;
    const bool leading = text.front() == '\n';

    const bw::Date now = bw::clock_date(in_utc);

    // The entry goes on the stack while it fits, and is measured all the
    // same. The stamp always fits.
    char small[stack_entry];
    const auto prefix = static_cast<std::size_t>(bw::log::write_stamp(in_utc, leading, now, small) - small);
    std::uint64_t length = prefix;
    const std::uint64_t line_feeds = bw::log::put_lines(text, in_utc, [&](std::string_view piece) {
        if (length + piece.size() <= stack_entry)
            bw::log::copy_piece(piece, small + length);
        length += piece.size();
    });
    if (bw::log::entry_bound(text.size(), line_feeds, prefix, in_utc) > largest_entry)
        return log_failure(ERROR_NOT_ENOUGH_MEMORY);
    // Only a 64-bit build can reach an entry that one WriteFile cannot
    // count; it is refused rather than written in part.
    if (length > std::numeric_limits<DWORD>::max())
        return log_failure(ERROR_ARITHMETIC_OVERFLOW);
    if (length <= stack_entry)
        return write_entry(file, small, static_cast<DWORD>(length));

    auto *block = static_cast<char *>(bw::work_alloc(static_cast<std::size_t>(length)));
    if (!block)
        return log_failure(ERROR_NOT_ENOUGH_MEMORY);
    // The message is read again to fill the block, within its bounds.
    bw::log::write_lines(text, in_utc, bw::log::write_stamp(in_utc, leading, now, block), block + length);
    return release_after(write_entry(file, block, static_cast<DWORD>(length)), block);
}

// The arguments as both writers check them, before any text is read: the
// refusal, or BW_LOG_OK.
template <typename C> INT refusal(std::basic_string_view<C> text, HANDLE file) {
    if (text.empty())
        return BW_LOG_NO_MESSAGE;
    return file ? BW_LOG_OK : BW_LOG_NO_HANDLE;
}

template <typename C> std::basic_string_view<C> view_of(const C *message) {
    return message ? std::basic_string_view<C>(message) : std::basic_string_view<C>();
}

} // namespace

extern "C" INT WINAPI LogMsgAltAR8J(LPCSTR message, HANDLE file, INT utc) {
    const std::string_view text = view_of(message);
    const INT refused = refusal(text, file);
    return refused != BW_LOG_OK ? refused : log_text(text, file, utc);
}

// A message of up to a third of the stack entry, three bytes
// a character at most, goes into UTF-8 on the stack in one pass; a longer
// one is measured first and converted into a block of its size.
extern "C" INT WINAPI LogMsgAltWR8J(LPCWSTR message, HANDLE file, INT utc) {
    const std::wstring_view text = view_of(message);
    if (const INT refused = refusal(text, file); refused != BW_LOG_OK)
        return refused;
    if (text.size() <= stack_entry / 3) {
        char small[stack_entry];
        const char *end = bw::utf8::write(text, small, small + stack_entry);
        if (!end)
            return log_failure(ERROR_NO_UNICODE_TRANSLATION);
        return log_text(std::string_view(small, static_cast<std::size_t>(end - small)), file, utc);
    }
    const std::optional<std::uint64_t> size = bw::utf8::size_of(text);
    if (!size)
        return log_failure(ERROR_NO_UNICODE_TRANSLATION);
    if (*size > largest_entry)
        return log_failure(ERROR_NOT_ENOUGH_MEMORY);
    const auto length = static_cast<std::size_t>(*size);
    auto *block = static_cast<char *>(bw::work_alloc(length));
    if (!block)
        return log_failure(ERROR_NOT_ENOUGH_MEMORY);
    // Bounded by the block, as the text is read again.
    bw::utf8::write(text, block, block + length);
    return release_after(log_text(std::string_view(block, length), file, utc), block);
}
