// The one rule by which the install and its uninstaller tell whether a registry value, a
// link's target or a command names an install folder: only the folder as a whole.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "install/folder_naming.h"
#include "test_folder.h"

namespace {

// Narrow texts reach the test in GBK: 運 is DF 5C, whose second byte is a backslash's;
// 丄 and 乤 are 81 41 and 81 61, an "A" and an "a" as second bytes; 癈 is B0 43, a "C".
const int kGbk = 936;

TEST(FolderNaming, AFolderFollowedByABackslashAQuoteABlankOrTheEndIsNamed)
{
    for (const char *text : {"C:\\Tovra", "C:\\Tovra\\TVREdit.exe", "\"C:\\Tovra\" /quiet", "C:\\Tovra /quiet",
                             "\"c:\\TOVRA\\TVREDIT.EXE\" \"%1\"",
                             "\"C:\\Tovra_Editor2\\TVREdit.exe\" \"C:\\Tovra\\doc\\letter.rtf\""})
        EXPECT_TRUE(NamesFolderText(text, "C:\\Tovra", 0)) << text;
    EXPECT_TRUE(NamesFolderText("C:\\Tovra\\TVREdit.exe,1", "C:\\Tovra\\", 0)) << "a folder with its backslash";
}

TEST(FolderNaming, AFolderWhoseNameIsTheStartOfAnotherDoesNotNameIt)
{
    for (const char *text : {"C:\\Tovra_Editor2\\TVREdit.exe", "\"C:\\Tovra_Editor2\" /quiet", "C:\\Tovra2",
                             "C:\\Tovra.old\\TVREdit.exe", "C:\\Tovr", "D:\\Tovra\\TVREdit.exe", ""})
        EXPECT_FALSE(NamesFolderText(text, "C:\\Tovra", 0)) << text;
    EXPECT_FALSE(NamesFolderText("C:\\TOVRA~12\\TVREDIT.EXE", "C:\\TOVRA~1", 0));
    EXPECT_FALSE(NamesFolderText("C:\\Tovra\\TVREdit.exe", "", 0)) << "an empty folder names nothing";
}

// Walked by character: the second byte of a character is neither a backslash that ends
// the folder, nor a letter without case, nor the start of a folder's text.
TEST(FolderNaming, ADoubleByteFolderIsWalkedByCharacter)
{
    EXPECT_TRUE(NamesFolderText("C:\\運\\TVREdit.exe", "C:\\運", kGbk));
    EXPECT_TRUE(NamesFolderText("\"C:\\運\" \"%1\"", "C:\\運", kGbk));
    EXPECT_TRUE(NamesFolderText("C:\\運", "C:\\運\\", kGbk));
    EXPECT_FALSE(NamesFolderText("C:\\運动\\TVREdit.exe", "C:\\運", kGbk)) << "the folder's last byte is no backslash";
    EXPECT_FALSE(NamesFolderText("C:\\丄\\TVREdit.exe", "C:\\乤", kGbk)) << "a second byte has no case";
    EXPECT_FALSE(NamesFolderText("癈:\\Tovra\\TVREdit.exe", "C:\\Tovra", kGbk)) << "C as a second byte";
    EXPECT_TRUE(NamesFolderText("癈:\\Tovra\\TVREdit.exe", "C:\\Tovra", 0)) << "the same bytes, one a character";
}

// The short form is the system's own, of a real folder whose long name is the start of
// another's.
TEST(FolderNaming, AFolderIsNamedInItsLongOrShortForm)
{
    std::string parent;
    ASSERT_TRUE(MakeTestFolder(parent, "folder naming"));
    const std::string folder = parent + "\\Tovra Smart Editor";
    ASSERT_TRUE(CreateDirectoryA(folder.c_str(), nullptr));
    char shortForm[MAX_PATH] = "";
    ASSERT_NE(0u, GetShortPathNameA(folder.c_str(), shortForm, MAX_PATH));
    ASSERT_NE(folder, shortForm);
    std::string upper = folder;
    CharUpperBuffA(&upper[0], DWORD(upper.size()));

    EXPECT_TRUE(NamesFolder(("\"" + upper + "\\TVREDIT.EXE\" \"%1\"").c_str(), folder.c_str()));
    EXPECT_TRUE(NamesFolder((std::string(shortForm) + "\\tvredit.exe,1").c_str(), folder.c_str()));
    EXPECT_TRUE(NamesFolder(shortForm, folder.c_str()));
    EXPECT_FALSE(NamesFolder((folder + "2\\TVREdit.exe").c_str(), folder.c_str()));
    EXPECT_FALSE(NamesFolder((std::string(shortForm) + "2\\TVREDIT.EXE").c_str(), folder.c_str()));
    EXPECT_FALSE(NamesFolder("C:\\Program Files\\Other\\tvredit.exe", folder.c_str()));
    RemoveTestFolder(parent);
}

} // namespace
