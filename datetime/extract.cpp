// One field of a YmdHms text or of the current date, as an integer.
#include "Brindlewick.h"
#include "datetime/pure/ymdhms.hpp"
#include "module/clock.hpp"

namespace {

// 0 on failure with the code as the last error; a field number outside 1 to
// 7 gives 0 with the last error 0 from the parse.
template <typename C> DWORD extract_from_ymdhms(const C *ymdhms, DWORD field) {
    if (!ymdhms) {
        SetLastError(BW_E_TEMPLATE_NULL);
        return 0;
    }
    if (!*ymdhms) {
        SetLastError(BW_E_TEMPLATE_EMPTY);
        return 0;
    }
    const bw::Parsed parsed = bw::parse_ymdhms(ymdhms);
    SetLastError(parsed.code);
    return parsed.code == 0 ? bw::date_field(parsed.date, field) : 0;
}

} // namespace

extern "C" DWORD WINAPI ExtractFromYmdHmsAR8J(LPCSTR ymdhms, DWORD field) { return extract_from_ymdhms(ymdhms, field); }
extern "C" DWORD WINAPI ExtractFromYmdHmsWR8J(LPCWSTR ymdhms, DWORD field) {
    return extract_from_ymdhms(ymdhms, field);
}

extern "C" DWORD WINAPI ExtractrFromSystemDateR8J(INT utc, DWORD field) {
    return bw::date_field(bw::clock_date(utc), field);
}
