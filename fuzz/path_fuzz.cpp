// Path fix-up in any mode and the join of a fully qualified name, for any
// path, file name, directory and current directory, in both widths: codes
// in their order, block sizes, and exactly the backslashes documented.
#include "fuzz/input.hpp"
#include "tests/zeroed_block.hpp"
#include "text/pure/path.hpp"

#include <string_view>

namespace {

enum Flags : std::uint8_t { wide = 1, path_null = 2, name_null = 4, directory_null = 8 };

template <typename C> using Text = std::basic_string<C>;

template <typename C> std::size_t trailing_backslashes(const Text<C> &text) {
    const std::size_t last = text.find_last_not_of(bw::backslash<C>);
    return last == Text<C>::npos ? text.size() : text.size() - 1 - last;
}

// The fix-up as a caller sees it: null when refused, else the text of a
// block of exactly the planned size.
template <typename C> bool fix_up(const C *path, int mode, Text<C> &result) {
    const bw::Fixup plan = bw::plan_fixup(path, mode);
    if (plan.error)
        return false;
    const auto out = test::zeroed_block<C>(plan.block_size);
    bw::write_fixup(path, plan, out.get());
    fuzz::require(out[plan.block_size - 1] == C(0), "the zero fill terminates the fix-up");
    const Text<C> whole(out.get(), plan.block_size - 1);
    result.assign(out.get());
    fuzz::require(whole.find_first_not_of(C(0), result.size()) == Text<C>::npos,
                  "nothing but the zero fill after the fixed-up text");
    return true;
}

template <typename C> void check_fixup(const Text<C> &path, const C *path_arg, int mode) {
    const bw::Fixup plan = bw::plan_fixup(path_arg, mode);
    if (!path_arg) {
        fuzz::require(plan.error == BW_E_PATH_NULL, "a null path is refused");
        return;
    }
    if (path.empty()) {
        fuzz::require(plan.error == BW_E_PATH_EMPTY, "an empty path is refused");
        return;
    }
    Text<C> result;
    fuzz::require(fix_up(path_arg, mode, result), "a path is fixed up");
    const bool ends_in_backslash = path.back() == bw::backslash<C>;
    Text<C> expected = path;
    if (mode == bw::ensure_backslash && !ends_in_backslash)
        expected.push_back(bw::backslash<C>);
    if (mode == bw::remove_backslash && ends_in_backslash)
        expected.pop_back();
    fuzz::require(result == expected, "one backslash added in mode 1, one removed in mode 2, else a copy");
    fuzz::require(plan.block_size == expected.size() + 1 + (mode == bw::remove_backslash && ends_in_backslash),
                  "a block one longer than the result, or than the path when one is removed");
}

template <typename C>
void check_qualify(const Text<C> &name, const C *name_arg, const Text<C> &directory, const C *directory_arg,
                   const Text<C> &current) {
    const bw::Qualify plan = bw::plan_qualify(name_arg, directory_arg);
    if (!name_arg) {
        fuzz::require(plan.error == BW_E_FILE_NAME_NULL, "a null file name is refused");
        return;
    }
    if (name.empty()) {
        fuzz::require(plan.error == BW_E_FILE_NAME_EMPTY, "an empty file name is refused");
        return;
    }
    if (name.find(bw::backslash<C>) != Text<C>::npos) {
        fuzz::require(plan.error == 0 && plan.source == bw::DirectorySource::none,
                      "a name with a backslash is copied, whatever the directory");
        return;
    }
    if (!directory_arg) {
        fuzz::require(plan.error == BW_E_DIRECTORY_NULL, "a null directory is refused for a bare name");
        return;
    }
    fuzz::require(plan.error == 0, "a bare name with a directory is qualified");
    fuzz::require(plan.source == (directory.empty() ? bw::DirectorySource::current : bw::DirectorySource::given),
                  "an empty directory means the current one");

    // The directory part: the given one fixed up to end in a backslash, or
    // the current directory as the platform reports it.
    Text<C> part = current;
    if (plan.source == bw::DirectorySource::given) {
        fuzz::require(fix_up(directory_arg, bw::ensure_backslash, part), "a given directory is fixed up");
        fuzz::require(part.back() == bw::backslash<C>, "the fixed-up directory ends in a backslash");
    }
    const std::size_t block = bw::joined_block(part.size(), name.size());
    const auto out = test::zeroed_block<C>(block);
    bw::write_joined<C>(part, name, out.get());
    const Text<C> joined(out.get(), block - 1);
    const std::size_t separators = part.empty() || part.back() != bw::backslash<C> ? 1 : 0;
    const std::size_t length = part.size() + separators + name.size();
    fuzz::require(joined.compare(0, part.size(), part) == 0, "the joined name starts with the directory");
    fuzz::require(joined.compare(part.size() + separators, name.size(), name) == 0, "then the file name follows");
    fuzz::require(joined[length - 1 - name.size()] == bw::backslash<C>, "a backslash stands before the name");
    fuzz::require(Text<C>(out.get()).size() == length, "the zero fill terminates the joined name");
    const std::size_t at_join = trailing_backslashes(joined.substr(0, length - name.size()));
    fuzz::require(at_join == std::max<std::size_t>(1, trailing_backslashes(part)),
                  "exactly one backslash at the join, unless the directory brought more");
}

template <typename C> void paths(fuzz::Bytes in, std::uint8_t flags) {
    const auto mode = fuzz::take<std::int32_t>(in);
    const Text<C> path = fuzz::take_text<C>(in);
    const Text<C> name = fuzz::take_text<C>(in);
    const Text<C> directory = fuzz::take_text<C>(in);
    const Text<C> current = fuzz::take_text<C>(in);
    const auto path_block = fuzz::exact_copy<C>(path);
    const auto name_block = fuzz::exact_copy<C>(name);
    const auto directory_block = fuzz::exact_copy<C>(directory);
    check_fixup(path, flags & path_null ? nullptr : path_block.get(), mode);
    check_qualify(name, flags & name_null ? nullptr : name_block.get(), directory,
                  flags & directory_null ? nullptr : directory_block.get(), current);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    fuzz::Bytes in{data, size};
    const auto flags = fuzz::take<std::uint8_t>(in);
    if (flags & wide)
        paths<char16_t>(in, flags);
    else
        paths<char>(in, flags);
    return 0;
}
