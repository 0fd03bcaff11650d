// The main road: the proposed folder, every choice left as proposed or accepted, walked
// mostly by keyboard, ending in the success message and the speech-module offer
// declined.
#include <windows.h>
#include <commctrl.h>

#include "driver_options.h"
#include "scenario.h"
#include "support/caller_line.h"
#include "test_folder.h"

namespace {

// Reports a failure at the test's line as well as its own.
#define Press(...) Press_(__FILE__, __LINE__, __VA_ARGS__)

class MainScenario : public SetupScenario {
protected:
    // The agreement control on screen, or 0 while none or both are.
    int ShownAgreement()
    {
        bool english = Shown(setup_, IDC_AGREEMENT_ENGLISH), chinese = Shown(setup_, IDC_AGREEMENT_CHINESE);
        if (english == chinese)
            return 0;
        return english ? IDC_AGREEMENT_ENGLISH : IDC_AGREEMENT_CHINESE;
    }

    // A key press must land on the wizard: the keys go to the foreground window.
    void Press_(const char *file, int line, WORD key)
    {
        CallerLine caller(file, line);
        ASSERT_TRUE(BringToFront(setup_.wizard)) << "the wizard cannot be made the foreground window";
        PressKey(key);
    }
};

TEST_F(MainScenario, TheProposedFolderWithEverythingAcceptedInstallsTheProduct)
{
    const std::string folder = ProposedFolder();
    RemoveTestFolder(folder);
    foldersToRemove_.push_back(folder);
    if (!gOptions.linkCopies.empty())
        RemoveTestFolder(gOptions.linkCopies);

    StartWizard();
    Picture(&setup_, "page0-folder");
    EXPECT_TRUE(WaitUntil([this, &folder] { return ControlText(Item(IDC_FOLDER_EDIT)) == folder; }, 10000))
        << "the folder proposed: " << ControlText(Item(IDC_FOLDER_EDIT));
    EXPECT_TRUE(Checked(Item(IDC_DESKTOP_ICON)));
    EXPECT_FALSE(Shown(setup_, IDC_BACK));
    ASSERT_EQ(IDC_FOLDER_EDIT, FocusedId(setup_.wizard));

    // Enter in the folder edit means Next.
    Press(VK_RETURN);
    ASSERT_TRUE(WaitForPage(setup_, 1));
    EXPECT_TRUE(WaitUntil([this] { return Shown(setup_, IDC_BACK); }, 5000));
    Picture(&setup_, "page1-display-check");

    // Without an answer the question is put and the page stays.
    Press(VK_RETURN);
    ShownMessage noAnswer = NextMessage();
    ASSERT_TRUE(noAnswer.dialog);
    ExpectMessage(noAnswer, kNoAnswerChinese, kNoAnswerEnglish, {IDOK});
    EXPECT_EQ(IDOK, noAnswer.focus);
    Picture(&setup_, "message-no-answer");
    ASSERT_TRUE(KeyAnswer(noAnswer, VK_RETURN));
    EXPECT_EQ(1, PageShown(setup_));

    // The answer by Tab and Space; Enter on a check box means Next.
    ASSERT_TRUE(TabTo(setup_, IDC_DISPLAY_YES));
    Press(VK_SPACE);
    ASSERT_TRUE(WaitUntil([this] { return Checked(Item(IDC_DISPLAY_YES)); }, 5000))
        << "Space did not tick the box: " << DescribeProgram(setup_);
    EXPECT_FALSE(Checked(Item(IDC_DISPLAY_NO)));
    Picture(&setup_, "page1-answered");
    Press(VK_RETURN);
    ASSERT_TRUE(WaitForPage(setup_, 2)) << "Enter on the box did not mean Next";
    Picture(&setup_, "page2-agreement-english");
    EXPECT_TRUE(Checked(Item(IDC_SHOW_ENGLISH)));
    EXPECT_TRUE(WaitUntil([this] { return ShownAgreement() == IDC_AGREEMENT_ENGLISH; }, 5000));

    // The English box switches between the two agreements: one shown, the other not.
    ClickWindow(Item(IDC_SHOW_ENGLISH));
    ASSERT_TRUE(WaitUntil([this] { return ShownAgreement() == IDC_AGREEMENT_CHINESE; }, 5000));
    Picture(&setup_, "page2-agreement-chinese");
    ClickWindow(Item(IDC_SHOW_ENGLISH));
    ASSERT_TRUE(WaitUntil([this] { return ShownAgreement() == IDC_AGREEMENT_ENGLISH; }, 5000));
    ClickNext(3);
    Picture(&setup_, "page3-language");
    DWORD_PTR selected = 99, language = 99;
    SendMessageTimeoutA(Item(IDC_LANGUAGE_LIST), CB_GETCURSEL, 0, 0, SMTO_ABORTIFHUNG, 5000, &selected);
    SendMessageTimeoutA(Item(IDC_LANGUAGE_LIST), CB_GETITEMDATA, selected, 0, SMTO_ABORTIFHUNG, 5000, &language);
    EXPECT_EQ(0u, language) << "English is proposed";

    // Enter on a focused push button presses that button: Back, then Next again.
    ASSERT_TRUE(TabTo(setup_, IDC_BACK));
    Press(VK_RETURN);
    ASSERT_TRUE(WaitForPage(setup_, 2));
    ASSERT_TRUE(TabTo(setup_, IDC_NEXT));
    Press(VK_RETURN);
    ASSERT_TRUE(WaitForPage(setup_, 3));

    // Agree/Install by Enter, with the pointer away from the wizard: the wizard brings
    // it back to its middle for the wait.
    RECT wizardArea;
    GetWindowRect(setup_.wizard, &wizardArea);
    MoveMouseTo({GetSystemMetrics(SM_CXSCREEN) - 2, GetSystemMetrics(SM_CYSCREEN) - 2});
    ASSERT_EQ(IDC_NEXT, FocusedId(setup_.wizard));
    DWORD pressed = GetTickCount();
    Press(VK_RETURN);
    ASSERT_TRUE(WaitUntil([this] { return !Shown(setup_, IDC_NEXT); }, kPageWait))
        << "the install did not start: " << DescribeProgram(setup_);
    Picture(&setup_, "installing");
    // The registration is the run's last step; after it only the minimum wait keeps the
    // wizard from its message, and a wait that sleeps takes no processor time.
    ASSERT_TRUE(WaitUntil([this] { return RegistrationWritten() || HasEnded(setup_); }, kInstallWait));
    ASSERT_FALSE(HasEnded(setup_)) << "the wizard ended during its install";
    DWORD runEnded = GetTickCount();
    long long busyAtRunEnd = ProcessorMilliseconds(setup_);

    ShownMessage success = NextMessage(kInstallWait);
    ASSERT_TRUE(success.dialog);
    DWORD waited = GetTickCount() - pressed;
    long long busyWaiting = ProcessorMilliseconds(setup_) - busyAtRunEnd;
    DWORD waitedAfterRun = GetTickCount() - runEnded;
    ExpectMessage(success, kSuccessChinese, kSuccessEnglish, {IDOK});
    Picture(&setup_, "message-success");
    // Five seconds by the calendar's whole seconds: at least four of real time.
    EXPECT_GE(waited, 4000u) << "the five-second minimum";
    EXPECT_GE(busyAtRunEnd, 0) << "the program's processor time is unknown";
    EXPECT_LT(busyWaiting, 200 + waitedAfterRun / 4)
        << "the wait kept the processor busy for " << busyWaiting << " of its " << waitedAfterRun << " ms";
    POINT pointer;
    GetCursorPos(&pointer);
    EXPECT_EQ(wizardArea.left + (wizardArea.right - wizardArea.left) / 2, pointer.x);
    EXPECT_EQ(wizardArea.top + (wizardArea.bottom - wizardArea.top) / 2, pointer.y);
    for (int id : {IDC_NEXT, IDC_BACK, IDCANCEL, IDC_BOTTOM_STRIP})
        EXPECT_FALSE(Shown(setup_, id)) << "control " << id << " during the install";
    EXPECT_TRUE(Shown(setup_, IDC_PROGRESS));
    DWORD_PTR progress = 0;
    SendMessageTimeoutA(Item(IDC_PROGRESS), PBM_GETPOS, 0, 0, SMTO_ABORTIFHUNG, 5000, &progress);
    EXPECT_EQ(100u, progress);
    ASSERT_TRUE(KeyAnswer(success, VK_RETURN));

    // The offer declined from the keyboard: Tab to Cancel and Space.
    ShownMessage speech = NextMessage();
    ASSERT_TRUE(speech.dialog);
    ExpectMessage(speech, kSpeechChinese, kSpeechEnglish, {IDOK, IDCANCEL});
    EXPECT_EQ(IDOK, speech.focus);
    Picture(&setup_, "message-speech-offer");
    ASSERT_TRUE(TabOnceTo(speech.dialog, IDCANCEL));
    ASSERT_TRUE(KeyAnswer(speech, VK_SPACE));

    ExpectExitCode(0);
    EXPECT_TRUE(SpeechPackageFolders().empty()) << "the declined package was written";
    DWORD documents = GetFileAttributesA((folder + "\\doc").c_str());
    EXPECT_TRUE(documents != INVALID_FILE_ATTRIBUTES && (documents & FILE_ATTRIBUTE_DIRECTORY))
        << "a new folder gets its doc folder";
    ExpectInstalled(folder, '0', 0, true);
    if (!gOptions.linkCopies.empty())
        CopyShortcuts(column_, gOptions.linkCopies);
}

} // namespace
