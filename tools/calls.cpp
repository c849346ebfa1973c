#include "calls.hpp"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <numeric>
#include <tuple>
#include <utility>

namespace tools {
namespace {

char lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool same_name(std::string_view a, std::string_view b) {
    return std::ranges::equal(a, b, [](char x, char y) { return lower(x) == lower(y); });
}

bool starts_with_name(std::string_view word, std::string_view prefix) {
    return same_name(word.substr(0, prefix.size()), prefix);
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

bool is_text(const Entry &entry, std::size_t k) { return k < 32 && ((entry.texts >> k) & 1) != 0; }

std::string_view argument_name(const Entry &entry, std::size_t k) {
    if (entry.about && k < entry.about->args.size() && !entry.about->args[k].empty())
        return entry.about->args[k];
    return is_text(entry, k) ? "text" : "integer";
}

std::string takes(const Entry &entry) {
    const unsigned required = entry.required, most = required + entry.optional;
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

// The character that starts text, and its length in bytes; length 0 when
// the bytes are no UTF-8 (overlong forms and surrogates included).
std::pair<char32_t, std::size_t> next_character(std::string_view text) {
    const auto lead = static_cast<unsigned char>(text[0]);
    const std::size_t length = lead < 0x80 ? 1 : lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 0;
    if (length == 0 || length > text.size() || lead > 0xF4)
        return {0, 0};
    char32_t c = length == 1 ? lead : lead & (0x7F >> length);
    for (std::size_t i = 1; i < length; ++i) {
        const auto follow = static_cast<unsigned char>(text[i]);
        if ((follow & 0xC0) != 0x80)
            return {0, 0};
        c = (c << 6) | (follow & 0x3F);
    }
    constexpr char32_t smallest[] = {0, 0, 0x80, 0x800, 0x10000};
    if (c < smallest[length] || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF))
        return {0, 0};
    return {c, length};
}

// UTF-16 bytes, little-endian unless big, as UTF-8; or the fault, "line:
// what", when they are no UTF-16 text.
std::pair<std::string, std::string> from_utf16(std::string_view bytes, bool big) {
    std::string text;
    int line = 1;
    const auto unit = [&](std::size_t i) -> char32_t {
        const auto first = static_cast<unsigned char>(bytes[i]), second = static_cast<unsigned char>(bytes[i + 1]);
        return big ? first << 8 | second : second << 8 | first;
    };
    for (std::size_t i = 0; i < bytes.size(); i += 2) {
        if (i + 1 == bytes.size())
            return {{}, std::to_string(line) + ": ends in half a UTF-16 unit"};
        char32_t c = unit(i);
        if (c >= 0xD800 && c <= 0xDBFF && i + 3 < bytes.size() && unit(i + 2) >= 0xDC00 && unit(i + 2) <= 0xDFFF) {
            c = 0x10000 + ((c - 0xD800) << 10) + (unit(i + 2) - 0xDC00);
            i += 2;
        } else if (c >= 0xD800 && c <= 0xDFFF) {
            return {{}, std::to_string(line) + ": holds a lone UTF-16 surrogate"};
        }
        line += c == '\n';
        if (c < 0x80) {
            text += static_cast<char>(c);
        } else if (c < 0x800) {
            text += {static_cast<char>(0xC0 | c >> 6), static_cast<char>(0x80 | (c & 0x3F))};
        } else if (c < 0x10000) {
            text += {static_cast<char>(0xE0 | c >> 12), static_cast<char>(0x80 | (c >> 6 & 0x3F)),
                     static_cast<char>(0x80 | (c & 0x3F))};
        } else {
            text += {static_cast<char>(0xF0 | c >> 18), static_cast<char>(0x80 | (c >> 12 & 0x3F)),
                     static_cast<char>(0x80 | (c >> 6 & 0x3F)), static_cast<char>(0x80 | (c & 0x3F))};
        }
    }
    return {text, {}};
}

} // namespace

std::string describe(Entry &entry) {
    const auto about =
        std::ranges::find_if(functions, [&](const Function &f) { return same_name(f.name, entry.name); });
    if (about == std::end(functions))
        return {};
    entry.name = about->name;
    const auto named = static_cast<unsigned>(std::ranges::count_if(about->args, [](auto a) { return !a.empty(); }));
    if (named != entry.required + entry.optional)
        return entry.name + " takes " + takes(entry) + " in the module's table, and the runner names " +
               std::to_string(named);
    entry.about = &*about;
    return {};
}

std::optional<int32_t> parse_integer(std::string_view text) {
    const bool negative = text.starts_with('-');
    if (negative || text.starts_with('+'))
        text.remove_prefix(1);
    const bool hexadecimal = text.starts_with("0x") || text.starts_with("0X");
    if (hexadecimal)
        text.remove_prefix(2);
    std::uint64_t value = 0;
    const char *end = text.data() + text.size();
    const auto [stop, fault] = std::from_chars(text.data(), end, value, hexadecimal ? 16 : 10);
    const std::uint64_t most = negative ? 0x80000000u : hexadecimal ? 0xFFFFFFFFu : 0x7FFFFFFFu;
    if (text.empty() || fault != std::errc() || stop != end || value > most)
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
    for (std::size_t i = 0; i < calls.size(); ++i)
        calls[i].where = "call " + std::to_string(i + 1);
    return calls;
}

Calls read_lines(std::string_view text, std::string_view source) {
    std::string utf8;
    if (text.starts_with("\xFF\xFE") || text.starts_with("\xFE\xFF")) {
        std::string fault;
        std::tie(utf8, fault) = from_utf16(text.substr(2), text[0] == '\xFE');
        if (!fault.empty())
            return {{}, std::string(source) + ":" + fault};
        text = utf8;
    }
    if (text.starts_with("\xEF\xBB\xBF"))
        text.remove_prefix(3);
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
        if (c == '\0')
            return {{}, where(line) + ": holds a NUL byte, which no text carries (UTF-16 needs its byte-order mark)"};
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

std::string parse_options(const std::vector<std::string> &argv, Options &options) {
    std::size_t i = 1;
    for (; i < argv.size(); ++i) {
        const std::string &word = argv[i];
        if (word == "--") {
            ++i;
            break;
        }
        if (!word.starts_with("-"))
            break; // the first function's name
        if (word == "-h" || word == "--help") {
            options.help = true;
            if (i + 1 < argv.size() && !argv[i + 1].starts_with("-"))
                options.about = argv[++i];
        } else if (word == "--dll" || word == "--file") {
            std::string &value = word == "--dll" ? options.dll : options.file;
            if (!value.empty())
                return word + " given twice";
            if (i + 1 == argv.size() || argv[i + 1].empty())
                return word + " needs a value";
            value = argv[++i];
        } else if (word == "--ansi") {
            options.ansi = true;
        } else if (word == "--utf8-acp") {
            options.utf8_acp = true;
        } else if (word == "--echo") {
            options.echo = true;
        } else if (word == "--list") {
            options.list = true;
        } else if (word == "--demo") {
            options.demo = true;
        } else {
            return "unknown option " + word + " (options come before the first function; -- ends them)";
        }
    }
    options.words.assign(argv.begin() + static_cast<std::ptrdiff_t>(i), argv.end());
    const bool calls = std::ranges::any_of(options.words, [](const std::string &w) { return w != "--"; });
    const int modes = options.list + options.demo + !options.file.empty() + calls;
    if (!options.help && modes != 1)
        return modes == 0 ? "nothing to call" : "choose one of calls, --file, --list and --demo";
    return {};
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
        std::snprintf(value, sizeof value, "0x%08X", static_cast<unsigned>(entry.value));
        return entry.name + " = " + value;
    }
    const unsigned required = entry.required, most = required + entry.optional;
    std::string text = entry.name + "(";
    for (unsigned k = 0; k < most; ++k) {
        text += k == 0 ? "" : ", ";
        text += k < required ? std::string(argument_name(entry, k)) : "[" + std::string(argument_name(entry, k)) + "]";
    }
    return text + ")";
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

bool device_name(std::string_view path) {
    const auto separator = [](char c) { return c == '\\' || c == '/'; };
    if (path.size() >= 4 && separator(path[0]) && separator(path[1]) && (path[2] == '.' || path[2] == '?') &&
        separator(path[3])) {
        // Past \\?\ Windows reads no device names, but a drive or a share
        // is all that names a file there.
        const std::string_view rest = path.substr(4);
        const bool drive = rest.size() >= 3 && rest[1] == ':' && separator(rest[2]);
        const bool share = rest.size() >= 4 && starts_with_name(rest, "unc") && separator(rest[3]);
        return path[2] == '.' || !(drive || share);
    }
    while (!path.empty() && (path.back() == ' ' || path.back() == '.' || path.back() == ':'))
        path.remove_suffix(1);
    std::string_view name = path.substr(path.find_last_of("/\\:") + 1);
    name = name.substr(0, name.find('.'));
    while (name.ends_with(' '))
        name.remove_suffix(1);
    for (const std::string_view device : {"con", "prn", "aux", "nul", "conin$", "conout$"})
        if (same_name(name, device))
            return true;
    if (!starts_with_name(name, "com") && !starts_with_name(name, "lpt"))
        return false;
    const std::string_view digit = name.substr(3);
    return (digit.size() == 1 && digit[0] >= '1' && digit[0] <= '9') || digit == "\xC2\xB9" || digit == "\xC2\xB2" ||
           digit == "\xC2\xB3";
}

Narrowed narrowed(std::string_view utf8, Encoder encode) {
    Narrowed out;
    for (std::size_t i = 0; i < utf8.size();) {
        const auto [c, length] = next_character(utf8.substr(i));
        if (length == 0)
            return {{}, "is not UTF-8 text (byte " + std::to_string(i + 1) + ")"};
        if (!encode(c, out.bytes)) {
            char code[16];
            std::snprintf(code, sizeof code, "U+%04X", static_cast<unsigned>(c));
            return {{},
                    "holds " + std::string(utf8.substr(i, length)) + " (" + code +
                        "), which the ANSI code page cannot hold (--utf8-acp takes any text)"};
        }
        i += length;
    }
    return out;
}

Checked check(const std::vector<Entry> &table, const Call &call, Encoder encode) {
    Checked out;
    const auto fail = [&](const std::string &message) {
        out.error = call.where + (out.entry.name.empty() ? ": " : ", " + out.entry.name + ": ") + message;
        return out;
    };
    if (call.words.empty())
        return fail("no function named");
    const std::string &name = call.words.front();
    const std::size_t given = call.words.size() - 1;
    const auto by_name = [&](const Entry &entry) { return same_name(entry.name, name); };
    if (starts_with_name(name, id_prefix)) {
        const std::optional<int32_t> id = parse_integer(std::string_view(name).substr(id_prefix.size()));
        if (!id)
            return fail(name + " names no id (id:N, N a 32-bit integer)");
        const auto row = std::ranges::find_if(table, [&](const Entry &e) { return e.id == *id && !e.constant; });
        if (row != table.end()) {
            out.entry = *row;
        } else {
            // No function: the host's table declares no arguments, so each
            // goes as an integer where it reads as one, else as a text.
            out.entry = {name, *id, false, 0, 0, static_cast<unsigned>(given), 0, nullptr};
            for (std::size_t k = 0; k < given && k < 32; ++k)
                out.entry.texts |= parse_integer(call.words[k + 1]) ? 0u : 1u << k;
        }
    } else if (const auto row = std::ranges::find_if(table, by_name); row != table.end()) {
        out.entry = *row;
    } else {
        const std::vector<std::string> near = nearest_names(table, name);
        return fail("no function " + name +
                    (near.empty() ? " (bwcall --list shows them all)" : "; did you mean " + listed(near) + "?"));
    }
    const Entry &row = out.entry;
    if (given < row.required || given > row.required + row.optional)
        return fail((row.constant ? row.name + " is a constant and" : signature(row)) + " takes " + takes(row) +
                    ", not " + std::to_string(given));
    for (std::size_t k = 0; k < given; ++k) {
        const std::string &word = call.words[k + 1];
        const std::string argument =
            "argument " + std::to_string(k + 1) + " (" + std::string(argument_name(row, k)) + ")";
        const bool takes_handle = row.about && argument_name(row, k) == handle_argument;
        if (is_text(row, k)) {
            Narrowed text = narrowed(word, encode);
            if (!text.error.empty())
                return fail(argument + " " + text.error);
            out.args.push_back({ArgKind::text, 0, std::move(text.bytes)});
        } else if (starts_with_name(word, append_prefix)) {
            const std::string path = word.substr(append_prefix.size());
            if (!takes_handle)
                return fail(argument + " takes no file handle: " + std::string(append_prefix) +
                            " is for the handle of LogMsgAltR8J");
            if (path.empty())
                return fail(argument + ": " + word + " names no file");
            if (device_name(path))
                return fail(argument + ": " + path + " names a Windows device, not a file");
            out.args.push_back({ArgKind::append, 0, path});
        } else if (const std::optional<int32_t> value = parse_integer(word)) {
            out.args.push_back({ArgKind::integer, *value, {}});
        } else {
            return fail(argument + ", \"" + word +
                        "\", is no 32-bit integer: decimal from -2147483648 to 2147483647 or 0x0 to 0xFFFFFFFF" +
                        (takes_handle ? ", nor " + std::string(append_prefix) + "PATH" : ""));
        }
    }
    return out;
}

std::optional<Failure> failure(const Checked &call, const Outcome &outcome) {
    if (outcome.status != 0)
        return Failure{"the host received status " + std::to_string(outcome.status), 0};
    const Success success = call.entry.about ? call.entry.about->success : Success::status;
    const auto field_number = [&]() -> std::optional<Failure> {
        const int32_t field = call.args.size() > 1 ? call.args[1].integer : 0;
        if (outcome.integer == 0 && (field < 1 || field > 7))
            return Failure{"0: field " + std::to_string(field) + " is not 1 to 7", 0};
        return std::nullopt;
    };
    switch (success) {
    case Success::always:
    case Success::status:
        return std::nullopt;
    case Success::nonempty_text:
        if (outcome.delivered.empty())
            return Failure{"an empty text", outcome.thread_error};
        return std::nullopt;
    case Success::zero_result:
        switch (outcome.integer) {
        case 0:
            return std::nullopt;
        case -1:
            return Failure{"result -1, no handle", 0};
        case -4:
            return Failure{"result -4, no message", 0};
        case -7:
            return Failure{"result -7, a short write", 0};
        default:
            return Failure{"result " + std::to_string(outcome.integer), static_cast<uint32_t>(outcome.integer)};
        }
    case Success::field:
        return field_number();
    case Success::ymdhms_field:
        if (std::optional<Failure> wrong = field_number())
            return wrong;
        if (outcome.integer == 0 && outcome.thread_error != 0)
            return Failure{"0", outcome.thread_error};
        return std::nullopt;
    }
    return std::nullopt;
}

} // namespace tools
