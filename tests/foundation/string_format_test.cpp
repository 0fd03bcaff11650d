#include <gtest/gtest.h>

#include <limits.h>

#include "foundation/string_format.h"
#include "string_test_helpers.h"
#include "support/caller_line.h"

namespace {

// Reports a failure at the test's line as well as its own.
#define Formatted(...) Formatted_(__FILE__, __LINE__, __VA_ARGS__)

std::string Formatted_(const char *file, int line, const char *format, ...)
{
    CallerLine caller(file, line);
    CountedString s = MakeString("old");
    va_list arguments;
    va_start(arguments, format);
    ClearString(&s);
    EXPECT_EQ(1, AppendFormatList(&s, format, arguments));
    va_end(arguments);
    return Bytes(s);
}

TEST(StringFormat, TextArgumentsAreJoinedAndCutButNeverFilled)
{
    EXPECT_EQ("C:\\Program Files\\Tovra\\tvredit.exe",
              Formatted("%s\\%s", "C:\\Program Files\\Tovra", "tvredit.exe"));
    EXPECT_EQ("[abc]", Formatted("[%.3s]", "abcdef"));
    EXPECT_EQ("[abcdef]", Formatted("[%-8s]", "abcdef"));
    EXPECT_EQ("[abcdef]", Formatted("[%.10s]", "abcdef"));
    EXPECT_EQ("[]", Formatted("[%.0s]", "abcdef"));
    EXPECT_EQ("[abcdef]", Formatted("[%.-3s]", "abcdef")) << "a negative cut is ignored";
    EXPECT_EQ("[|]", Formatted("[%s|%!]", nullptr, nullptr));
}

TEST(StringFormat, PercentSignsAndUnknownLetters)
{
    EXPECT_EQ("100%", Formatted("100%%"));
    EXPECT_EQ("%", Formatted("%5%"));
    EXPECT_EQ("q", Formatted("%-5q"));
    EXPECT_EQ("ab%d", Formatted("a%Sb%d"));
    EXPECT_EQ("xy%s", Formatted("x%ny%s"));
    EXPECT_EQ("abc", Formatted("abc%"));
    EXPECT_EQ("abc", Formatted("abc%-08.3"));
}

TEST(StringFormat, NumbersGoThroughTheRuntimeFormatter)
{
    EXPECT_EQ("42|   42|42   |00042|ff|FF|17|4294967295|A|-7",
              Formatted("%d|%5d|%-5d|%05d|%x|%X|%o|%u|%c|%i", 42, 42, 42, 42, 255, 255, 15, -1, 'A', -7));
    EXPECT_EQ("+2.50|2.500000e+000|0.5", Formatted("%+.2f|%e|%g", 2.5, 2.5, 0.5));
    EXPECT_EQ("-1|ffffffff", Formatted("%lld|%llx", -1, -1)) << "a 32-bit argument widened for ll";
    EXPECT_EQ("7|8", Formatted("%*d|%d", 7, 8)) << "an asterisk takes no argument";
    EXPECT_EQ(2 * sizeof(void *), Formatted("%p", (void *)0x1234).size());
}

TEST(StringFormat, BangAppendsACountedStringWideningTheReceiver)
{
    CountedString narrow = MakeString("cd"), wide = MakeWideString(L"\x4E2D");
    EXPECT_EQ("ab-cd", Formatted("ab-%!", &narrow));
    CountedString s = MakeString("ab");
    ASSERT_EQ(1, AppendFormat(&s, "%!x", &wide));
    EXPECT_TRUE(IsWideString(&s));
    EXPECT_EQ(WideBytes(L"ab\x4E2D" L"x"), Bytes(s));
}

TEST(StringFormat, ConversionsAndNumbersStayInsideTheirBuffers)
{
    std::string widest = "%" + std::string(61, '0') + "d", tooWide = "%" + std::string(62, '0') + "d";
    EXPECT_EQ("1", Formatted(widest.c_str(), 1));
    EXPECT_EQ("[][2]", Formatted(("[" + tooWide + "][%d]").c_str(), 1, 2)) << "the argument is still taken";
    std::string longestText = "%" + std::string(60, '-') + ".2s", tooLongText = "%" + std::string(61, '-') + ".2s";
    EXPECT_EQ("ab", Formatted(longestText.c_str(), "abc"));
    EXPECT_EQ("", Formatted(tooLongText.c_str(), "abc"));

    EXPECT_EQ(std::string(83, ' '), Formatted("%100d", 1));
    EXPECT_EQ(255u, Formatted("%300f", 1.0).size());
    CountedString s;
    AppendReal(&s, 1e300, 48);
    EXPECT_EQ(255, StringLength(&s));
}

TEST(StringFormat, AppendIntegerAndRealFormatTheirValue)
{
    CountedString s;
    AppendInteger(&s, INT_MIN);
    AppendCharacter(&s, ' ');
    AppendReal(&s, 2.5, 2);
    EXPECT_EQ("-2147483648 2.50", Bytes(s));
    ClearString(&s);
    AppendReal(&s, 2.5, 100);
    EXPECT_EQ("2.5" + std::string(47, '0'), Bytes(s));
    ClearString(&s);
    AppendReal(&s, 2.5, -1);
    EXPECT_EQ(50, StringLength(&s)) << "negative decimals count as many";
}

TEST(StringFormat, FormatClearsAndAppendFormatAppends)
{
    CountedString s = MakeString("abc");
    AppendFormat(&s, "%d", 5);
    EXPECT_EQ("abc5", Bytes(s));
    FormatString(&s, "x%sy", "-");
    EXPECT_EQ("x-y", Bytes(s));

    /* Clearing keeps a small wide buffer wide; everything then goes in widened. */
    CountedString wide = MakeWideString(L"old");
    ASSERT_EQ(1, FormatString(&wide, "a%db%s", 1, "c"));
    EXPECT_TRUE(IsWideString(&wide));
    EXPECT_EQ(WideBytes(L"a1bc"), Bytes(wide));
}

} // namespace
