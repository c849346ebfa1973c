// The log entry builder with any message, any prefix and both flags: the
// walk writes exactly the length it measured into a block of that size,
// the entry is the documented layout of the message's lines, and the bound
// that refuses a message is at most one byte short of its entry.
#include "files/pure/log_entry.hpp"
#include "fuzz/input.hpp"

#include <algorithm>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace {

enum Flags : std::uint8_t { utc = 1 };

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

    std::uint64_t measured = 0;
    const std::uint64_t line_feeds =
        bw::log::put_lines(message, in_utc, [&](std::string_view piece) { measured += piece.size(); });
    const auto length = static_cast<std::size_t>(prefix.size() + measured);
    std::unique_ptr<char[]> block(new char[length]);
    std::memcpy(block.get(), prefix.data(), prefix.size());
    char *const end = bw::log::write_lines(message, in_utc, block.get() + prefix.size(), block.get() + length);
    fuzz::require(end == block.get() + length, "the walk writes the length it measured");
    fuzz::require(line_feeds == static_cast<std::uint64_t>(std::count(message.begin(), message.end(), '\n')),
                  "every line feed is counted");
    fuzz::require(length <= bw::log::entry_bound(message.size(), line_feeds, prefix.size(), in_utc) + 1,
                  "the bound is at most one byte short of the entry");
    fuzz::require(std::string_view(block.get(), length) == laid_out(message, prefix, in_utc),
                  "the entry has the documented layout");
    return 0;
}
