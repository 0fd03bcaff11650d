/* The walk shared by the text operations, and the one way they cut a new string out of a
   receiver's text. */
#include <string.h>

#include "foundation/string_walk.h"

int AdvanceCharacters(const TextWalk &walk, int offset, int count)
{
    if (!walk.codePage) {
        /* Steps of one size: no walk needed, and no overflow for huge counts. */
        int unit = UnitBytes(walk);
        return count >= (walk.length - offset) / unit ? walk.length : offset + count * unit;
    }
    int p = offset;
    for (int k = 0; k < count && p < walk.length; ++k)
        p += StepAt(walk, p);
    return p;
}

int OffsetOfCharacter(const TextWalk &walk, int index)
{
    return AdvanceCharacters(walk, 0, index < 0 ? 0 : index);
}

int CountWalkedCharacters(const TextWalk &walk)
{
    if (!walk.codePage)
        return walk.length / UnitBytes(walk);
    int count = 0;
    for (int p = 0; p < walk.length; p += StepAt(walk, p))
        ++count;
    return count;
}

CountedString CopyByteRange(const CountedString *s, int offset, int count)
{
    CountedString result;
    const StringHeader *header = HeaderOf(s);
    if (count <= 0)
        return result;
    if (offset == 0 && count == header->length) {
        ShareString(&result, s);
        return result;
    }
    StringHeader *fresh = NewStringBlock(CapacityWordFor(count), header->wide, header->attribute, header->codePage);
    if (!fresh)
        return result;
    memcpy(TextOf(fresh), s->text + offset, count);
    fresh->length = count;
    TerminateText(fresh);
    /* result holds the empty instance: swap the fresh block in and let it go. */
    char *old = result.text;
    result.text = TextOf(fresh);
    ReleaseHeader(HeaderOfText(old));
    return result;
}

int IsInSet(unsigned value, const char *set)
{
    if (value == 0 || value > 0xFF || !set)
        return 0;
    return strchr(set, (int)value) != nullptr;
}

int TakeKindOf(const CountedString *receiver, CountedString *operand)
{
    int wide = IsWideString(receiver);
    if (IsWideString(operand) == wide || StringLength(operand) == 0)
        return 1;
    if (wide)
        return MakeWide(operand, -1);
    int codePage = StringCodePage(receiver);
    return MakeNarrow(operand, codePage > 0 ? codePage : -1);
}
