/*
 * The error codes and field numbers of Brindlewick.dll, for every caller and
 * for the module's own code. Free of windows.h, so that the portable cores
 * share them.
 *
 * A failing service sets one of these as the thread's last error; its low
 * bits are the number of its message in the module's message table.
 */
#ifndef BRINDLEWICK_CODES_H
#define BRINDLEWICK_CODES_H

/* Extender error codes: bit 29 set, message number in the low bits. */
#define BW_CUSTOMER_FLAG 0x20000000L
#define BW_E_TEMPLATE_NULL 0x20000001L    /* date template (or ExtractFromYmdHms text) NULL; month 14 or more */
#define BW_E_TEMPLATE_EMPTY 0x20000002L   /* date template (or ExtractFromYmdHms text) empty; weekday 8 or more */
#define BW_E_YMDHMS_NULL 0x20000003L      /* YmdHms text NULL */
#define BW_E_YMDHMS_EMPTY 0x20000004L     /* YmdHms text empty */
#define BW_E_YMDHMS_TOO_LONG 0x20000005L  /* YmdHms text longer than 19 characters */
#define BW_E_YMDHMS_LAYOUT 0x20000006L    /* a colon missing at 4, 7, 10, 13 or 16, or more than five; no range check */
#define BW_E_PATH_NULL 0x2000000BL        /* PathStringFixup: path NULL */
#define BW_E_PATH_EMPTY 0x2000000CL       /* PathStringFixup: path empty */
#define BW_E_NO_MEMORY 0x2000000DL        /* PathStringFixup, MakeFQFN, QuoteString: no heap block */
#define BW_E_FILE_NAME_NULL 0x2000000EL   /* MakeFQFN: file name NULL */
#define BW_E_FILE_NAME_EMPTY 0x2000000FL  /* MakeFQFN: file name empty */
#define BW_E_DIRECTORY_NULL 0x20000010L   /* MakeFQFN: directory NULL and no backslash in the name */
#define BW_E_QUOTE_TEXT_NULL 0x20000011L  /* QuoteString: text NULL */
#define BW_E_QUOTE_TEXT_EMPTY 0x20000012L /* QuoteString: text empty */
#define BW_E_QUOTE_MODE 0x20000013L       /* QuoteString: mode not 1, 2 or 3 */
#define BW_E_QUOTE_REFUSED 0x20000014L    /* QuoteString: quote character right after the first one */

/* Field numbers of the extractors. */
#define BW_FIELD_YEAR 1
#define BW_FIELD_MONTH 2
#define BW_FIELD_DAY 3
#define BW_FIELD_HOUR 4
#define BW_FIELD_MINUTE 5
#define BW_FIELD_SECOND 6
#define BW_FIELD_WEEKDAY 7

/* Results of LogMsgAltAR8J besides 0 (success) and the system's codes. */
#define BW_LOG_OK 0
#define BW_LOG_NO_HANDLE (-1)
#define BW_LOG_NO_MESSAGE (-4)
/* Retired: no longer returned, since every entry is sized exactly before its
   one block is allocated. Kept so that code naming it still compiles. */
#define BW_LOG_NO_MEMORY (-6)
#define BW_LOG_SHORT_WRITE (-7)

#endif
