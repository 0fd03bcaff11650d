// The uninstaller as the system starts it from the installed-apps list: it takes back
// what the install made, leaves what the user made or changed and what a later install
// owns, and changes nothing when the user cancels.
#include <gtest/gtest.h>

#include <windows.h>

#include <set>
#include <string>

#include "install/manifest.h"
#include "installed_apps_entry.h"
#include "scenario.h"
#include "support/caller_line.h"
#include "support/file_reading.h"
#include "test_folder.h"

namespace {

const char kUninstallQuestionChinese[] = "确实要卸载拓沃智能编辑器及其全部组件吗？";
const char kUninstallQuestionEnglish[] = "Remove Tovra Smart Editor and all of its components?";
const char kOwnWordBaseChinese[] = "您自己的词库也要删除吗？";
const char kOwnWordBaseEnglish[] = "Remove your own word base (CiKu) too?";

// Starts a command line as the system starts an uninstall command.
bool StartCommand(SetupProcess *process, const std::string &command)
{
    std::string line = command;
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    if (!CreateProcessA(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process->info)) {
        fprintf(stderr, "e2e: cannot start %s (error %lu)\n", command.c_str(), GetLastError());
        return false;
    }
    return true;
}

// The copy the uninstaller started in the temporary folder to do the removing.
bool FindCopy(const SetupProcess &uninstaller, SetupProcess *copy)
{
    DWORD found = 0;
    WaitUntil(
        [&uninstaller, &found] {
            for (const auto &child : ChildrenOf(uninstaller.info.dwProcessId))
                if (_strnicmp(child.second.c_str(), "tvu", 3) == 0)
                    found = child.first;
            return found != 0;
        },
        kPageWait);
    if (!found)
        return false;
    copy->info.dwProcessId = found;
    copy->info.hProcess = OpenProcess(SYNCHRONIZE | PROCESS_QUERY_INFORMATION | PROCESS_TERMINATE, FALSE, found);
    return copy->info.hProcess != nullptr;
}

// Reports a failure at the test's line as well as its own.
#define Uninstall(...) Uninstall_(__FILE__, __LINE__, __VA_ARGS__)

class UninstallScenario : public SetupScenario {
protected:
    void TearDown() override
    {
        EndSetup(&uninstaller_);
        EndSetup(&copy_);
        SetupScenario::TearDown();
    }
    void Install(const std::string &folder)
    {
        StartWizard();
        StartInstallInto(folder);
        FinishSuccessfulInstall(IDCANCEL);
        ExpectExitCode(0);
        EndSetup(&setup_);
    }
    // Starts the uninstaller by command and answers its question; with wordBaseAnswer,
    // the question about the user's own word base too.
    void Uninstall_(const char *file, int line, const std::string &command, int answer, int wordBaseAnswer = 0)
    {
        CallerLine caller(file, line);
        ASSERT_TRUE(StartCommand(&uninstaller_, command));
        ShownMessage question;
        ASSERT_TRUE(WaitForMessage(&uninstaller_, &question, kPageWait)) << "the uninstaller asks nothing";
        ExpectMessage(question, kUninstallQuestionChinese, kUninstallQuestionEnglish, {IDOK, IDCANCEL});
        ASSERT_TRUE(ClickAnswer(question, answer));
        if (wordBaseAnswer) {
            ShownMessage wordBase;
            ASSERT_TRUE(WaitForMessage(&uninstaller_, &wordBase, kPageWait)) << "no question about the word base";
            ExpectMessage(wordBase, kOwnWordBaseChinese, kOwnWordBaseEnglish, {IDYES, IDNO});
            ASSERT_TRUE(ClickAnswer(wordBase, wordBaseAnswer));
        }
        EXPECT_EQ(0, WaitForExit(&uninstaller_, kExitWait));
    }
    // The copy's report, answered; its exit code.
    ShownMessage Report()
    {
        ShownMessage report;
        [&] {
            ASSERT_TRUE(FindCopy(uninstaller_, &copy_)) << "no copy took over the removing";
            ASSERT_TRUE(WaitForMessage(&copy_, &report, kInstallWait)) << "no report came";
        }();
        return report;
    }
    void CloseReport(const ShownMessage &report)
    {
        ASSERT_TRUE(ClickAnswer(report, IDOK));
        EXPECT_EQ(0, WaitForExit(&copy_, kExitWait));
    }

    SetupProcess uninstaller_, copy_;
};

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
    CloseReport(report);

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
    CloseReport(report);

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
