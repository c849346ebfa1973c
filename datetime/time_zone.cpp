// The name of the current time zone, in a static buffer per variant.
#include "Brindlewick.h"
#include "module/module.hpp"

#include <algorithm>

namespace {

using bw::zone_name_length;

// Each call of a variant overwrites the module's static buffer of its width.
auto &narrow_name = bw::static_narrow;
auto &wide_name = bw::static_wide;

// The daylight name while daylight time is in force, else the standard
// name, which a zone without daylight time has too; null when the zone
// cannot be read, with the system's last error.
const wchar_t *zone_name(TIME_ZONE_INFORMATION &zone) {
    switch (GetTimeZoneInformation(&zone)) {
    case TIME_ZONE_ID_DAYLIGHT:
        return zone.DaylightName;
    case TIME_ZONE_ID_STANDARD:
    case TIME_ZONE_ID_UNKNOWN:
        return zone.StandardName;
    default:
        return nullptr;
    }
}

} // namespace

extern "C" LPSTR WINAPI GetTimeZoneNameAR8J(void) {
    narrow_name.fill('\0');
    TIME_ZONE_INFORMATION zone{};
    const wchar_t *name = zone_name(zone);
    if (!name || !WideCharToMultiByte(CP_ACP, 0, name, zone_name_length, narrow_name.data(),
                                      static_cast<int>(narrow_name.size()), nullptr, nullptr))
        return bw::shared_empty<char>();
    return narrow_name.data();
}

extern "C" LPWSTR WINAPI GetTimeZoneNameWR8J(void) {
    TIME_ZONE_INFORMATION zone{};
    const wchar_t *name = zone_name(zone);
    wide_name.fill(L'\0');
    if (!name)
        return bw::shared_empty<wchar_t>();
    std::copy_n(name, zone_name_length, wide_name.begin());
    return wide_name.data();
}
