// Template expansion with any template, any date record and names of any
// length, in both widths, with any allocation failing or any release
// refused: the result is that of the plain pass-by-pass expansion, exactly
// as long as its block says, and no block is lost.
#include "datetime/core/date_template.hpp"
#include "fuzz/input.hpp"

#include <array>
#include <cstdio>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace {

enum Flags : std::uint8_t { wide = 1 };

template <typename C> using Text = std::basic_string<C>;

// Blocks handed out and not yet released, with their room, and failures on
// request. A refused release leaves its block with the heap, to be freed at
// the end.
template <typename C> struct Heap {
    std::map<C *, std::size_t> live;
    std::set<C *> refused;
    unsigned fail_allocation; // the nth allocation fails; 0 for none
    unsigned refuse_release;  // the nth release is refused; 0 for none
    unsigned allocations = 0, releases = 0;
    bool failed = false;

    C *allocate(std::size_t n) {
        if (++allocations == fail_allocation) {
            failed = true;
            return nullptr;
        }
        C *block = new C[n + 1];
        live[block] = n;
        return block;
    }
    bool release(C *block) {
        fuzz::require(live.count(block) == 1, "only live blocks are released, each once");
        live.erase(block);
        if (++releases == refuse_release) {
            failed = true;
            refused.insert(block);
            return false;
        }
        delete[] block;
        return true;
    }
    ~Heap() {
        for (auto &[block, room] : live)
            delete[] block;
        for (C *block : refused)
            delete[] block;
    }
};

// Token values as the runtime prints them: "%02u", "%1u" and "%4u" for
// numbers, "%s", "%3s" and "%2s" for names.
template <typename C> Text<C> printed(unsigned number, const char *conversion) {
    char digits[16];
    std::snprintf(digits, sizeof digits, conversion, number);
    return Text<C>(digits, digits + std::char_traits<char>::length(digits));
}

template <typename C> Text<C> padded(const Text<C> &name, std::size_t width) {
    return name.size() >= width ? name : Text<C>(width - name.size(), C(' ')) + name;
}

template <typename C> Text<C> widened(std::string_view ascii) { return Text<C>(ascii.begin(), ascii.end()); }

// The pass-by-pass meaning: for each token in table order, every
// occurrence in the text so far becomes its value. A pass that leaves an
// empty text, or an empty template, gives no result.
template <typename C>
bool expand_plainly(Text<C> text, const bw::Date &date, const std::array<Text<C>, 4> &names, Text<C> &result) {
    const std::array<std::pair<const char *, Text<C>>, 13> passes{{
        {"^MMMM", names[1]},
        {"^MMM", padded(names[0], 3)},
        {"^MM", printed<C>(date.month, "%02u")},
        {"^DD", printed<C>(date.day, "%02u")},
        {"^D", printed<C>(date.day, "%1u")},
        {"^YYYY", printed<C>(date.year, "%4u")},
        {"^hh", printed<C>(date.hour, "%02u")},
        {"^h", printed<C>(date.hour, "%1u")},
        {"^mm", printed<C>(date.minute, "%02u")},
        {"^ss", printed<C>(date.second, "%02u")},
        {"^WWWW", names[3]},
        {"^WWW", padded(names[2], 3)},
        {"^WW", padded(names[2], 2)},
    }};
    for (const auto &[token_ascii, value] : passes) {
        const Text<C> token = widened<C>(token_ascii);
        std::size_t at = text.find(token);
        if (at == Text<C>::npos)
            continue;
        for (; at != Text<C>::npos; at = text.find(token, at + value.size()))
            text.replace(at, token.size(), value);
        if (text.empty())
            return false;
    }
    result = text;
    return !text.empty();
}

template <typename C> void expand(fuzz::Bytes in) {
    const auto fail_allocation = fuzz::take<std::uint8_t>(in);
    const auto refuse_release = fuzz::take<std::uint8_t>(in);
    bw::Date date{};
    for (std::uint16_t *field : {&date.year, &date.month, &date.weekday, &date.day, &date.hour, &date.minute,
                                 &date.second, &date.milliseconds})
        *field = fuzz::take<std::uint16_t>(in);
    std::array<Text<C>, 4> names; // abbreviated month, month, abbreviated weekday, weekday
    for (Text<C> &name : names)
        name = fuzz::take_text<C>(in);
    const Text<C> text = fuzz::take_text<C>(in);
    const auto text_block = fuzz::exact_copy<C>(text);

    Heap<C> heap{{}, {}, fail_allocation, refuse_release};
    C *result = bw::expand_date_template<C>(
        {text_block.get(), text.size()}, date, {names[0], names[1], names[2], names[3]},
        [&](std::size_t n) { return heap.allocate(n); }, [&](C *block) { return heap.release(block); });

    Text<C> expected;
    const bool expands = expand_plainly(text, date, names, expected);
    if (heap.failed) {
        fuzz::require(!result, "a failed allocation or a refused release gives no result");
        fuzz::require(heap.live.empty(), "every block is released");
        return;
    }
    fuzz::require((result != nullptr) == expands, "a result exactly when the passes leave a text");
    if (!result) {
        fuzz::require(heap.live.empty(), "no block is kept without a result");
        return;
    }
    fuzz::require(heap.live.size() == 1 && heap.live.count(result) == 1, "only the result's block is kept");
    fuzz::require(heap.live[result] == expected.size(), "a block with room for the text and its terminator");
    fuzz::require(Text<C>(result, expected.size()) == expected, "the text of the pass-by-pass expansion");
    fuzz::require(result[expected.size()] == C(0), "terminated right after the text");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    fuzz::Bytes in{data, size};
    const auto flags = fuzz::take<std::uint8_t>(in);
    if (flags & wide)
        expand<char16_t>(in);
    else
        expand<char>(in);
    return 0;
}
