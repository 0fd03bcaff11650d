/* The text operations on chosen cases: double-byte text, sharing and copy-on-write, the
   library lock, operands that alias the receiver or are of the other kind, and running
   out of memory. */
#include <gtest/gtest.h>

#include <windows.h>

#include <limits.h>

#include <functional>
#include <string>
#include <vector>

#include "foundation/string_operations.h"
#include "string_test_helpers.h"

namespace {

class StringOperationsTest : public ::testing::Test {
protected:
    void TearDown() override { SetAllocationFailureCountdown(-1); }
};

CountedString NarrowIn(const std::string &bytes, int codePage)
{
    CountedString s;
    AppendByteRange(&s, bytes.data(), 0, (int)bytes.size());
    SetCodePage(&s, codePage);
    return s;
}

bool IsEmptyResult(const CountedString &s) { return IsEmptyInstance(HeaderOf(&s)); }

const std::string kZhongA = "\xD6\xD0" "a";  /* one GBK character and a Latin letter */

TEST_F(StringOperationsTest, AGbkCharacterCountsOnceWhereTheCodePageSaysSo)
{
    CountedString s = NarrowIn(kZhongA, 936);
    EXPECT_EQ(2, CountWholeCharacters(&s));
    EXPECT_EQ(1, FindCharacter(&s, 'a', 0));
    EXPECT_EQ("a", Bytes(ExtractSubstring(&s, 1, 1)));
    EXPECT_EQ(kZhongA, Bytes(ExtractLeft(&s, 2)));
    CountedString edited(s);
    EXPECT_EQ(1, DeleteCharacters(&edited, 0, 1));
    EXPECT_EQ("a", Bytes(edited));

    /* Without a double-byte code page every byte is a character. */
    CountedString unknown = NarrowIn(kZhongA, -1);
    EXPECT_EQ(3, CountWholeCharacters(&unknown));
    EXPECT_EQ(2, FindCharacter(&unknown, 'a', 0));
    EXPECT_EQ("\xD0", Bytes(ExtractSubstring(&unknown, 1, 1)));
}

TEST_F(StringOperationsTest, ATrailByteNeverMatchesAsACharacter)
{
    /* 0x61 and 0x5C are GBK trail bytes: D6 61 and 81 5C are one character each. */
    CountedString s = NarrowIn("\xD6" "a" "\x81\\" "a\\", 936);
    EXPECT_EQ(2, FindCharacter(&s, 'a', 0));
    EXPECT_EQ(2, ReverseFindCharacter(&s, 'a', kFromEnd));
    EXPECT_EQ(3, FindCharacter(&s, '\\', 0));
    EXPECT_EQ(-1, FindCharacter(&s, '\xD6', 0));
    EXPECT_EQ("", Bytes(ExtractFileName(&s, 0)));
    CountedString path = NarrowIn("C:\\\xA5\\.txt", 950);  /* a Big5 character whose trail is a backslash */
    EXPECT_EQ("\xA5\\.txt", Bytes(ExtractFileName(&path, 0)));
    EXPECT_EQ("\xA5\\", Bytes(ExtractFileName(&path, 1)));
}

TEST_F(StringOperationsTest, ByteIndexSearchesSkipCandidatesOnGbkTrailBytes)
{
    /* D6 41 is one GBK character; the A after it is the first one that stands alone. */
    for (int codePage : {936, -1, 950}) {
        CountedString s = NarrowIn("\xD6" "AAx", codePage);
        EXPECT_EQ(2, FindTextAtCharacter(&s, "A", 0, 0)) << codePage;
        EXPECT_EQ(2, FindTextAtCharacter(&s, "ax", 0, 1)) << codePage;
        EXPECT_EQ(1, FindText(&s, "A", 0)) << codePage;
        EXPECT_EQ(1, FindTextIgnoringCase(&s, "a", 0)) << codePage;
    }
}

TEST_F(StringOperationsTest, EditsOfDoubleByteTextKeepCharactersWhole)
{
    CountedString upper = NarrowIn("\x81" "az", 936);
    MakeUpper(&upper);
    EXPECT_EQ("\x81" "aZ", Bytes(upper)) << "a trail byte is no letter";
    CountedString reversed = NarrowIn(kZhongA + "b", 936);
    ReverseString(&reversed);
    EXPECT_EQ("ba\xD6\xD0", Bytes(reversed));
    CountedString fitted = NarrowIn("\xD6\xD0\xCE\xC4", 936);
    EXPECT_EQ(-1, FitToWidth(&fitted, 3, 0, 0));
    EXPECT_EQ("\xD6\xD0", Bytes(fitted));
    CountedString inserted = NarrowIn("\xD6\xD0\xCE\xC4", 936);
    EXPECT_EQ(5, InsertText(&inserted, 1, "-"));
    EXPECT_EQ("\xD6\xD0-\xCE\xC4", Bytes(inserted));
    /* The start of a reverse search counts characters too. */
    CountedString search = NarrowIn("a" + kZhongA, 936);
    EXPECT_EQ(0, ReverseFindCharacter(&search, 'a', 2));
    EXPECT_EQ(2, ReverseFindCharacter(&search, 'a', 3));
}

TEST_F(StringOperationsTest, TrimmingAllBlanksLeavesTheEmptyString)
{
    CountedString small = MakeString(" \t\r\n  "), large = MakeFilledString(' ', 400);
    TrimLeft(&small);
    TrimLeft(&large);
    EXPECT_EQ(0, StringLength(&small));
    EXPECT_TRUE(IsEmptyInstance(HeaderOf(&large))) << "a large buffer is not kept";
    CountedString right = MakeString("\t\t"), custom = MakeString("xyx");
    TrimRight(&right);
    TrimRight(&custom, "yx");
    EXPECT_EQ(0, StringLength(&right));
    EXPECT_EQ(0, StringLength(&custom));
    CountedString kept = MakeString("\r\n a b \t");
    TrimLeft(&kept);
    TrimRight(&kept);
    EXPECT_EQ("a b", Bytes(kept));
}

TEST_F(StringOperationsTest, ReplacingGrowsShrinksAndKeepsTheSharersText)
{
    CountedString s = MakeFilledString('a', 300), sharer(s);
    EXPECT_EQ(300, ReplaceText(&s, "a", "bb"));
    EXPECT_EQ(std::string(600, 'b'), Bytes(s));
    EXPECT_EQ(std::string(300, 'a'), Bytes(sharer));
    EXPECT_EQ(300, ReplaceText(&s, "bb", "c"));
    EXPECT_EQ(std::string(300, 'c'), Bytes(s));
    EXPECT_EQ(0, ReplaceText(&s, "", "x"));
    EXPECT_EQ(0, ReplaceText(&s, "d", "x"));
    EXPECT_EQ(300, ReplaceText(&s, "c", nullptr));
    EXPECT_EQ(0, StringLength(&s));
    /* Matches never overlap: aaa holds one aa. */
    CountedString overlap = MakeString("aaa");
    EXPECT_EQ(1, ReplaceText(&overlap, "aa", "b"));
    EXPECT_EQ("ba", Bytes(overlap));
}

TEST_F(StringOperationsTest, WholeTextExtractionsShareAndEmptyOnesAreTheEmptyInstance)
{
    CountedString narrow = MakeString("dir.txt"), wide = MakeWideString(L"ab\\cd"), gbk = NarrowIn(kZhongA, 936);
    for (CountedString *s : {&narrow, &wide, &gbk}) {
        int length = CountWholeCharacters(s);
        EXPECT_EQ(s->text, ExtractSubstring(s, 0, length).text);
        EXPECT_EQ(s->text, ExtractSubstring(s, -3, StringLength(s)).text);
        EXPECT_EQ(s->text, ExtractLeft(s, INT_MAX).text);
        EXPECT_EQ(s->text, ExtractTail(s, 0).text);
        EXPECT_EQ(s->text, ExtractRight(s, length).text);
        EXPECT_TRUE(IsEmptyResult(ExtractSubstring(s, length, 1)));
        EXPECT_TRUE(IsEmptyResult(ExtractSubstring(s, 0, 0)));
        EXPECT_TRUE(IsEmptyResult(ExtractRight(s, -1)));
    }
    EXPECT_EQ(narrow.text, ExtractFileName(&narrow, 0).text);
    EXPECT_EQ("dir", Bytes(ExtractFileName(&narrow, 1)));
    EXPECT_EQ(WideBytes(L"cd"), Bytes(ExtractFileName(&wide, 0)));

    /* A part carries the receiver's attributes. */
    HeaderOf(&gbk)->attribute = 9;
    CountedString part = ExtractRight(&gbk, 1);
    EXPECT_EQ(936, StringCodePage(&part));
    EXPECT_EQ(9, StringAttributeByte(&part));
    EXPECT_EQ('a', LastByte(&part));

    CountedString span = MakeString("key=value"), spanSharer(span);
    CountedString key = KeepSpanExcluding(&span, "=");
    EXPECT_EQ("key", Bytes(span));
    EXPECT_EQ(span.text, key.text);
    EXPECT_EQ("key=value", Bytes(spanSharer));
    CountedString digits = MakeString("2024-01"), run = KeepSpanIncluding(&digits, "0123456789");
    EXPECT_EQ("2024", Bytes(run));
}

using Edit = std::function<void(CountedString *)>;

/* Every edit, each of which changes the sample texts below. */
std::vector<Edit> Edits()
{
    return {
        [](CountedString *s) { TruncateString(s, 2); },
        [](CountedString *s) { InsertCharacter(s, 1, 'x'); },
        [](CountedString *s) { InsertText(s, 1, "xy"); },
        [](CountedString *s) { DeleteCharacters(s, 1, 2); },
        [](CountedString *s) { DeleteFirst(s, 1); },
        [](CountedString *s) { DeleteLast(s, 1); },
        [](CountedString *s) { TrimLeft(s); },
        [](CountedString *s) { TrimRight(s, "\n"); },
        [](CountedString *s) { FitToWidth(s, 40, 0, 1); },
        [](CountedString *s) { FitToWidth(s, 3, 1, 0); },
        [](CountedString *s) { AppendCopies(s, '-', 3); },
        [](CountedString *s) { RemoveByte(s, 'b'); },
        [](CountedString *s) { KeepDigits(s); },
        [](CountedString *s) { ReplaceByte(s, 'b', 'B'); },
        [](CountedString *s) { ReplaceText(s, "b", "long"); },
        [](CountedString *s) { ReplaceText(s, "Ab", "c"); },
        [](CountedString *s) {
            CountedString a = MakeString("12"), b = MakeString("34");
            ReplaceString(s, &a, &b);
        },
        [](CountedString *s) { MakeLower(s); },
        [](CountedString *s) { MakeUpper(s); },
        [](CountedString *s) { ReverseString(s); },
        [](CountedString *s) { SetByteAt(s, 0, '#'); },
        [](CountedString *s) { KeepSpanExcluding(s, "1"); },
        [](CountedString *s) { KeepSpanIncluding(s, " A"); },
    };
}

TEST_F(StringOperationsTest, EveryEditCopiesASharedBufferFirst)
{
    std::vector<Edit> edits = Edits();
    for (size_t i = 0; i < edits.size(); ++i) {
        CountedString narrow = MakeString(" Ab12 cab\n"), wide = MakeWideString(L" Ab12 c\x4E2D" L"b\n");
        for (CountedString *s : {&narrow, &wide}) {
            CountedString sharer(*s), edited(*s);
            std::string before = Bytes(*s);
            edits[i](&edited);
            EXPECT_NE(before, Bytes(edited)) << "edit " << i << " changed nothing";
            EXPECT_EQ(before, Bytes(sharer)) << "edit " << i;
            EXPECT_EQ(2, CountOf(sharer)) << "edit " << i << ": only the editor lets go of the buffer";
        }
    }
}

TEST_F(StringOperationsTest, OemConversionWorksOnAPrivateCopyAndPastZeroBytes)
{
    /* The platform's own conversion of each piece is the reference. */
    std::string piece = "Caf\xE9 \xC4", converted = piece;
    CharToOemBuffA(&converted[0], &converted[0], (DWORD)converted.size());
    std::string text = piece + std::string(1, '\0') + piece;
    CountedString s = NarrowIn(text, -1), sharer(s);
    EXPECT_EQ(1, ConvertToOem(&s));
    EXPECT_EQ(converted + std::string(1, '\0') + converted, Bytes(s));
    EXPECT_EQ(text, Bytes(sharer));
    CountedString wide = MakeWideString(L"Caf\xE9");
    EXPECT_EQ(0, ConvertToOem(&wide));
    EXPECT_EQ(WideBytes(L"Caf\xE9"), Bytes(wide));
}

struct LockedEdit {
    CountedString *s;
    LONG done;
};

DWORD WINAPI DeleteAndTrim(void *parameter)
{
    LockedEdit *edit = static_cast<LockedEdit *>(parameter);
    DeleteCharacters(edit->s, 0, 1);
    TrimLeft(edit->s);
    InterlockedExchange(&edit->done, 1);
    return 0;
}

TEST_F(StringOperationsTest, DeletingAndTrimmingWaitForTheLibraryLock)
{
    /* A private buffer with room: nothing here would take the lock but the edits. */
    CountedString s = MakeString("x  text");
    LockedEdit edit = {&s, 0};
    EnterLibraryLock();
    HANDLE thread = CreateThread(nullptr, 0, DeleteAndTrim, &edit, 0, nullptr);
    ASSERT_NE(nullptr, thread);
    Sleep(200);
    EXPECT_EQ(0, InterlockedCompareExchange(&edit.done, 0, 0)) << "the edit ran while another thread held the lock";
    EXPECT_EQ("x  text", Bytes(s));
    LeaveLibraryLock();
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(thread, 10000));
    CloseHandle(thread);
    EXPECT_EQ("text", Bytes(s));
}

TEST_F(StringOperationsTest, OperandsInTheReceiversOwnBufferAreReadBeforeItChanges)
{
    CountedString s = MakeString("abc");
    EXPECT_EQ(6, InsertText(&s, 1, s.text));
    EXPECT_EQ("aabcbc", Bytes(s));
    CountedString roomy = MakeString("abcdef", 32);
    EXPECT_EQ(9, InsertText(&roomy, 0, roomy.text + 3)) << "the text moves up as room opens";
    EXPECT_EQ("defabcdef", Bytes(roomy));
    CountedString grown = MakeFilledString('z', 100);
    EXPECT_EQ(150, InsertText(&grown, 0, grown.text + 50)) << "the block moves as it grows";
    EXPECT_EQ(std::string(150, 'z'), Bytes(grown));

    CountedString twice = MakeString("abcabc");
    EXPECT_EQ(2, ReplaceText(&twice, twice.text + 3, "xyz"));
    EXPECT_EQ("xyzxyz", Bytes(twice));
    CountedString grow = MakeString("ab"), b = MakeString("abab");
    EXPECT_EQ(1, ReplaceString(&grow, &grow, &b));
    EXPECT_EQ("abab", Bytes(grow));
    CountedString self = MakeString("ab-ab");
    EXPECT_EQ(1, ReplaceString(&self, &self, &self));
    EXPECT_EQ("ab-ab", Bytes(self));
}

TEST_F(StringOperationsTest, OperandsOfTheOtherKindAreConvertedFirst)
{
    CountedString gbk = MakeString("中文abc中");
    SetCodePage(&gbk, 936);
    CountedString wideA = MakeWideString(L"中"), wideB = MakeWideString(L"文");
    EXPECT_EQ(2, ReplaceString(&gbk, &wideA, &wideB));
    EXPECT_EQ("文文abc文", Bytes(gbk));
    EXPECT_EQ(0, IsWideString(&gbk));
    CountedString needle = MakeWideString(L"abc");
    EXPECT_EQ(2, FindString(&gbk, &needle, 0));

    CountedString wide = MakeWideString(L"a.中文.c"), narrowNeedle = MakeString("中文");
    SetCodePage(&narrowNeedle, 936);
    EXPECT_EQ(2, FindString(&wide, &narrowNeedle, 0));
    EXPECT_EQ(2, ReplaceText(&wide, ".", "--"));
    EXPECT_EQ(WideBytes(L"a--中文--c"), Bytes(wide));
    CountedString dot = MakeString("-"), nothing;
    EXPECT_EQ(4, ReplaceString(&wide, &dot, &nothing));
    EXPECT_EQ(WideBytes(L"a中文c"), Bytes(wide));
    EXPECT_EQ(1, IsWideString(&wide));
}

TEST_F(StringOperationsTest, SearchesAndAccessStayWithinTheText)
{
    const char bytes[] = "ab\0cd";
    CountedString s;
    AppendByteRange(&s, bytes, 0, 5);
    EXPECT_EQ(3, FindCharacter(&s, 'c', 0)) << "a zero byte does not end the text";
    EXPECT_EQ(2, FindCharacter(&s, '\0', 0));
    EXPECT_EQ(3, FindText(&s, "cd", 0));
    EXPECT_EQ(3, ReverseFindText(&s, "cd"));
    CountedString letter = MakeString("a");
    EXPECT_EQ(-1, FindCharacter(&letter, '\0', 0)) << "the terminator is not part of the text";
    EXPECT_EQ(-1, ReverseFindCharacter(&letter, '\0', kFromEnd));
    EXPECT_EQ(0, CharacterAt(&letter, 1));
    EXPECT_EQ(-1, SetByteAt(&letter, 1, 'x'));
    EXPECT_EQ(-1, SetByteAt(&letter, -1, 'x'));
    EXPECT_EQ("a", Bytes(letter));
    EXPECT_EQ(0, letter.text[1]);

    CountedString empty;
    EXPECT_EQ(-1, FindText(&empty, "", 0));
    EXPECT_EQ(-1, ReverseFindText(&empty, ""));
    EXPECT_EQ(-1, ReverseFindWideText(&empty, L"a", kFromEnd, 0));
    CountedString wide = MakeWideString(L"aXa");
    EXPECT_EQ(-1, ReverseFindWideText(&wide, L"", kFromEnd, 0));
    EXPECT_EQ(-1, FindWideText(&letter, L"a", 0, 0)) << "a narrow receiver holds no wide text";
}

TEST_F(StringOperationsTest, WideLineBreaksAndPrefixesCountInUnits)
{
    CountedString lines = MakeWideString(L"a\r\nb\nc\r");
    EXPECT_EQ(2, LineBreakAt(&lines, 1));
    EXPECT_EQ(1, LineBreakAt(&lines, 2));
    EXPECT_EQ(1, LineBreakAt(&lines, 4));
    EXPECT_EQ(1, LineBreakAt(&lines, 6));
    EXPECT_EQ(0, LineBreakAt(&lines, 0));

    CountedString wide = MakeWideString(L"Setup\x4E2D");
    EXPECT_EQ(0, ComparePrefixIgnoringCase(&wide, "SETUP", 5));
    EXPECT_GT(ComparePrefixIgnoringCase(&wide, "setupz", 6), 0) << "units from 256 on are not folded";
    EXPECT_GT(ComparePrefixIgnoringCase(&wide, "setup", 6), 0) << "a text ends in its zero";
    CountedString shorter = MakeWideString(L"Set");
    EXPECT_LT(ComparePrefixIgnoringCase(&shorter, "setup", 5), 0);
    CountedString gbk = NarrowIn(kZhongA + "BC", 936);
    EXPECT_EQ(0, ComparePrefixIgnoringCase(&gbk, "\xD6\xD0" "ax", 2)) << "two characters, of which n bytes compare";
    EXPECT_GT(ComparePrefixIgnoringCase(&gbk, "\xD6\xD0" "A", 4), 0);
}

TEST_F(StringOperationsTest, WithoutMemoryAnEditLeavesTheTextAsItWas)
{
    CountedString s = MakeString("abc"), sharer(s);
    SetAllocationFailureCountdown(0);
    EXPECT_EQ(0, InsertText(&s, 1, "xyz"));
    EXPECT_EQ(0, InsertCharacter(&s, 0, 'x'));
    EXPECT_EQ(0, ReplaceText(&s, "b", "long"));
    EXPECT_EQ(0, ReplaceByte(&s, 'b', 'x'));
    EXPECT_EQ(-1, SetByteAt(&s, 0, 'x'));
    MakeUpper(&s);
    ReverseString(&s);
    EXPECT_TRUE(IsEmptyResult(ExtractSubstring(&s, 1, 1)));
    EXPECT_EQ("abc", Bytes(s));
    EXPECT_EQ(s.text, sharer.text);
    SetAllocationFailureCountdown(-1);

    EXPECT_EQ(0, AppendCopies(&s, 'x', INT_MAX)) << "past the library's range";
    EXPECT_EQ(0, FitToWidth(&s, INT_MAX, 0, 0));
    EXPECT_EQ("abc", Bytes(s));
}

} // namespace
