/* A Unicode program as a caller writes one: built with UNICODE and linked
 * with the import library, it opens a log and writes an entry through the
 * generic names, then reads the file back: the stamp, and after it the
 * message's UTF-8 bytes and the line end. Exits with 0 when they are right. */
#define UNICODE
#define _UNICODE
#include <stdio.h>
#include <string.h>

#include "Brindlewick.h"

int main(void) {
    static const WCHAR name[] = L"unicode-program.log";
    static const char expected[] = "Gr\xC3\xBC\xC3\x9F"
                                   "e, \xE6\x97\xA5\xE6\x9C\xAC, \xF0\x9F\x98\x80\r\n";
    static const char stamp[] = "dddd/dd/dd dd:dd:dd ";
    char bytes[128];
    DWORD length = 0;
    size_t i;
    HANDLE file;
    INT result;

    DeleteFileW(name);
    file = OpenOutputFileHandle_R8J(name, 1);
    if (!file) {
        printf("cannot open the log: %lu\n", GetLastError());
        return 1;
    }
    result = LogMsgAltR8J(L"Gr\u00fc\u00dfe, \u65e5\u672c, \U0001F600", file, 0);
    CloseFileHandle_R8J(file);
    if (result != BW_LOG_OK) {
        printf("the entry was not written: %d\n", result);
        return 1;
    }

    file = CreateFileW(name, GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING, 0, NULL);
    if (file == INVALID_HANDLE_VALUE || !ReadFile(file, bytes, sizeof bytes, &length, NULL)) {
        printf("cannot read the log back: %lu\n", GetLastError());
        return 1;
    }
    CloseHandle(file);
    DeleteFileW(name);
    if (length != sizeof stamp - 1 + sizeof expected - 1) {
        printf("the entry has %lu bytes\n", length);
        return 1;
    }
    for (i = 0; i < sizeof stamp - 1; ++i)
        if (stamp[i] == 'd' ? bytes[i] < '0' || bytes[i] > '9' : bytes[i] != stamp[i]) {
            printf("not a stamp: %.20s\n", bytes);
            return 1;
        }
    if (memcmp(bytes + sizeof stamp - 1, expected, sizeof expected - 1) != 0) {
        printf("the message is not the UTF-8 text\n");
        return 1;
    }
    printf("logged in UTF-8 after %.20s\n", bytes);
    return 0;
}
