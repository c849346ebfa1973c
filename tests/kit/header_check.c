/* The public headers compile as C89, C99 and C11 with every warning. The
 * extender's header is for 32-bit compilers; a 64-bit one stops at it. */
#include "Brindlewick.h"
#ifndef _WIN64
#include "BrindlewickExtender.h"
#endif

#if BRINDLEWICK_VERSION_NUMBER < 0x01000000
#error "the version number does not compare"
#endif

int brindlewick_header_check_c(void);
int brindlewick_header_check_c(void) {
    LPSTR(WINAPI * format_now)(LPCSTR, INT) = FormatNowR8J;
    static const char version[] = BRINDLEWICK_VERSION;
    int ok = format_now != 0 && version[0] != '\0' && BW_E_NO_MEMORY == 0x2000000DL;
#ifndef _WIN64
    {
        WilValue value = {{0}, 0, WIL_TYPE_TEXT, 0, {0}};
        ok = ok && value.type == WIL_TYPE_TEXT;
    }
#endif
    return ok;
}
