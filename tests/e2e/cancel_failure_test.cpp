// Runs that end without installing: Cancel on each page, and an install whose required
// file can't be written.
#include <windows.h>
#include <commctrl.h>

#include "earlier_install.h"
#include "scenario.h"
#include "test_folder.h"

namespace {

class CancelScenario : public SetupScenario {
protected:
    void WalkTo(int page)
    {
        if (page >= 1)
            ClickNext(1);
        if (page >= 2) {
            ClickWindow(Item(IDC_DISPLAY_YES));
            ClickNext(2);
        }
        if (page >= 3)
            ClickNext(3);
    }

    // The close box of the wizard's caption, found where the window says it is.
    bool ClickCloseBox()
    {
        RECT area;
        GetWindowRect(setup_.wizard, &area);
        int top = area.top + GetSystemMetrics(SM_CYDLGFRAME) + GetSystemMetrics(SM_CYCAPTION) / 2;
        for (int x = area.right - 1; x > area.right - 80; --x) {
            DWORD_PTR hit = 0;
            SendMessageTimeoutA(setup_.wizard, WM_NCHITTEST, 0, MAKELPARAM(x, top), SMTO_ABORTIFHUNG, 5000, &hit);
            if (hit == HTCLOSE) {
                ClickAt({x - 4, top});
                return true;
            }
        }
        return false;
    }

    void Cancel(int page)
    {
        switch (page) {
        case 0:
            ClickWindow(Item(IDCANCEL));
            break;
        case 1:
            ASSERT_TRUE(BringToFront(setup_.wizard));
            PressKey(VK_ESCAPE);
            break;
        case 2:
            // Enter presses the focused push button, here Cancel.
            ASSERT_TRUE(TabTo(setup_, IDCANCEL));
            PressKey(VK_RETURN);
            break;
        case 3:
            ASSERT_TRUE(ClickCloseBox()) << "no close box in the caption";
            break;
        }
    }
};

// The Cancel button on the folder page, Escape on the display check, Enter on the focused
// Cancel button on the agreement and the close box on the language page.
TEST_F(CancelScenario, OnEveryPageEndsTheProgramAndWritesNothing)
{
    const std::string folder = ProposedFolder();
    RemoveTestFolder(folder);
    for (int page = 0; page < 4; ++page) {
        SCOPED_TRACE("cancelled on page " + std::to_string(page));
        StartWizard();
        WalkTo(page);
        Picture(&setup_, ("cancel-on-page" + std::to_string(page)).c_str());
        Cancel(page);
        EXPECT_EQ(0, WaitForExit(&setup_, kExitWait));
        EndSetup(&setup_);
        EXPECT_FALSE(FileExists(folder));
        ExpectNoShortcuts(column_);
        ExpectNoRegistration();
        EXPECT_TRUE(SpeechPackageFolders().empty());
        if (HasFatalFailure())
            return;
    }
}

class FailureScenario : public SetupScenario {};

// A folder where a required file must go: the run stops at that file.
TEST_F(FailureScenario, ARequiredFileThatCannotBeWrittenEndsInTheFailureMessageAndExitCodeTwo)
{
    const std::string folder = Folder("blocked", true);
    ASSERT_TRUE(CreateDirectoryA(InstalledFile(folder, "gbkflat.dic").c_str(), nullptr));
    StartWizard();
    StartInstallInto(folder);

    ShownMessage failure = NextMessage(kInstallWait);
    ASSERT_TRUE(failure.dialog);
    ExpectMessage(failure, kFailureChinese, kFailureEnglish, {IDOK});
    Picture(&setup_, "message-failure");
    DWORD_PTR progress = 0;
    SendMessageTimeoutA(Item(IDC_PROGRESS), PBM_GETPOS, 0, 0, SMTO_ABORTIFHUNG, 5000, &progress);
    EXPECT_LT(progress, 100u);
    ASSERT_TRUE(ClickAnswer(failure, IDOK));
    EXPECT_EQ(2, WaitForExit(&setup_, kExitWait)) << "a failed install must be told from a successful one";

    // Nothing after the blocked file: no later row, no settings, shortcut or registration,
    // and no offer of the speech module; and the file written before it is gone again.
    FolderState left = StateOf(folder);
    EXPECT_EQ(1u, left.size()) << "the folder holds more than the folder in the file's place";
    EXPECT_EQ(1u, left.count("gbkflat.dic"));
    ExpectNoShortcuts(column_);
    ExpectNoRegistration();
    EXPECT_TRUE(SpeechPackageFolders().empty());
}

} // namespace
