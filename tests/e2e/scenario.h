// One user's run of the program from start to end, and the state it must leave behind.
// Each scenario starts from a system without the product's shortcuts, registration or
// speech package, and removes everything it made, so no scenario depends on another.
#ifndef TOVRA_SCENARIO_H
#define TOVRA_SCENARIO_H

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "install_checks.h"
#include "real_input.h"
#include "setup_driver.h"

// Texts the program shows, in its own code page.
extern const char kSuccessChinese[];
extern const char kSuccessEnglish[];
extern const char kSpeechChinese[];
extern const char kSpeechEnglish[];
extern const char kFailureChinese[];
extern const char kFailureEnglish[];
extern const char kFolderChinese[];
extern const char kFolderEnglish[];
extern const char kNoAnswerChinese[];
extern const char kNoAnswerEnglish[];
extern const char kWordBaseChinese[];
extern const char kWordBaseEnglish[];
extern const char kDamagedChinese[];
extern const char kDamagedEnglish[];
std::string NoRoomChinese(unsigned long neededMegabytes, unsigned long freeMegabytes);
std::string NoRoomEnglish(unsigned long neededMegabytes, unsigned long freeMegabytes);
std::string InUseChinese(const std::string &fileName);
std::string InUseEnglish(const std::string &fileName);
// The question about a folder with files of the user's; the English line is the folder
// followed by kUserFilesEnglishEnd.
extern const char kUserFilesChinese[];
extern const char kUserFilesEnglishEnd[];

// An install, from the press of Agree/Install to its first message, takes at least five
// seconds by the program's design; the run itself takes one or two here.
const DWORD kInstallWait = 60000;
const DWORD kExitWait = 30000;

class SetupScenario : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // A folder under this scenario's own root on drive C; made when make is set. The root
    // goes when the scenario ends.
    std::string Folder(const std::string &name, bool make);
    // The folder the wizard proposes: on the drive of the Windows folder.
    static std::string ProposedFolder();

    // Starts the program with currentFolder as its current folder (none: the driver's) and
    // waits until its folder page answers.
    void StartWizard_(const char *file, int line, const char *currentFolder = nullptr);
    HWND Item(int id) const { return Control(setup_, id); }

    // The walk by mouse: clicks Next and waits for page.
    void ClickNext_(const char *file, int line, int page);
    // Clicks Agree/Install on the language page and waits until the wizard has taken it.
    void ClickInstall_(const char *file, int line);
    // Replaces the folder text by typing it (keys) or, with paste, pasting it (Ctrl+V).
    void EnterFolder_(const char *file, int line, bool paste, const std::wstring &folder);
    // The language list by mouse: opens the list and clicks the entry at position.
    void ChooseLanguageByClick_(const char *file, int line, int position);
    // Walks from page 0 to page 3 by clicks, answering the display check with answer.
    void WalkToLanguagePage_(const char *file, int line, int answer);
    // Types folder, walks to the language page answering the display check with
    // displayAnswer, and clicks Agree/Install.
    void StartInstallInto_(const char *file, int line, const std::string &folder, int displayAnswer = IDC_DISPLAY_YES);
    // The folder chooser once it is on screen, known by its folder list whatever its
    // caption says; null when none comes.
    HWND WaitForChooser();

    // The next message, which must come within milliseconds.
    ShownMessage NextMessage_(const char *file, int line, DWORD milliseconds = 10000);
    void ExpectMessage_(const char *file, int line, const ShownMessage &message, const std::string &chinese,
                        const std::string &english, std::vector<int> buttons);
    // Answers the closing messages of a successful install: OK, then the speech-module
    // offer with speechAnswer (1 or 2) by a click.
    void FinishSuccessfulInstall_(const char *file, int line, int speechAnswer);

    void ExpectExitCode_(const char *file, int line, int code);
    // The whole product in folder, its settings, group, shortcuts and registration.
    void ExpectInstalled_(const char *file, int line, const std::string &folder, char useBmpFont, int language,
                          bool desktopShortcuts);

    SetupProcess setup_;
    int column_ = 0;
    ClassesBefore classes_;
    std::string root_;
    std::vector<std::string> foldersToRemove_;
};

// The steps and checks above report a failure at the scenario's line, with their own under it.
#define StartWizard(...) StartWizard_(__FILE__, __LINE__ __VA_OPT__(,) __VA_ARGS__)
#define ClickNext(...) ClickNext_(__FILE__, __LINE__, __VA_ARGS__)
#define ClickInstall() ClickInstall_(__FILE__, __LINE__)
#define TypeFolder(...) EnterFolder_(__FILE__, __LINE__, false, __VA_ARGS__)
#define PasteFolder(...) EnterFolder_(__FILE__, __LINE__, true, __VA_ARGS__)
#define ChooseLanguageByClick(...) ChooseLanguageByClick_(__FILE__, __LINE__, __VA_ARGS__)
#define WalkToLanguagePage(...) WalkToLanguagePage_(__FILE__, __LINE__, __VA_ARGS__)
#define StartInstallInto(...) StartInstallInto_(__FILE__, __LINE__, __VA_ARGS__)
#define NextMessage(...) NextMessage_(__FILE__, __LINE__ __VA_OPT__(,) __VA_ARGS__)
#define ExpectMessage(...) ExpectMessage_(__FILE__, __LINE__, __VA_ARGS__)
#define FinishSuccessfulInstall(...) FinishSuccessfulInstall_(__FILE__, __LINE__, __VA_ARGS__)
#define ExpectExitCode(...) ExpectExitCode_(__FILE__, __LINE__, __VA_ARGS__)
#define ExpectInstalled(...) ExpectInstalled_(__FILE__, __LINE__, __VA_ARGS__)

#endif
