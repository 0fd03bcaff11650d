// The wizard walked by the keyboard alone, as a user who can't use a mouse walks it: Tab
// reaches every control a click does, in reading order; Space and Enter press; the arrow
// keys choose; Escape declines. No click from the start to the end of the install.
#include <vector>

#include "scenario.h"
#include "support/caller_line.h"
#include "test_folder.h"

namespace {

// Report a failure at the scenario's line as well as their own.
#define Press(...) Press_(__FILE__, __LINE__, __VA_ARGS__)
#define ExpectTabRound(...) ExpectTabRound_(__FILE__, __LINE__, __VA_ARGS__)

class KeyboardScenario : public SetupScenario {
protected:
    // Keys go to the foreground window.
    void Press_(const char *file, int line, WORD key)
    {
        CallerLine caller(file, line);
        ASSERT_TRUE(BringToFront(setup_.wizard)) << "the wizard cannot be made the foreground window";
        PressKey(key);
    }

    // Tab, pressed once for each control of round, visits them in its order; the last is
    // the control that had the focus, so the round is whole.
    void ExpectTabRound_(const char *file, int line, const std::vector<int> &round)
    {
        CallerLine caller(file, line);
        ASSERT_EQ(round.back(), FocusedId(setup_.wizard)) << "the round starts elsewhere";
        std::vector<int> visited;
        for (size_t i = 0; i < round.size(); ++i) {
            int before = FocusedId(setup_.wizard);
            Press(VK_TAB);
            WaitUntil([this, before] { return FocusedId(setup_.wizard) != before; }, 2000);
            visited.push_back(FocusedId(setup_.wizard));
        }
        EXPECT_EQ(round, visited) << DescribeProgram(setup_);
    }

    void ExpectLanguageSelected_(const char *file, int line, int position)
    {
        CallerLine caller(file, line);
        HWND list = Item(IDC_LANGUAGE_LIST);
        EXPECT_TRUE(WaitUntil(
            [list, position] {
                DWORD_PTR selected = 99;
                SendMessageTimeoutA(list, CB_GETCURSEL, 0, 0, SMTO_ABORTIFHUNG, 5000, &selected);
                return static_cast<int>(selected) == position;
            },
            5000))
            << "the arrow key did not choose entry " << position << ": " << DescribeProgram(setup_);
    }
};
#define ExpectLanguageSelected(...) ExpectLanguageSelected_(__FILE__, __LINE__, __VA_ARGS__)

TEST_F(KeyboardScenario, TabSpaceEnterAndTheArrowsAloneInstallTheProduct)
{
    const std::string folder = ProposedFolder();
    RemoveTestFolder(folder);
    foldersToRemove_.push_back(folder);
    StartWizard();

    // The folder page: the edit has the focus; the desktop icon declined by Space, and
    // Next pressed by Space.
    ExpectTabRound({IDC_BROWSE, IDC_DESKTOP_ICON, IDC_NEXT, IDCANCEL, IDC_FOLDER_EDIT});
    ASSERT_TRUE(TabTo(setup_, IDC_DESKTOP_ICON));
    Press(VK_SPACE);
    ASSERT_TRUE(WaitUntil([this] { return !Checked(Item(IDC_DESKTOP_ICON)); }, 5000))
        << "Space did not untick the box: " << DescribeProgram(setup_);
    ASSERT_TRUE(TabTo(setup_, IDC_NEXT));
    Press(VK_SPACE);
    ASSERT_TRUE(WaitForPage(setup_, 1)) << "Space did not press Next";

    // The display check, answered No; Next pressed by Enter.
    ExpectTabRound({IDCANCEL, IDC_DISPLAY_YES, IDC_DISPLAY_NO, IDC_BACK, IDC_NEXT});
    ASSERT_TRUE(TabTo(setup_, IDC_DISPLAY_NO));
    Press(VK_SPACE);
    ASSERT_TRUE(WaitUntil([this] { return Checked(Item(IDC_DISPLAY_NO)); }, 5000))
        << "Space did not tick the box: " << DescribeProgram(setup_);
    ASSERT_TRUE(TabTo(setup_, IDC_NEXT));
    Press(VK_RETURN);
    ASSERT_TRUE(WaitForPage(setup_, 2)) << "Enter did not press Next";

    // The agreement, first in English, then in Chinese by Space on the English box.
    ExpectTabRound({IDCANCEL, IDC_AGREEMENT_ENGLISH, IDC_SHOW_ENGLISH, IDC_BACK, IDC_NEXT});
    ASSERT_TRUE(TabTo(setup_, IDC_SHOW_ENGLISH));
    Press(VK_SPACE);
    ASSERT_TRUE(WaitUntil([this] { return Shown(setup_, IDC_AGREEMENT_CHINESE); }, 5000))
        << "Space did not switch the agreement: " << DescribeProgram(setup_);
    ExpectTabRound({IDC_BACK, IDC_NEXT, IDCANCEL, IDC_AGREEMENT_CHINESE, IDC_SHOW_ENGLISH});
    ASSERT_TRUE(TabTo(setup_, IDC_NEXT));
    Press(VK_RETURN);
    ASSERT_TRUE(WaitForPage(setup_, 3));

    // Simplified Chinese chosen by the arrow key; Enter in the list means Agree/Install.
    ExpectTabRound({IDCANCEL, IDC_LANGUAGE_LIST, IDC_BACK, IDC_NEXT});
    ASSERT_TRUE(TabTo(setup_, IDC_LANGUAGE_LIST));
    Press(VK_DOWN);
    ExpectLanguageSelected(1);
    Press(VK_RETURN);
    ASSERT_TRUE(WaitUntil([this] { return !Shown(setup_, IDC_NEXT); }, kPageWait))
        << "Enter did not start the install: " << DescribeProgram(setup_);

    // The success by Enter, the speech module declined by Escape.
    ShownMessage success = NextMessage(kInstallWait);
    ASSERT_TRUE(success.dialog);
    ExpectMessage(success, kSuccessChinese, kSuccessEnglish, {IDOK});
    ASSERT_TRUE(KeyAnswer(success, VK_RETURN));
    ShownMessage speech = NextMessage();
    ASSERT_TRUE(speech.dialog);
    ExpectMessage(speech, kSpeechChinese, kSpeechEnglish, {IDOK, IDCANCEL});
    ASSERT_TRUE(KeyAnswer(speech, VK_ESCAPE));

    ExpectExitCode(0);
    EXPECT_TRUE(SpeechPackageFolders().empty()) << "the declined package was written";
    ExpectInstalled(folder, '1', 1, false);
    ExpectNoDesktopShortcuts(column_);
}

} // namespace
