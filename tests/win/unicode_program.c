/* A Unicode program as a caller writes one, built with UNICODE and linked
 * with the import library: it logs through the generic names and finds the
 * message's UTF-8 bytes after the stamp. Exits with 0 when they are there. */
#define UNICODE
#include <stdio.h>
#include <string.h>

#include "Brindlewick.h"

int main(void) {
    static const char expected[] = "Gr\xC3\xBC\xC3\x9F"
                                   "e, \xE6\x97\xA5\xE6\x9C\xAC, \xF0\x9F\x98\x80\r\n";
    char bytes[128];
    DWORD length = 0;
    HANDLE file;
    INT result;

    DeleteFileW(L"unicode-program.log");
    file = OpenOutputFileHandle_R8J(L"unicode-program.log", 1);
    result = LogMsgAltR8J(L"Gr\u00fc\u00dfe, \u65e5\u672c, \U0001F600", file, 0);
    CloseFileHandle_R8J(file);
    file = OpenInputFileHandle_R8J(L"unicode-program.log");
    ReadFile(file, bytes, sizeof bytes, &length, NULL);
    CloseFileHandle_R8J(file);
    if (result != BW_LOG_OK || length != 20 + sizeof expected - 1 ||
        memcmp(bytes + 20, expected, sizeof expected - 1)) {
        printf("result %d, %lu bytes: %.*s\n", result, length, (int)length, bytes);
        return 1;
    }
    printf("the log holds the text in UTF-8\n");
    return 0;
}
