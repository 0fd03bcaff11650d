// An install and its uninstall as a user, or a package manager, runs them: the uninstaller
// started by the command the installed-apps entry gives, its questions answered, its copy
// found and its report read.
#ifndef TOVRA_UNINSTALL_SCENARIO_H
#define TOVRA_UNINSTALL_SCENARIO_H

#include <string>

#include "scenario.h"

// The uninstaller's exit codes.
const int kAllTakenBack = 0, kNothingDone = 1, kCancelled = 2, kItemsStayed = 3;

extern const char kUninstallQuestionChinese[];
extern const char kUninstallQuestionEnglish[];

// Starts a command line as the system starts an uninstall command.
bool StartCommand(SetupProcess *process, const std::string &command);
// The copy the uninstaller started to do the removing, looked for during milliseconds.
bool FindCopy(const SetupProcess &uninstaller, SetupProcess *copy, DWORD milliseconds);

class UninstallScenario : public SetupScenario {
protected:
    void TearDown() override;
    // A default install into folder, the speech module declined.
    void Install(const std::string &folder);
    // Starts the uninstaller by command and answers its question; with wordBaseAnswer,
    // the question about the user's own word base too. The uninstaller then waits for its
    // copy, or ends at once when the answer was Cancel.
    void Uninstall_(const char *file, int line, const std::string &command, int answer, int wordBaseAnswer = 0);
    // Runs command (a quiet uninstall) and waits for that process alone, as a package
    // manager does; its exit code, -1 when it did not end in time.
    int UninstallQuietly(const std::string &command);
    // The copy's report.
    ShownMessage Report();
    // Closes the report; the copy and the uninstaller that waited for it both end with
    // exitCode.
    void CloseReport(const ShownMessage &report, int exitCode);

    SetupProcess uninstaller_, copy_;
};

// Reports a failure at the test's line as well as its own.
#define Uninstall(...) Uninstall_(__FILE__, __LINE__, __VA_ARGS__)

#endif
