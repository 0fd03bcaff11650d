// The uninstaller as the system starts it from the installed-apps list: it takes back
// what the install made, leaves what the user made or changed and what a later install
// owns, and changes nothing when the user cancels.
#include <gtest/gtest.h>

#include <windows.h>

#include <set>
#include <string>

#include "install/manifest.h"
#include "installed_apps_entry.h"
#include "support/file_reading.h"
#include "test_folder.h"
#include "uninstall_scenario.h"

namespace {

const char kOwnWordBaseChinese[] = "您自己的词库也要删除吗？";
const char kOwnWordBaseEnglish[] = "Remove your own word base (CiKu) too?";

// Everything the install made goes; a document the user put in doc\, a file the user
// changed and the word base the user grew and chose to keep stay, and so do the folders
// that hold them.
TEST_F(UninstallScenario, TakesBackWhatTheInstallMadeAndLeavesTheUsersFiles)
{
    const std::string folder = Folder("Tovra_Editor", false);
    const std::set<std::string> before = SystemSnapshot();
    Install(folder);
    ASSERT_TRUE(WriteWholeFile(folder + "\\doc\\letter.rtf", "{\\rtf1 the user's letter}"));
    const std::string tips = folder + "\\tips.txt";
    SetFileAttributesA(tips.c_str(), FILE_ATTRIBUTE_NORMAL);
    ASSERT_TRUE(WriteWholeFile(tips, ReadWholeFile(tips) + "a line of the user's\r\n"));
    const std::string phrases = folder + "\\CiZuFlat.igb";
    SetFileAttributesA(phrases.c_str(), FILE_ATTRIBUTE_NORMAL);
    ASSERT_TRUE(WriteWholeFile(phrases, ReadWholeFile(phrases) + "phrases the user typed"));

    Uninstall(InstalledAppsText("UninstallString"), IDOK, IDNO);
    ShownMessage report = Report();
    ASSERT_TRUE(report.dialog);
    ExpectMessage(report, "卸载完毕，有 4 项留下。", "Removed; 4 item(s) stayed, such as " + tips, {IDOK});
    CloseReport(report, kItemsStayed);

    EXPECT_EQ((std::set<std::string>{"CiZuFlat.igb", "doc", "tips.txt"}), NameSetIn(folder));
    EXPECT_EQ((std::set<std::string>{"letter.rtf"}), NameSetIn(folder + "\\doc"));
    const std::set<std::string> after = SystemSnapshot();
    EXPECT_TRUE(before == after) << SnapshotDifference(before, after);
}

// Cancel at the question: nothing changes and no copy is started.
TEST_F(UninstallScenario, CancelAtTheQuestionChangesNothing)
{
    const std::string folder = Folder("Tovra_Editor", false);
    Install(folder);
    const std::set<std::string> installed = SystemSnapshot(), files = NameSetIn(folder);
    Uninstall(InstalledAppsText("UninstallString"), IDCANCEL);
    EXPECT_EQ(kCancelled, WaitForExit(&uninstaller_, kExitWait));
    EXPECT_TRUE(ChildrenOf(uninstaller_.info.dwProcessId).empty());
    EXPECT_EQ(files, NameSetIn(folder));
    const std::set<std::string> after = SystemSnapshot();
    EXPECT_TRUE(installed == after) << SnapshotDifference(installed, after);
}

// The snapshot without the "rtffile" type: the install writes it only where there is
// none, so a second install leaves it naming the first.
std::set<std::string> WithoutRtfType(std::set<std::string> lines)
{
    for (auto line = lines.begin(); line != lines.end();)
        line = line->rfind("HKCR\\rtffile", 0) == 0 ? lines.erase(line) : std::next(line);
    return lines;
}

// A second install into another folder owns the shortcuts, the registration and the
// installed-apps entry; uninstalling the first takes its folder, and of the rest only what
// still names the first folder.
TEST_F(UninstallScenario, UninstallingAnEarlierInstallLeavesWhatALaterOneOwns)
{
    const std::string first = Folder("First Editor", false), second = Folder("Second Editor", false);
    Install(first);
    Install(second);
    const std::set<std::string> installed = SystemSnapshot();
    Uninstall("\"" + first + "\\" + ProductName(kInstalledProduct, kUninstallerFile, 0) + "\"", IDOK);
    ShownMessage report = Report();
    ASSERT_TRUE(report.dialog);
    EXPECT_EQ(0u, report.english.rfind("Removed; ", 0)) << report.english;
    CloseReport(report, kItemsStayed);

    EXPECT_FALSE(FileExists(first));
    const std::set<std::string> after = SystemSnapshot();
    EXPECT_TRUE(WithoutRtfType(installed) == WithoutRtfType(after))
        << SnapshotDifference(WithoutRtfType(installed), WithoutRtfType(after));
    if (!classes_.rtfFileExisted) {
        EXPECT_EQ(0u, after.count("HKCR\\rtffile")) << "the type named the first folder";
    }
    ExpectProgramGroup(second, column_);
    ExpectDesktopShortcuts(second, column_);
    ExpectInstalledAppsEntry(second, column_);
}

} // namespace
