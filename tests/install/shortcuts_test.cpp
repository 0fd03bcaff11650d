#include <gtest/gtest.h>

#include <string.h>
#include <string>

#include "install/install_record.h"
#include "install/manifest.h"
#include "install/shortcuts.h"
#include "message_recorder.h"
#include "shortcut_reader.h"
#include "support/file_reading.h"
#include "test_folder.h"
#include "wide_paths.h"
#include "wizard/made_items.h"
#include "wizard/wizard_state.h"

namespace {

const char kStartMenuFailure[] = "Failed to create an entry on Start Menu.";

class ShortcutsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ResetMessages();
        gVersion3Flag = 0;
        gNtFlag = 1;
        gInstallScope = kForThisUser;
        ForgetMadeItems();
        ASSERT_TRUE(MakeTestFolder(install_, "install"));
        strcpy(gInstallFolder, install_.c_str());
        programs_ = Folder(kProgramsFolder);
        group_ = "Tovra Test Group " + std::to_string(GetCurrentProcessId());
    }
    void TearDown() override
    {
        RemoveTestFolder(install_);
        RemoveTestFolder(programs_ + "\\" + group_);
    }

    static std::string Folder(int kind)
    {
        WCHAR path[MAX_PATH] = L"";
        EXPECT_EQ(1, ShellFolderLookup(path, kind)) << kind;
        return InCodePage(path);
    }
    static bool Listed(const std::string &kind, const std::wstring &path)
    {
        for (int i = 0; i < MadeItemCount(); ++i)
            if (MadeItem(i) == kind + "\t" + Utf8(path))
                return true;
        return false;
    }

    std::string install_, programs_, group_;
};

TEST_F(ShortcutsTest, ProgramGroupHoldsAShortcutForEachEntry)
{
    const ShortcutEntry entries[] = {
        {ProductName(kProductSmartEditor, kShortcutName, 0), "TVREdit.exe"},
        {ProductName(kProductSmartEditor, kUninstallName, 0), "TVREditUnInstall.exe"},
        {nullptr, nullptr},
    };
    ASSERT_EQ(1, MakeProgramGroup(group_.c_str(), entries));
    EXPECT_TRUE(gRecordedMessages.empty());

    std::string folder = programs_ + "\\" + group_;
    LinkFields editor = ReadShortcut(folder + "\\Tovra Smart Editor.lnk");
    ASSERT_TRUE(editor.loaded);
    EXPECT_EQ(install_ + "\\TVREdit.exe", editor.target);
    EXPECT_EQ("Tovra Smart Editor", editor.description);
    EXPECT_EQ(install_, editor.workingFolder);
    EXPECT_EQ(install_ + "\\TVREdit.exe", editor.iconPath);
    EXPECT_EQ(0, editor.iconIndex);

    LinkFields uninstall = ReadShortcut(folder + "\\Tovra Smart Editor UnInstall.lnk");
    ASSERT_TRUE(uninstall.loaded);
    EXPECT_EQ(install_ + "\\TVREditUnInstall.exe", uninstall.target);
    EXPECT_EQ("Tovra Smart Editor UnInstall", uninstall.description);
}

TEST_F(ShortcutsTest, AnExistingGroupIsReusedAndItsLinksReplaced)
{
    std::string folder = programs_ + "\\" + group_;
    ASSERT_TRUE(CreateDirectoryA(folder.c_str(), nullptr));
    ASSERT_TRUE(WriteWholeFile(folder + "\\Editor.lnk", "not a link"));
    const ShortcutEntry entries[] = {{"Editor", "TVREdit.exe"}, {nullptr, nullptr}};
    ASSERT_EQ(1, MakeProgramGroup(group_.c_str(), entries));
    EXPECT_TRUE(gRecordedMessages.empty());
    EXPECT_EQ(install_ + "\\TVREdit.exe", ReadShortcut(folder + "\\Editor.lnk").target);
}

// A link is replaced in one rename: a read-only old one too, and no copy stays beside it.
TEST_F(ShortcutsTest, AReadOnlyOldLinkIsReplacedAndNoCopyStays)
{
    std::string link = install_ + "\\Editor.lnk";
    ASSERT_TRUE(WriteWholeFile(link, "old link"));
    ASSERT_TRUE(SetFileAttributesA(link.c_str(), FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN));
    ASSERT_EQ(1, MakeShortcut("C:\\Tovra\\TVREdit.exe", link.c_str(), "Editor"));
    EXPECT_EQ("C:\\Tovra\\TVREdit.exe", ReadShortcut(link).target);
    EXPECT_EQ(DWORD(FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN),
              GetFileAttributesA(link.c_str()) & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN));
    EXPECT_EQ(std::vector<std::string>{"Editor.lnk"}, NamesIn(install_, "*"));
}

DWORD WINAPI CloseAfterAWhile(void *file)
{
    Sleep(400);
    CloseHandle(file);
    return 0;
}

// The shell reads a link it sees come, without letting it be deleted meanwhile; the link
// is replaced once the reader lets go.
TEST_F(ShortcutsTest, ALinkTheShellIsReadingIsReplacedOnceItLetsGo)
{
    std::string link = install_ + "\\Editor.lnk";
    ASSERT_EQ(1, MakeShortcut("C:\\Old\\TVREdit.exe", link.c_str(), "Editor"));
    HANDLE reader = CreateFileA(link.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, reader);
    HANDLE letGo = CreateThread(nullptr, 0, CloseAfterAWhile, reader, 0, nullptr);
    ASSERT_NE(nullptr, letGo);
    EXPECT_EQ(1, MakeShortcut("C:\\New\\TVREdit.exe", link.c_str(), "Editor"));
    WaitForSingleObject(letGo, INFINITE);
    CloseHandle(letGo);
    EXPECT_EQ("C:\\New\\TVREdit.exe", ReadShortcut(link).target);
    EXPECT_EQ(std::vector<std::string>{"Editor.lnk"}, NamesIn(install_, "*"));
}

TEST_F(ShortcutsTest, OnlyAFailureOfTheLastShortcutIsReported)
{
    const ShortcutEntry firstFails[] = {{"no such folder\\First", "a.exe"}, {"Second", "b.exe"}, {nullptr, nullptr}};
    EXPECT_EQ(1, MakeProgramGroup(group_.c_str(), firstFails));
    EXPECT_TRUE(gRecordedMessages.empty());
    EXPECT_TRUE(ReadShortcut(programs_ + "\\" + group_ + "\\Second.lnk").loaded);

    const ShortcutEntry lastFails[] = {{"Third", "c.exe"}, {"no such folder\\Fourth", "d.exe"}, {nullptr, nullptr}};
    EXPECT_EQ(0, MakeProgramGroup(group_.c_str(), lastFails));
    ASSERT_EQ(1u, gRecordedMessages.size());
    EXPECT_EQ(kStartMenuFailure, gRecordedMessages[0].english);
    EXPECT_EQ("无法在 Start 菜单中为本程序建立一个条目。很抱歉，只好请您以后自已建立了。", gRecordedMessages[0].chinese);
    EXPECT_EQ(0, gRecordedMessages[0].type);
    EXPECT_TRUE(ReadShortcut(programs_ + "\\" + group_ + "\\Third.lnk").loaded) << "saved links stay";
}

TEST_F(ShortcutsTest, AGroupFolderThatCannotBeCreatedIsReportedOnceWithItsPath)
{
    std::string nested = group_ + "\\two levels";
    const ShortcutEntry entries[] = {{"Editor", "TVREdit.exe"}, {nullptr, nullptr}};
    EXPECT_EQ(0, MakeProgramGroup(nested.c_str(), entries));
    ASSERT_EQ(1u, gRecordedMessages.size());
    EXPECT_EQ("无法建目录(" + programs_ + "\\" + nested + ")!", gRecordedMessages[0].chinese);
    EXPECT_EQ("Cannot create folder!", gRecordedMessages[0].english);
    EXPECT_FALSE(FileExists(programs_ + "\\" + group_));
}

TEST_F(ShortcutsTest, AGroupPathLongerThanThePathBufferIsRefused)
{
    std::string name(kPathBytes - programs_.size(), 'g');
    const ShortcutEntry entries[] = {{"Editor", "TVREdit.exe"}, {nullptr, nullptr}};
    EXPECT_EQ(0, MakeProgramGroup(name.c_str(), entries));
    ASSERT_EQ(1u, gRecordedMessages.size());
    EXPECT_EQ(kStartMenuFailure, gRecordedMessages[0].english);

    // A link path that would not fit fails that shortcut alone.
    std::string longName(kPathBytes - programs_.size() - group_.size() - 6, 'l');
    const ShortcutEntry tooLong[] = {{longName.c_str(), "a.exe"}, {"Fits", "b.exe"}, {nullptr, nullptr}};
    ResetMessages();
    EXPECT_EQ(1, MakeProgramGroup(group_.c_str(), tooLong));
    EXPECT_TRUE(gRecordedMessages.empty());
    EXPECT_TRUE(ReadShortcut(programs_ + "\\" + group_ + "\\Fits.lnk").loaded);
}

TEST_F(ShortcutsTest, ATargetWithoutAFolderGetsNoWorkingFolder)
{
    std::string link = install_ + "\\bare.lnk";
    ASSERT_EQ(1, MakeShortcut("TVREdit.exe", link.c_str(), "bare"));
    LinkFields fields = ReadShortcut(link);
    ASSERT_TRUE(fields.loaded);
    EXPECT_EQ("", fields.workingFolder);
    EXPECT_EQ("bare", fields.description);
}

TEST_F(ShortcutsTest, DesktopShortcutPointsIntoTheInstallFolder)
{
    std::string desktop = Folder(kDesktopFolder);
    std::string name = "Tovra Test Desktop " + std::to_string(GetCurrentProcessId());
    MakeDesktopShortcut("Vardel.exe", name.c_str());
    std::string link = desktop + "\\" + name + ".lnk";
    LinkFields fields = ReadShortcut(link);
    DeleteFileA(link.c_str());
    ASSERT_TRUE(fields.loaded);
    EXPECT_EQ(install_ + "\\Vardel.exe", fields.target);
    EXPECT_EQ(name, fields.description);
    EXPECT_TRUE(gRecordedMessages.empty());
}

TEST_F(ShortcutsTest, Version3FoldersStandUnderTheWindowsFolder)
{
    char windows[MAX_PATH], user[257];
    GetWindowsDirectoryA(windows, MAX_PATH);
    DWORD userLength = sizeof user;
    ASSERT_TRUE(GetUserNameA(user, &userLength));
    gVersion3Flag = 1;

    gNtFlag = 1;
    EXPECT_EQ(std::string(windows) + "\\profiles\\" + user + "\\start menu\\programs", Folder(kProgramsFolder));
    EXPECT_EQ(std::string(windows) + "\\profiles\\" + user + "\\Desktop", Folder(kDesktopFolder));
    // No common folders there: an install for every user takes the one profile's.
    WCHAR path[MAX_PATH];
    EXPECT_EQ(0, ShellFolderLookup(path, kCommonProgramsFolder));
    ASSERT_EQ(1, LinkFolderLookup(path, kProgramsPlace, kForEveryUser));
    EXPECT_EQ(Folder(kProgramsFolder), InCodePage(path));

    gNtFlag = 0;
    EXPECT_EQ(std::string(windows) + "\\start menu\\programs", Folder(kProgramsFolder));
    EXPECT_EQ(std::string(windows) + "\\Desktop", Folder(kDesktopFolder));
    gVersion3Flag = 0;
    gNtFlag = 1;
}

// The user's Programs folder, as the shell names it, under a profile named in Chinese.
class ChineseProfileTest : public ShortcutsTest {
protected:
    void SetUp() override
    {
        ShortcutsTest::SetUp();
        ASSERT_EQ(1252u, GetACP()) << "the code page that can't spell the profile's name";
        WCHAR temporary[MAX_PATH];
        GetTempPathW(MAX_PATH, temporary);
        chineseProfile_ = std::wstring(temporary) + L"张伟-" + std::to_wstring(GetCurrentProcessId());
        chinesePrograms_ = chineseProfile_ + L"\\Programs";
        redirected_.reset(new RedirectedValue(HKEY_CURRENT_USER, kUserShellFolders, L"Programs", chinesePrograms_));
        ASSERT_TRUE(redirected_->Redirected());
        ASSERT_TRUE(CreateDirectoryW(chineseProfile_.c_str(), nullptr));
        ASSERT_TRUE(CreateDirectoryW(chinesePrograms_.c_str(), nullptr));
        chineseGroup_ = chinesePrograms_ + L"\\Tovra Smart Editor";
    }
    void TearDown() override
    {
        redirected_.reset();
        RemoveWideFolder(chineseProfile_);
        ShortcutsTest::TearDown();
    }

    std::unique_ptr<RedirectedValue> redirected_;
    std::wstring chineseProfile_, chinesePrograms_, chineseGroup_;
};

TEST_F(ChineseProfileTest, TheGroupIsMadeAndRecordedWhereTheShellSaysAndReadsBackWide)
{
    const ShortcutEntry entries[] = {
        {ProductName(kProductSmartEditor, kShortcutName, 0), "TVREdit.exe"},
        {ProductName(kProductSmartEditor, kUninstallName, 0), "TVREditUnInstall.exe"},
        {nullptr, nullptr},
    };
    ASSERT_EQ(1, MakeProgramGroup("Tovra Smart Editor", entries));
    EXPECT_TRUE(gRecordedMessages.empty());

    LinkFieldsW editor = ReadShortcutW(chineseGroup_ + L"\\Tovra Smart Editor.lnk");
    ASSERT_TRUE(editor.loaded);
    EXPECT_EQ(Wide(install_ + "\\TVREdit.exe"), editor.target);
    EXPECT_EQ(L"Tovra Smart Editor", editor.description);
    EXPECT_EQ(Wide(install_), editor.workingFolder);
    EXPECT_TRUE(ReadShortcutW(chineseGroup_ + L"\\Tovra Smart Editor UnInstall.lnk").loaded);
    EXPECT_TRUE(Listed("folder", chineseGroup_));
    EXPECT_TRUE(Listed("shortcut", chineseGroup_ + L"\\Tovra Smart Editor.lnk"));
    EXPECT_TRUE(Listed("shortcut", chineseGroup_ + L"\\Tovra Smart Editor UnInstall.lnk"));
    EXPECT_EQ(3, MadeItemCount());
}

// A group that can't be made is told without its path, which the code page would show as
// "?" for the profile's name.
TEST_F(ChineseProfileTest, AGroupThatCannotBeMadeIsToldWithoutAPathTheCodePageCantSpell)
{
    const ShortcutEntry entries[] = {{"Editor", "TVREdit.exe"}, {nullptr, nullptr}};
    EXPECT_EQ(0, MakeProgramGroup("Tovra\\two levels", entries));
    ASSERT_EQ(1u, gRecordedMessages.size());
    EXPECT_EQ("无法建目录!", gRecordedMessages[0].chinese);
    EXPECT_EQ("Cannot create folder!", gRecordedMessages[0].english);
    EXPECT_EQ(0, MadeItemCount());
}

// A reinstall for every user over one for this user: the links the earlier record lists
// in the user's folders go while they lead into the install folder, and the group they
// leave empty with them; a link another install has taken over stays.
TEST_F(ShortcutsTest, AReinstallForEveryUserTakesBackTheUsersLinksThatLeadIntoTheFolder)
{
    const std::string group = programs_ + "\\" + group_, desktop = Folder(kDesktopFolder);
    const std::string ours = group + "\\Editor.lnk", taken = desktop + "\\" + group_ + ".lnk";
    const std::string common = Folder(kCommonProgramsFolder) + "\\" + group_;
    ASSERT_TRUE(CreateDirectoryA(group.c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryA(common.c_str(), nullptr));
    ASSERT_EQ(1, MakeShortcut((install_ + "\\TVREdit.exe").c_str(), ours.c_str(), "Editor"));
    ASSERT_EQ(1, MakeShortcut("C:\\Other\\TVREdit.exe", taken.c_str(), "Editor"));
    ASSERT_EQ(1, MakeShortcut((install_ + "\\TVREdit.exe").c_str(), (common + "\\Editor.lnk").c_str(), "Editor"));
    ASSERT_TRUE(WriteWholeFile(install_ + "\\" TOVRA_INSTALL_RECORD_NAME,
                               TOVRA_INSTALL_RECORD_FIRST_LINE "\r\nshortcut\t" + ours + "\r\nshortcut\t" + taken +
                                   "\r\nshortcut\t" + common + "\\Editor.lnk\r\nfolder\t" + group + "\r\n"));

    gInstallScope = kForEveryUser;
    EXPECT_EQ(1, TakeBackOtherScopeLinks());
    bool tookOurs = !FileExists(ours), groupGone = !FileExists(group), keptTaken = FileExists(taken),
         keptCommon = FileExists(common + "\\Editor.lnk");
    DeleteFileA(taken.c_str());
    RemoveTestFolder(common);
    EXPECT_TRUE(tookOurs);
    EXPECT_TRUE(groupGone);
    EXPECT_TRUE(keptTaken) << "it leads into another folder";
    EXPECT_TRUE(keptCommon) << "the place the install now puts its links";

    gInstallScope = kForThisUser;
    EXPECT_EQ(0, TakeBackOtherScopeLinks()) << "nothing of the common folders is listed any more";
}

} // namespace
