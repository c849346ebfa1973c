// bwcall: stands in for the script host. Loads Brindlewick.dll, enumerates
// its function table and calls script functions by name through
// WILExtender2, several in one process, so that each call finds the
// module's state as the calls before it left it. The same program built with
// a UTF-8 code page manifest is bwcall-utf8.exe.
#include "Brindlewick.h"
#include "BrindlewickExtender.h"
#include "resources/message_numbers.h"
#include "tools/calls.hpp"
#include "tools/code_page.hpp"
#include "tools/codes.hpp"
#include "tools/dll.hpp"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace {

using tools::narrowed;
using tools::widened;

constexpr const char *usage = R"(usage: bwcall [OPTION...] [--] FUNCTION [ARGUMENT...] [-- FUNCTION [ARGUMENT...]]...
       bwcall [OPTION...] --file FILE
       bwcall --list | --demo | --help [FUNCTION]

Loads Brindlewick.dll as a script host does and calls script functions of
its table by name, in order and in one process, so that each call finds the
module's state as the calls before it left it (KeltLastErrorR8J reports the
call before it). Names match without regard to case. A constant prints its
value, as a host puts it in place of the name; id:N calls function id N
through the module, an id that is no function too (which records 901), and
prints what the module returned when it delivers nothing (id:-1 counts the
table).

Options come first; -- ends them. From a function's name on every word is
an argument, whatever it looks like, and -- starts the next call (a text
that is -- itself goes in a call file). --help NAME alone asks for one
function's help.

Arguments are converted by the types the table declares. A text is taken as
it stands and goes to the module in the ANSI code page; a character that
code page cannot hold stops the run (--utf8-acp takes any text). An integer
is decimal from -2147483648 to 2147483647, or 0x hexadecimal up to
0xFFFFFFFF taken as the 32 bits (0xFFFFFFFF is -1), with an optional sign.
@append:PATH in place of a file handle opens PATH for appending and passes
its handle; the same file named again gets the same handle, and every such
file is closed at the end. While another program holds the file open, the
runner tries again for up to 30 seconds. Windows' device names are refused.
All calls are checked before the first one runs.

Standard output carries the results alone, one line per call in call order,
UTF-8 in any locale with a line feed after each; the bytes inside a result
are those the module delivered, line ends included. A call that delivered
an error status, or that did not run, gives an empty line. Every reason
goes to standard error, naming the call, with the code it recorded, its
name and Windows' text. A result that cannot be written stops the run.

A call file holds one call per line, in UTF-8 (or UTF-16 with its
byte-order mark), its words apart by blanks. A word in double quotes may
hold blanks and line breaks (each becomes a line feed); "" in it stands for
one quote, and backslashes are plain characters. Blank lines and lines that
begin with # are skipped; a NUL byte is refused:

  # two log entries, and the result the second one recorded
  LogMsgAltR8J "copied 2 files:
  a.txt
  b.txt" @append:copy.log
  LogMsgAltR8J done @append:copy.log 1
  KeltLastErrorR8J

  --dll PATH    load PATH (by default the Brindlewick.dll beside bwcall.exe)
  --file FILE   make the calls of FILE (once); - reads them from standard input
  --echo        print each call, written as in a call file, before its result
  --ansi        print exactly the bytes the host receives: the ANSI code
                page, CR LF after each result
  --utf8-acp    run the calls in bwcall-utf8.exe, whose ANSI code page is
                UTF-8 (Windows 10 1903 and later), so that any text passes
  --list        print the function table
  --demo        print the table, make a few calls, write a log, read it back
  -h, --help    this text; --help FUNCTION tells of one function

Exit status: 0 when every call succeeded as the reference defines success
for its function; 1 when one failed, a file could not be opened or closed
or the results could not be written; 2 when the command line or a call is
wrong (nothing runs then) or the DLL cannot be loaded.

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

// How results go out: UTF-8 with a line feed after each (for a shell), or
// the host's own bytes, ANSI with CR LF.
bool ansi = false;

// One character in the ANSI code page, never a best-fit stand-in.
bool encode_ansi(char32_t c, std::string &out) {
    wchar_t units[2];
    int count = 1;
    if (c >= 0x10000) {
        units[0] = static_cast<wchar_t>(0xD800 + ((c - 0x10000) >> 10));
        units[1] = static_cast<wchar_t>(0xDC00 + ((c - 0x10000) & 0x3FF));
        count = 2;
    } else {
        units[0] = static_cast<wchar_t>(c);
    }
    char bytes[8];
    BOOL defaulted = FALSE;
    const bool utf8 = GetACP() == CP_UTF8; // takes neither the flag nor the check
    const int n = WideCharToMultiByte(CP_ACP, utf8 ? 0 : WC_NO_BEST_FIT_CHARS, units, count, bytes, sizeof bytes,
                                      nullptr, utf8 ? nullptr : &defaulted);
    if (n <= 0 || defaulted)
        return false;
    out.append(bytes, static_cast<std::size_t>(n));
    return true;
}

// "0x2000000C BW_E_PATH_EMPTY", "901, an unknown function", "The system
// cannot find the path specified. (3)".
std::string described_code(uint32_t code) {
    char text[32];
    std::snprintf(text, sizeof text, "0x%08X", static_cast<unsigned>(code));
    if (!tools::code_name(code).empty())
        return text + std::string(" ") + std::string(tools::code_name(code));
    if (code == BW_UNKNOWN_FUNCTION)
        return "901, an unknown function";
    if ((code & BW_CUSTOMER_FLAG) != 0)
        return text;
    wchar_t *message = nullptr;
    const DWORD n =
        FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                       nullptr, code, 0, reinterpret_cast<wchar_t *>(&message), 0, nullptr);
    std::string said = n ? narrowed(std::wstring_view(message, n), CP_UTF8) : "error";
    LocalFree(message);
    while (!said.empty() && (said.back() == '\n' || said.back() == '\r' || said.back() == ' '))
        said.pop_back();
    return said + " (" + std::to_string(code) + ")";
}

void complain(std::string_view text);

// Text straight to a standard handle, so that standard output and standard
// error keep their order in one pipe. A console gets wide text. Results that
// cannot all be written stop the run at once: a script would take the part
// that arrived for all of them.
void put(DWORD which, std::string_view text, UINT code_page) {
    HANDLE handle = GetStdHandle(which);
    DWORD mode = 0, written = 0;
    std::size_t size = 0;
    bool whole = false;
    if (GetConsoleMode(handle, &mode)) {
        const std::wstring wide = widened(text, code_page);
        size = wide.size();
        whole = WriteConsoleW(handle, wide.data(), static_cast<DWORD>(size), &written, nullptr);
    } else {
        const std::string bytes =
            ansi || code_page == CP_UTF8 ? std::string(text) : narrowed(widened(text, code_page), CP_UTF8);
        size = bytes.size();
        whole = WriteFile(handle, bytes.data(), static_cast<DWORD>(size), &written, nullptr);
    }
    if (which == STD_OUTPUT_HANDLE && (!whole || written != size)) {
        const DWORD error = whole ? 0 : GetLastError();
        complain("cannot write the results to standard output: " +
                 (whole ? std::to_string(written) + " of " + std::to_string(size) + " bytes written"
                        : described_code(error)));
        ExitProcess(1);
    }
}

// The runner's own text, in UTF-8, its lines ending in "\n".
void say(DWORD which, std::string_view text) {
    if (!ansi)
        return put(which, text, CP_UTF8);
    std::string lines;
    for (const char c : text)
        lines += c == '\n' ? "\r\n" : std::string(1, c);
    put(which, narrowed(widened(lines, CP_UTF8), CP_ACP), CP_ACP);
}

void say(std::string_view text) { say(STD_OUTPUT_HANDLE, text); }
void complain(std::string_view text) { say(STD_ERROR_HANDLE, "bwcall: " + std::string(text) + "\n"); }

// A text as the module delivered it, byte for byte in the ANSI code page.
void show(std::string_view text) { put(STD_OUTPUT_HANDLE, text, CP_ACP); }

struct Host {
    WilExtender2Proc extender = nullptr;
    decltype(&OpenOutputFileHandleW_R8J) open_output = nullptr;
    decltype(&CloseFileHandle_R8J) close = nullptr;
    std::vector<tools::Entry> table;
    std::vector<std::pair<std::wstring, HANDLE>> files; // opened by @append:, by full path
};

bool load(const std::string &path, Host &host) {
    HMODULE module = tools::load_dll("bwcall", path);
    if (!module)
        return false;
    host.extender = tools::find_export<WilExtender2Proc>(module, "_WILExtender2@40");
    host.open_output = tools::find_export<decltype(host.open_output)>(module, "OpenOutputFileHandleW_R8J");
    host.close = tools::find_export<decltype(host.close)>(module, "CloseFileHandle_R8J");
    if (!host.extender || !host.open_output || !host.close) {
        complain(path + " lacks _WILExtender2@40 or its file handle exports");
        return false;
    }
    for (int32_t index = 0;; ++index) {
        WilFunctionInfo info{};
        if (!host.extender(nullptr, 0, 0, WIL_ID_ENUMERATE, nullptr, 0, 0, &info, index, nullptr))
            break;
        tools::Entry entry{std::string(info.name, strnlen(info.name, WIL_NAME_CAPACITY)),
                           info.id,
                           info.kind == WIL_KIND_CONSTANT,
                           info.arg_count,
                           0,
                           0,
                           0,
                           nullptr};
        if (!entry.constant) {
            entry.required = WIL_ARGS_REQUIRED(info.arg_count);
            entry.optional = WIL_ARGS_OPTIONAL(info.arg_count);
            for (unsigned k = 1; k <= 8; ++k)
                entry.texts |= WIL_ARG_IS_TEXT(info.arg_types, k) ? 1u << (k - 1) : 0u;
        }
        if (const std::string fault = tools::describe(entry); !fault.empty()) {
            complain(fault);
            return false;
        }
        host.table.push_back(std::move(entry));
    }
    if (host.table.empty()) {
        complain(path + " enumerates no functions");
        return false;
    }
    return true;
}

void list(const Host &host) {
    say("id   function\n");
    for (const tools::Entry &entry : host.table) {
        char id[8];
        std::snprintf(id, sizeof id, "%-4d ", static_cast<int>(entry.id));
        say(id + tools::signature(entry) + "\n");
    }
}

// --help NAME: the function's row and what the runner knows of it.
int help(const Host &host, const std::string &name) {
    const tools::Checked found = tools::check(host.table, {"--help", {name}}, encode_ansi);
    const tools::Entry &entry = found.entry;
    if (entry.name.empty()) {
        complain(found.error);
        return 2;
    }
    say(tools::signature(entry) + ", id " + std::to_string(entry.id) + "\n");
    if (entry.constant)
        say("  a constant: a host puts its value in place of the name; id:" + std::to_string(entry.id) +
            " calls the id, which is no function\n");
    if (entry.about)
        say("  result:  " + std::string(entry.about->result) + "\n  records: " + std::string(entry.about->records) +
            "\n");
    return 0;
}

// What a call delivered, the text copied during the callback: the module
// releases a heap text as soon as the callback returns.
struct Delivery {
    int calls = 0;
    int32_t returned = 0; // by the extender
    tools::Outcome outcome;
    std::string text;
};

int32_t WINAPI record(int32_t status, intptr_t host_a, intptr_t, WilValue *result) {
    auto *delivery = reinterpret_cast<Delivery *>(host_a);
    delivery->outcome.thread_error = GetLastError(); // before anything here can change it
    delivery->outcome.status = status;
    delivery->outcome.text = result->type == WIL_TYPE_TEXT;
    delivery->outcome.integer = result->integer;
    delivery->text = result->type == WIL_TYPE_TEXT && result->text ? result->text : "";
    ++delivery->calls;
    return 0;
}

Delivery call(const Host &host, int32_t id, std::vector<WilValue> args) {
    const auto count = static_cast<int32_t>(args.size());
    // A host's array is never empty, and id -2 fills it as a table row.
    args.resize(std::max(args.size() + 1, sizeof(WilFunctionInfo) / sizeof(WilValue) + 1));
    Delivery delivery;
    WilValue result{};
    delivery.returned =
        host.extender(nullptr, 0, reinterpret_cast<intptr_t>(&delivery), id, record, 0, 0, args.data(), count, &result);
    delivery.outcome.delivered = delivery.text;
    return delivery;
}

// The code the module recorded for the call before, read as a script does.
std::string recorded_code(const Host &host) {
    const tools::Checked kelt = tools::check(host.table, {{}, {"KeltLastErrorR8J"}}, encode_ansi);
    if (!kelt.error.empty())
        return "not known";
    const auto code = static_cast<uint32_t>(call(host, kelt.entry.id, {}).outcome.integer);
    return code == 0 ? "none recorded" : described_code(code);
}

// The handle of a file named by @append:, opened at its first mention; or
// nullptr and the reason.
HANDLE append_handle(Host &host, const std::string &path, std::string &reason) {
    const std::wstring wide = widened(path, CP_UTF8);
    wchar_t full[MAX_PATH];
    const DWORD n = GetFullPathNameW(wide.c_str(), MAX_PATH, full, nullptr);
    const std::wstring key = n > 0 && n < MAX_PATH ? std::wstring(full, n) : wide;
    for (const auto &[name, handle] : host.files)
        if (_wcsicmp(name.c_str(), key.c_str()) == 0)
            return handle;
    HANDLE handle = host.open_output(wide.c_str(), 1);
    // Another runner holds the file open only while it runs: wait for it.
    for (const ULONGLONG until = GetTickCount64() + 30000;
         !handle && GetLastError() == ERROR_SHARING_VIOLATION && GetTickCount64() < until;) {
        Sleep(20);
        handle = host.open_output(wide.c_str(), 1);
    }
    if (!handle) {
        reason = "cannot open " + path + " for appending: " + described_code(GetLastError());
        return nullptr;
    }
    host.files.emplace_back(key, handle);
    return handle;
}

// A call that resolves a name against the current folder gets the folder's
// name in the ANSI code page, where Windows puts stand-ins for what that
// code page cannot hold. The fault, or empty.
std::string current_folder_fault(const tools::Checked &checked) {
    if (!checked.entry.about || !checked.entry.about->current_folder || checked.args.size() < 2)
        return {};
    const std::string_view directory = checked.args[1].text;
    const bool absolute = directory.starts_with("\\\\") || (directory.size() >= 3 && directory[1] == ':' &&
                                                            (directory[2] == '\\' || directory[2] == '/'));
    if (absolute)
        return {};
    wchar_t folder[MAX_PATH];
    const DWORD n = GetCurrentDirectoryW(MAX_PATH, folder);
    const std::string name = narrowed(std::wstring_view(folder, n < MAX_PATH ? n : 0), CP_UTF8);
    const tools::Narrowed held = tools::narrowed(name, encode_ansi);
    return held.error.empty() ? "" : "the current folder " + name + " " + held.error;
}

// Makes one checked call and prints what the host received, an empty line
// when it did not run or delivered an error status; false when the call
// failed, after a line on standard error that names it and the reason.
bool run(Host &host, const std::string &where, const tools::Checked &checked) {
    const tools::Entry &entry = checked.entry;
    const std::string named = where + ", " + entry.name;
    if (entry.constant) {
        say(std::to_string(static_cast<int32_t>(entry.value)) + "\n");
        return true;
    }
    const auto skipped = [&](const std::string &reason) {
        say("\n");
        complain(named + ": " + reason);
        return false;
    };
    if (const std::string fault = current_folder_fault(checked); !fault.empty())
        return skipped(fault);
    std::vector<WilValue> args(checked.args.size());
    for (std::size_t k = 0; k < args.size(); ++k) {
        const tools::Arg &arg = checked.args[k];
        args[k].type = arg.kind == tools::ArgKind::text ? WIL_TYPE_TEXT : WIL_TYPE_INTEGER;
        if (arg.kind == tools::ArgKind::text) {
            args[k].text = const_cast<char *>(arg.text.c_str());
        } else if (arg.kind == tools::ArgKind::integer) {
            args[k].integer = arg.integer;
        } else {
            std::string reason;
            HANDLE handle = append_handle(host, arg.text, reason);
            if (!handle)
                return skipped(reason);
            args[k].integer = static_cast<int32_t>(reinterpret_cast<intptr_t>(handle));
        }
    }
    const Delivery delivery = call(host, entry.id, std::move(args));
    if (delivery.calls == 0) {
        // The extender's own ids (-1 counts the table, -3 tells it is
        // there, -2 fills a row) deliver nothing and return their answer.
        say(std::to_string(delivery.returned) + "\n");
        if (entry.id < 0)
            return true;
        complain(named + " failed: delivered nothing; the module returned " + std::to_string(delivery.returned));
        return false;
    }
    const tools::Outcome &outcome = delivery.outcome;
    const bool error_status = outcome.status != WIL_STATUS_OK;
    // A result goes out as UTF-8: bytes that are no text of the ANSI code
    // page would turn into U+FFFD on the way.
    if (outcome.text && !error_status && !ansi && !delivery.text.empty() &&
        MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, delivery.text.data(), static_cast<int>(delivery.text.size()),
                            nullptr, 0) == 0)
        return skipped("the result is no text of the ANSI code page " + std::to_string(GetACP()));
    if (outcome.text && !error_status)
        show(delivery.text);
    else if (!error_status)
        say(std::to_string(outcome.integer));
    say("\n");
    const std::optional<tools::Failure> failed = tools::failure(checked, outcome);
    if (failed && error_status)
        complain(named + " failed: " + failed->reason + ", code " + recorded_code(host) + ", message \"" +
                 narrowed(widened(delivery.text, CP_ACP), CP_UTF8) + "\"");
    else if (failed)
        complain(named + " failed: " + failed->reason + (failed->code ? ", " + described_code(failed->code) : ""));
    return !failed;
}

// Checks every call, then makes them in order and closes the files they
// opened. The exit status.
int run_all(Host &host, const std::vector<tools::Call> &calls, bool echo) {
    std::vector<tools::Checked> checked;
    bool wrong = false;
    for (const tools::Call &c : calls) {
        checked.push_back(tools::check(host.table, c, encode_ansi));
        if (!checked.back().error.empty()) {
            complain(checked.back().error);
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
            say(line + "\n");
        }
        failed |= !run(host, calls[i].where, checked[i]);
    }
    for (const auto &[path, handle] : host.files) {
        if (!host.close(handle)) {
            complain("cannot close " + narrowed(path, CP_UTF8) + ": " + described_code(GetLastError()));
            failed = true;
        }
    }
    host.files.clear();
    return failed ? 1 : 0;
}

// A file's bytes, or standard input's for "-". A device name is refused
// before it is opened: reading CON or AUX waits for input that never comes.
std::optional<std::string> read_file(const std::string &path, std::string &error) {
    if (path != "-" && tools::device_name(path)) {
        error = path + " names a Windows device, not a file";
        return std::nullopt;
    }
    HANDLE file = path == "-" ? GetStdHandle(STD_INPUT_HANDLE)
                              : CreateFileW(widened(path, CP_UTF8).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        error = "cannot read " + path + ": " + described_code(GetLastError());
        return std::nullopt;
    }
    std::string text;
    char buffer[4096];
    DWORD n = 0;
    while (ReadFile(file, buffer, sizeof buffer, &n, nullptr) && n > 0)
        text.append(buffer, n);
    if (path != "-")
        CloseHandle(file);
    return text;
}

// The table, a few calls, and a log written with multi-line entries by
// several calls through one handle, then read back.
int demo(Host &host) {
    list(host);
    wchar_t folder[MAX_PATH];
    const std::string path =
        narrowed(std::wstring_view(folder, GetTempPathW(MAX_PATH, folder)), CP_UTF8) + "bwcall-demo.log";
    DeleteFileW(widened(path, CP_UTF8).c_str());
    std::string script(demo_calls);
    const std::string log = tools::quoted(std::string(tools::append_prefix) + path);
    for (std::size_t at; (at = script.find("{log}")) != std::string::npos;)
        script.replace(at, 5, log);
    say("\n");
    if (run_all(host, tools::read_lines(script, "demo").calls, true) == 2)
        return 2;
    std::string error;
    const std::optional<std::string> written = read_file(path, error);
    DeleteFileW(widened(path, CP_UTF8).c_str());
    if (!written || written->empty()) {
        complain("the demo's log " + path + " is missing");
        return 1;
    }
    say("\nThe log, read back from " + path + ":\n");
    show(*written);
    return 0;
}

// --utf8-acp: the same command line run by bwcall-utf8.exe beside this
// program, whose manifest makes UTF-8 its ANSI code page. Its exit status.
int run_in_utf8_process() {
    wchar_t self[MAX_PATH];
    std::wstring program(self, GetModuleFileNameW(nullptr, self, MAX_PATH));
    program = program.substr(0, program.find_last_of(L"\\/") + 1) + L"bwcall-utf8.exe";
    if (_wcsicmp(program.c_str(), self) == 0) {
        complain("this Windows keeps the ANSI code page " + std::to_string(GetACP()) +
                 " despite bwcall-utf8.exe's manifest (UTF-8 needs Windows 10 1903 or later)");
        return 2;
    }
    STARTUPINFOW start{};
    start.cb = sizeof start;
    PROCESS_INFORMATION process{};
    std::wstring command_line = GetCommandLineW();
    if (!CreateProcessW(program.c_str(), command_line.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &start,
                        &process)) {
        complain("cannot start " + narrowed(program, CP_UTF8) + ": " + described_code(GetLastError()));
        return 2;
    }
    WaitForSingleObject(process.hProcess, INFINITE);
    DWORD status = 2;
    GetExitCodeProcess(process.hProcess, &status);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return static_cast<int>(status);
}

} // namespace

int wmain(int argc, wchar_t **wide_argv) {
    std::vector<std::string> argv;
    for (int i = 0; i < argc; ++i)
        argv.push_back(narrowed(wide_argv[i], CP_UTF8));
    if (argc == 1) {
        say(STD_ERROR_HANDLE, usage);
        return 2;
    }
    tools::Options options;
    if (const std::string error = tools::parse_options(argv, options); !error.empty()) {
        complain(error + " (bwcall --help tells more)");
        return 2;
    }
    ansi = options.ansi;
    if (options.help && options.about.empty()) {
        say(usage);
        return 0;
    }
    if (options.utf8_acp && GetACP() != CP_UTF8)
        return run_in_utf8_process();
    std::vector<tools::Call> calls = tools::split_command_line(options.words);
    if (!options.file.empty()) {
        std::string error;
        const std::optional<std::string> text = read_file(options.file, error);
        if (!text) {
            complain(error);
            return 2;
        }
        tools::Calls read = tools::read_lines(*text, options.file == "-" ? "standard input" : options.file);
        if (!read.error.empty()) {
            complain(read.error);
            return 2;
        }
        calls = std::move(read.calls);
    }
    const tools::Narrowed dll = tools::narrowed(options.dll, encode_ansi);
    if (!dll.error.empty()) {
        complain("--dll " + options.dll + " " + dll.error);
        return 2;
    }
    Host host;
    if (!load(options.dll.empty() ? tools::dll_beside_program() : dll.bytes, host))
        return 2;
    if (options.help)
        return help(host, options.about);
    if (options.list) {
        list(host);
        return 0;
    }
    if (options.demo)
        return demo(host);
    return run_all(host, calls, options.echo);
}
