// Where the product goes: a new folder, an existing one, and folders the wizard must
// refuse before it installs anything.
#include "scenario.h"
#include "test_folder.h"

namespace {

// Controls of the folder chooser: the label where the system's dialog shows its current
// folder, and its folder list.
const int kChooserFolderLabel = 1088;
const int kChooserFolderList = 1121;

class FolderScenario : public SetupScenario {
protected:
    // The chooser is known by its folder list, whatever its caption says.
    HWND WaitForChooser()
    {
        HWND chooser = nullptr;
        WaitUntil(
            [this, &chooser] {
                chooser = FindShownDialogOf(setup_.info.dwProcessId, kChooserFolderList);
                return chooser != nullptr;
            },
            10000);
        return chooser;
    }

    bool IsFolder(const std::string &path)
    {
        DWORD attributes = GetFileAttributesA(path.c_str());
        return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
    }

    void InstallInto(const std::string &folder)
    {
        TypeFolder(std::wstring(folder.begin(), folder.end()));
        WalkToLanguagePage(IDC_DISPLAY_YES);
        ClickInstall();
    }

    // Install pressed with a folder the wizard must refuse: the folder message, then the
    // language page again with its buttons.
    void ExpectFolderRefused(const std::string &folder, const char *picture)
    {
        SCOPED_TRACE("refused folder " + folder);
        InstallInto(folder);
        ShownMessage refused = NextMessage(kInstallWait);
        ASSERT_TRUE(refused.dialog);
        ExpectMessage(refused, kFolderChinese, kFolderEnglish, {IDOK});
        Picture(&setup_, picture);
        ASSERT_TRUE(ClickAnswer(refused, IDOK));
        ASSERT_TRUE(WaitForPage(setup_, 3));
        for (int id : {IDC_NEXT, IDC_BACK, IDCANCEL})
            EXPECT_TRUE(WaitUntil([this, id] { return Shown(setup_, id) && IsWindowEnabled(Item(id)); }, 5000))
                << "button " << id;
        EXPECT_FALSE(Shown(setup_, IDC_PROGRESS));
        EXPECT_FALSE(IsFolder(folder));
        // Back walks down the pages that exist, to the folder page.
        for (int page = 2; page >= 0; --page) {
            ClickWindow(Item(IDC_BACK));
            ASSERT_TRUE(WaitForPage(setup_, page)) << "page shown: " << PageShown(setup_);
        }
    }
};

// The folder chooser opens in the program's current folder; OK, or Enter, takes the folder
// it shows and proposes the product's folder in it; Cancel changes nothing.
TEST_F(FolderScenario, ANewFolderChosenThroughBrowseUnderAParentWithBlanksGetsItsDocFolder)
{
    const std::string parent = Folder("new parent", true);
    const std::string folder = parent + "\\Tovra_Editor";
    Start(parent.c_str());
    HWND edit = Item(IDC_FOLDER_EDIT);
    const std::string proposed = ControlText(edit);

    ClickWindow(Item(IDC_BROWSE));
    HWND chooser = WaitForChooser();
    ASSERT_TRUE(chooser) << "Browse opened no folder chooser";
    Picture(&setup_, "folder-chooser");
    char caption[64] = "";
    GetWindowTextA(chooser, caption, sizeof caption);
    EXPECT_STREQ("Choose Destination Directory", caption);
    char shown[MAX_PATH] = "";
    GetWindowTextA(GetDlgItem(chooser, kChooserFolderLabel), shown, MAX_PATH);
    EXPECT_EQ(0, lstrcmpiA(parent.c_str(), shown)) << "the chooser shows " << shown;
    ClickWindow(GetDlgItem(chooser, IDCANCEL));
    ASSERT_TRUE(WaitUntil([chooser] { return !IsWindow(chooser); }, 10000)) << "Cancel did not close the chooser";
    EXPECT_EQ(proposed, ControlText(edit));

    // Enter on the focused Browse presses it; Enter in the chooser confirms.
    ASSERT_TRUE(TabTo(setup_, IDC_BROWSE));
    PressKey(VK_RETURN);
    chooser = WaitForChooser();
    ASSERT_TRUE(chooser) << "Enter on Browse opened no folder chooser";
    ASSERT_TRUE(BringToFront(chooser));
    PressKey(VK_RETURN);
    ASSERT_TRUE(WaitUntil([chooser] { return !IsWindow(chooser); }, 10000)) << "Enter did not confirm the chooser";
    EXPECT_EQ(folder, ControlText(edit));

    WalkToLanguagePage(IDC_DISPLAY_YES);
    ClickInstall();
    FinishSuccessfulInstall(IDCANCEL);
    ExpectExitCode(0);
    EXPECT_TRUE(IsFolder(folder + "\\doc"));
    ExpectInstalled(folder, '0', 0, true);
}

TEST_F(FolderScenario, AnExistingFolderIsWrittenOverAndGetsNoDocFolder)
{
    const std::string folder = Folder("existing", true);
    // Files of an earlier version, with attributes that are not the product's.
    ASSERT_TRUE(WriteWholeFile(InstalledFile(folder, "readme.txt"), "an older readme"));
    SetFileAttributesA(InstalledFile(folder, "readme.txt").c_str(), kReadOnlyHidden);
    ASSERT_TRUE(WriteWholeFile(InstalledFile(folder, "sortord.dic"), "an older sort order"));
    SetFileAttributesA(InstalledFile(folder, "sortord.dic").c_str(), FILE_ATTRIBUTE_READONLY);
    ASSERT_TRUE(WriteWholeFile(InstalledFile(folder, "my notes.txt"), "the user's own"));

    Start();
    InstallInto(folder);
    ShownMessage success = NextMessage(kInstallWait);
    ASSERT_TRUE(success.dialog);
    ExpectMessage(success, kSuccessChinese, kSuccessEnglish, {IDOK});
    ASSERT_TRUE(KeyAnswer(success, VK_RETURN));
    // Enter presses the focused button of a message too: here Cancel of the offer.
    ShownMessage speech = NextMessage();
    ASSERT_TRUE(speech.dialog);
    ASSERT_TRUE(BringToFront(speech.dialog));
    PressKey(VK_TAB);
    ASSERT_TRUE(WaitUntil([&speech] { return FocusedId(speech.dialog) == IDCANCEL; }, 5000));
    ASSERT_TRUE(KeyAnswer(speech, VK_RETURN));
    ExpectExitCode(0);
    EXPECT_FALSE(FileExists(SpeechPackagePath())) << "Enter on Cancel accepted the speech module";
    EXPECT_FALSE(FileExists(folder + "\\doc"));
    EXPECT_EQ("the user's own", ReadWholeFile(InstalledFile(folder, "my notes.txt")));
    ExpectInstalled(folder, '0', 0, true);
}

// A folder too long for the product's file paths, then one whose parent is missing: each
// gets the folder message and leaves the user on the language page; a valid folder then
// installs.
TEST_F(FolderScenario, RefusedFoldersLeaveTheWizardWorkingUntilAValidOneInstalls)
{
    std::string tooLong = Folder("", false);
    tooLong += std::string(240 - tooLong.size(), 'L');
    const std::string missingParent = Folder("missing\\Tovra Editor", false);
    const std::string valid = Folder("valid", false);

    Start();
    ExpectFolderRefused(tooLong, "message-folder-too-long");
    ExpectFolderRefused(missingParent, "message-folder-missing-parent");
    EXPECT_FALSE(IsFolder(Folder("missing", false)));

    InstallInto(valid);
    FinishSuccessfulInstall(IDCANCEL);
    ExpectExitCode(0);
    EXPECT_TRUE(IsFolder(valid + "\\doc"));
    ExpectInstalled(valid, '0', 0, true);
}

} // namespace
