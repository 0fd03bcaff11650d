#include <gtest/gtest.h>

#include "foundation/code_page.h"
#include "string_test_helpers.h"

extern const char kBig5Sample[];

namespace {

TEST(CodePage, NumberingSchemesMeetInOneTable)
{
    EXPECT_TRUE(IsDoubleByteCodePage(932) && IsDoubleByteCodePage(950));
    EXPECT_FALSE(IsDoubleByteCodePage(1252));
    EXPECT_TRUE(IsUnsetOrWesternCodePage(-1) && IsUnsetOrWesternCodePage(1252));
    EXPECT_FALSE(IsUnsetOrWesternCodePage(936));
    EXPECT_TRUE(IsDoubleByteScript(5) && IsNotDoubleByteScript(3));
    EXPECT_EQ(936, CodePageOf(134, 0));
    EXPECT_EQ(1252, CodePageOf(135, 0));
    EXPECT_EQ(1252, CodePageOf(3, 1));
    EXPECT_EQ(950, CodePageOf(2, 1));
    EXPECT_EQ(128, CharacterSetOf(4, 1));
    EXPECT_EQ(129, CharacterSetOf(949, 0));
    EXPECT_EQ(0, CharacterSetOf(1252, 0));
    EXPECT_EQ(2, ScriptOfCharacterSet(136));

    EXPECT_EQ(936, ChooseCodePage(1252, 936));
    EXPECT_EQ(1252, ChooseCodePage(-1, 1252));
    EXPECT_EQ(1252, ChooseCodePage(1252, 0));
    EXPECT_EQ(437, ChooseCodePage(1252, 437));
    EXPECT_EQ(437, ChooseCodePage(437, 1252));
}

TEST(CodePage, LeadByteTestsLookAtTheTrailOnlyForGbkAndBig5)
{
    EXPECT_TRUE(IsLeadByteForCodePage(0xD6, 0xD0, 936));
    EXPECT_FALSE(IsLeadByteForCodePage(0x81, 0x7F, 936));
    EXPECT_TRUE(IsLeadByteForCodePage(0xA4, 0x40, 950));
    EXPECT_FALSE(IsLeadByteForCodePage(0x81, 0x40, 950));
    EXPECT_TRUE(IsLeadByteForCodePage(0x80, 0x00, 932));
    EXPECT_TRUE(IsLeadByteForCodePage(0x80, 0x00, 1252));
    EXPECT_FALSE(IsLeadByteForCharacterSet(0xD6, 0x20, 134));
    EXPECT_TRUE(IsLeadByteForCharacterSet(0xA1, 0x7F, 136));
    EXPECT_TRUE(IsLeadByteForCharacterSet(0x80, 0x00, 129));
    EXPECT_FALSE(IsLeadByteForCharacterSet(0xD6, 0xD0, 0));
    EXPECT_FALSE(IsInByteRange(0xFF, kLeadByte, kGbk));
    EXPECT_TRUE(IsInByteRange(0x7F, kTrailByte, kBig5));
    EXPECT_FALSE(IsInByteRange(0xFB, kLeadByte, kBig5));
}

TEST(CodePage, PairsAreIdeographsSymbolsMarksOrGaps)
{
    EXPECT_TRUE(IsIdeograph(0xB0, 0xA1, kGbk));
    EXPECT_TRUE(IsSymbol(0xB0, 0xA0, kGbk));
    EXPECT_FALSE(IsSymbol(0xA1, 0x7F, kGbk)) << "not a valid pair";
    EXPECT_TRUE(IsIdeograph(0xF9, 0xDC, kBig5));
    EXPECT_TRUE(IsSymbol(0xF9, 0xDD, kBig5));
    EXPECT_TRUE(IsEnumerationMark(0xA1, 0xEC, kGbk));
    EXPECT_FALSE(IsEnumerationMark(0xA1, 0xED, kGbk));
    EXPECT_TRUE(IsEnumerationMark(0xA3, 0xAA, kGbk));
    EXPECT_TRUE(IsEnumerationMark(0xA1, 0xBF, kBig5));
    EXPECT_FALSE(IsEnumerationMark(0xA1, 0xB2, kBig5));
    EXPECT_TRUE(IsGap(0xA2, 0xE4, kGbk));
    EXPECT_FALSE(IsGap(0xA7, 0xF1, kGbk));
    EXPECT_TRUE(IsGap(0xA1, 0x40, kBig5));
    EXPECT_FALSE(IsGap(0xA1, 0x41, kBig5));
}

TEST(CodePage, TextTestsLeaveTheLastByteOrUnitAlone)
{
    EXPECT_FALSE(HasHighByte("ab\xD6", 0));
    EXPECT_TRUE(HasHighByte("a\xD6z", 0));
    EXPECT_TRUE(HasLeadByte("a\x90z", kGbk));
    EXPECT_FALSE(HasLeadByte("a\x90z", kBig5));
    EXPECT_EQ(3, CountSingleByteCharacters("\xD6\xD0" "ab\xD6", 5, 134));
    EXPECT_TRUE(IsAsciiPunctuation('=') && IsAsciiPunctuation(0));
    const wchar_t lowFirst[] = {0xE9, 0x61};
    EXPECT_TRUE(HasLowNonAsciiUnit(lowFirst, 2));
    EXPECT_FALSE(HasLowNonAsciiUnit(lowFirst, 1));

    const wchar_t gbk[] = {0xD6, 0xD0}, badTrail[] = {0xD6, 0x7F}, highUnit[] = {0x4E2D, 0xD0}, lowTrail[] = {0xD6, 0x61};
    EXPECT_TRUE(IsWidenedGbk(gbk, 2));
    EXPECT_FALSE(IsWidenedGbk(badTrail, 2));
    EXPECT_FALSE(IsWidenedGbk(highUnit, 2));
    EXPECT_TRUE(IsWidenedGbk(highUnit, 1));
    /* 0x61 is a GBK trail byte (D6 61 is one GBK character), so this pair qualifies. */
    EXPECT_TRUE(IsWidenedGbk(lowTrail, 2));
}

TEST(CodePage, TheFirstEastAsianUnitDecidesTheScript)
{
    EXPECT_EQ(5, DetectScript(L"Seoul \xAC00\x4E2D", 8));
    EXPECT_EQ(1, DetectScript(L"\x4E2D\xAC00", 2));
    EXPECT_EQ(1, DetectScript(L"繁體", 2)) << "traditional text is detected as simplified";
    EXPECT_EQ(4, DetectScript(L"\x30A2", 1));
    EXPECT_EQ(0, DetectScript(L"\x3400 abc", 4));
    EXPECT_EQ(0, DetectScript(L"a\x4E2D", 1));
}

TEST(CodePageConversion, GbkAndBig5TextComeBackByteForByte)
{
    struct Sample {
        const char *narrow;
        const wchar_t *wide;
        int codePage;
        const char *leadingBytes;  /* as iconv makes them */
    };
    const Sample samples[] = {
        {"拓沃智能编辑器，简体中文", L"拓沃智能编辑器，简体中文", 936, "\xcd\xd8\xce\xd6"},
        {kBig5Sample, L"拓沃智能編輯器，繁體中文", 950, "\xa9\xdd\xa8\x55"},
    };
    for (const Sample &sample : samples) {
        SCOPED_TRACE(sample.codePage);
        ASSERT_EQ(0, strncmp(sample.leadingBytes, sample.narrow, 4));
        CountedString narrow = MakeString(sample.narrow), wide, back;
        ASSERT_EQ(1, ConvertTextToWide(&narrow, &wide, sample.codePage));
        EXPECT_EQ(WideBytes(sample.wide), Bytes(wide));
        EXPECT_EQ(0, wide.text[StringLength(&wide) + 1]) << "a whole zero unit ends wide text";
        HeaderOf(&wide)->wide = 1;
        ASSERT_EQ(1, ConvertTextToNarrow(&wide, &back, sample.codePage));
        EXPECT_EQ(std::string(sample.narrow), Bytes(back));
        EXPECT_EQ(sample.codePage, StringCodePage(&back));

        /* In place: the code page the narrow form carries takes it back to wide. */
        CountedString string = MakeWideString(sample.wide);
        ASSERT_EQ(1, MakeNarrow(&string, sample.codePage));
        EXPECT_EQ(std::string(sample.narrow), Bytes(string));
        ASSERT_EQ(1, MakeWide(&string, -1));
        EXPECT_EQ(WideBytes(sample.wide), Bytes(string));
    }
}

TEST(CodePageConversion, NothingConvertedLeavesTheDestinationAlone)
{
    CountedString empty, destination = MakeString("kept"), source = MakeString("abc");
    EXPECT_EQ(0, ConvertTextToWide(&empty, &destination, 936));
    EXPECT_EQ(0, ConvertTextToWide(&source, &destination, 12345));
    EXPECT_EQ("kept", Bytes(destination));
    CountedString wide = MakeWideString(L"中");
    ASSERT_EQ(1, ConvertTextToNarrow(&wide, &destination, 0));
    EXPECT_EQ("中", Bytes(destination));
    EXPECT_EQ(936, StringCodePage(&destination)) << "no code page means GBK";
}

} // namespace
