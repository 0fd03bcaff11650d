/* Extraction, and reading the length and single characters. */
#include <string.h>

#include "foundation/string_operations.h"
#include "foundation/string_walk.h"

CountedString ExtractSubstring(const CountedString *s, int start, int count)
{
    TextWalk walk = WalkOf(s);
    int from = OffsetOfCharacter(walk, start);
    if (count <= 0 || from >= walk.length)
        return CountedString();
    int to = AdvanceCharacters(walk, from, count);
    return CopyByteRange(s, from, to - from);
}

CountedString ExtractLeft(const CountedString *s, int count)
{
    return ExtractSubstring(s, 0, count);
}

CountedString ExtractTail(const CountedString *s, int start)
{
    TextWalk walk = WalkOf(s);
    int from = OffsetOfCharacter(walk, start);
    return CopyByteRange(s, from, walk.length - from);
}

CountedString ExtractRight(const CountedString *s, int count)
{
    const StringHeader *header = HeaderOf(s);
    if (count <= 0)
        return CountedString();
    TextWalk walk = WalkOf(s);
    /* Any code page, known or not, lets a high byte start a pair here. */
    if (!walk.wide)
        walk.codePage = header->codePage ? header->codePage : -1;
    int characters = count >= header->length ? count : CountWalkedCharacters(walk);
    if (count >= characters)
        return CopyByteRange(s, 0, header->length);
    int from = OffsetOfCharacter(walk, characters - count);
    return CopyByteRange(s, from, walk.length - from);
}

CountedString ExtractFileName(const CountedString *s, int withoutExtension)
{
    TextWalk walk = WalkOf(s);
    int unit = UnitBytes(walk), start = 0, dot = -1;
    for (int p = 0; p < walk.length;) {
        int step = StepAt(walk, p);
        if (step == unit && CharacterValueAt(walk, p) == '\\') {
            start = p + step;
            dot = -1;
        } else if (step == unit && CharacterValueAt(walk, p) == '.') {
            dot = p;
        }
        p += step;
    }
    int end = withoutExtension && dot >= 0 ? dot : walk.length;
    return CopyByteRange(s, start, end - start);
}

/* Cuts the receiver to its first bytes and hands it back shared. */
static CountedString KeepFirstBytes(CountedString *s, int count)
{
    if (count == 0)
        ClearString(s);
    else if (count < StringLength(s) && MakeUnique(s)) {
        StringHeader *header = HeaderOf(s);
        header->length = count;
        TerminateText(header);
    }
    return *s;
}

/* The byte offset of the first unit whose membership of the set is not `inSet`. */
static int SpanOf(const CountedString *s, const char *set, int inSet)
{
    TextWalk walk = PlainWalkOf(s);
    int p = 0;
    while (p < walk.length && IsInSet(CharacterValueAt(walk, p), set) == inSet)
        p += UnitBytes(walk);
    return p;
}

CountedString KeepSpanExcluding(CountedString *s, const char *set)
{
    return KeepFirstBytes(s, SpanOf(s, set, 0));
}

CountedString KeepSpanIncluding(CountedString *s, const char *set)
{
    return KeepFirstBytes(s, SpanOf(s, set, 1));
}

int CountCharacters(const CountedString *s)
{
    return IsWideString(s) ? StringLength(s) / 2 : StringLength(s);
}

int CountWholeCharacters(const CountedString *s)
{
    return CountWalkedCharacters(WalkOf(s));
}

int CharacterAt(const CountedString *s, int index)
{
    TextWalk walk = PlainWalkOf(s);
    if (index < 0 || index >= walk.length / UnitBytes(walk))
        return 0;
    return (int)CharacterValueAt(walk, index * UnitBytes(walk));
}

int LastByte(const CountedString *s)
{
    int length = StringLength(s);
    return length ? (unsigned char)s->text[length - 1] : 0;
}

int LineBreakAt(const CountedString *s, int index)
{
    TextWalk walk = PlainWalkOf(s);
    int units = walk.length / UnitBytes(walk);
    if (index < 0 || index >= units)
        return 0;
    unsigned here = CharacterValueAt(walk, index * UnitBytes(walk));
    if (here == '\n')
        return 1;
    if (here != '\r')
        return 0;
    return index + 1 < units && CharacterValueAt(walk, (index + 1) * UnitBytes(walk)) == '\n' ? 2 : 1;
}
