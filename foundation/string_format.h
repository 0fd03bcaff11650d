/* String formatting: counted strings filled from printf-style formats.

   The routine copies literal text itself and formats one conversion at a time; numbers go
   through the runtime library's own formatter (legacy options) into a fixed buffer, text
   arguments are appended directly. Besides the usual letters:
     %!   appends a counted string (const CountedString *), by AppendString's rules;
     %n, %S   end the formatting: the rest of the format is appended as it stands;
     any other letter (%% too) appends that letter, its flags dropped.
   Every argument is one 32-bit value (a pointer for %p, %s and %!), or a double for
   e E f g G; an asterisk takes no argument and is not given to the runtime formatter.

   Bounds: a conversion's characters are collected into a 64-byte conversion text (61
   between the percent sign and a numeric letter, 62 before s); a longer conversion takes
   its argument and appends nothing. A number is cut to its buffer (83 characters for the
   32-bit letters, 255 for floating ones and AppendReal) and the cut text appended.

   A wide receiver takes literal text and %s arguments widened, each byte as the unit
   (byte, 0), like numbers and single letters.

   All return 1, or 0 when no memory is to be had: FormatString then leaves the receiver
   empty; AppendFormat leaves its text as it was (empty if a %! had already made it wide). */
#ifndef TOVRA_STRING_FORMAT_H
#define TOVRA_STRING_FORMAT_H

#include <stdarg.h>

#include "foundation/counted_string.h"

/* Clears the receiver (ClearString), then formats into it. */
int FormatString(CountedString *s, const char *format, ...);
/* Formats onto the end of the receiver. */
int AppendFormat(CountedString *s, const char *format, ...);
int AppendFormatList(CountedString *s, const char *format, va_list arguments);
/* The value as "%d". */
int AppendInteger(CountedString *s, int value);
/* The value in fixed notation with the given decimals, taken as unsigned and at most 48. */
int AppendReal(CountedString *s, double value, int decimals);

#endif
