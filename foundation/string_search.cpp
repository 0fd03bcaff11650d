/* Comparison and searching. Every search is bounded by the text's length, so an embedded
   zero byte neither ends a search early nor is found past the end. */
#include <ctype.h>
#include <string.h>
#include <wchar.h>

#include "foundation/string_operations.h"
#include "foundation/string_walk.h"

/* The raw bytes of a string, whatever its kind or code page. */
static TextWalk ByteWalkOf(const CountedString *s)
{
    TextWalk walk = {s->text, HeaderOf(s)->length, 0, 0};
    return walk;
}

/* ASCII folding as the C library's case-insensitive comparison does it; units from 256 on
   are left alone. */
static unsigned FoldCase(unsigned value)
{
    return value < 256 ? (unsigned)tolower((int)value) : value;
}

static int EqualIgnoringCase(const char *a, const char *b, int count)
{
    for (int i = 0; i < count; ++i)
        if (FoldCase((unsigned char)a[i]) != FoldCase((unsigned char)b[i]))
            return 0;
    return 1;
}

int IsEqualToString(const CountedString *s, const CountedString *other)
{
    int length = StringLength(s);
    return length == StringLength(other) && memcmp(s->text, other->text, length) == 0;
}

int IsEqualToText(const CountedString *s, const char *text)
{
    int length = StringLength(s);
    if (!text)
        return length == 0;
    return strlen(text) == (size_t)length && memcmp(s->text, text, length) == 0;
}

int ComparePrefixIgnoringCase(const CountedString *s, const char *text, int n)
{
    CountedString prefix = ExtractLeft(s, n);
    TextWalk walk = PlainWalkOf(&prefix);
    int unit = UnitBytes(walk);
    if (!text)
        text = "";
    for (int i = 0; i < n; ++i) {
        unsigned a = i * unit < walk.length ? CharacterValueAt(walk, i * unit) : 0;
        unsigned b = (unsigned char)text[i];
        if (FoldCase(a) != FoldCase(b))
            return (int)FoldCase(a) - (int)FoldCase(b);
        if (a == 0)
            return 0;
    }
    return 0;
}

/* The first character of the walk from character index start on whose single unit is
   value; the character index, or -1. */
static int FindUnit(const TextWalk &walk, unsigned value, int start)
{
    int index = start < 0 ? 0 : start;
    for (int p = OffsetOfCharacter(walk, index); p < walk.length; ++index) {
        int step = StepAt(walk, p);
        if (step == UnitBytes(walk) && CharacterValueAt(walk, p) == value)
            return index;
        p += step;
    }
    return -1;
}

/* The first character position from character index start on where the count bytes of
   needle follow; exact or ignoring case. */
static int FindBytes(const TextWalk &walk, const char *needle, int count, int start, int ignoreCase)
{
    int index = start < 0 ? 0 : start;
    for (int p = OffsetOfCharacter(walk, index); p < walk.length; ++index) {
        if (count <= walk.length - p &&
            (ignoreCase ? EqualIgnoringCase(walk.text + p, needle, count) : memcmp(walk.text + p, needle, count) == 0))
            return index;
        p += StepAt(walk, p);
    }
    return -1;
}

/* The last character position below character index limit whose count bytes, wholly
   below the limit too, are those of needle. */
static int FindBytesBackwards(const TextWalk &walk, const char *needle, int count, int limit)
{
    int end = OffsetOfCharacter(walk, limit), found = -1, index = 0;
    for (int p = 0; p + count <= end && p < walk.length; ++index) {
        if (memcmp(walk.text + p, needle, count) == 0)
            found = index;
        p += StepAt(walk, p);
    }
    return found;
}

int FindCharacter(const CountedString *s, char byte, int start)
{
    return FindUnit(WalkOf(s), (unsigned char)byte, start);
}

int FindString(const CountedString *s, const CountedString *needle, int start)
{
    CountedString operand(*needle);
    if (!TakeKindOf(s, &operand))
        return -1;
    return FindBytes(WalkOf(s), operand.text, StringLength(&operand), start, 0);
}

int FindText(const CountedString *s, const char *text, int byteStart)
{
    return FindBytes(ByteWalkOf(s), text ? text : "", text ? (int)strlen(text) : 0, byteStart, 0);
}

int FindTextAtCharacter(const CountedString *s, const char *text, int byteStart, int ignoreCase)
{
    /* Candidates are the GBK character starts, walked from the first byte. */
    TextWalk walk = ByteWalkOf(s);
    walk.codePage = kCodePageGbk;
    if (!text)
        text = "";
    int count = (int)strlen(text);
    int start = byteStart < 0 ? 0 : byteStart;
    for (int p = 0; p < walk.length; p += StepAt(walk, p)) {
        if (p < start || count > walk.length - p)
            continue;
        if (ignoreCase ? EqualIgnoringCase(walk.text + p, text, count) : memcmp(walk.text + p, text, count) == 0)
            return p;
    }
    return -1;
}

int FindTextIgnoringCase(const CountedString *s, const char *text, int byteStart)
{
    return FindBytes(ByteWalkOf(s), text ? text : "", text ? (int)strlen(text) : 0, byteStart, 1);
}

int FindAnyByte(const CountedString *s, const char *set)
{
    return FindByteOfSet(s, set, 0);
}

int FindByteOfSet(const CountedString *s, const char *set, int byteStart)
{
    int length = StringLength(s);
    for (int p = byteStart < 0 ? 0 : byteStart; p < length; ++p)
        if (IsInSet((unsigned char)s->text[p], set))
            return p;
    return -1;
}

static int UnitsMatch(unsigned receiver, unsigned needle, int ignoreCase)
{
    if (ignoreCase && receiver < 256) {
        if (receiver >= 'A' && receiver <= 'Z')
            receiver += 'a' - 'A';
        if (needle >= 'A' && needle <= 'Z')
            needle += 'a' - 'A';
    }
    return receiver == needle;
}

static int WideTextAt(const TextWalk &walk, int unit, const wchar_t *needle, int count, int ignoreCase)
{
    for (int i = 0; i < count; ++i)
        if (!UnitsMatch(CharacterValueAt(walk, 2 * (unit + i)), (unsigned short)needle[i], ignoreCase))
            return 0;
    return 1;
}

int FindWideText(const CountedString *s, const wchar_t *needle, int start, int ignoreCase)
{
    TextWalk walk = WalkOf(s);
    if (!walk.wide)
        return -1;
    int units = walk.length / 2, count = needle ? (int)wcslen(needle) : 0;
    for (int u = start < 0 ? 0 : start; u < units && count <= units - u; ++u)
        if (WideTextAt(walk, u, needle, count, ignoreCase))
            return u;
    return -1;
}

int ReverseFindWideText(const CountedString *s, const wchar_t *needle, int start, int ignoreCase)
{
    TextWalk walk = WalkOf(s);
    int units = walk.length / 2, count = needle ? (int)wcslen(needle) : 0;
    if (!walk.wide || units == 0 || count == 0)
        return -1;
    int last = start < 0 ? 0 : start < units - 1 ? start : units - 1;
    for (int u = last - count + 1; u >= 0; --u)
        if (WideTextAt(walk, u, needle, count, ignoreCase))
            return u;
    return -1;
}

int ReverseFindCharacter(const CountedString *s, char byte, int start)
{
    TextWalk walk = WalkOf(s);
    int limit = start < 0 ? 0 : start, found = -1, index = 0;
    for (int p = 0; p < walk.length && index < limit; ++index) {
        int step = StepAt(walk, p);
        if (step == UnitBytes(walk) && CharacterValueAt(walk, p) == (unsigned char)byte)
            found = index;
        p += step;
    }
    return found;
}

int ReverseFindText(const CountedString *s, const char *text)
{
    return ReverseFindTextFrom(s, text, kFromEnd);
}

int ReverseFindTextFrom(const CountedString *s, const char *text, int start)
{
    TextWalk walk = WalkOf(s);
    int limit = start < 0 ? 0 : start;
    int count = text ? (int)strlen(text) : 0;
    if (count == 0) {
        int characters = CountWalkedCharacters(walk);
        return (limit < characters ? limit : characters) - 1;
    }
    if (!walk.wide)
        return FindBytesBackwards(walk, text, count, limit);
    /* The text's bytes as the units (byte, 0). */
    CountedString units;
    char *widened = GetBuffer(&units, 2 * count);
    if (!widened)
        return -1;
    for (int i = 0; i < count; ++i) {
        widened[2 * i] = text[i];
        widened[2 * i + 1] = 0;
    }
    return FindBytesBackwards(walk, widened, 2 * count, limit);
}

int ReverseFindByteOfSet(const CountedString *s, const char *set, int byteStart)
{
    int length = StringLength(s);
    int last = byteStart < 0 ? 0 : byteStart < length - 1 ? byteStart : length - 1;
    for (int p = last; p >= 0; --p)
        if (IsInSet((unsigned char)s->text[p], set))
            return p;
    return -1;
}
