// Template expansion with any template, any date record and names of any
// length, in both widths, with any allocation failing, any release refused
// or any name series unreadable: the result is that of the plain
// pass-by-pass expansion, exactly as long as its block says, no block is
// lost, and a name series is read once if the passes print it, else never.
#include "fuzz/input.hpp"
#include "tests/date_passes.hpp"

#include <array>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace {

// Bits 1 and 2 pick the name series that cannot be read when bit 3 is set.
enum Flags : std::uint8_t { wide = 1, series_shift = 1, series_mask = 3, fail_name = 8 };

using test::Text;

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

template <typename C> void expand(std::uint8_t flags, fuzz::Bytes in) {
    const auto fail_allocation = fuzz::take<std::uint8_t>(in);
    const auto refuse_release = fuzz::take<std::uint8_t>(in);
    bw::Date date{};
    for (std::uint16_t *field : {&date.year, &date.month, &date.weekday, &date.day, &date.hour, &date.minute,
                                 &date.second, &date.milliseconds})
        *field = fuzz::take<std::uint16_t>(in);
    test::NameList<C> names;
    for (Text<C> &name : names)
        name = fuzz::take_text<C>(in);
    const Text<C> text = fuzz::take_text<C>(in);
    const auto text_block = fuzz::exact_copy<C>(text);

    const int unreadable = flags & fail_name ? flags >> series_shift & series_mask : -1;
    std::array<unsigned, 4> reads{};
    auto read = [&](bw::NameSeries value, std::basic_string_view<C> &name) {
        const auto series = static_cast<int>(value);
        ++reads[series];
        name = names[series];
        return series != unreadable;
    };

    Heap<C> heap{{}, {}, fail_allocation, refuse_release};
    C *result = bw::expand_date_template<C>(
        {text_block.get(), text.size()}, date, read, [&](std::size_t n) { return heap.allocate(n); },
        [&](C *block) { return heap.release(block); });

    unsigned series_printed = 0;
    const std::optional<Text<C>> plain = test::expand_plainly(text, date, names, &series_printed);
    const bool expands = plain.has_value();
    const Text<C> expected = plain.value_or(Text<C>());
    for (int series = 0; series < 4; ++series)
        fuzz::require(reads[series] <= (series_printed >> series & 1u),
                      "a series is read once at most, and only if printed");
    if (heap.failed || (unreadable >= 0 && (series_printed >> unreadable & 1u))) {
        fuzz::require(!result, "a failed allocation, a refused release or a missing name gives no result");
        fuzz::require(heap.live.empty(), "every block is released");
        return;
    }
    for (int series = 0; series < 4; ++series)
        fuzz::require(reads[series] == (series_printed >> series & 1u), "every printed series is read");
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
        expand<char16_t>(flags, in);
    else
        expand<char>(flags, in);
    return 0;
}
