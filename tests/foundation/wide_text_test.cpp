// Text between a code page and UTF-16: exactly, or not at all. The system's own
// conversions succeed with "?" or a look-alike in place of what the code page can't spell,
// which in a path names another file.
#include <gtest/gtest.h>

#include <windows.h>

#include "foundation/wide_text.h"

namespace {

TEST(WideText, ACharacterTheCodePageCantSpellFailsInsteadOfBecomingAnother)
{
    char text[16] = "x";
    // 张伟, and A with a macron, which 1252 would give as a plain A.
    EXPECT_EQ(0, NarrowText(L"\u5f20\u4f1f", 1252, text, sizeof text));
    EXPECT_STREQ("", text);
    EXPECT_EQ(0, NarrowText(L"C:\\\u0100", 1252, text, sizeof text));
    EXPECT_EQ(1, NarrowText(L"\u5f20\u4f1f", 936, text, sizeof text));
    EXPECT_STREQ("\xd5\xc5\xce\xb0", text);
    EXPECT_EQ(1, NarrowText(L"\u5f20", CP_UTF8, text, sizeof text));
    EXPECT_STREQ("\xe5\xbc\xa0", text);
}

TEST(WideText, TextThatDoesNotFitOrIsNotValidFails)
{
    WCHAR wide[4] = L"x";
    EXPECT_EQ(0, WidenText("C:\\Tovra", 1252, wide, 4));
    EXPECT_EQ(L'\0', wide[0]);
    EXPECT_EQ(0, WidenText("\xe5\xbc", CP_UTF8, wide, 4)) << "a cut UTF-8 sequence";
    char text[4] = "x";
    EXPECT_EQ(0, NarrowText(L"Tovra", 1252, text, sizeof text));
    EXPECT_STREQ("", text);
}

TEST(WideText, RecodedTextComesBackExactly)
{
    char utf8[32], gbk[32];
    ASSERT_EQ(1, RecodeText("C:\\\xd5\xc5\xce\xb0\\Temp", 936, CP_UTF8, utf8, sizeof utf8));
    EXPECT_STREQ("C:\\\xe5\xbc\xa0\xe4\xbc\x9f\\Temp", utf8);
    ASSERT_EQ(1, RecodeText(utf8, CP_UTF8, 936, gbk, sizeof gbk));
    EXPECT_STREQ("C:\\\xd5\xc5\xce\xb0\\Temp", gbk);
    EXPECT_EQ(0, RecodeText(utf8, CP_UTF8, 1252, gbk, sizeof gbk));
}

} // namespace
