/*
 * Brindlewick.dll: date, time, file and text services for native callers.
 *
 * Every function is stdcall (WINAPI). Narrow functions (A) take text in the
 * ANSI code page, wide ones (W) UTF-16. A text result is a block of the
 * process heap that the caller owns, except where a function says it
 * returns the shared empty text or a static buffer, which are the DLL's own.
 * Release any text result with
 *     ReleaseTextR8J(result);
 * which releases heap blocks and leaves NULL, the shared empty texts and the
 * static buffers alone. On failure a function returns NULL, 0 or the shared
 * empty text of its width, a static "" that is never released, and
 * GetLastError() tells why: one of the BW_E_ codes below, or the system's
 * own code. A caller that tells them apart itself may release heap blocks
 * with HeapFree(GetProcessHeap(), 0, result): each width has its own shared
 * empty text, at different addresses: the narrow one is what
 * PathStringFixupAR8J(NULL, 0) returns, the wide one what
 * PathStringFixupWR8J(NULL, 0) returns.
 * Success leaves the last error as it was, except where a function below
 * says what it sets.
 *
 * Threads: every function may run on any thread at the same time, except
 * GetTimeZoneNameAR8J and GetTimeZoneNameWR8J, which return one static
 * buffer per width that each call of that width overwrites. The extender
 * entry points keep the script host's values (the recorded last error, the
 * message and description buffers) once per process, for one call at a
 * time.
 *
 * The reference with every argument, result and code is
 * share/doc/Brindlewick/REFERENCE.md in a kit, docs/REFERENCE.md in the source.
 */
#ifndef BRINDLEWICK_H
#define BRINDLEWICK_H

#include <windows.h>

#include "BrindlewickCodes.h"
#include "BrindlewickVersion.h"

/* The functions are imported from the DLL. A program that links the static
 * library instead defines BRINDLEWICK_STATIC, as the CMake package's
 * Brindlewick::static and pkg-config's brindlewick-static do. */
#ifdef BRINDLEWICK_STATIC
#define BRINDLEWICK_API
#else
#define BRINDLEWICK_API __declspec(dllimport)
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* Date templates: ^YYYY year (at least 4 wide), ^MM month (2 digits),
 * ^MMMM / ^MMM full / abbreviated month name (the latter at least 3 wide),
 * ^DD / ^D day (2 digits / unpadded), ^hh / ^h hour, ^mm minute, ^ss second,
 * ^WWWW / ^WWW / ^WW full / abbreviated weekday name (at least 3 / 2 wide).
 * Names follow the user's locale and are never cut; widths are filled with
 * blanks on the left. */

/* The template expanded for the current local time (utc == 0) or UTC time.
 * Heap text; NULL with BW_E_TEMPLATE_NULL / BW_E_TEMPLATE_EMPTY; the shared
 * empty text when the expansion fails. */
BRINDLEWICK_API LPSTR WINAPI FormatNowAR8J(LPCSTR date_template, INT utc);
BRINDLEWICK_API LPWSTR WINAPI FormatNowWR8J(LPCWSTR date_template, INT utc);

/* The template expanded for a YmdHms text ("2008:05:30:14:07:09"). Note the
 * order: YmdHms text first. Heap text, the last error 0; NULL with the
 * template codes or the parse's code (BW_E_YMDHMS_*); the shared empty text
 * when the expansion fails. The parse checks the layout, not the ranges.
 * Month 13 has empty names; month 14 and up give BW_E_TEMPLATE_NULL whatever
 * the template holds. */
BRINDLEWICK_API LPSTR WINAPI FormatYmdHmsAR8J(LPCSTR ymdhms, LPCSTR date_template);
BRINDLEWICK_API LPWSTR WINAPI FormatYmdHmsWR8J(LPCWSTR ymdhms, LPCWSTR date_template);

/* One field (BW_FIELD_*) of a YmdHms text, the last error 0; 0 with
 * BW_E_TEMPLATE_NULL, BW_E_TEMPLATE_EMPTY or the parse's code. A field
 * number outside 1 to 7 gives 0 with the last error 0. */
BRINDLEWICK_API DWORD WINAPI ExtractFromYmdHmsAR8J(LPCSTR ymdhms, DWORD field);
BRINDLEWICK_API DWORD WINAPI ExtractFromYmdHmsWR8J(LPCWSTR ymdhms, DWORD field);

/* One field (BW_FIELD_*) of the current local (utc == 0) or UTC date; 0 for
 * a field number outside 1 to 7. */
BRINDLEWICK_API DWORD WINAPI ExtractrFromSystemDateR8J(INT utc, DWORD field);

/* The name of the current time zone (standard or daylight, as in force).
 * A static buffer, one per width, overwritten by the next call of the same
 * width on any thread; never released. The shared empty text with the
 * system's code on failure. */
BRINDLEWICK_API LPSTR WINAPI GetTimeZoneNameAR8J(void);
BRINDLEWICK_API LPWSTR WINAPI GetTimeZoneNameWR8J(void);

/* Opens an existing file for reading (shared for reading). Handle, the last
 * error 0 from CreateFile; or 0 with the system's code. Close with
 * CloseFileHandle_R8J. */
BRINDLEWICK_API HANDLE WINAPI OpenInputFileHandleA_R8J(LPCSTR file_name);
BRINDLEWICK_API HANDLE WINAPI OpenInputFileHandleW_R8J(LPCWSTR file_name);

/* Opens or creates a file for writing (shared for reading). With append != 0
 * the position is the end of the file, else its start (nothing is
 * truncated). Handle, with CreateFile's last error: ERROR_ALREADY_EXISTS
 * (183) when the file existed, 0 when it was created; or 0 with the
 * system's code. */
BRINDLEWICK_API HANDLE WINAPI OpenOutputFileHandleA_R8J(LPCSTR file_name, INT append);
BRINDLEWICK_API HANDLE WINAPI OpenOutputFileHandleW_R8J(LPCWSTR file_name, INT append);

/* Closes a handle: 1, or 0 with the system's code. */
BRINDLEWICK_API INT WINAPI CloseFileHandle_R8J(HANDLE file);

/* Writes one timestamped entry, continuation lines indented under the first,
 * with one WriteFile, so threads may share the handle. Lines end at "\n":
 * a "\r" before it stays with its line, so end lines with "\n" alone. 0 on
 * success, BW_LOG_* or the system's code. The narrow form writes the
 * message's bytes as they are; the wide form writes the same entry with the
 * message in UTF-8 (no byte-order mark), and refuses a message holding a
 * lone surrogate with ERROR_NO_UNICODE_TRANSLATION (1113, also the last
 * error), writing nothing. */
BRINDLEWICK_API INT WINAPI LogMsgAltAR8J(LPCSTR message, HANDLE file, INT utc);
BRINDLEWICK_API INT WINAPI LogMsgAltWR8J(LPCWSTR message, HANDLE file, INT utc);

/* The integer with the user's locale grouping, separator and negative form,
 * no decimals: a heap block of 32 characters, the caller's last error put
 * back (an empty text in it, with the system's code, when the text would
 * exceed 31 characters), or the shared empty text of its width with the
 * system's code, also when a locale separator is longer than seven
 * characters. The wide form holds the locale's own separators, also those
 * that the ANSI code page cannot. FormatLongIntR8J is the narrow export's
 * own name, so UNICODE maps no generic name to the wide one: call
 * FormatLongIntWR8J by its name. */
BRINDLEWICK_API LPSTR WINAPI FormatLongIntR8J(INT value);
BRINDLEWICK_API LPWSTR WINAPI FormatLongIntWR8J(INT value);

/* mode 1: ensure one trailing backslash; mode 2: remove one; else copy.
 * Heap text, or the shared empty text with BW_E_PATH_NULL, BW_E_PATH_EMPTY
 * or BW_E_NO_MEMORY. */
BRINDLEWICK_API LPSTR WINAPI PathStringFixupAR8J(LPCSTR path, INT mode);
BRINDLEWICK_API LPWSTR WINAPI PathStringFixupWR8J(LPCWSTR path, INT mode);

/* file_name joined to directory (or, when directory is "", the current
 * directory, of any length) with one backslash; a name holding a backslash is
 * copied as it is and directory may then be NULL. Heap text, or the shared
 * empty text with BW_E_FILE_NAME_NULL, BW_E_FILE_NAME_EMPTY,
 * BW_E_DIRECTORY_NULL, BW_E_NO_MEMORY or the system's code when the current
 * directory cannot be read (ERROR_INSUFFICIENT_BUFFER when it keeps growing
 * while it is read). */
BRINDLEWICK_API LPSTR WINAPI MakeFQFNAR8J(LPCSTR file_name, LPCSTR directory);
BRINDLEWICK_API LPWSTR WINAPI MakeFQFNWR8J(LPCWSTR file_name, LPCWSTR directory);

/* mode 1: quote texts holding a space; 2: quote every text; 3: copy. The
 * quote character is the first of quote (a double quotation mark when quote
 * is NULL or ""); a text that begins or ends with it counts as quoted and is
 * copied. Quote characters inside a text are neither doubled nor escaped.
 * Heap text, or the shared empty text with BW_E_QUOTE_TEXT_NULL,
 * BW_E_QUOTE_TEXT_EMPTY, BW_E_QUOTE_REFUSED, BW_E_QUOTE_MODE (checked in this
 * order) or BW_E_NO_MEMORY.
 * BW_E_QUOTE_REFUSED, whatever the mode: a text of three or more characters
 * whose second character is the quote character, such as a"b. That quote
 * would close a quotation round the first character ("a"b"), so neither the
 * quoted text nor the copy reads unambiguously. Texts of one or two
 * characters pass (a lone " and a" count as quoted), and so does a quote
 * character anywhere else in the text.
 * The wide form behaves the same, counted in 16-bit characters. */
BRINDLEWICK_API LPSTR WINAPI QuoteStringAR8J(LPCSTR text, INT mode, LPCSTR quote);
BRINDLEWICK_API LPWSTR WINAPI QuoteStringWR8J(LPCWSTR text, INT mode, LPCWSTR quote);

/* Releases a text result of any function, either width: 1 when it was a
 * heap block and went back to the heap; 0, doing nothing, for NULL, the
 * shared empty texts and the static buffers; 0 with the system's code when
 * HeapFree refuses a block that the DLL did not return. */
BRINDLEWICK_API BOOL WINAPI ReleaseTextR8J(LPVOID text);

/* The DLL's version as BRINDLEWICK_VERSION_NUMBER gives it, one byte per
 * part, for a program to refuse a DLL older than the header it was built
 * with:
 *     if (GetVersionNumberR8J() < BRINDLEWICK_VERSION_NUMBER) refuse();
 */
BRINDLEWICK_API DWORD WINAPI GetVersionNumberR8J(void);

#ifdef UNICODE
#define FormatNowR8J FormatNowWR8J
#define FormatYmdHmsR8J FormatYmdHmsWR8J
#define ExtractFromYmdHmsR8J ExtractFromYmdHmsWR8J
#define GetTimeZoneNameR8J GetTimeZoneNameWR8J
#define OpenInputFileHandle_R8J OpenInputFileHandleW_R8J
#define OpenOutputFileHandle_R8J OpenOutputFileHandleW_R8J
#define PathStringFixupR8J PathStringFixupWR8J
#define MakeFQFNR8J MakeFQFNWR8J
#define QuoteStringR8J QuoteStringWR8J
#define LogMsgAltR8J LogMsgAltWR8J
#else
#define FormatNowR8J FormatNowAR8J
#define FormatYmdHmsR8J FormatYmdHmsAR8J
#define ExtractFromYmdHmsR8J ExtractFromYmdHmsAR8J
#define GetTimeZoneNameR8J GetTimeZoneNameAR8J
#define OpenInputFileHandle_R8J OpenInputFileHandleA_R8J
#define OpenOutputFileHandle_R8J OpenOutputFileHandleA_R8J
#define PathStringFixupR8J PathStringFixupAR8J
#define MakeFQFNR8J MakeFQFNAR8J
#define QuoteStringR8J QuoteStringAR8J
#define LogMsgAltR8J LogMsgAltAR8J
#endif

#ifdef __cplusplus
}
#endif

#endif
