/* The counted string's text operations: comparison, searching, extraction, editing and
   character access.

   Units. Indices and counts are in characters of the string's kind: a UTF-16 unit for
   wide strings, a byte for narrow ones. The operations marked DB walk narrow text whose
   code page is 932, 936, 949 or 950 character by character, a double-byte character
   counting as one; the walk always starts at the text's first byte, so a character
   boundary is never guessed from the middle of a text. Byte index in a name means bytes
   whatever the kind.

   Bad indices are clamped, never reported: a negative start is 0, a count is cut to the
   text, a search from beyond the end finds nothing (-1) and an extraction from beyond the
   end gives the empty string. Searches look at the text's length, not at its first zero
   byte, and find nothing (-1) in an empty string.

   Editing follows the storage rules: a shared buffer is copied before it is written, so
   the other holders keep their text; the receiver keeps its three attributes; a text that
   an edit empties is cleared (ClearString), except by TruncateString, which keeps its
   buffer. Without memory an edit leaves the receiver as it was and returns 0 (an
   extraction returns the empty string).

   Wide receivers of the byte-wise edits (insert, delete, append copies, remove, keep
   digits, replace a byte or a text, set byte, fit to width) work on units: an index
   counts units, a byte or text operand becomes the units (byte, 0), as appending does,
   and a byte matches the unit whose value it is. */
#ifndef TOVRA_STRING_OPERATIONS_H
#define TOVRA_STRING_OPERATIONS_H

#include "foundation/counted_string.h"

/* A start that reverse searches take as "from the end". */
enum { kFromEnd = 0x7FFFFFFF };

/* Comparison. Equality looks at the bytes only, not at the kinds. */
int IsEqualToString(const CountedString *s, const CountedString *other);
int IsEqualToText(const CountedString *s, const char *text);
/* The first n characters of s (DB) against the first n bytes of text, ignoring ASCII case
   as the C library does; below, at or above 0. A wide receiver compares its units against
   the text's bytes as units. */
int ComparePrefixIgnoringCase(const CountedString *s, const char *text, int n);

/* Forward searches from a start index; the index found, or -1. */
int FindCharacter(const CountedString *s, char byte, int start);                /* DB; trail bytes never match */
/* DB. A needle of the other kind is converted first: a narrow one to wide by MakeWide with
   its own code page, a wide one to narrow in the receiver's code page (its own when the
   receiver's is not known). */
int FindString(const CountedString *s, const CountedString *needle, int start);
int FindText(const CountedString *s, const char *text, int byteStart);
/* A match that would begin on the trail byte of a GBK character (whatever the code page)
   is passed over. */
int FindTextAtCharacter(const CountedString *s, const char *text, int byteStart, int ignoreCase);
int FindTextIgnoringCase(const CountedString *s, const char *text, int byteStart);
int FindAnyByte(const CountedString *s, const char *set);
int FindByteOfSet(const CountedString *s, const char *set, int byteStart);
/* Wide receivers only (-1 for a narrow one); the needle is zero-terminated UTF-16.
   Ignoring case folds A-Z only, and only where the receiver's unit is below 256. */
int FindWideText(const CountedString *s, const wchar_t *needle, int start, int ignoreCase);

/* Reverse searches: the last match lying wholly below the start; a start at or beyond the
   end (kFromEnd) searches the whole text. */
int ReverseFindCharacter(const CountedString *s, char byte, int start);  /* DB */
int ReverseFindText(const CountedString *s, const char *text);           /* DB, from the end */
/* DB. An empty text gives the last character index below the start. */
int ReverseFindTextFrom(const CountedString *s, const char *text, int start);
/* The last byte index at or below min(start, length - 1) whose byte is in the set. */
int ReverseFindByteOfSet(const CountedString *s, const char *set, int byteStart);
/* Wide receivers only; the match ends at or below min(start, units - 1). An empty needle
   gives -1. */
int ReverseFindWideText(const CountedString *s, const wchar_t *needle, int start, int ignoreCase);

/* Extraction: new strings that carry the receiver's three attributes; a result that is
   the receiver's whole text shares its buffer, an empty one is the shared empty
   instance. */
CountedString ExtractSubstring(const CountedString *s, int start, int count);  /* DB */
CountedString ExtractLeft(const CountedString *s, int count);                  /* DB */
CountedString ExtractTail(const CountedString *s, int start);                  /* DB */
/* The last count characters, narrow text walked with the lead-byte test of its code page
   whatever that is (a byte from 0x80 up starts a pair outside 936 and 950), so that a
   double-byte character is never cut. */
CountedString ExtractRight(const CountedString *s, int count);
/* The part after the last backslash; optionally without what follows its last dot. In
   double-byte text a trail byte that looks like a backslash is not one. */
CountedString ExtractFileName(const CountedString *s, int withoutExtension);
/* Cut the receiver itself before its first byte of the set, or after its leading run of
   set bytes, and return it shared. */
CountedString KeepSpanExcluding(CountedString *s, const char *set);
CountedString KeepSpanIncluding(CountedString *s, const char *set);

/* Editing. The lengths returned are the new ones; 0 without memory. */
int TruncateString(CountedString *s, int index);  /* 1; the buffer is kept, made private */
int InsertCharacter(CountedString *s, int index, char byte);  /* the length in bytes */
int InsertText(CountedString *s, int index, const char *text);  /* DB; the length in bytes */
int DeleteCharacters(CountedString *s, int index, int count);  /* DB; the length in characters (DB) */
int DeleteFirst(CountedString *s, int count);                  /* the length in characters */
int DeleteLast(CountedString *s, int count);
/* A null set means "\r\n \t". */
void TrimLeft(CountedString *s, const char *set = nullptr);
void TrimRight(CountedString *s, const char *set = nullptr);
/* Optionally trims both ends, then cuts the text to width characters or pads it with
   digit zeros, at the end or in front. Returns width - length before the cut or pad (0
   when the padding finds no memory). Double-byte text is cut before a character that
   would cross the width. */
int FitToWidth(CountedString *s, int width, int trimFirst, int padInFront);
int AppendCopies(CountedString *s, char byte, int count);  /* the length in characters */
int RemoveByte(CountedString *s, char byte);               /* the number removed */
int KeepDigits(CountedString *s);                          /* the length in characters */
int ReplaceByte(CountedString *s, char from, char to);     /* the number replaced */
/* Non-overlapping matches, left to right; the number replaced, 0 for an empty a. */
int ReplaceText(CountedString *s, const char *a, const char *b);
/* The operands take the receiver's kind first, as FindString's needle does. */
int ReplaceString(CountedString *s, const CountedString *a, const CountedString *b);
/* The C library's casing, byte by byte; a double-byte character of DB text is left alone;
   in wide text only the units below 256. */
void MakeLower(CountedString *s);
void MakeUpper(CountedString *s);
/* Mirrors the characters; a double-byte character of DB text keeps its two bytes in order. */
void ReverseString(CountedString *s);
/* Columns of the leading tabs (tabWidth each) and spaces. */
int MeasureIndentation(const CountedString *s, int tabWidth);
/* Narrow text from the ANSI to the OEM code page, in place; 0 for wide text. */
int ConvertToOem(CountedString *s);

/* Length and access. Out-of-range indices read 0. */
int CountCharacters(const CountedString *s);       /* units or bytes */
int CountWholeCharacters(const CountedString *s);  /* DB */
int CharacterAt(const CountedString *s, int index);  /* the unit or the byte, unsigned */
int LastByte(const CountedString *s);
/* 2 for CR LF, 1 for LF or a CR alone, else 0; wide text in units. */
int LineBreakAt(const CountedString *s, int index);
/* The index, or -1 when it is outside the text (nothing is written). */
int SetByteAt(CountedString *s, int index, char byte);

#endif
