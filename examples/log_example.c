/* A native program using Brindlewick.dll: opens a log for appending, writes
 * a multi-line entry, formats a date given as YmdHms text and a grouped
 * integer, and releases every result as the DLL expects. */
#include <stdio.h>

#include "Brindlewick.h"

/* Every failing text function returns the same static empty text; it is
 * the one result that is never released. */
static LPSTR shared_empty;

static void release(LPSTR text) {
    if (text && text != shared_empty)
        HeapFree(GetProcessHeap(), 0, text);
}

int main(int argc, char **argv) {
    const char *log_name = argc > 1 ? argv[1] : "example.log";
    shared_empty = PathStringFixupAR8J(NULL, 0);

    HANDLE log = OpenOutputFileHandleA_R8J(log_name, 1);
    if (!log) {
        fprintf(stderr, "cannot open %s: error %lu\n", log_name, GetLastError());
        return 1;
    }
    INT written = LogMsgAltAR8J("Backup started\nsource: C:\\data\ntarget: D:\\backup", log, 0);
    CloseFileHandle_R8J(log);
    if (written != BW_LOG_OK) {
        fprintf(stderr, "log entry not written: %d\n", written);
        return 1;
    }

    LPSTR date = FormatYmdHmsAR8J("2008:05:30:14:07:09", "^WWWW, ^D ^MMMM ^YYYY at ^hh:^mm");
    if (!date || !*date) {
        fprintf(stderr, "date not formatted: error 0x%08lX\n", GetLastError());
        release(date);
        return 1;
    }
    printf("%s\n", date);
    release(date);

    LPSTR number = FormatLongIntR8J(-1234567);
    printf("%s\n", number);
    release(number);
    return 0;
}
