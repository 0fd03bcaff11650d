/* Replacing every occurrence of one text by another. The matches are found first, so the
   text is rewritten in one pass: over itself when the lengths agree, compacted front to
   back when it shrinks, moved back to front into reserved room when it grows, each
   segment once. */
#include <windows.h>

#include <string.h>

#include "foundation/string_operations.h"
#include "foundation/string_walk.h"

enum { kFirstMatchRoom = 258, kMatchRoomStep = 256 };

/* Byte offsets of the matches, in a list that grows from the process heap. */
struct MatchList {
    int *offsets;
    int count;
    int room;
};

static int AddMatch(MatchList *list, int offset)
{
    if (list->count == list->room) {
        int room = list->room ? list->room + kMatchRoomStep : kFirstMatchRoom;
        HANDLE heap = GetProcessHeap();
        SIZE_T bytes = (SIZE_T)room * sizeof(int);
        void *grown = list->offsets ? HeapReAlloc(heap, 0, list->offsets, bytes) : HeapAlloc(heap, 0, bytes);
        if (!grown)
            return 0;
        list->offsets = static_cast<int *>(grown);
        list->room = room;
    }
    list->offsets[list->count++] = offset;
    return 1;
}

/* Left to right, stepping over a match and otherwise by one unit, so that matches never
   overlap. */
static int FindMatches(const CountedString *s, const char *a, int aBytes, int unit, MatchList *list)
{
    int length = StringLength(s);
    for (int p = 0; aBytes <= length - p;) {
        if (memcmp(s->text + p, a, aBytes) == 0) {
            if (!AddMatch(list, p))
                return 0;
            p += aBytes;
        } else {
            p += unit;
        }
    }
    return 1;
}

static void OverwriteMatches(char *text, const MatchList &matches, const char *b, int bBytes)
{
    for (int i = 0; i < matches.count; ++i)
        memcpy(text + matches.offsets[i], b, bBytes);
}

static void CompactMatches(char *text, int length, const MatchList &matches, int aBytes, const char *b, int bBytes)
{
    int write = matches.offsets[0];
    for (int i = 0; i < matches.count; ++i) {
        int from = matches.offsets[i] + aBytes;
        int to = i + 1 < matches.count ? matches.offsets[i + 1] : length;
        memcpy(text + write, b, bBytes);
        write += bBytes;
        memmove(text + write, text + from, to - from);
        write += to - from;
    }
}

/* The segment after match i moves on by (i + 1) growths; the last one first, so nothing is
   overwritten before it has moved. */
static void SpreadMatches(char *text, int length, const MatchList &matches, int aBytes, const char *b, int bBytes)
{
    int growth = bBytes - aBytes, end = length;
    for (int i = matches.count - 1; i >= 0; --i) {
        int from = matches.offsets[i] + aBytes;
        memmove(text + from + (i + 1) * growth, text + from, end - from);
        memcpy(text + matches.offsets[i] + i * growth, b, bBytes);
        end = matches.offsets[i];
    }
}

/* Replaces the matches of a in the receiver by b; a and b lie outside its block. The
   number replaced, or -1 without memory. */
static int ReplaceMatches(CountedString *s, const char *a, int aBytes, const char *b, int bBytes, int unit)
{
    MatchList matches = {nullptr, 0, 0};
    int result = -1;
    if (FindMatches(s, a, aBytes, unit, &matches)) {
        int length = StringLength(s);
        long long grown = (long long)length + (long long)(bBytes - aBytes) * matches.count;
        if (matches.count == 0) {
            result = 0;
        } else if (grown == 0) {
            ClearString(s);
            result = matches.count;
        } else if (grown > kLongestText) {
            result = -1;
        } else if (bBytes > aBytes ? ReserveString(s, (int)grown) : MakeUnique(s)) {
            if (bBytes == aBytes)
                OverwriteMatches(s->text, matches, b, bBytes);
            else if (bBytes < aBytes)
                CompactMatches(s->text, length, matches, aBytes, b, bBytes);
            else
                SpreadMatches(s->text, length, matches, aBytes, b, bBytes);
            StringHeader *header = HeaderOf(s);
            header->length = (int)grown;
            TerminateText(header);
            result = matches.count;
        }
    }
    if (matches.offsets)
        HeapFree(GetProcessHeap(), 0, matches.offsets);
    return result;
}

/* A zero-terminated operand as the receiver compares it: its bytes, or the units
   (byte, 0) for a wide receiver. Always a copy, since the operand may lie in the very
   block that the replacing rewrites or frees. */
static int HoldOperand(const CountedString *s, const char *text, CountedString *held)
{
    int length = (int)strlen(text);
    if (!IsWideString(s))
        return AppendBytes(held, text, length);
    if (length > kLongestText / 2)
        return 0;
    char *units = GetBuffer(held, 2 * length);
    if (!units)
        return 0;
    for (int i = 0; i < length; ++i) {
        units[2 * i] = text[i];
        units[2 * i + 1] = 0;
    }
    return ReleaseBuffer(held, 2 * length);
}

int ReplaceText(CountedString *s, const char *a, const char *b)
{
    if (!a || !*a)
        return 0;
    CountedString heldA, heldB;
    if (!HoldOperand(s, a, &heldA) || !HoldOperand(s, b ? b : "", &heldB))
        return 0;
    int unit = IsWideString(s) ? 2 : 1;
    int replaced = ReplaceMatches(s, heldA.text, StringLength(&heldA), heldB.text, StringLength(&heldB), unit);
    return replaced < 0 ? 0 : replaced;
}

int ReplaceString(CountedString *s, const CountedString *a, const CountedString *b)
{
    /* Held copies share the operands' buffers: should one be the receiver's, the receiver
       copies before it writes and the operand's text stays as it was. */
    CountedString heldA(*a), heldB(*b);
    if (StringLength(&heldA) == 0 || !TakeKindOf(s, &heldA) || !TakeKindOf(s, &heldB))
        return 0;
    int unit = IsWideString(s) ? 2 : 1;
    int aBytes = StringLength(&heldA) & (unit == 2 ? ~1 : ~0);
    if (aBytes == 0)
        return 0;
    int replaced = ReplaceMatches(s, heldA.text, aBytes, heldB.text, StringLength(&heldB), unit);
    return replaced < 0 ? 0 : replaced;
}
