/*
 * The message numbers the module looks up besides those of the extender
 * codes (a code's message is its low bits), for the string table and the
 * script-host adapter. Macros, as the resource compiler reads nothing else.
 */
#ifndef BRINDLEWICK_MESSAGE_NUMBERS_H
#define BRINDLEWICK_MESSAGE_NUMBERS_H

#define BW_MESSAGE_INTERNAL_ERROR 7  /* in the table, though nothing leads to it */
#define BW_MESSAGE_HEAP_CORRUPTION 8 /* a script result that could not be released */
#define BW_MESSAGE_UNDEFINED 9       /* an error delivery of a code without bit 29 */
#define BW_MESSAGE_DESCRIPTION 1000  /* WILExtenderQuery's description; no text */

/* The adapter's own last error for an unknown function, and the number of
   its message, which has no text. Never set as a thread's last error. */
#define BW_UNKNOWN_FUNCTION 901

#endif
