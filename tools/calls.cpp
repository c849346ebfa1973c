#include "calls.hpp"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <numeric>
#include <utility>

namespace tools {
namespace {

char lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool same_name(std::string_view a, std::string_view b) {
    return std::ranges::equal(a, b, [](char x, char y) { return lower(x) == lower(y); });
}

// Levenshtein distance without regard to case: one edit per character put
// in, left out or changed.
std::size_t distance(std::string_view a, std::string_view b) {
    std::vector<std::size_t> row(b.size() + 1);
    std::iota(row.begin(), row.end(), std::size_t{0});
    for (std::size_t i = 1; i <= a.size(); ++i) {
        std::size_t diagonal = row[0];
        row[0] = i;
        for (std::size_t j = 1; j <= b.size(); ++j) {
            const std::size_t changed = diagonal + (lower(a[i - 1]) == lower(b[j - 1]) ? 0 : 1);
            diagonal = row[j];
            row[j] = std::min({row[j] + 1, row[j - 1] + 1, changed});
        }
    }
    return row[b.size()];
}

unsigned required_count(const Entry &entry) { return entry.constant ? 0 : entry.arg_count & 0xFF; }
unsigned optional_count(const Entry &entry) { return entry.constant ? 0 : (entry.arg_count >> 8) & 0xFF; }

bool is_text(const Entry &entry, std::size_t k) { return k < 8 && ((entry.arg_types >> (4 * k)) & 0xF) != 0; }

std::string takes(const Entry &entry) {
    const unsigned required = required_count(entry), most = required + optional_count(entry);
    if (most == 0)
        return "no arguments";
    if (required == most)
        return std::to_string(most) + (most == 1 ? " argument" : " arguments");
    return std::to_string(required) + (most == required + 1 ? " or " : " to ") + std::to_string(most) + " arguments";
}

// "a", "a or b", "a, b or c".
std::string listed(const std::vector<std::string> &names) {
    std::string text;
    for (std::size_t i = 0; i < names.size(); ++i)
        text += (i == 0 ? "" : i + 1 == names.size() ? " or " : ", ") + names[i];
    return text;
}

} // namespace

std::optional<int32_t> parse_integer(std::string_view text) {
    const bool negative = text.starts_with('-');
    if (negative || text.starts_with('+'))
        text.remove_prefix(1);
    int base = 10;
    if (text.starts_with("0x") || text.starts_with("0X")) {
        base = 16;
        text.remove_prefix(2);
    }
    std::uint64_t value = 0;
    const char *end = text.data() + text.size();
    const auto [stop, fault] = std::from_chars(text.data(), end, value, base);
    if (text.empty() || fault != std::errc() || stop != end || value > (negative ? 0x80000000u : 0xFFFFFFFFu))
        return std::nullopt;
    const auto bits = static_cast<std::uint32_t>(value);
    return static_cast<int32_t>(negative ? 0u - bits : bits);
}

std::vector<Call> split_command_line(const std::vector<std::string> &words) {
    std::vector<Call> calls(1);
    for (const std::string &word : words) {
        if (word == "--")
            calls.emplace_back();
        else
            calls.back().words.push_back(word);
    }
    std::erase_if(calls, [](const Call &call) { return call.words.empty(); });
    if (calls.size() > 1)
        for (std::size_t i = 0; i < calls.size(); ++i)
            calls[i].where = "call " + std::to_string(i + 1);
    return calls;
}

Calls read_lines(std::string_view text, std::string_view source) {
    Calls out;
    Call call;
    std::string word;
    bool in_word = false, in_quote = false, in_comment = false;
    int line = 1, quote_line = 0;
    const auto where = [&](int n) { return std::string(source) + ":" + std::to_string(n); };
    const auto end_word = [&] {
        if (in_word)
            call.words.push_back(std::exchange(word, {}));
        in_word = false;
    };
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        const bool line_feed_next = i + 1 < text.size() && text[i + 1] == '\n';
        if (in_quote) {
            if (c == '"' && i + 1 < text.size() && text[i + 1] == '"')
                word += text[i++];
            else if (c == '"')
                in_quote = false;
            else if (c != '\r' || !line_feed_next)
                word += c;
            line += c == '\n';
        } else if (c == '\n') {
            end_word();
            if (!call.words.empty())
                out.calls.push_back(std::exchange(call, {}));
            in_comment = false;
            ++line;
        } else if (in_comment) {
            continue; // up to the end of the line
        } else if (c == ' ' || c == '\t' || c == '\r') {
            end_word();
        } else if (c == '#' && !in_word && call.words.empty()) {
            in_comment = true;
        } else {
            if (!in_word && call.words.empty())
                call.where = where(line);
            in_word = true;
            if (c == '"') {
                in_quote = true;
                quote_line = line;
            } else {
                word += c;
            }
        }
    }
    if (in_quote)
        return {{}, where(quote_line) + ": the quotation that begins here has no end"};
    end_word();
    if (!call.words.empty())
        out.calls.push_back(std::move(call));
    return out;
}

std::string quoted(std::string_view word) {
    if (!word.empty() && word.find_first_of(" \t\r\n\"#") == std::string_view::npos)
        return std::string(word);
    std::string text = "\"";
    for (const char c : word)
        text += c == '"' ? "\"\"" : std::string(1, c);
    return text + "\"";
}

std::string signature(const Entry &entry) {
    if (entry.constant) {
        char value[16];
        std::snprintf(value, sizeof value, "0x%08X", static_cast<unsigned>(entry.arg_count));
        return entry.name + " = " + value;
    }
    const unsigned required = required_count(entry), most = required + optional_count(entry);
    std::string text = entry.name + "(";
    for (unsigned k = 0; k < most; ++k) {
        text += k == 0 ? "" : ", ";
        text += k == required ? "[" : "";
        text += is_text(entry, k) ? "text" : "integer";
    }
    return text + (most > required ? "])" : ")");
}

std::vector<std::string> nearest_names(const std::vector<Entry> &table, std::string_view name) {
    // Within a third of the name's length: a slip, not another word.
    const std::size_t close = std::max<std::size_t>(1, name.size() / 3);
    std::vector<std::pair<std::size_t, std::string>> near;
    for (const Entry &entry : table)
        if (const std::size_t d = distance(name, entry.name); d <= close)
            near.emplace_back(d, entry.name);
    std::ranges::sort(near);
    std::vector<std::string> names;
    for (std::size_t i = 0; i < near.size() && i < 3; ++i)
        names.push_back(near[i].second);
    return names;
}

Checked check(const std::vector<Entry> &table, const Call &call) {
    Checked out;
    const auto fail = [&](const std::string &message) {
        out.error = (call.where.empty() ? "" : call.where + ": ") + message;
        return out;
    };
    if (call.words.empty())
        return fail("no function named");
    const std::string &name = call.words.front();
    const auto row = std::ranges::find_if(table, [&](const Entry &entry) { return same_name(entry.name, name); });
    if (row == table.end()) {
        const std::vector<std::string> near = nearest_names(table, name);
        return fail("no function " + name +
                    (near.empty() ? " (bwcall --list shows them all)" : "; did you mean " + listed(near) + "?"));
    }
    out.entry = &*row;
    const std::size_t given = call.words.size() - 1;
    if (given < required_count(*row) || given > required_count(*row) + optional_count(*row))
        return fail((row->constant ? row->name + " is a constant and" : signature(*row)) + " takes " + takes(*row) +
                    ", not " + std::to_string(given));
    for (std::size_t k = 0; k < given; ++k) {
        const std::string &word = call.words[k + 1];
        const std::string argument = "argument " + std::to_string(k + 1) + " of " + row->name;
        if (is_text(*row, k)) {
            out.args.push_back({ArgKind::text, 0, word});
        } else if (same_name(std::string_view(word).substr(0, append_prefix.size()), append_prefix)) {
            if (word.size() == append_prefix.size())
                return fail(argument + ": " + word + " names no file");
            out.args.push_back({ArgKind::append, 0, word.substr(append_prefix.size())});
        } else if (const std::optional<int32_t> value = parse_integer(word)) {
            out.args.push_back({ArgKind::integer, *value, {}});
        } else {
            return fail(argument + ", \"" + word + "\", is not a 32-bit integer (decimal or 0x hexadecimal) nor " +
                        std::string(append_prefix) + "PATH");
        }
    }
    return out;
}

} // namespace tools
