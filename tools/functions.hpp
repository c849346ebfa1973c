// What the runner knows of each script function beyond the host's table:
// the argument names, which argument is a file handle, what the function
// delivers and records, and how a script tells its failure. The table's
// counts and types stay the module's; the runner checks that the names fit
// them when it loads the module.
#pragma once

#include <array>
#include <string_view>

namespace tools {

// How a call's failure shows, besides a delivery with a status other than 0.
enum class Success {
    always,        // nothing the host receives says failure
    status,        // a failure comes with status -1 or -3
    nonempty_text, // a failure is an empty text with status 0
    zero_result,   // the integer result is 0 when it succeeded
    field,         // 0 for a field number outside 1 to 7 (the second argument)
    ymdhms_field,  // that, or 0 with a code left as the thread's last error
};

struct Function {
    std::string_view name;                // as scripts write it
    std::array<std::string_view, 3> args; // argument names; "handle" takes a file handle
    std::string_view result;
    std::string_view records; // what KeltLastErrorR8J reads afterwards
    Success success;
    bool current_folder = false; // resolves a relative name against the current folder
};

inline constexpr std::string_view handle_argument = "handle";

inline constexpr Function functions[] = {
    {"KeltLastErrorR8J", {}, "the recorded last error", "nothing", Success::always},
    {"KeltLastErrorStrR8J", {}, "the message of the recorded last error", "nothing", Success::always},
    {"KeltExtenderInfoR8J", {"unused"}, "41009 (the argument is declared, never read)", "nothing", Success::always},
    {"KeltExtenderVersionR8J", {}, "41009", "nothing", Success::always},
    {"CUSTOMER_FLAG", {}, "0x20000000, the bit that marks the module's error codes", "nothing", Success::always},
    {"FormatNowR8J",
     {"template", "utc"},
     "the template expanded for now, local or (utc 1) UTC; \"\" on a failure",
     "nothing",
     Success::nonempty_text},
    {"FormatYmdHMSR8J",
     {"ymdhms", "template"},
     "the template expanded for the date",
     "on a failure its code, 0x20000001 to 0x20000006 (0 for an empty result without one)",
     Success::status},
    {"LogMsgAltR8J",
     {"message", "handle", "utc"},
     "0 when the entry is written; -1 no handle, -4 no message, -7 short write, else the system's code",
     "its result",
     Success::zero_result},
    {"FormatLongIntR8J",
     {"value"},
     "the value grouped by the user's locale",
     "on a failure the system's code (0 without memory)",
     Success::status},
    {"ExtractFromYmdHms",
     {"ymdhms", "field"},
     "field 1 to 7 of the date (year, month, day, hour, minute, second, "
     "weekday from 0 = Sunday); 0 on a failure",
     "nothing",
     Success::ymdhms_field},
    {"ExtractrFromSystemDateR8J",
     {"utc", "field"},
     "field 1 to 7 of now, local or (utc 1) UTC; 0 for another field",
     "nothing",
     Success::field},
    {"PathStringFixupR8J",
     {"path", "mode"},
     "the path with a trailing backslash added (mode 1) or removed (2)",
     "0, or 0x2000000B to 0x2000000D",
     Success::status},
    {"MakeFQFNR8J",
     {"name", "directory"},
     "the fully qualified name of the file in the directory",
     "0, 0x2000000D to 0x20000010 or the system's code",
     Success::status,
     true},
    {"GetTimeZoneNameR8J", {}, "the current time zone's name", "0 or the system's code", Success::status},
    {"QuoteStringR8J",
     {"text", "mode", "quote"},
     "the text quoted when it holds a blank (mode 1), always (2) or never (3); \"\" on a failure",
     "nothing",
     Success::nonempty_text},
    {"MessageBoxR8J",
     {"caption", "message", "style"},
     "the id of the button pressed (0 without a box)",
     "nothing",
     Success::always},
};

} // namespace tools
