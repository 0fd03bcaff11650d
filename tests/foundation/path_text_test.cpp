// Paths walked by character in GBK and Big5, where many characters end in the byte of a
// backslash. The walk is asked with each code page explicitly; the join the program uses
// takes the system's, and the suite runs this test under en_US, zh_CN and zh_TW for it.
#include <gtest/gtest.h>
#include <windows.h>

#include <stdlib.h>

#include <string>

#include "foundation/path_text.h"
#include "install/payload.h"

extern const char kBig5Folder[];
extern const char kBig5NestedFolder[];

namespace {

// 運 is DF 5C in GBK (and a valid Big5 pair too); 乗 is 81 5C, whose lead byte Big5 does
// not have, so under code page 950 its 5C is a backslash of its own.
const char kGbkFolder[] = "C:\\Tovra運";
const char kGbkOnlyFolder[] = "C:\\乗";
const char kGbkNestedFolder[] = "C:\\拓沃運\\编辑器運";

std::string LastTwoBytes(const char *text)
{
    std::string bytes(text);
    return bytes.substr(bytes.size() - 2);
}

std::string Joined(const char *folder, const char *name, int codePage)
{
    char path[MAX_PATH];
    if (!JoinPathText(path, MAX_PATH, folder, name, codePage))
        return "(does not fit)";
    return path;
}

std::string WithoutLastBackslash(std::string text, int codePage)
{
    RemoveLastBackslash(&text[0], codePage);
    return text.c_str();
}

TEST(PathText, TheSampleNamesEndInTheByteOfABackslash)
{
    EXPECT_EQ("\xDF\x5C", LastTwoBytes(kGbkFolder));
    EXPECT_EQ("\x81\x5C", LastTwoBytes(kGbkOnlyFolder));
    EXPECT_EQ("\xDF\x5C", LastTwoBytes(kGbkNestedFolder));
    EXPECT_EQ("\xA5\x5C", LastTwoBytes(kBig5Folder));
    EXPECT_EQ("\xA5\x5C", LastTwoBytes(kBig5NestedFolder));
    EXPECT_EQ("\xB3\x5C", std::string(kBig5NestedFolder).substr(7, 2));
}

TEST(PathText, ATrailByteOfABackslashIsNoBackslash)
{
    for (int codePage : {936, 950}) {
        SCOPED_TRACE(codePage);
        EXPECT_FALSE(EndsInBackslash(kGbkFolder, codePage));
        EXPECT_FALSE(EndsInBackslash(kBig5Folder, codePage));
        EXPECT_EQ(2, FindLastBackslash(kGbkFolder, codePage));
        EXPECT_EQ(2, FindLastBackslash(kBig5Folder, codePage));
        EXPECT_TRUE(EndsInBackslash((std::string(kBig5Folder) + "\\").c_str(), codePage));
        EXPECT_EQ(kGbkFolder, WithoutLastBackslash(kGbkFolder, codePage));
        EXPECT_EQ(kBig5Folder, WithoutLastBackslash(std::string(kBig5Folder) + "\\", codePage));
    }
    // Big5 has no lead byte 81: there the text does end in a backslash.
    EXPECT_FALSE(EndsInBackslash(kGbkOnlyFolder, 936));
    EXPECT_TRUE(EndsInBackslash(kGbkOnlyFolder, 950));
    // Without a double-byte code page every 5C is a backslash, 1252 included.
    EXPECT_TRUE(EndsInBackslash(kGbkFolder, 0));
    EXPECT_TRUE(EndsInBackslash(kGbkFolder, 1252));
    EXPECT_EQ("C:\\Tovra\xDF", WithoutLastBackslash(kGbkFolder, 1252));
    EXPECT_EQ(-1, FindLastBackslash("Tovra", 936));
    EXPECT_EQ(-1, FindLastBackslash("", 936));
}

TEST(PathText, TheLastRealBackslashAmongTrailBytes)
{
    // C:\拓沃運\编辑器運: the real backslashes stand at 2 and 9.
    EXPECT_EQ(9, FindLastBackslash(kGbkNestedFolder, 936));
    EXPECT_EQ(17, FindLastBackslash(kGbkNestedFolder, 0));
    // C:\拓沃許\編輯器功
    EXPECT_EQ(9, FindLastBackslash(kBig5NestedFolder, 950));
    EXPECT_EQ(9, FindLastBackslash(kBig5NestedFolder, 936));
    EXPECT_EQ(17, FindLastBackslash(kBig5NestedFolder, 0));
}

TEST(PathText, AJoinAddsTheBackslashThatIsMissing)
{
    EXPECT_EQ(std::string(kGbkFolder) + "\\doc", Joined(kGbkFolder, "doc", 936));
    EXPECT_EQ(std::string(kBig5Folder) + "\\doc", Joined(kBig5Folder, "doc", 950));
    EXPECT_EQ(std::string(kGbkOnlyFolder) + "\\doc", Joined(kGbkOnlyFolder, "doc", 936));
    EXPECT_EQ(std::string(kGbkOnlyFolder) + "doc", Joined(kGbkOnlyFolder, "doc", 950));
    EXPECT_EQ("Z:\\Tovra_Editor", Joined("Z:\\", "Tovra_Editor", 936));
    EXPECT_EQ("Z:\\Tovra_Editor", Joined("Z:", "Tovra_Editor", 936));
    EXPECT_EQ(std::string(kGbkNestedFolder) + "\\tvredit.exe", Joined(kGbkNestedFolder, "tvredit.exe", 936));

    char small[8] = "kept";
    EXPECT_FALSE(JoinPathText(small, sizeof small, "C:\\abc", "d", 936));
    EXPECT_STREQ("", small);
    EXPECT_TRUE(JoinPathText(small, sizeof small, "C:\\ab", "d", 936));
    EXPECT_STREQ("C:\\ab\\d", small);
}

TEST(PathText, AFullPathHasADriveAndARootOrAServerAndAShare)
{
    for (const char *full : {"C:\\", "c:\\Tovra", "C:/Tovra", "\\\\server\\share", "\\\\server\\share\\Tovra",
                             "//server/share", kGbkFolder})
        EXPECT_TRUE(IsFullPath(full, 936)) << full;
    for (const char *partial : {"", "RelTovra", "Tovra\\doc", "C:", "C:Tovra", "\\Tovra", "1:\\Tovra", " C:\\Tovra",
                                "\\\\server", "\\\\server\\", "\\\\\\share", "\\\\?\\C:\\Tovra", "\\\\.\\C:"})
        EXPECT_FALSE(IsFullPath(partial, 936)) << partial;
    // A server named 運 under GBK; read byte by byte the 5C ends the server and the share
    // is empty.
    const std::string gbkServer = "\\\\" + std::string(kGbkFolder + 8) + "\\share";
    EXPECT_TRUE(IsFullPath(gbkServer.c_str(), 936));
    EXPECT_FALSE(IsFullPath(gbkServer.c_str(), 0));
}

TEST(PathText, ANameEndingInABlankOrADotIsFound)
{
    for (const char *bad : {"C:\\Trail ", "C:\\Trail.", "C:\\Trail \\Tovra", "C:\\Trail.\\Tovra", "C:\\...",
                            "C:/Trail /Tovra", "\\\\server\\share \\Tovra", "Trail "})
        EXPECT_TRUE(HasComponentEndingInBlankOrDot(bad, 936)) << bad;
    for (const char *good : {"C:\\Tovra", "C:\\Tovra\\", "C:\\a\\.\\b", "C:\\a\\..\\b", "C:\\Tovra Editor",
                             "C:\\x.y", "C:\\.profile", kGbkFolder, kGbkNestedFolder})
        EXPECT_FALSE(HasComponentEndingInBlankOrDot(good, 936)) << good;
    EXPECT_TRUE(HasComponentEndingInBlankOrDot((std::string(kGbkFolder) + ".").c_str(), 936));
    EXPECT_TRUE(HasComponentEndingInBlankOrDot((std::string(kBig5Folder) + " \\doc").c_str(), 950));
}

TEST(PathText, ATailStartsOnACharacter)
{
    const char text[] = "運運運";          // DF 5C three times
    EXPECT_EQ(4, TailOffset(text, 3, 936));
    EXPECT_EQ(4, TailOffset(text, 2, 936));
    EXPECT_EQ(3, TailOffset(text, 3, 0));
    EXPECT_EQ(0, TailOffset(text, 6, 936));
    EXPECT_EQ(6, TailOffset(text, 0, 936));
    EXPECT_EQ(6, TailOffset(text, -5, 936));
}

// The join every path of the program goes through walks in the system's code page.
TEST(SystemPathText, TheJoinWalksInTheAnsiCodePage)
{
    int ansi = int(GetACP());
    // Wine takes the code page from LANG: the zh_CN and zh_TW runs must walk GBK and Big5.
    const std::string lang = getenv("LANG") ? getenv("LANG") : "";
    if (lang.compare(0, 5, "zh_CN") == 0) {
        ASSERT_EQ(936, ansi);
    } else if (lang.compare(0, 5, "zh_TW") == 0) {
        ASSERT_EQ(950, ansi);
    }
    int walked = ansi == 936 || ansi == 950 ? ansi : 0;
    ASSERT_EQ(walked, SystemPathCodePage());
    char path[MAX_PATH];
    ASSERT_TRUE(JoinPath(path, kGbkOnlyFolder, "doc"));
    EXPECT_EQ(std::string(kGbkOnlyFolder) + (ansi == 936 ? "\\doc" : "doc"), path);
    ASSERT_TRUE(JoinPath(path, kBig5Folder, "doc"));
    EXPECT_EQ(std::string(kBig5Folder) + (walked ? "\\doc" : "doc"), path);
}

} // namespace
