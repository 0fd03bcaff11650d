#include "uninstall_scenario.h"

#include <windows.h>

#include "install/manifest.h"
#include "support/caller_line.h"

const char kUninstallQuestionChinese[] = "确实要卸载拓沃智能编辑器及其全部组件吗？";
const char kUninstallQuestionEnglish[] = "Remove Tovra Smart Editor and all of its components?";

static const char kOwnWordBaseChinese[] = "您自己的词库也要删除吗？";
static const char kOwnWordBaseEnglish[] = "Remove your own word base (CiKu) too?";

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

// A child of the same program file's name.
bool FindCopy(const SetupProcess &uninstaller, SetupProcess *copy, DWORD milliseconds)
{
    const std::string name = ProductName(kInstalledProduct, kUninstallerFile, 0);
    DWORD found = 0;
    WaitUntil(
        [&uninstaller, &found, &name] {
            for (const auto &child : ChildrenOf(uninstaller.info.dwProcessId))
                if (_stricmp(child.second.c_str(), name.c_str()) == 0)
                    found = child.first;
            return found != 0;
        },
        milliseconds);
    if (!found)
        return false;
    copy->info.dwProcessId = found;
    copy->info.hProcess = OpenProcess(SYNCHRONIZE | PROCESS_QUERY_INFORMATION | PROCESS_TERMINATE, FALSE, found);
    return copy->info.hProcess != nullptr;
}

void UninstallScenario::TearDown()
{
    EndSetup(&uninstaller_);
    EndSetup(&copy_);
    SetupScenario::TearDown();
}

void UninstallScenario::Install(const std::string &folder)
{
    StartWizard();
    StartInstallInto(folder);
    FinishSuccessfulInstall(IDCANCEL);
    ExpectExitCode(0);
    EndSetup(&setup_);
}

void UninstallScenario::Uninstall_(const char *file, int line, const std::string &command, int answer,
                                   int wordBaseAnswer)
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
}

int UninstallScenario::UninstallQuietly(const std::string &command)
{
    if (!StartCommand(&uninstaller_, command))
        return -1;
    return WaitForExit(&uninstaller_, kInstallWait);
}

ShownMessage UninstallScenario::Report()
{
    ShownMessage report;
    [&] {
        ASSERT_TRUE(FindCopy(uninstaller_, &copy_, kPageWait)) << "no copy took over the removing";
        ASSERT_TRUE(WaitForMessage(&copy_, &report, kInstallWait)) << "no report came";
    }();
    return report;
}

void UninstallScenario::CloseReport(const ShownMessage &report, int exitCode)
{
    ASSERT_TRUE(ClickAnswer(report, IDOK));
    EXPECT_EQ(exitCode, WaitForExit(&copy_, kExitWait));
    EXPECT_EQ(exitCode, WaitForExit(&uninstaller_, kExitWait)) << "the uninstaller did not tell how it went";
}
