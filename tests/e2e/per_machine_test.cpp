// An install for every user of the machine, which every install under Wine's root is: its
// links in the common Start menu and on the public desktop and none in the profile of
// whoever ran it, taken back by the entry's quiet uninstall; and a reinstall over an
// install for one user that leaves one set of links and one entry.
#include <gtest/gtest.h>

#include <windows.h>

#include <set>
#include <string>

#include "install/install_record.h"
#include "install/manifest.h"
#include "install/shortcut_reader.h"
#include "installed_apps_entry.h"
#include "uninstall_scenario.h"
#include "support/caller_line.h"
#include "support/file_reading.h"
#include "test_folder.h"

namespace {

// Reports a failure at the test's line as well as its own.
#define MakeItAnInstallForThisUser(...) MakeItAnInstallForThisUser_(__FILE__, __LINE__, __VA_ARGS__)

void ReplaceAll(std::string *text, const std::string &from, const std::string &to)
{
    for (size_t at = 0; (at = text->find(from, at)) != std::string::npos; at += to.size())
        text->replace(at, from.size(), to);
}

class PerMachineScenario : public UninstallScenario {
protected:
    // What an install into folder for this user would have left: the links in the user's
    // folders, the entry under HKEY_CURRENT_USER and a record that lists them there.
    void MakeItAnInstallForThisUser_(const char *file, int line, const std::string &folder)
    {
        CallerLine caller(file, line);
        std::string record = ReadWholeFile(folder + "\\" TOVRA_INSTALL_RECORD_NAME);
        ASSERT_TRUE(MoveFileW(ProgramGroupFolder(column_).c_str(), ProgramGroupFolder(column_, false).c_str()));
        ReplaceAll(&record, Utf8(ProgramGroupFolder(column_)),
                   Utf8(ProgramGroupFolder(column_, false)));
        for (int product : kDesktopProducts) {
            const std::wstring common = DesktopShortcutPath(product, column_);
            const std::wstring own = DesktopShortcutPath(product, column_, false);
            ASSERT_TRUE(MoveFileW(common.c_str(), own.c_str()));
            ReplaceAll(&record, Utf8(common), Utf8(own));
        }
        ReplaceAll(&record, "key\tHKLM\t" TOVRA_UNINSTALL_KEY, "key\tHKCU\t" TOVRA_UNINSTALL_KEY);
        ASSERT_TRUE(WriteWholeFile(folder + "\\" TOVRA_INSTALL_RECORD_NAME, record));

        HKEY machine, user;
        ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExA(HKEY_LOCAL_MACHINE, TOVRA_UNINSTALL_KEY, 0, KEY_READ, &machine));
        ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_CURRENT_USER, TOVRA_UNINSTALL_KEY, 0, nullptr, 0, KEY_ALL_ACCESS,
                                                 nullptr, &user, nullptr));
        LONG copied = RegCopyTreeA(machine, nullptr, user);
        RegCloseKey(machine);
        RegCloseKey(user);
        ASSERT_EQ(ERROR_SUCCESS, copied);
        ASSERT_EQ(ERROR_SUCCESS, RegDeleteKeyA(HKEY_LOCAL_MACHINE, TOVRA_UNINSTALL_KEY));
        ASSERT_TRUE(ReadShortcutW(ProgramGroupFolder(column_, false) + L"\\" +
                                  Wide(ProductName(kInstalledProduct, kShortcutName, column_)) + L".lnk")
                        .loaded);
    }
    void ExpectForEveryUser_(const char *file, int line, const std::string &folder)
    {
        CallerLine caller(file, line);
        ExpectProgramGroup(folder, column_);
        ExpectDesktopShortcuts(folder, column_);
        ExpectNoUserShortcuts(column_);
        EXPECT_EQ(folder, InstalledAppsText("InstallLocation"));
        EXPECT_FALSE(RegistryKeyExists(HKEY_CURRENT_USER, TOVRA_UNINSTALL_KEY)) << "a second entry, the user's";
    }
};
#define ExpectForEveryUser(...) ExpectForEveryUser_(__FILE__, __LINE__, __VA_ARGS__)

TEST_F(PerMachineScenario, LinksGoToTheCommonFoldersAndTheQuietUninstallTakesThemBack)
{
    const std::string folder = Folder("Tovra_Editor", false);
    const std::set<std::string> before = SystemSnapshot();
    Install(folder);
    ExpectForEveryUser(folder);

    EXPECT_EQ(kAllTakenBack, UninstallQuietly(InstalledAppsText("QuietUninstallString")));
    EXPECT_FALSE(FileExists(folder));
    const std::set<std::string> after = SystemSnapshot();
    EXPECT_TRUE(before == after) << SnapshotDifference(before, after);
}

TEST_F(PerMachineScenario, AReinstallOverAnInstallForOneUserLeavesOneSetOfLinksAndOneEntry)
{
    const std::string folder = Folder("Tovra_Editor", false);
    const std::set<std::string> before = SystemSnapshot();
    Install(folder);
    MakeItAnInstallForThisUser(folder);

    Install(folder);
    ExpectForEveryUser(folder);
    EXPECT_EQ(kAllTakenBack, UninstallQuietly(InstalledAppsText("QuietUninstallString")));
    const std::set<std::string> after = SystemSnapshot();
    EXPECT_TRUE(before == after) << SnapshotDifference(before, after);
}

} // namespace
