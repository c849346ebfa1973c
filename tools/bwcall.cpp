// bwcall: stands in for the script host. Loads Brindlewick.dll, enumerates
// its function table and calls script functions by name through
// WILExtender2, several in one process, so that each call finds the
// module's state as the calls before it left it.
#include "Brindlewick.h"
#include "BrindlewickExtender.h"
#include "tools/calls.hpp"
#include "tools/dll.hpp"

#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace {

constexpr const char *usage = R"(usage: bwcall [OPTION...] FUNCTION [ARGUMENT...] [-- FUNCTION [ARGUMENT...]]...
       bwcall [OPTION...] --file FILE
       bwcall [OPTION...] --list | --demo | --help

Loads Brindlewick.dll as a script host does and calls script functions of
its table by name, in order and in one process, so that each call finds the
module's state as the calls before it left it (KeltLastErrorR8J reports the
call before it). Names match without regard to case; a constant prints its
value.

Arguments are converted by the types the table declares. A text is taken as
it stands. An integer is decimal or 0x hexadecimal with an optional sign,
from -2147483648 to 4294967295 (010 is ten). @append:PATH in place of an
integer opens PATH for appending with OpenOutputFileHandleA_R8J and passes
its handle; the same file named again in the run gets the same handle, and
every such file is closed at the end. All calls are checked against the
table before the first one runs.

A result is printed as the host receives it: an integer, or the text in the
ANSI code page. An error delivery prints its status, the recorded code
(KeltLastErrorR8J right after the call) with its name from Brindlewick.h,
and the delivered message, which is empty for the codes from 0x2000000B.

A call file holds one call per line, its words apart by blanks. A word in
double quotes may hold blanks and line breaks (each becomes a line feed);
"" in it stands for one quote, and backslashes are plain characters. Blank
lines and lines that begin with # are skipped:

  # two log entries, and the result the second one recorded
  LogMsgAltR8J "copied 2 files:
  a.txt
  b.txt" @append:copy.log
  LogMsgAltR8J done @append:copy.log 1
  KeltLastErrorR8J

  --dll PATH   load PATH (by default the Brindlewick.dll beside bwcall.exe)
  --file FILE  make the calls of FILE; - reads them from standard input
  --echo       print each call, written as in a call file, before its result
  --utf8       write UTF-8 with line feeds instead of ANSI text with CR LF,
               and read a call file as UTF-8
  --list       print the function table
  --demo       print the table, make a few calls, write a log, read it back
  --help       this text

Exit status: 0 when every call delivered its result, 1 when one delivered an
error or a file could not be opened or closed, 2 when the command line or a
call is wrong (nothing runs then) or the DLL cannot be loaded.

The reference of every function is docs/REFERENCE.md.
)";

// The calls of --demo; {log} is the demo's log file.
constexpr std::string_view demo_calls = R"(KeltExtenderVersionR8J
FormatNowR8J "^WWWW ^DD ^MMMM ^YYYY, ^hh:^mm:^ss"
FormatYmdHMSR8J 2008:05:30:14:07:09 "^WWW ^D ^MMM ^YYYY ^h:^mm"
ExtractFromYmdHms 2008:05:30:14:07:09 7
FormatLongIntR8J -1234567
MakeFQFNR8J a.txt C:\temp
QuoteStringR8J "C:\Program Files\x" 1
LogMsgAltR8J "backup started" {log}
LogMsgAltR8J "copied 3 files:
a.txt
b.txt

c.txt" {log}
LogMsgAltR8J "backup done" {log} 1
KeltLastErrorR8J
FormatYmdHMSR8J 2008:05:30:14:07:09:00 ^YYYY
KeltLastErrorStrR8J
PathStringFixupR8J "" 1
KeltLastErrorR8J
)";

// The codes of the public header by name. Each row is written with the
// macro alone, so that a name cannot be paired with another value.
struct CodeName {
    DWORD code;
    const char *name;
};
#define BW_CODE_NAME(code) CodeName(code, #code)
constexpr CodeName code_names[] = {
    BW_CODE_NAME(BW_E_TEMPLATE_NULL),   BW_CODE_NAME(BW_E_TEMPLATE_EMPTY),   BW_CODE_NAME(BW_E_YMDHMS_NULL),
    BW_CODE_NAME(BW_E_YMDHMS_EMPTY),    BW_CODE_NAME(BW_E_YMDHMS_TOO_LONG),  BW_CODE_NAME(BW_E_YMDHMS_LAYOUT),
    BW_CODE_NAME(BW_E_PATH_NULL),       BW_CODE_NAME(BW_E_PATH_EMPTY),       BW_CODE_NAME(BW_E_NO_MEMORY),
    BW_CODE_NAME(BW_E_FILE_NAME_NULL),  BW_CODE_NAME(BW_E_FILE_NAME_EMPTY),  BW_CODE_NAME(BW_E_DIRECTORY_NULL),
    BW_CODE_NAME(BW_E_QUOTE_TEXT_NULL), BW_CODE_NAME(BW_E_QUOTE_TEXT_EMPTY), BW_CODE_NAME(BW_E_QUOTE_MODE),
    BW_CODE_NAME(BW_E_QUOTE_REFUSED),
};
#undef BW_CODE_NAME

// Output is the host's: ANSI text, the runner's own lines ending in CR LF.
// With --utf8 everything goes out as UTF-8 with plain line feeds.
bool utf8 = false;

std::wstring widened(std::string_view text, UINT code_page) {
    const int size = static_cast<int>(text.size());
    std::wstring wide(static_cast<std::size_t>(MultiByteToWideChar(code_page, 0, text.data(), size, nullptr, 0)),
                      L'\0');
    MultiByteToWideChar(code_page, 0, text.data(), size, wide.data(), static_cast<int>(wide.size()));
    return wide;
}

std::string converted(std::string_view text, UINT from, UINT to) {
    const std::wstring wide = widened(text, from);
    const int size = static_cast<int>(wide.size());
    std::string out(
        static_cast<std::size_t>(WideCharToMultiByte(to, 0, wide.data(), size, nullptr, 0, nullptr, nullptr)), '\0');
    WideCharToMultiByte(to, 0, wide.data(), size, out.data(), static_cast<int>(out.size()), nullptr, nullptr);
    return out;
}

void write(std::FILE *stream, std::string_view text, bool own) {
    std::string bytes;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (utf8 && text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
            continue; // the line feed alone ends the line
        if (!utf8 && own && text[i] == '\n')
            bytes += '\r';
        bytes += text[i];
    }
    // A console shows wide text right whatever its code page.
    HANDLE console = GetStdHandle(stream == stderr ? STD_ERROR_HANDLE : STD_OUTPUT_HANDLE);
    DWORD mode = 0;
    if (GetConsoleMode(console, &mode)) {
        std::fflush(stream);
        const std::wstring wide = widened(bytes, CP_ACP);
        DWORD written = 0;
        WriteConsoleW(console, wide.data(), static_cast<DWORD>(wide.size()), &written, nullptr);
        return;
    }
    if (utf8)
        bytes = converted(bytes, CP_ACP, CP_UTF8);
    std::fwrite(bytes.data(), 1, bytes.size(), stream);
}

// The runner's own text, its lines ending in "\n".
void say(std::FILE *stream, std::string_view text) { write(stream, text, true); }

// A text as the module delivered it.
void show(std::string_view text) { write(stdout, text, false); }

struct Host {
    WilExtender2Proc extender = nullptr;
    decltype(&OpenOutputFileHandleA_R8J) open_output = nullptr;
    decltype(&CloseFileHandle_R8J) close = nullptr;
    std::vector<tools::Entry> table;
    std::vector<std::pair<std::string, HANDLE>> files; // opened by @append:, by full path
};

bool load(const std::string &path, Host &host) {
    HMODULE module = tools::load_dll("bwcall", path);
    if (!module)
        return false;
    host.extender = tools::find_export<WilExtender2Proc>(module, "_WILExtender2@40");
    host.open_output = tools::find_export<decltype(host.open_output)>(module, "OpenOutputFileHandleA_R8J");
    host.close = tools::find_export<decltype(host.close)>(module, "CloseFileHandle_R8J");
    if (!host.extender || !host.open_output || !host.close) {
        say(stderr, "bwcall: " + path + " lacks _WILExtender2@40 or its file handle exports\n");
        return false;
    }
    for (int32_t index = 0;; ++index) {
        WilFunctionInfo info{};
        if (!host.extender(nullptr, 0, 0, WIL_ID_ENUMERATE, nullptr, 0, 0, &info, index, nullptr))
            break;
        host.table.push_back({std::string(info.name, strnlen(info.name, WIL_NAME_CAPACITY)), info.id,
                              info.kind == WIL_KIND_CONSTANT, info.arg_types, info.arg_count});
    }
    return true;
}

void list(const Host &host) {
    say(stdout, "id   function\n");
    for (const tools::Entry &entry : host.table) {
        char id[8];
        std::snprintf(id, sizeof id, "%-4d ", static_cast<int>(entry.id));
        say(stdout, id + tools::signature(entry) + "\n");
    }
}

// A delivered text is copied during the callback: the module releases a
// heap text as soon as the callback returns.
struct Delivery {
    int32_t status = 0;
    int calls = 0;
    WilValue value{};
    std::string text;
};

int32_t WINAPI record(int32_t status, intptr_t host_a, intptr_t, WilValue *result) {
    auto *delivery = reinterpret_cast<Delivery *>(host_a);
    delivery->status = status;
    delivery->value = *result;
    delivery->text = result->type == WIL_TYPE_TEXT && result->text ? result->text : "";
    ++delivery->calls;
    return 0;
}

Delivery call(const Host &host, int32_t id, std::vector<WilValue> args) {
    const auto count = static_cast<int32_t>(args.size());
    args.emplace_back(); // a host's array is never empty
    Delivery delivery;
    WilValue result{};
    host.extender(nullptr, 0, reinterpret_cast<intptr_t>(&delivery), id, record, 0, 0, args.data(), count, &result);
    return delivery;
}

// "0x2000000C BW_E_PATH_EMPTY", the code the module recorded for the call
// before; the runner reads it the way a script does.
std::string recorded_code(const Host &host) {
    const tools::Checked kelt = tools::check(host.table, {{}, {"KeltLastErrorR8J"}});
    if (!kelt.error.empty())
        return "not known";
    const auto code = static_cast<DWORD>(call(host, kelt.entry->id, {}).value.integer);
    char text[16];
    std::snprintf(text, sizeof text, "0x%08lX", code);
    for (const CodeName &known : code_names)
        if (known.code == code)
            return text + std::string(" ") + known.name;
    return text;
}

// The handle of a file named by @append:, opened at its first mention.
HANDLE append_handle(Host &host, const std::string &path) {
    char full[MAX_PATH];
    const DWORD n = GetFullPathNameA(path.c_str(), MAX_PATH, full, nullptr);
    const std::string key = n > 0 && n < MAX_PATH ? std::string(full, n) : path;
    for (const auto &[name, handle] : host.files)
        if (_stricmp(name.c_str(), key.c_str()) == 0)
            return handle;
    HANDLE handle = host.open_output(path.c_str(), 1);
    if (!handle) {
        say(stderr, "bwcall: cannot open " + path + " for appending (error " + std::to_string(GetLastError()) + ")\n");
        return nullptr;
    }
    host.files.emplace_back(key, handle);
    return handle;
}

// Makes one checked call and prints what it delivered: true for a result,
// false for an error.
bool run(Host &host, const tools::Checked &checked) {
    const tools::Entry &entry = *checked.entry;
    if (entry.constant) {
        say(stdout, std::to_string(static_cast<int32_t>(entry.arg_count)) + "\n");
        return true;
    }
    std::vector<WilValue> args(checked.args.size());
    for (std::size_t k = 0; k < args.size(); ++k) {
        const tools::Arg &arg = checked.args[k];
        args[k].type = arg.kind == tools::ArgKind::text ? WIL_TYPE_TEXT : WIL_TYPE_INTEGER;
        if (arg.kind == tools::ArgKind::text) {
            args[k].text = const_cast<char *>(arg.text.c_str());
        } else if (arg.kind == tools::ArgKind::integer) {
            args[k].integer = arg.integer;
        } else {
            HANDLE handle = append_handle(host, arg.text);
            if (!handle)
                return false;
            args[k].integer = static_cast<int32_t>(reinterpret_cast<intptr_t>(handle));
        }
    }
    const Delivery delivery = call(host, entry.id, std::move(args));
    if (delivery.calls == 0) {
        say(stderr, "bwcall: " + entry.name + " delivered nothing\n");
        return false;
    }
    if (delivery.status != WIL_STATUS_OK) {
        say(stdout, "status " + std::to_string(delivery.status) + ", code " + recorded_code(host) + ", message \"");
        show(delivery.text);
        say(stdout, "\"\n");
        return false;
    }
    if (delivery.value.type == WIL_TYPE_TEXT)
        show(delivery.text);
    else
        say(stdout, std::to_string(delivery.value.integer));
    say(stdout, "\n");
    return true;
}

// Checks every call, then makes them in order and closes the files they
// opened. The exit status.
int run_all(Host &host, const std::vector<tools::Call> &calls, bool echo) {
    std::vector<tools::Checked> checked;
    bool wrong = false;
    for (const tools::Call &c : calls) {
        checked.push_back(tools::check(host.table, c));
        if (!checked.back().error.empty()) {
            say(stderr, "bwcall: " + checked.back().error + "\n");
            wrong = true;
        }
    }
    if (wrong)
        return 2;
    bool failed = false;
    for (std::size_t i = 0; i < calls.size(); ++i) {
        if (echo) {
            std::string line = ">";
            for (const std::string &word : calls[i].words)
                line += " " + tools::quoted(word);
            say(stdout, line + "\n");
        }
        std::fflush(stdout);
        failed |= !run(host, checked[i]);
        std::fflush(stdout);
    }
    for (const auto &[path, handle] : host.files) {
        if (!host.close(handle)) {
            say(stderr, "bwcall: cannot close " + path + " (error " + std::to_string(GetLastError()) + ")\n");
            failed = true;
        }
    }
    host.files.clear();
    return failed ? 1 : 0;
}

std::optional<std::string> read_file(const std::string &path) {
    std::FILE *file = path == "-" ? stdin : std::fopen(path.c_str(), "rb");
    if (!file)
        return std::nullopt;
    std::string text;
    char buffer[4096];
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, file)) > 0;)
        text.append(buffer, n);
    const bool read = !std::ferror(file);
    if (file != stdin)
        std::fclose(file);
    return read ? std::optional(text) : std::nullopt;
}

// The table, a few calls, and a log written with multi-line entries by
// several calls through one handle, then read back.
int demo(Host &host) {
    list(host);
    char folder[MAX_PATH];
    const std::string path = std::string(folder, GetTempPathA(MAX_PATH, folder)) + "bwcall-demo.log";
    DeleteFileA(path.c_str());
    std::string script(demo_calls);
    const std::string log = tools::quoted(std::string(tools::append_prefix) + path);
    for (std::size_t at; (at = script.find("{log}")) != std::string::npos;)
        script.replace(at, 5, log);
    say(stdout, "\n");
    if (run_all(host, tools::read_lines(script, "demo").calls, true) == 2)
        return 2;
    const std::optional<std::string> written = read_file(path);
    DeleteFileA(path.c_str());
    if (!written || written->empty()) {
        say(stderr, "bwcall: the demo's log " + path + " is missing\n");
        return 1;
    }
    say(stdout, "\nThe log, read back from " + path + ":\n");
    show(*written);
    return 0;
}

struct Options {
    std::string dll = tools::dll_beside_program();
    std::string file; // --file
    bool echo = false, list = false, demo = false, help = false;
    std::vector<std::string> words; // the calls of the command line
};

// Options come first; the first word that is not one begins the calls.
std::string parse(int argc, char **argv, Options &options) {
    int i = 1;
    for (; i < argc && std::string_view(argv[i]).starts_with("--") && std::string_view(argv[i]) != "--"; ++i) {
        const std::string_view option = argv[i];
        if ((option == "--dll" || option == "--file") && i + 1 == argc)
            return std::string(option) + " needs a value";
        if (option == "--dll")
            options.dll = argv[++i];
        else if (option == "--file")
            options.file = argv[++i];
        else if (option == "--utf8")
            utf8 = true;
        else if (option == "--echo")
            options.echo = true;
        else if (option == "--list")
            options.list = true;
        else if (option == "--demo")
            options.demo = true;
        else if (option == "--help")
            options.help = true;
        else
            return "unknown option " + std::string(option);
    }
    options.words.assign(argv + i, argv + argc);
    const int modes = options.list + options.demo + !options.file.empty() + !options.words.empty();
    if (!options.help && modes != 1)
        return modes == 0 ? "nothing to call" : "choose one of calls, --file, --list and --demo";
    return {};
}

} // namespace

int main(int argc, char **argv) {
    _setmode(_fileno(stdin), _O_BINARY);
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stderr), _O_BINARY);
    if (argc == 1) {
        say(stderr, usage);
        return 2;
    }
    Options options;
    if (const std::string error = parse(argc, argv, options); !error.empty()) {
        say(stderr, "bwcall: " + error + " (bwcall --help tells more)\n");
        return 2;
    }
    if (options.help) {
        say(stdout, usage);
        return 0;
    }
    std::vector<tools::Call> calls = tools::split_command_line(options.words);
    if (!options.file.empty()) {
        const std::optional<std::string> text = read_file(options.file);
        if (!text) {
            say(stderr, "bwcall: cannot read " + options.file + "\n");
            return 2;
        }
        const std::string source = options.file == "-" ? "standard input" : options.file;
        tools::Calls read = tools::read_lines(utf8 ? converted(*text, CP_UTF8, CP_ACP) : *text, source);
        if (!read.error.empty()) {
            say(stderr, "bwcall: " + read.error + "\n");
            return 2;
        }
        calls = std::move(read.calls);
    }
    Host host;
    if (!load(options.dll, host))
        return 2;
    if (options.list) {
        list(host);
        return 0;
    }
    if (options.demo)
        return demo(host);
    return run_all(host, calls, options.echo);
}
