/* The counted string: the system's own string type, a reference-counted,
   copy-on-write text buffer holding narrow text (bytes in a code page) or wide text
   (UTF-16LE). The object is one pointer, at the first byte of the text; a 16-byte header
   in front of the text holds the reference count, the length in bytes, the capacity word,
   the wide flag, the attribute byte and the code page. Empty strings share one static
   empty instance; buffers come from the block pool; shared bookkeeping is serialised by
   the library lock. Copying shares the buffer; only writers copy.

   Indices and counts are in characters of the string's kind: a UTF-16 unit for wide
   strings, a byte for narrow ones. Results follow the system's convention: non-zero for
   success, zero for failure.

   Out of memory: an operation that needs a block and cannot get one never writes through
   a null block and never leaves half its work done. It returns 0 (GetBuffer returns null;
   an operation that makes a new string returns the empty string), and the receiver keeps
   the text and attributes it had, with four exceptions that begin by emptying or replacing
   the receiver and leave it empty instead: FormatString, AppendFormat after a ! conversion
   has widened it, LoadResourceString and ReadString. Sizes beyond the library's 32-bit
   range (texts near 2 GiB) are refused the same way.

   A counted string object must not be written by two threads at once; two threads may
   read strings that share one buffer. */
#ifndef TOVRA_COUNTED_STRING_H
#define TOVRA_COUNTED_STRING_H

#include <stdio.h>

struct CountedString {
    char *text;  /* never null; the header lies in the 16 bytes before it */

    CountedString();                                      /* the shared empty instance */
    CountedString(const CountedString &source);           /* shares source's buffer */
    CountedString &operator=(const CountedString &source); /* AssignString */
    ~CountedString();                                     /* releases the buffer */
};

/* Construction. A null or empty text with no room, and a construction that cannot get
   memory, give the empty string. Constructed buffers are narrow, attribute byte 0, code
   page -1. */
CountedString MakeString(const char *text, int room = 0);  /* room for max(strlen, room) bytes */
CountedString MakeStringWithRoom(int room);                /* empty text, room bytes of room */
CountedString MakeFilledString(char byte, int count);

/* The header, read. */
int StringLength(const CountedString *s);  /* in bytes: twice the units of wide text */
int IsWideString(const CountedString *s);
int StringCodePage(const CountedString *s);  /* -1 and 0: not known */
int StringAttributeByte(const CountedString *s);

/* Target takes source's buffer; the count goes up atomically, no lock. */
void ShareString(CountedString *target, const CountedString *source);

/* Direct access: GetBuffer reserves room for n bytes in a buffer of this string's own and
   returns the text for writing (null without memory). ReleaseBuffer sets the length to n
   bytes, or with n of -1 to the length of the zero-terminated text written (never past
   the buffer), and writes the terminator. */
char *GetBuffer(CountedString *s, int n);
int ReleaseBuffer(CountedString *s, int n = -1);
/* Moves a private buffer whose spare room exceeds slack bytes into a block fitted to the
   text. 1 when it moved, 0 otherwise. */
int ShrinkString(CountedString *s, int slack);

/* Assignment. Text and byte assignments give narrow strings with attribute byte 0 and
   code page -1. Assigning a wide string of exactly one byte appends a widened zero. */
int AssignString(CountedString *s, const CountedString *source);
int AssignText(CountedString *s, const char *text);
int AssignCharacter(CountedString *s, char byte);
/* String id of the program's own string table. 0 when there is none (the string is left
   unchanged) or when no memory is to be had; 1 when the whole text was loaded. */
int LoadResourceString(CountedString *s, unsigned id);

/* ClearString keeps a private buffer of up to 256 bytes (capacity word 255) with its
   attributes and empties it; otherwise, like ResetString, the string takes the shared
   empty instance. */
void ClearString(CountedString *s);
void ResetString(CountedString *s);

/* Appending. A wide receiver takes each byte of a zero-terminated text or character as
   the unit (byte, 0), without code-page conversion, in a new buffer whose attribute byte
   is 0. AppendString appends a string of the same kind as it is, widens a narrow operand
   for a wide receiver, and first converts a narrow receiver to wide (MakeWide with code
   page -1) for a wide operand. AppendByteRange appends count bytes from bytes + offset
   as they are. */
int AppendText(CountedString *s, const char *text);
int AppendCharacter(CountedString *s, char byte);
int AppendString(CountedString *s, const CountedString *other);
int AppendByteRange(CountedString *s, const char *bytes, int offset, int count);

/* Concatenation: a new string, the left operand with the right one appended by the rules
   above. A text or byte in front of a wide string gives a wide string with its units
   (byte, 0) in front and the wide string's attribute byte and code page. */
CountedString Concatenate(const CountedString *left, const CountedString *right);
CountedString Concatenate(const CountedString *left, const char *right);
CountedString Concatenate(const CountedString *left, char right);
CountedString Concatenate(const char *left, const CountedString *right);
CountedString Concatenate(char left, const CountedString *right);

/* Kind conversion in place. A negative code page means the string's own, and when that is
   not known (0 or below) the one that script detection finds in the text's units. 0 when
   the string already has the kind asked for, when the platform refuses the conversion or
   when no memory is to be had (the string is left as it was); 1 when converted. An empty
   string stays empty (MakeNarrow leaves it the shared empty instance). MakeWide's result
   has attribute byte 0 and code page 0; MakeNarrow's the code page used. */
int MakeWide(CountedString *s, int codePage);
int MakeNarrow(CountedString *s, int codePage);
/* The platform's conversions under them. ConvertTextToWide passes the code page on as it
   is (0: the ANSI code page) and leaves the destination's wide flag to the caller; the
   destination's text ends in a zero unit. ConvertTextToNarrow takes a code page below 1 as
   936, cuts the result at its first zero byte and stores the code page used in the
   destination's header. Both return 1 when the destination was written, 0 when the source
   is empty, the platform converts nothing or no memory is to be had; the destination is
   then left alone. */
int ConvertTextToWide(const CountedString *source, CountedString *destination, int codePage);
int ConvertTextToNarrow(const CountedString *source, CountedString *destination, int codePage);
/* Wide strings only: unless forced, a known code page (1 or more, not 1252) is kept;
   otherwise the code page of the script detected, when there is one. 1 when it was set. */
int RefreshCodePage(CountedString *s, int force);

/* The stream form, little-endian: length (4 bytes, signed), the text without terminator,
   wide flag, attribute byte, code page (2 bytes). WriteString: 1, or 0 when the stream
   takes fewer bytes. ReadString: 1; -1 for a negative length; 0 for a short read or a
   length that cannot be allocated; both failures leave the string empty, never with
   part of a text. */
int WriteString(const CountedString *s, FILE *stream);
int ReadString(CountedString *s, FILE *stream);

#endif
