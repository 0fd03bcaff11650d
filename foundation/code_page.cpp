/* Code-page helpers. */
#include <windows.h>

#include <string.h>

#include "foundation/code_page.h"

/* The correspondence table of scripts, code pages and character sets. */
struct ScriptRow {
    int script;
    int codePage;
    int characterSet;
};
static const ScriptRow kScriptTable[] = {
    {kScriptSimplified, kCodePageGbk, kCharsetGb2312},
    {kScriptTraditional, kCodePageBig5, kCharsetBig5},
    {kScriptJapanese, kCodePageJapanese, kCharsetShiftJis},
    {kScriptKorean, kCodePageKorean, kCharsetHangul},
};
enum { kScriptRows = sizeof kScriptTable / sizeof kScriptTable[0] };

/* One lead byte and a range of trail bytes, written as pair codes (A2E5-A2EE). */
struct PairRange {
    unsigned char lead;
    unsigned char firstTrail;
    unsigned char lastTrail;
};
static const PairRange kGbkEnumerationMarks[] = {
    {0xA1, 0xEC, 0xEC}, {0xA1, 0xEE, 0xF9}, {0xA2, 0xA1, 0xAA}, {0xA2, 0xB1, 0xE3},
    {0xA2, 0xE5, 0xEE}, {0xA2, 0xF1, 0xFC}, {0xA3, 0xAA, 0xAA},
};
static const PairRange kBig5EnumerationMarks[] = {
    {0xA1, 0xB1, 0xB1}, {0xA1, 0xB3, 0xBF},
};
static const PairRange kGbkGaps[] = {
    {0xA1, 0xA1, 0xA1}, {0xA2, 0xAB, 0xB0}, {0xA2, 0xE3, 0xE4}, {0xA2, 0xED, 0xFE},
    {0xA4, 0xF4, 0xFE}, {0xA5, 0xF7, 0xFE}, {0xA6, 0xB9, 0xC0}, {0xA6, 0xD9, 0xDF},
    {0xA6, 0xF3, 0xFE}, {0xA7, 0xC2, 0xD0}, {0xA7, 0xF2, 0xFE},
};
static const PairRange kBig5Gaps[] = {
    {0xA1, 0x40, 0x40},
};

/* Ranges of UTF-16 units whose first occurrence decides the script. */
struct UnitRange {
    unsigned short first;
    unsigned short last;
    int script;
};
static const UnitRange kScriptRanges[] = {
    {0x3401, 0x9FA5, kScriptSimplified}, {0xF90E, 0xFA2D, kScriptSimplified},
    {0x3040, 0x30FF, kScriptJapanese},   {0x31F0, 0x31FF, kScriptJapanese},
    {0x1100, 0x11FF, kScriptKorean},     {0x3130, 0x318F, kScriptKorean},
    {0xAC00, 0xD7A3, kScriptKorean},
};

static const char kAsciiPunctuation[] = ",.?!-;:=";

static int IsBetween(unsigned value, unsigned first, unsigned last)
{
    return value >= first && value <= last;
}

static int IsGbkLead(unsigned char byte) { return IsBetween(byte, 0x81, 0xFE); }
static int IsGbkTrail(unsigned char byte) { return IsBetween(byte, 0x40, 0xFE) && byte != 0x7F; }
static int IsBig5Lead(unsigned char byte) { return IsBetween(byte, 0xA1, 0xFA); }
static int IsBig5Trail(unsigned char byte) { return IsBetween(byte, 0x40, 0xFE); }

static int IsValidPair(unsigned char a, unsigned char b, DoubleByteCode code)
{
    return code == kGbk ? IsGbkLead(a) && IsGbkTrail(b) : IsBig5Lead(a) && IsBig5Trail(b);
}

static int IsInPairRanges(unsigned char a, unsigned char b, const PairRange *ranges, int count)
{
    for (int i = 0; i < count; ++i)
        if (a == ranges[i].lead && IsBetween(b, ranges[i].firstTrail, ranges[i].lastTrail))
            return 1;
    return 0;
}

static unsigned UnitAt(const wchar_t *units, int i)
{
    return (unsigned short)units[i];
}

int IsDoubleByteCodePage(int codePage)
{
    for (int i = 0; i < kScriptRows; ++i)
        if (kScriptTable[i].codePage == codePage)
            return 1;
    return 0;
}

int IsUnsetOrWesternCodePage(int codePage)
{
    return codePage <= 0 || codePage == kCodePageWestern;
}

int IsDoubleByteScript(int script)
{
    for (int i = 0; i < kScriptRows; ++i)
        if (kScriptTable[i].script == script)
            return 1;
    return 0;
}

int IsNotDoubleByteScript(int script)
{
    return !IsDoubleByteScript(script);
}

int CodePageOf(int value, int fromScript)
{
    for (int i = 0; i < kScriptRows; ++i)
        if ((fromScript ? kScriptTable[i].script : kScriptTable[i].characterSet) == value)
            return kScriptTable[i].codePage;
    return kCodePageWestern;
}

int CharacterSetOf(int value, int fromScript)
{
    for (int i = 0; i < kScriptRows; ++i)
        if ((fromScript ? kScriptTable[i].script : kScriptTable[i].codePage) == value)
            return kScriptTable[i].characterSet;
    return 0;
}

int ScriptOfCharacterSet(int characterSet)
{
    for (int i = 0; i < kScriptRows; ++i)
        if (kScriptTable[i].characterSet == characterSet)
            return kScriptTable[i].script;
    return kNoScript;
}

int ChooseCodePage(int first, int second)
{
    if (IsDoubleByteCodePage(first))
        return first;
    if (IsDoubleByteCodePage(second))
        return second;
    if (first <= 0 || (first == kCodePageWestern && second > 0))
        return second;
    return first;
}

int IsLeadByteForCodePage(unsigned char a, unsigned char b, int codePage)
{
    if (codePage == kCodePageGbk)
        return IsValidPair(a, b, kGbk);
    if (codePage == kCodePageBig5)
        return IsValidPair(a, b, kBig5);
    /* Shift-JIS, Korean and everything else: the following byte is not examined. */
    return a >= 0x80;
}

int IsLeadByteForCharacterSet(unsigned char a, unsigned char b, int characterSet)
{
    switch (characterSet) {
    case kCharsetGb2312: return IsValidPair(a, b, kGbk);
    case kCharsetBig5: return IsValidPair(a, b, kBig5);
    case kCharsetShiftJis:
    case kCharsetHangul: return a >= 0x80;
    default: return 0;
    }
}

int IsInByteRange(unsigned char byte, BytePart part, DoubleByteCode code)
{
    if (code == kGbk)
        return part == kLeadByte ? IsGbkLead(byte) : IsGbkTrail(byte);
    return part == kLeadByte ? IsBig5Lead(byte) : IsBig5Trail(byte);
}

int IsIdeograph(unsigned char a, unsigned char b, DoubleByteCode code)
{
    if (code == kGbk)
        return a > 0xB0 || (a == 0xB0 && b >= 0xA1);
    return a >= 0xA4 && !((a == 0xF9 || a == 0xFA) && IsBetween(b, 0xDD, 0xFE));
}

int IsSymbol(unsigned char a, unsigned char b, DoubleByteCode code)
{
    if (!IsValidPair(a, b, code))
        return 0;
    if (code == kGbk)
        return a < 0xB0 || (a == 0xB0 && b < 0xA1);
    return a < 0xA4 || ((a == 0xF9 || a == 0xFA) && IsBetween(b, 0xDD, 0xFE));
}

int IsEnumerationMark(unsigned char a, unsigned char b, DoubleByteCode code)
{
    if (!IsValidPair(a, b, code))
        return 0;
    if (code == kGbk)
        return IsInPairRanges(a, b, kGbkEnumerationMarks,
                              sizeof kGbkEnumerationMarks / sizeof kGbkEnumerationMarks[0]);
    return IsInPairRanges(a, b, kBig5EnumerationMarks,
                          sizeof kBig5EnumerationMarks / sizeof kBig5EnumerationMarks[0]);
}

int IsGap(unsigned char a, unsigned char b, DoubleByteCode code)
{
    if (!IsValidPair(a, b, code))
        return 0;
    if (code == kGbk)
        return IsInPairRanges(a, b, kGbkGaps, sizeof kGbkGaps / sizeof kGbkGaps[0]);
    return IsInPairRanges(a, b, kBig5Gaps, sizeof kBig5Gaps / sizeof kBig5Gaps[0]);
}

int HasHighByte(const char *bytes, int length)
{
    if (length <= 0)
        length = (int)strlen(bytes);
    for (int i = 0; i < length - 1; ++i)
        if ((unsigned char)bytes[i] >= 0x80)
            return 1;
    return 0;
}

int HasLeadByte(const char *text, DoubleByteCode code)
{
    int length = (int)strlen(text);
    for (int i = 0; i < length - 1; ++i)
        if (IsInByteRange((unsigned char)text[i], kLeadByte, code))
            return 1;
    return 0;
}

int CountSingleByteCharacters(const char *bytes, int length, int characterSet)
{
    int count = 0;
    for (int i = 0; i < length; ++i) {
        if (i < length - 1 &&
            IsLeadByteForCharacterSet((unsigned char)bytes[i], (unsigned char)bytes[i + 1], characterSet))
            ++i;
        else
            ++count;
    }
    return count;
}

int IsAsciiPunctuation(unsigned char byte)
{
    /* strchr also finds the terminator, so the byte 0 counts as punctuation too. */
    return strchr(kAsciiPunctuation, byte) != nullptr;
}

int DetectScript(const wchar_t *units, int count)
{
    for (int i = 0; i < count; ++i)
        for (const UnitRange &range : kScriptRanges)
            if (IsBetween(UnitAt(units, i), range.first, range.last))
                return range.script;
    return kNoScript;
}

int IsWidenedGbk(const wchar_t *units, int count)
{
    if (count <= 1)
        return 1;
    for (int i = 0; i < count; ++i)
        if (UnitAt(units, i) > 0xFF)
            return 0;
    for (int i = 0; i + 1 < count; ++i)
        if (!IsGbkLead((unsigned char)UnitAt(units, i)) || !IsGbkTrail((unsigned char)UnitAt(units, i + 1)))
            return 0;
    return 1;
}

int HasLowNonAsciiUnit(const wchar_t *units, int count)
{
    for (int i = 0; i < count - 1; ++i)
        if (IsBetween(UnitAt(units, i), 0x0080, 0x1FFF))
            return 1;
    return 0;
}
