/* The counted string's storage rules, for the library's own files (the code-page
   conversions, formatting, the text operations) and its tests: the header, the shared
   empty instance, the block-size rule, release, make unique, reserve and the two internal
   appends. Nothing outside foundation/ and its tests includes this. */
#ifndef TOVRA_COUNTED_STRING_INTERNAL_H
#define TOVRA_COUNTED_STRING_INTERNAL_H

#include <windows.h>

#include "foundation/block_pool.h"
#include "foundation/counted_string.h"

/* The 16 bytes in front of the text; the same layout on the 32-bit product and the
   64-bit twin. */
struct StringHeader {
    LONG count;                 /* changed only by InterlockedIncrement / Decrement */
    int length;                 /* bytes; for wide text twice the UTF-16 units */
    int capacity;               /* capacity word: block size - 1 */
    unsigned char wide;         /* 1: UTF-16LE text */
    unsigned char attribute;    /* carried along, never interpreted */
    short codePage;             /* -1 and 0: not known */
};
static_assert(sizeof(StringHeader) == 16, "the string header is 16 bytes");
static_assert(sizeof(LONG) == 4, "reference counts are 32-bit");
static_assert(sizeof(CountedString) == sizeof(char *), "a counted string is one pointer");

enum { kStringHeaderBytes = 16, kKeptOnClearCapacity = 256, kLongestText = 0x7FFFFFFF - 32 };

inline StringHeader *HeaderOfText(char *text)
{
    return reinterpret_cast<StringHeader *>(text - kStringHeaderBytes);
}
inline StringHeader *HeaderOf(const CountedString *s) { return HeaderOfText(s->text); }
inline char *TextOf(StringHeader *header) { return reinterpret_cast<char *>(header + 1); }
inline const char *TextOf(const StringHeader *header) { return reinterpret_cast<const char *>(header + 1); }

/* The capacity word of a block for n bytes of text, (n + 16) | 3; the block is one more. */
inline int CapacityWordFor(int n) { return (n + kStringHeaderBytes) | 3; }

int IsEmptyInstance(const StringHeader *header);
StringHeader *EmptyInstance();
/* Points s at the shared empty instance and counts it; s's old buffer is not released. */
void TakeEmptyInstance(CountedString *s);

/* A new block with capacity word `capacity`, count 1, length 0, an empty text and the
   given attributes; null without memory. */
StringHeader *NewStringBlock(int capacity, int wide, int attribute, int codePage);
/* Release: under the lock, the count goes down and the block goes back to the
   pool when it reaches 0. The shared empty instance is never freed. */
void ReleaseHeader(StringHeader *header);
/* Writes the zero byte after the text, and for wide text a whole zero unit when the
   block has room for it. Never called on the shared empty instance. */
void TerminateText(StringHeader *header);

/* Copy-on-write: a buffer shared with others is copied into a block of this string's own
   with capacity word (capacityWord, or length + 16 when 0) | 3; without the lock. 0 when
   no memory is to be had: the string still shares its old buffer and must not be written.
   An empty text comes back as the shared empty instance, which is never written either. */
int MakeUnique(CountedString *s, int capacityWord = 0);
/* Under the lock: makes s the only holder of a buffer with room for n bytes of text; the
   text and the three attributes are kept. 0 without memory, s unchanged. A string that
   holds no text and asks for no room takes the shared empty instance. */
int ReserveString(CountedString *s, int n);
/* Appends count bytes as they are, keeping the receiver's attributes; bytes may lie in
   the receiver's own text. */
int AppendBytes(CountedString *s, const char *bytes, int count);
/* Appends each byte as the unit (byte, 0) in a new buffer: wide flag 1, attribute byte 0,
   the receiver's code page. */
int AppendWidenedBytes(CountedString *s, const char *bytes, int count);

#endif
