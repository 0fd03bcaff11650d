/* Editing in place. A writer first makes the buffer its own (MakeUnique), or reserves room
   (ReserveString) when the text grows, so that the other holders of a shared buffer keep
   their text. */
#include <windows.h>

#include <ctype.h>
#include <string.h>

#include "foundation/string_operations.h"
#include "foundation/string_walk.h"

static const char kBlanks[] = "\r\n \t";

/* Whether p points into the block of s, where a reserve could move or free it. */
static int LiesInBlock(const CountedString *s, const char *p)
{
    const StringHeader *header = HeaderOf(s);
    UINT_PTR at = (UINT_PTR)p, first = (UINT_PTR)header;
    return at >= first && at <= first + (UINT_PTR)header->capacity;
}

/* Opens count bytes at byte offset `at` and returns them for writing; null without memory. */
static char *OpenRoom(CountedString *s, int at, int count)
{
    StringHeader *header = HeaderOf(s);
    if (count > kLongestText - header->length || !ReserveString(s, header->length + count))
        return nullptr;
    header = HeaderOf(s);
    memmove(s->text + at + count, s->text + at, header->length - at);
    header->length += count;
    TerminateText(header);
    return s->text + at;
}

/* Writes count characters at byte offset `at`: the bytes, or each as the unit (byte, 0). */
static void PutCharacters(char *at, const char *bytes, int count, int wide)
{
    if (!wide) {
        memcpy(at, bytes, count);
        return;
    }
    for (int i = 0; i < count; ++i) {
        at[2 * i] = bytes[i];
        at[2 * i + 1] = 0;
    }
}

/* Cuts the text to its first count bytes, keeping the buffer. */
static int CutText(CountedString *s, int count)
{
    if (count >= StringLength(s))
        return 1;
    if (!MakeUnique(s))
        return 0;
    StringHeader *header = HeaderOf(s);
    if (!IsEmptyInstance(header)) {
        header->length = count;
        TerminateText(header);
    }
    return 1;
}

/* Takes count bytes out at byte offset `at`; a text left empty is cleared. */
static int RemoveBytes(CountedString *s, int at, int count)
{
    StringHeader *header = HeaderOf(s);
    if (count <= 0)
        return 1;
    if (at == 0 && count >= header->length) {
        ClearString(s);
        return 1;
    }
    if (!MakeUnique(s))
        return 0;
    header = HeaderOf(s);
    memmove(s->text + at, s->text + at + count, header->length - at - count);
    header->length -= count;
    TerminateText(header);
    return 1;
}

int TruncateString(CountedString *s, int index)
{
    TextWalk walk = PlainWalkOf(s);
    return CutText(s, OffsetOfCharacter(walk, index));
}

int InsertCharacter(CountedString *s, int index, char byte)
{
    LibraryLock lock;
    TextWalk walk = PlainWalkOf(s);
    int at = OffsetOfCharacter(walk, index);
    char *room = OpenRoom(s, at, UnitBytes(walk));
    if (!room)
        return 0;
    PutCharacters(room, &byte, 1, walk.wide);
    return StringLength(s);
}

int InsertText(CountedString *s, int index, const char *text)
{
    if (!text || !*text)
        return StringLength(s);
    LibraryLock lock;
    /* A text taken from our own buffer could move or be overwritten as room opens. */
    CountedString held;
    if (LiesInBlock(s, text)) {
        if (!AppendText(&held, text))
            return 0;
        text = held.text;
    }
    TextWalk walk = WalkOf(s);
    int count = (int)strlen(text);
    if (count > kLongestText / 2)
        return 0;
    int at = OffsetOfCharacter(walk, index);
    char *room = OpenRoom(s, at, count * UnitBytes(walk));
    if (!room)
        return 0;
    PutCharacters(room, text, count, walk.wide);
    return StringLength(s);
}

int DeleteCharacters(CountedString *s, int index, int count)
{
    LibraryLock lock;
    TextWalk walk = WalkOf(s);
    int from = OffsetOfCharacter(walk, index);
    if (count > 0 && from < walk.length && !RemoveBytes(s, from, AdvanceCharacters(walk, from, count) - from))
        return 0;
    return CountWholeCharacters(s);
}

int DeleteFirst(CountedString *s, int count)
{
    TextWalk walk = PlainWalkOf(s);
    if (count > 0 && !RemoveBytes(s, 0, AdvanceCharacters(walk, 0, count)))
        return 0;
    return CountCharacters(s);
}

int DeleteLast(CountedString *s, int count)
{
    TextWalk walk = PlainWalkOf(s);
    if (count <= 0)
        return CountCharacters(s);
    int units = walk.length / UnitBytes(walk);
    if (count >= units)
        ClearString(s);
    else if (!CutText(s, (units - count) * UnitBytes(walk)))
        return 0;
    return CountCharacters(s);
}

void TrimLeft(CountedString *s, const char *set)
{
    LibraryLock lock;
    TextWalk walk = PlainWalkOf(s);
    int p = 0;
    while (p < walk.length && IsInSet(CharacterValueAt(walk, p), set ? set : kBlanks))
        p += UnitBytes(walk);
    RemoveBytes(s, 0, p);
}

void TrimRight(CountedString *s, const char *set)
{
    TextWalk walk = PlainWalkOf(s);
    int end = walk.length;
    while (end > 0 && IsInSet(CharacterValueAt(walk, end - UnitBytes(walk)), set ? set : kBlanks))
        end -= UnitBytes(walk);
    if (end == walk.length)
        return;
    if (end == 0)
        ClearString(s);
    else
        CutText(s, end);
}

/* The longest run of whole characters from the start that fits in width bytes. */
static int WholeCharactersWithin(const TextWalk &walk, int width)
{
    int p = 0;
    while (p < walk.length && p + StepAt(walk, p) <= width)
        p += StepAt(walk, p);
    return p;
}

int FitToWidth(CountedString *s, int width, int trimFirst, int padInFront)
{
    if (trimFirst) {
        TrimLeft(s);
        TrimRight(s);
    }
    if (width < 0)
        width = 0;
    TextWalk walk = WalkOf(s);
    int unit = UnitBytes(walk);
    int difference = width - walk.length / unit;
    if (difference < 0) {
        int keep = walk.wide ? 2 * width : WholeCharactersWithin(walk, width);
        if (keep == 0)
            ClearString(s);
        else
            CutText(s, keep);
    } else if (difference > 0) {
        if (difference > kLongestText / unit)
            return 0;
        char *room = OpenRoom(s, padInFront ? 0 : HeaderOf(s)->length, difference * unit);
        if (!room)
            return 0;
        for (int i = 0; i < difference; ++i)
            PutCharacters(room + i * unit, "0", 1, walk.wide);
    }
    return difference;
}

int AppendCopies(CountedString *s, char byte, int count)
{
    TextWalk walk = PlainWalkOf(s);
    if (count <= 0)
        return CountCharacters(s);
    if (count > kLongestText / 2)
        return 0;
    char *room = OpenRoom(s, HeaderOf(s)->length, count * UnitBytes(walk));
    if (!room)
        return 0;
    for (int i = 0; i < count; ++i)
        PutCharacters(room + i * UnitBytes(walk), &byte, 1, walk.wide);
    return CountCharacters(s);
}

static int IsByte(unsigned value, unsigned byte) { return value == byte; }
static int IsNotDigit(unsigned value, unsigned) { return value < '0' || value > '9'; }

/* Takes out every unit (byte of narrow text) that `drop` names; the number taken out, or
   -1 without memory. */
static int DropUnits(CountedString *s, int (*drop)(unsigned value, unsigned byte), unsigned byte)
{
    TextWalk walk = PlainWalkOf(s);
    int unit = UnitBytes(walk), dropped = 0;
    for (int p = 0; p < walk.length; p += unit)
        dropped += drop(CharacterValueAt(walk, p), byte);
    if (dropped == 0)
        return 0;
    if (dropped * unit >= walk.length) {
        ClearString(s);
        return dropped;
    }
    if (!MakeUnique(s))
        return -1;
    walk = PlainWalkOf(s);
    int kept = 0;
    for (int p = 0; p < walk.length; p += unit) {
        if (!drop(CharacterValueAt(walk, p), byte)) {
            memmove(s->text + kept, s->text + p, unit);
            kept += unit;
        }
    }
    StringHeader *header = HeaderOf(s);
    memmove(s->text + kept, s->text + walk.length, header->length - walk.length);
    header->length -= walk.length - kept;
    TerminateText(header);
    return dropped;
}

int RemoveByte(CountedString *s, char byte)
{
    int removed = DropUnits(s, IsByte, (unsigned char)byte);
    return removed < 0 ? 0 : removed;
}

int KeepDigits(CountedString *s)
{
    return DropUnits(s, IsNotDigit, 0) < 0 ? 0 : CountCharacters(s);
}

int ReplaceByte(CountedString *s, char from, char to)
{
    TextWalk walk = PlainWalkOf(s);
    int unit = UnitBytes(walk), replaced = 0;
    for (int p = 0; p < walk.length; p += unit)
        replaced += CharacterValueAt(walk, p) == (unsigned char)from;
    if (replaced == 0 || !MakeUnique(s))
        return 0;
    walk = PlainWalkOf(s);
    for (int p = 0; p < walk.length; p += unit)
        if (CharacterValueAt(walk, p) == (unsigned char)from)
            s->text[p] = to;
    return replaced;
}

/* Maps every single-unit character through the C library's casing; the two bytes of a
   double-byte character are no letters, whatever their values. */
static void MapCase(CountedString *s, int (*map)(int))
{
    if (StringLength(s) == 0 || !MakeUnique(s))
        return;
    TextWalk walk = WalkOf(s);
    int unit = UnitBytes(walk);
    for (int p = 0; p < walk.length;) {
        int step = StepAt(walk, p);
        unsigned value = CharacterValueAt(walk, p);
        if (step == unit && value < 256)
            s->text[p] = (char)map((int)value);
        p += step;
    }
}

void MakeLower(CountedString *s) { MapCase(s, tolower); }
void MakeUpper(CountedString *s) { MapCase(s, toupper); }

static void SwapBytes(char *a, char *b)
{
    char byte = *a;
    *a = *b;
    *b = byte;
}

void ReverseString(CountedString *s)
{
    if (StringLength(s) == 0 || !MakeUnique(s))
        return;
    TextWalk walk = WalkOf(s);
    char *text = s->text;
    /* Each pair is turned round first, so that mirroring the whole puts it back in order. */
    for (int p = 0; p < walk.length;) {
        int step = StepAt(walk, p);
        if (step == 2)
            SwapBytes(text + p, text + p + 1);
        p += step;
    }
    for (int i = 0, j = walk.length - 1; i < j; ++i, --j)
        SwapBytes(text + i, text + j);
}

int MeasureIndentation(const CountedString *s, int tabWidth)
{
    TextWalk walk = PlainWalkOf(s);
    int columns = 0;
    for (int p = 0; p < walk.length; p += UnitBytes(walk)) {
        unsigned value = CharacterValueAt(walk, p);
        if (value == '\t')
            columns += tabWidth;
        else if (value == ' ')
            columns += 1;
        else
            break;
    }
    return columns;
}

int ConvertToOem(CountedString *s)
{
    if (IsWideString(s))
        return 0;
    int length = StringLength(s);
    if (length == 0)
        return 1;
    if (!MakeUnique(s))
        return 0;
    /* The buffer form: a zero byte inside the text does not end the conversion. */
    CharToOemBuffA(s->text, s->text, (DWORD)length);
    return 1;
}

int SetByteAt(CountedString *s, int index, char byte)
{
    TextWalk walk = PlainWalkOf(s);
    if (index < 0 || index >= walk.length / UnitBytes(walk) || !MakeUnique(s))
        return -1;
    PutCharacters(s->text + index * UnitBytes(walk), &byte, 1, walk.wide);
    return index;
}
