// Browse on the folder page: the system's old-style file dialog on template 168, answered
// from a timer that its modal loop runs, as a user would answer it.
#include <windows.h>
#include <dlgs.h>

#include <string>
#include <vector>

#include "support/window_finding.h"
#include "test_folder.h"
#include "wizard_fixture.h"

namespace {

enum ChooserAnswer { kPressOk, kPressEnter, kPressCancel };

struct ChooserVisit {
    ChooserAnswer answer;
    bool seen = false;
    std::vector<int> missingHidden;   // hidden controls the system's dialog expects
    bool cancelOwnerDrawn = false;
    std::string folderLabel;          // what label stc1 showed
};

ChooserVisit *gVisit;

void CALLBACK AnswerChooser(HWND, UINT, UINT_PTR timer, DWORD)
{
    HWND chooser = FindThreadWindow(GetCurrentThreadId(), "Choose Destination Directory");
    if (!chooser)
        return;
    KillTimer(nullptr, timer);
    gVisit->seen = true;
    for (int id : {stc3, edt1, lst1, stc2, cmb1, stc4, pshHelp, chx1, 65535}) {
        HWND control = GetDlgItem(chooser, id);
        if (!control || IsWindowVisible(control))
            gVisit->missingHidden.push_back(id);
    }
    gVisit->cancelOwnerDrawn = (GetWindowLongA(GetDlgItem(chooser, IDCANCEL), GWL_STYLE) & BS_TYPEMASK) == BS_OWNERDRAW;
    char label[MAX_PATH] = "";
    GetDlgItemTextA(chooser, stc1, label, sizeof label);
    gVisit->folderLabel = label;
    switch (gVisit->answer) {
    case kPressOk:
        SendMessageA(GetDlgItem(chooser, IDOK), BM_CLICK, 0, 0);
        break;
    case kPressEnter:
        PostMessageA(GetFocus(), WM_KEYDOWN, VK_RETURN, 0);
        break;
    case kPressCancel:
        SendMessageA(GetDlgItem(chooser, IDCANCEL), BM_CLICK, 0, 0);
        break;
    }
}

class FolderChooserTest : public WizardTest {
protected:
    void SetUp() override
    {
        WizardTest::SetUp();
        char current[MAX_PATH];
        GetCurrentDirectoryA(MAX_PATH, current);
        previous_ = current;
        ASSERT_TRUE(MakeTestFolder(folder_, "chooser"));
    }
    void TearDown() override
    {
        SetCurrentDirectoryA(previous_.c_str());
        RemoveTestFolder(folder_);
        WizardTest::TearDown();
    }

    // Opens Browse with the process standing in folder, answers, returns what was seen.
    ChooserVisit Browse(const std::string &folder, ChooserAnswer answer)
    {
        ChooserVisit visit;
        visit.answer = answer;
        gVisit = &visit;
        SetCurrentDirectoryA(folder.c_str());
        SetTimer(nullptr, 0, 100, AnswerChooser);
        Click(IDC_BROWSE);
        gVisit = nullptr;
        return visit;
    }
    std::string FolderText() const
    {
        char text[MAX_PATH] = "";
        GetDlgItemTextA(wizard_, IDC_FOLDER_EDIT, text, sizeof text);
        return text;
    }

    std::string previous_, folder_;
};

TEST_F(FolderChooserTest, OkAnswersWithTheFolderTheDialogStandsIn)
{
    ChooserVisit visit = Browse(folder_, kPressOk);
    ASSERT_TRUE(visit.seen);
    EXPECT_TRUE(visit.missingHidden.empty()) << "first missing or shown: " << visit.missingHidden[0];
    EXPECT_TRUE(visit.cancelOwnerDrawn);
    EXPECT_EQ(folder_ + "\\Tovra_Editor", FolderText());
    EXPECT_EQ(folder_, gInstallFolder);
    char current[MAX_PATH];
    GetCurrentDirectoryA(MAX_PATH, current);
    EXPECT_EQ(folder_, current) << "the dialog puts the process's folder back";
}

TEST_F(FolderChooserTest, ADriveRootLosesItsBackslash)
{
    ASSERT_TRUE(Browse("Z:\\", kPressEnter).seen);
    EXPECT_EQ("Z:\\Tovra_Editor", FolderText());
    EXPECT_STREQ("Z:", gInstallFolder);
}

TEST_F(FolderChooserTest, CancelKeepsTheEarlierChoice)
{
    ASSERT_TRUE(Browse(folder_, kPressOk).seen);
    std::string chosen = FolderText();
    ASSERT_TRUE(Browse("Z:\\", kPressCancel).seen);
    EXPECT_EQ(chosen, FolderText());
    EXPECT_EQ(folder_, gInstallFolder);
}

} // namespace
