/* The public headers compile as C with every warning. */
#include "Brindlewick.h"
#include "BrindlewickExtender.h"

int brindlewick_header_check_c(void);
int brindlewick_header_check_c(void) {
    LPSTR(WINAPI * format_now)(LPCSTR, INT) = FormatNowR8J;
    WilValue value = {{0}, 0, WIL_TYPE_TEXT, 0, {0}};
    return format_now != 0 && value.type == WIL_TYPE_TEXT && BW_E_NO_MEMORY == 0x2000000DL;
}
