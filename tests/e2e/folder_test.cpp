// Where the product goes: a new folder, an existing one, and folders the wizard must
// refuse before it installs anything.
#include <windows.h>
#include <dlgs.h>
#include <string.h>

#include <set>

#include "scenario.h"
#include "support/caller_line.h"
#include "support/file_reading.h"
#include "test_folder.h"

namespace {

// The label where the folder chooser shows its current folder.
const int kChooserFolderLabel = stc1;

// The scenario's own checks report a failure at the scenario's line as well as their own.
#define ExpectLanguagePageWithButtons() ExpectLanguagePageWithButtons_(__FILE__, __LINE__)
#define ExpectFolderRefused(...) ExpectFolderRefused_(__FILE__, __LINE__, __VA_ARGS__)

class FolderScenario : public SetupScenario {
protected:
    bool IsFolder(const std::string &path)
    {
        DWORD attributes = GetFileAttributesA(path.c_str());
        return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
    }


    // The language page after a message that stopped the install, its buttons working.
    void ExpectLanguagePageWithButtons_(const char *file, int line)
    {
        CallerLine caller(file, line);
        ASSERT_TRUE(WaitForPage(setup_, 3));
        for (int id : {IDC_NEXT, IDC_BACK, IDCANCEL})
            EXPECT_TRUE(WaitUntil([this, id] { return Shown(setup_, id) && IsWindowEnabled(Item(id)); }, 5000))
                << "button " << id;
        EXPECT_FALSE(Shown(setup_, IDC_PROGRESS));
    }

    // Install pressed with a folder the wizard must refuse: the folder message, then the
    // language page again with its buttons.
    void ExpectFolderRefused_(const char *file, int line, const std::string &folder, const char *picture)
    {
        CallerLine caller(file, line);
        SCOPED_TRACE("refused folder " + folder);
        StartInstallInto(folder);
        ShownMessage refused = NextMessage(kInstallWait);
        ASSERT_TRUE(refused.dialog);
        ExpectMessage(refused, kFolderChinese, kFolderEnglish, {IDOK});
        Picture(&setup_, picture);
        ASSERT_TRUE(ClickAnswer(refused, IDOK));
        ExpectLanguagePageWithButtons();
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
    StartWizard(parent.c_str());
    HWND edit = Item(IDC_FOLDER_EDIT);
    const std::string proposed = ControlText(edit);

    ClickWindow(Item(IDC_BROWSE));
    HWND chooser = WaitForChooser();
    ASSERT_TRUE(chooser) << "Browse opened no folder chooser";
    Picture(&setup_, "folder-chooser");
    EXPECT_EQ("Choose Destination Directory", WindowText(chooser));
    const std::string shown = WindowText(GetDlgItem(chooser, kChooserFolderLabel));
    EXPECT_EQ(0, lstrcmpiA(parent.c_str(), shown.c_str())) << "the chooser shows " << shown;
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

// A folder that holds an earlier install is written over without a question, even with a
// file of the user's beside it.
TEST_F(FolderScenario, AnExistingFolderIsWrittenOverAndGetsNoDocFolder)
{
    const std::string folder = Folder("existing", true);
    // Files of an earlier version, with attributes that are not the product's.
    ASSERT_TRUE(WriteWholeFile(InstalledFile(folder, "readme.txt"), "an older readme"));
    SetFileAttributesA(InstalledFile(folder, "readme.txt").c_str(), kReadOnlyHidden);
    ASSERT_TRUE(WriteWholeFile(InstalledFile(folder, "sortord.dic"), "an older sort order"));
    SetFileAttributesA(InstalledFile(folder, "sortord.dic").c_str(), FILE_ATTRIBUTE_READONLY);
    ASSERT_TRUE(WriteWholeFile(InstalledFile(folder, "my notes.txt"), "the user's own"));

    StartWizard();
    StartInstallInto(folder);
    ShownMessage success = NextMessage(kInstallWait);
    ASSERT_TRUE(success.dialog);
    ExpectMessage(success, kSuccessChinese, kSuccessEnglish, {IDOK});
    ASSERT_TRUE(KeyAnswer(success, VK_RETURN));
    // Enter presses the focused button of a message too: here Cancel of the offer.
    ShownMessage speech = NextMessage();
    ASSERT_TRUE(speech.dialog);
    ASSERT_TRUE(TabOnceTo(speech.dialog, IDCANCEL));
    ASSERT_TRUE(KeyAnswer(speech, VK_RETURN));
    ExpectExitCode(0);
    EXPECT_TRUE(SpeechPackageFolders().empty()) << "Enter on Cancel accepted the speech module";
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

    StartWizard();
    ExpectFolderRefused(tooLong, "message-folder-too-long");
    ExpectFolderRefused(missingParent, "message-folder-missing-parent");
    EXPECT_FALSE(IsFolder(Folder("missing", false)));

    StartInstallInto(valid);
    FinishSuccessfulInstall(IDCANCEL);
    ExpectExitCode(0);
    EXPECT_TRUE(IsFolder(valid + "\\doc"));
    ExpectInstalled(valid, '0', 0, true);
}

// A text that names no folder from a root, or a name whose blank or dot Windows would
// drop: each gets the folder message and nothing is made, neither where the wizard stands
// nor beside the folder named.
TEST_F(FolderScenario, RelativeFoldersAndNamesEndingInABlankOrADotAreRefused)
{
    const std::string current = Folder("current", true);
    StartWizard(current.c_str());
    ExpectFolderRefused("RelTovra", "message-folder-relative");
    ExpectFolderRefused(Folder("Trail ", false), "message-folder-trailing-blank");
    ExpectFolderRefused(Folder("Trail.", false), "message-folder-trailing-dot");
    EXPECT_EQ(std::set<std::string>(), NameSetIn(current)) << "made in the wizard's folder";
    EXPECT_EQ(std::set<std::string>{"current"}, NameSetIn(Folder("", false)));
    ClickWindow(Item(IDCANCEL));
    ExpectExitCode(0);
}

// A folder of the user's own files gets a question naming it before anything is written:
// No leaves every file as it was and the wizard on the language page, Yes installs.
TEST_F(FolderScenario, AFolderWithTheUsersOwnFilesIsAskedAboutFirst)
{
    const std::string folder = Folder("MyDocs", true);
    const std::string readme = "The user's own readme.\r\n", license = "The user's own licence.\r\n";
    ASSERT_TRUE(WriteWholeFile(InstalledFile(folder, "readme.txt"), readme));
    ASSERT_TRUE(WriteWholeFile(InstalledFile(folder, "license.txt"), license));

    StartWizard();
    StartInstallInto(folder);
    ShownMessage question = NextMessage(kInstallWait);
    ASSERT_TRUE(question.dialog);
    ExpectMessage(question, kUserFilesChinese, (folder + kUserFilesEnglishEnd).c_str(), {IDYES, IDNO});
    Picture(&setup_, "message-folder-with-files");
    ASSERT_TRUE(ClickAnswer(question, IDNO));
    ExpectLanguagePageWithButtons();
    EXPECT_EQ(readme, ReadWholeFile(InstalledFile(folder, "readme.txt")));
    EXPECT_EQ(license, ReadWholeFile(InstalledFile(folder, "license.txt")));
    EXPECT_EQ((std::set<std::string>{"license.txt", "readme.txt"}), NameSetIn(folder));

    ClickInstall();
    ShownMessage again = NextMessage(kInstallWait);
    ASSERT_TRUE(again.dialog);
    ExpectMessage(again, kUserFilesChinese, (folder + kUserFilesEnglishEnd).c_str(), {IDYES, IDNO});
    ASSERT_TRUE(ClickAnswer(again, IDYES));
    FinishSuccessfulInstall(IDCANCEL);
    ExpectExitCode(0);
    EXPECT_FALSE(FileExists(folder + "\\doc"));
    ExpectInstalled(folder, '0', 0, true);
}

} // namespace
