// The platform's date record and clock in the core's terms.
#pragma once

#include "core/date.hpp"

#include <windows.h>

namespace bw {

inline Date to_date(const SYSTEMTIME &t) {
    return {t.wYear, t.wMonth, t.wDayOfWeek, t.wDay, t.wHour, t.wMinute, t.wSecond, t.wMilliseconds};
}

// The current UTC time when utc is nonzero, else the local time.
inline Date clock_date(INT utc) {
    SYSTEMTIME now;
    if (utc)
        GetSystemTime(&now);
    else
        GetLocalTime(&now);
    return to_date(now);
}

} // namespace bw
