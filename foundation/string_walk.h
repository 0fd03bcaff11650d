/* How the text operations step through a counted string: by UTF-16 unit in wide text, by
   whole character in narrow text of a double-byte code page, by byte otherwise. The walk
   starts at the first byte: a lead-byte test at an arbitrary offset could take a trail
   byte for a lead. A lead byte at the very end counts as a byte of its own. For the text
   operations' own files only. */
#ifndef TOVRA_STRING_WALK_H
#define TOVRA_STRING_WALK_H

#include "foundation/code_page.h"
#include "foundation/counted_string_internal.h"

struct TextWalk {
    const char *text;
    int length;    /* bytes; whole units for wide text */
    int wide;
    int codePage;  /* whose lead-byte test makes a step two bytes; 0: steps of one byte */
};

/* The walk of the DB operations. */
inline TextWalk WalkOf(const CountedString *s)
{
    const StringHeader *header = HeaderOf(s);
    TextWalk walk = {s->text, header->length, header->wide, 0};
    if (walk.wide)
        walk.length &= ~1;
    else if (IsDoubleByteCodePage(header->codePage))
        walk.codePage = header->codePage;
    return walk;
}

/* The same text stepped byte by byte (unit by unit when wide). */
inline TextWalk PlainWalkOf(const CountedString *s)
{
    TextWalk walk = WalkOf(s);
    walk.codePage = 0;
    return walk;
}

/* Bytes of the character at byte offset p. */
inline int StepAt(const TextWalk &walk, int p)
{
    if (walk.wide)
        return 2;
    if (walk.codePage && p < walk.length - 1 &&
        IsLeadByteForCodePage((unsigned char)walk.text[p], (unsigned char)walk.text[p + 1], walk.codePage))
        return 2;
    return 1;
}

inline int UnitBytes(const TextWalk &walk) { return walk.wide ? 2 : 1; }

/* The byte offset count characters on from a character boundary, the length at most. */
int AdvanceCharacters(const TextWalk &walk, int offset, int count);
/* The byte offset of character index, the length for an index at or past the end. */
int OffsetOfCharacter(const TextWalk &walk, int index);
/* Characters in the text. */
int CountWalkedCharacters(const TextWalk &walk);
/* A string of the receiver's kind and attributes holding count bytes from offset; the
   receiver shared when that is its whole text, the empty instance when count is 0. */
CountedString CopyByteRange(const CountedString *s, int offset, int count);
/* The unit or byte at byte offset p, unsigned. */
inline unsigned CharacterValueAt(const TextWalk &walk, int p)
{
    if (walk.wide)
        return (unsigned char)walk.text[p] | (unsigned char)walk.text[p + 1] << 8;
    return (unsigned char)walk.text[p];
}
/* Converts an operand of the other kind to the receiver's: a narrow one by MakeWide with
   its own code page, a wide one by MakeNarrow in the receiver's code page when that is
   known. 0 when the conversion failed. */
int TakeKindOf(const CountedString *receiver, CountedString *operand);
/* Whether byte is in the zero-terminated set; the zero byte never is. */
int IsInSet(unsigned value, const char *set);

#endif
