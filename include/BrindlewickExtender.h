/*
 * The extender interface between a script host and Brindlewick.dll: the
 * records that cross the boundary, the host callback and the two entry
 * points. For host writers; the module's own runner and tests use it too.
 * All records are little-endian and laid out for 32-bit Windows; the 64-bit
 * Brindlewick.dll has no extender interface. Compiles as C89 and C++98 and
 * later; the checks of the records' layout need C11 or C++11.
 */
#ifndef BRINDLEWICK_EXTENDER_H
#define BRINDLEWICK_EXTENDER_H

/* Script hosts exchange 32-bit records with the 32-bit DLL only. */
#if defined(_WIN64) || (defined(__SIZEOF_POINTER__) && __SIZEOF_POINTER__ == 8)
#error "The Brindlewick extender interface is 32-bit only; the 64-bit Brindlewick.dll does not export it."
#else

#include <stddef.h>
#include <stdint.h>
#include <windows.h>

#ifdef __cplusplus
extern "C" {
#endif

/* Types in WilValue.type. */
enum { WIL_TYPE_INTEGER = 1, WIL_TYPE_TEXT = 2 };

/* Statuses passed to the host callback. */
enum {
    WIL_STATUS_OK = 0,       /* the result record holds the function's result */
    WIL_STATUS_ERROR = -1,   /* an extender error or an unknown function; text message */
    WIL_STATUS_INTERNAL = -3 /* any other failure; text message */
};

/* Kinds in a function table entry. */
enum { WIL_KIND_FUNCTION = 2, WIL_KIND_CONSTANT = 3 };

/* Special function ids of WILExtender2. */
enum { WIL_ID_PRESENT = -3, WIL_ID_ENUMERATE = -2, WIL_ID_COUNT = -1 };

/* Version number answered by WILExtenderQuery query 1 and the Kelt functions. */
enum { WIL_EXTENDER_VERSION = 41009 };

/* A value record of the host, 40 bytes. The module reads and writes only
 * integer, type and text; the rest belongs to the host. Argument k (from 1)
 * of a call is record k - 1 of the array the host passes. */
typedef struct WilValue {
    uint8_t host_head[24];
    int32_t integer;
    uint32_t type;
    char *text;
    uint8_t host_tail[4];
} WilValue;

/* The two words of a function's table entry that describe its arguments.
 * Argument types: 4 bits per argument, argument 1 lowest, 1 for a text and
 * 0 for an integer. Argument count: the required arguments in bits 0-7, the
 * optional ones (which follow them) in bits 8-15. A constant's count word
 * holds its value instead. Arguments are numbered from 1. */
#define WIL_ARG_TEXT(k) (1UL << (4 * ((k)-1)))
#define WIL_ARG_IS_TEXT(types, k) ((((types) >> (4 * ((k)-1))) & 0xFUL) != 0)
#define WIL_ARGS(required, optional) ((unsigned long)(required) | ((unsigned long)(optional) << 8))
#define WIL_ARGS_REQUIRED(count) ((count)&0xFFUL)
#define WIL_ARGS_OPTIONAL(count) (((count) >> 8) & 0xFFUL)

/* A function table entry and the function info record that WILExtender2
 * fills for id -2 share this layout, 56 bytes. In the table the name length
 * is 0; in the info record it holds the name's length and the name arrives
 * in lower case. */
enum { WIL_NAME_CAPACITY = 34 };
typedef struct WilFunctionInfo {
    int32_t id;
    uint32_t kind;
    uint32_t arg_types; /* WIL_ARG_TEXT(k) for each text argument k */
    uint32_t reserved;
    uint32_t arg_count; /* function: WIL_ARGS(required, optional); constant: its value */
    uint16_t name_length;
    char name[WIL_NAME_CAPACITY];
} WilFunctionInfo;

/* The host callback: status, the two opaque host values, the result record. */
typedef int32_t(WINAPI *WilHostCallback)(int32_t status, intptr_t host_a, intptr_t host_b, WilValue *result);

/* Query 1: description into buffer (capacity count), returns 41009.
 * Query 2: buffer holds count int32 interface numbers; returns 4 when one is 4, else -1.
 * Other queries: 0. Exported as _WILExtenderQuery@12. */
int32_t WINAPI WILExtenderQuery(int32_t query, void *buffer, int32_t count);

/* Ids -3 (present: 1), -1 (entry count: 16), -2 (fill *args as a
 * WilFunctionInfo for table index count; 0 past the end) and script
 * functions. Exported as _WILExtender2@40. */
int32_t WINAPI WILExtender2(HWND window, intptr_t unused1, intptr_t host_a, int32_t function_id,
                            WilHostCallback callback, intptr_t host_b, intptr_t unused2, void *args, int32_t count,
                            WilValue *result);

typedef int32_t(WINAPI *WilExtenderQueryProc)(int32_t, void *, int32_t);
typedef int32_t(WINAPI *WilExtender2Proc)(HWND, intptr_t, intptr_t, int32_t, WilHostCallback, intptr_t, intptr_t,
                                          void *, int32_t, WilValue *);

#if defined(__cplusplus) && (__cplusplus >= 201103L || (defined(_MSC_VER) && _MSC_VER >= 1600))
#define BW_STATIC_ASSERT static_assert
#elif !defined(__cplusplus) && defined(__STDC_VERSION__) && __STDC_VERSION__ >= 201112L
#define BW_STATIC_ASSERT _Static_assert
#endif
#ifdef BW_STATIC_ASSERT
BW_STATIC_ASSERT(sizeof(WilValue) == 40, "value record is 40 bytes");
BW_STATIC_ASSERT(offsetof(WilValue, integer) == 24, "integer at 24");
BW_STATIC_ASSERT(offsetof(WilValue, type) == 28, "type at 28");
BW_STATIC_ASSERT(offsetof(WilValue, text) == 32, "text at 32");
BW_STATIC_ASSERT(sizeof(WilFunctionInfo) == 56, "function info record is 56 bytes");
BW_STATIC_ASSERT(offsetof(WilFunctionInfo, arg_count) == 16, "count word at 16");
BW_STATIC_ASSERT(offsetof(WilFunctionInfo, name_length) == 20, "name length at 20");
BW_STATIC_ASSERT(offsetof(WilFunctionInfo, name) == 22, "name at 22");
#undef BW_STATIC_ASSERT
#endif

#ifdef __cplusplus
}
#endif

#endif /* 32-bit */

#endif
