// Path fix-up and the join of a directory with a file name. Only the
// backslash separates; a forward slash is an ordinary character, and the
// narrow form tests single bytes.
#pragma once

#include "BrindlewickCodes.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace bw {

template <typename C> inline constexpr C backslash = C('\\');

inline constexpr int ensure_backslash = 1;
inline constexpr int remove_backslash = 2;

// The layout of a fix-up result: the first `kept` characters of the path,
// then one backslash when `add_backslash`, in a zero-filled block of `block_size`
// characters (the zero fill terminates it). `error` is 0 or the code of a
// refused path.
struct Fixup {
    std::uint32_t error;
    std::size_t kept;
    bool add_backslash;
    std::size_t block_size;
};

// Mode 1 ensures one trailing backslash, mode 2 removes one, any other mode
// copies. Never more than one backslash is added or removed.
template <typename C> constexpr Fixup plan_fixup(const C *path, int mode) {
    if (!path)
        return {BW_E_PATH_NULL, 0, false, 0};
    const std::basic_string_view<C> text(path);
    const std::size_t n = text.size();
    if (n == 0)
        return {BW_E_PATH_EMPTY, 0, false, 0};
    const bool ends_in_backslash = text.back() == backslash<C>;
    if (mode == ensure_backslash && !ends_in_backslash)
        return {0, n, true, n + 2};
    if (mode == remove_backslash && ends_in_backslash)
        return {0, n - 1, false, n + 1};
    return {0, n, false, n + 1};
}

// Writes the result into a block of at least plan.block_size characters.
template <typename C> constexpr void write_fixup(const C *path, const Fixup &plan, C *out) {
    std::copy_n(path, plan.kept, out);
    if (plan.add_backslash)
        out[plan.kept] = backslash<C>;
}

// Where the directory of a fully qualified name comes from.
enum class DirectorySource {
    none,    // the file name holds a backslash and is copied as it is
    given,   // the directory argument, fixed up to end in a backslash
    current, // the process's current directory
};

struct Qualify {
    std::uint32_t error;
    DirectorySource source;
};

// The directory is looked at only when the file name holds no backslash,
// so it may be null for a name that is already qualified.
template <typename C> constexpr Qualify plan_qualify(const C *file_name, const C *directory) {
    if (!file_name)
        return {BW_E_FILE_NAME_NULL, DirectorySource::none};
    const std::basic_string_view<C> name(file_name);
    if (name.empty())
        return {BW_E_FILE_NAME_EMPTY, DirectorySource::none};
    if (name.find(backslash<C>) != std::basic_string_view<C>::npos)
        return {0, DirectorySource::none};
    if (!directory)
        return {BW_E_DIRECTORY_NULL, DirectorySource::none};
    return {0, *directory ? DirectorySource::given : DirectorySource::current};
}

// Characters of the block that holds a directory joined to a file name:
// room for the separator and the terminator.
constexpr std::size_t joined_block(std::size_t directory, std::size_t file_name) { return directory + file_name + 2; }

// The directory, one backslash unless it already ends in one, the file name.
// `out` has at least joined_block(...) characters.
template <typename C>
constexpr void write_joined(std::basic_string_view<C> directory, std::basic_string_view<C> file_name, C *out) {
    C *at = std::copy(directory.begin(), directory.end(), out);
    if (directory.empty() || directory.back() != backslash<C>)
        *at++ = backslash<C>;
    std::copy(file_name.begin(), file_name.end(), at);
}

} // namespace bw
