// bwcall: stands in for the script host. Loads Brindlewick.dll, enumerates
// its function table and calls script functions by name.
#include "BrindlewickExtender.h"
#include "tools/dll.hpp"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr const char *usage = R"(usage: bwcall [--dll PATH] --list
       bwcall [--dll PATH] FUNCTION [ARGUMENT...]
       bwcall [--dll PATH] --demo

Loads Brindlewick.dll (by default the one beside bwcall.exe) as a script host
would, and calls a script function of its table by name (case does not
matter). Arguments are converted by the types the table declares: text as
given, integers in decimal or 0x hex. The result is printed; an error prints
its status and message and exits with 1.

  --list   print the function table
  --demo   print the table and call a few functions
  --help   this text

The reference of every function is docs/REFERENCE.md.
)";

struct Host {
    WilExtender2Proc extender = nullptr;
    std::vector<WilFunctionInfo> table;
};

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

bool load(const std::string &path, Host &host) {
    HMODULE module = tools::load_dll("bwcall", path);
    if (!module)
        return false;
    host.extender = tools::find_export<WilExtender2Proc>(module, "_WILExtender2@40");
    if (!host.extender) {
        std::fprintf(stderr, "bwcall: %s has no _WILExtender2@40\n", path.c_str());
        return false;
    }
    for (int32_t index = 0;; ++index) {
        WilFunctionInfo info{};
        if (!host.extender(nullptr, 0, 0, WIL_ID_ENUMERATE, nullptr, 0, 0, &info, index, nullptr))
            break;
        host.table.push_back(info);
    }
    return true;
}

std::string describe(const WilFunctionInfo &info) {
    if (info.kind == WIL_KIND_CONSTANT) {
        char value[16];
        std::snprintf(value, sizeof value, "0x%08X", static_cast<unsigned>(info.arg_count));
        return std::string(info.name) + " = " + value;
    }
    const unsigned required = info.arg_count & 0xFF;
    const unsigned optional = (info.arg_count >> 8) & 0xFF;
    std::string text = std::string(info.name) + "(";
    for (unsigned k = 0; k < required + optional; ++k) {
        if (k)
            text += ", ";
        if (k == required)
            text += "[";
        text += ((info.arg_types >> (4 * k)) & 0xF) ? "text" : "integer";
    }
    if (optional)
        text += "]";
    return text + ")";
}

void list(const Host &host) {
    std::printf("%-4s %s\n", "id", "function");
    for (const WilFunctionInfo &info : host.table)
        std::printf("%-4d %s\n", static_cast<int>(info.id), describe(info).c_str());
}

const WilFunctionInfo *find(const Host &host, const char *name) {
    for (const WilFunctionInfo &info : host.table)
        if (_stricmp(info.name, name) == 0)
            return &info;
    return nullptr;
}

// Calls one script function and prints what it delivered; returns the exit code.
int call(const Host &host, const char *name, int argc, char **argv) {
    const WilFunctionInfo *info = find(host, name);
    if (!info || info->kind != WIL_KIND_FUNCTION) {
        std::fprintf(stderr, "bwcall: no function %s (see bwcall --list)\n", name);
        return 2;
    }
    std::vector<WilValue> args(static_cast<std::size_t>(argc) + 1);
    for (int k = 0; k < argc; ++k) {
        WilValue &value = args[static_cast<std::size_t>(k)];
        if (k < 8 && ((info->arg_types >> (4 * k)) & 0xF)) {
            value.type = WIL_TYPE_TEXT;
            value.text = argv[k];
        } else {
            value.type = WIL_TYPE_INTEGER;
            value.integer = static_cast<int32_t>(std::strtoul(argv[k], nullptr, 0));
        }
    }
    Delivery delivery;
    WilValue result{};
    host.extender(nullptr, 0, reinterpret_cast<intptr_t>(&delivery), info->id, record, 0, 0, args.data(), argc,
                  &result);
    const WilValue &value = delivery.value;
    if (delivery.calls == 0) {
        std::fprintf(stderr, "bwcall: %s delivered nothing\n", info->name);
        return 1;
    }
    if (delivery.status != WIL_STATUS_OK) {
        std::printf("status %d: \"%s\"\n", static_cast<int>(delivery.status), delivery.text.c_str());
        return 1;
    }
    if (value.type == WIL_TYPE_TEXT)
        std::printf("%s\n", delivery.text.c_str());
    else
        std::printf("%d\n", static_cast<int>(value.integer));
    return 0;
}

void demo(const Host &host) {
    list(host);
    struct Example {
        const char *name;
        std::vector<const char *> args;
    };
    const Example examples[] = {
        {"KeltExtenderVersionR8J", {}},
        {"FormatNowR8J", {"^WWWW ^DD ^MMMM ^YYYY, ^hh:^mm:^ss"}},
        {"FormatNowR8J", {"^YYYY/^MM/^DD ^hh:^mm:^ss UTC", "1"}},
        {"FormatYmdHMSR8J", {"2008:05:30:14:07:09", "^WWW ^D ^MMM ^YYYY ^h:^mm"}},
        {"ExtractFromYmdHms", {"2008:05:30:14:07:09", "7"}},
        {"ExtractrFromSystemDateR8J", {"0", "1"}},
        {"GetTimeZoneNameR8J", {}},
        {"FormatLongIntR8J", {"-1234567"}},
        {"PathStringFixupR8J", {"C:\\temp", "1"}},
        {"MakeFQFNR8J", {"a.txt", "C:\\temp"}},
        {"QuoteStringR8J", {"C:\\Program Files\\x", "1"}},
        {"LogMsgAltR8J", {"no handle", "0"}},
        {"FormatYmdHMSR8J", {"2008:05:30:14:07:09:00", "^YYYY"}},
        {"KeltLastErrorR8J", {}},
        {"KeltLastErrorStrR8J", {}},
    };
    for (const Example &example : examples) {
        std::printf("\n> %s", example.name);
        for (const char *arg : example.args)
            std::printf(" \"%s\"", arg);
        std::printf("\n");
        std::fflush(stdout);
        call(host, example.name, static_cast<int>(example.args.size()), const_cast<char **>(example.args.data()));
        std::fflush(stdout);
    }
}

} // namespace

int main(int argc, char **argv) {
    std::string dll = tools::dll_beside_program();
    int first = 1;
    if (argc > 2 && std::strcmp(argv[1], "--dll") == 0) {
        dll = argv[2];
        first = 3;
    }
    if (first >= argc || std::strcmp(argv[first], "--help") == 0) {
        std::fputs(usage, first >= argc ? stderr : stdout);
        return first >= argc ? 2 : 0;
    }
    Host host;
    if (!load(dll, host))
        return 2;
    if (std::strcmp(argv[first], "--list") == 0) {
        list(host);
        return 0;
    }
    if (std::strcmp(argv[first], "--demo") == 0) {
        demo(host);
        return 0;
    }
    return call(host, argv[first], argc - first - 1, argv + first + 1);
}
