/* A native program using Brindlewick.dll: checks that the DLL is at least
 * the version of its header, opens a log for appending, writes a multi-line
 * entry, formats a date given as YmdHms text and a grouped integer, and
 * releases every result with ReleaseTextR8J, which leaves the DLL's own
 * texts alone. */
#include <stdio.h>

#include "Brindlewick.h"

int main(int argc, char **argv) {
    const char *log_name = argc > 1 ? argv[1] : "example.log";
    if (GetVersionNumberR8J() < BRINDLEWICK_VERSION_NUMBER) {
        fprintf(stderr, "Brindlewick.dll is older than %s\n", BRINDLEWICK_VERSION);
        return 1;
    }

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
        ReleaseTextR8J(date);
        return 1;
    }
    printf("%s\n", date);
    ReleaseTextR8J(date);

    LPSTR number = FormatLongIntR8J(-1234567);
    printf("%s\n", number);
    ReleaseTextR8J(number);
    return 0;
}
