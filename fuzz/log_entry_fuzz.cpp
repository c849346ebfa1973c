// The log entry builder with any message, any prefix (a stamp, or nothing
// when the clock could not be formatted) and both flags, the one doubling
// granted or refused: the entry is the documented layout of the message's
// lines, fits the capacity after at most one doubling, and a refused
// doubling leaves the first block with the caller.
#include "files/core/log_entry.hpp"
#include "fuzz/input.hpp"

#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace {

enum Flags : std::uint8_t { utc = 1, refuse_doubling = 2 };

// The layout written plainly: the prefix; every line but the last followed
// by the line separator, with a carriage return that opens it dropped; a run
// of empty lines as one blank-line separator in place of the separator
// before it (straight after the prefix when none came before); the last
// line as it is with "\r\n"; one more "\r\n" for a final line feed. The line
// feed that opens a message is the one ahead of the stamp.
std::string laid_out(std::string_view message, std::string_view prefix, bool in_utc) {
    std::vector<std::string_view> lines;
    for (std::size_t start = 0;;) {
        const std::size_t feed = message.find('\n', start);
        lines.push_back(message.substr(start, feed == std::string_view::npos ? feed : feed - start));
        if (feed == std::string_view::npos)
            break;
        start = feed + 1;
    }
    const bool leading = message.front() == '\n';
    const bool trailing = message.back() == '\n';
    if (trailing)
        lines.pop_back();
    std::string entry(prefix);
    std::size_t separator_at = entry.size();
    for (std::size_t i = leading ? 1 : 0; i + 1 < lines.size(); ++i) {
        std::string_view line = lines[i];
        if (line.empty()) {
            entry.resize(separator_at);
            entry += bw::log::blank_separator(in_utc);
            continue;
        }
        if (line.front() == '\r')
            line.remove_prefix(1);
        entry += line;
        separator_at = entry.size();
        entry += bw::log::line_separator(in_utc);
    }
    if (lines.size() > (leading ? 1u : 0u) && !lines.back().empty())
        entry.append(lines.back()).append("\r\n");
    if (trailing)
        entry += "\r\n";
    return entry;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    fuzz::Bytes in{data, size};
    const auto flags = fuzz::take<std::uint8_t>(in);
    const bool in_utc = flags & utc;
    const std::string prefix = fuzz::take_text<char>(in);
    const std::string message(reinterpret_cast<const char *>(in.data), in.size);
    if (message.empty())
        return 0; // refused before any entry is built

    const std::uint64_t capacity = bw::log::entry_capacity(message, prefix.size(), in_utc);
    std::unique_ptr<char[]> block(new char[capacity]());
    char *const first = block.get();
    bw::log::EntryBuffer entry{first, static_cast<std::size_t>(capacity), 0};
    int doublings = 0;
    const bool built = bw::log::build_entry(entry, message, prefix, in_utc, [&](char *bytes, std::size_t bigger) {
        ++doublings;
        fuzz::require(bytes == block.get() && bigger == 2 * capacity, "the first block is doubled");
        if (flags & refuse_doubling)
            return static_cast<char *>(nullptr);
        std::unique_ptr<char[]> grown(new char[bigger]());
        std::memcpy(grown.get(), bytes, static_cast<std::size_t>(capacity));
        block = std::move(grown);
        return block.get();
    });
    fuzz::require(doublings <= 1, "one doubling at most");
    fuzz::require(entry.bytes == block.get(), "the block to release is the caller's current one");
    if (!built) {
        fuzz::require(doublings == 1 && (flags & refuse_doubling), "only a refused doubling fails");
        fuzz::require(entry.bytes == first, "a refused doubling leaves the first block");
        return 0;
    }
    fuzz::require(entry.length <= entry.capacity, "the entry fits its block");
    fuzz::require(std::string_view(entry.bytes, entry.length) == laid_out(message, prefix, in_utc),
                  "the entry has the documented layout");
    return 0;
}
