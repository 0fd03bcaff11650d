// The program on simplified and traditional Chinese systems: the program group and the
// shortcuts take the names of the system's own script, and a folder may carry Chinese
// characters or blanks. Each runs under its own LANG, which sets Wine's ANSI code page
// for the driver and the program alike.
#include "scenario.h"
#include "test_folder.h"

namespace {

class ChineseSystemScenario : public SetupScenario {
protected:
    // The language by keyboard: Tab to the list and Down to the entry.
    void ChooseLanguageByKeys(int position)
    {
        ASSERT_TRUE(TabTo(setup_, IDC_LANGUAGE_LIST));
        HWND list = Item(IDC_LANGUAGE_LIST);
        for (int i = 0; i < position; ++i)
            PressKey(VK_DOWN);
        ASSERT_TRUE(WaitUntil(
            [list, position] {
                DWORD_PTR selected = 0;
                SendMessageTimeoutA(list, CB_GETCURSEL, 0, 0, SMTO_ABORTIFHUNG, 5000, &selected);
                return static_cast<int>(selected) == position;
            },
            5000));
    }

    std::wstring Wide(const std::string &text)
    {
        wchar_t wide[MAX_PATH] = L"";
        MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, wide, MAX_PATH);
        return wide;
    }

    std::string Narrow(const std::wstring &text)
    {
        char narrow[MAX_PATH] = "";
        WideCharToMultiByte(CP_ACP, 0, text.c_str(), -1, narrow, MAX_PATH, nullptr, nullptr);
        return narrow;
    }

    void InstallWithLanguage(int language)
    {
        WalkToLanguagePage(IDC_DISPLAY_YES);
        ChooseLanguageByKeys(language);
        ClickInstall();
        FinishSuccessfulInstall(IDCANCEL);
        ExpectExitCode(0);
    }

    // Names whose last character ends in the byte of a backslash in the system's code
    // page: the chooser standing in a folder of chooserName proposes the product's folder
    // inside it, and a new folder installName gets its "doc" folder inside it, not beside.
    void KeepNamesInsideFoldersEndingIn5C(const std::wstring &chooserName, const std::wstring &installName,
                                          int language)
    {
        for (const std::wstring &name : {chooserName, installName})
            ASSERT_EQ('\x5C', Narrow(name).back()) << "not a name for this code page: " << Narrow(name);
        const std::string chosen = Folder(Narrow(chooserName), true);
        const std::string folder = Folder(Narrow(installName), false);
        StartWizard(chosen.c_str());

        ClickWindow(Item(IDC_BROWSE));
        HWND chooser = WaitForChooser();
        ASSERT_TRUE(chooser) << "Browse opened no folder chooser";
        ASSERT_TRUE(BringToFront(chooser));
        PressKey(VK_RETURN);
        ASSERT_TRUE(WaitUntil([chooser] { return !IsWindow(chooser); }, 10000)) << "Enter did not confirm the chooser";
        EXPECT_EQ(chosen + "\\Tovra_Editor", ControlText(Item(IDC_FOLDER_EDIT)));

        PasteFolder(Wide(folder));
        InstallWithLanguage(language);
        EXPECT_TRUE(FileExists(folder + "\\doc"));
        EXPECT_FALSE(FileExists(folder + "doc")) << "the doc folder stands beside the install folder";
        ExpectInstalled(folder, '0', language, true);
    }
};

class SimplifiedChineseSystem : public ChineseSystemScenario {};

TEST_F(SimplifiedChineseSystem, NamesAreGbkAndTheFolderMayBeChinese)
{
    if (GetACP() != 936)
        GTEST_SKIP() << "runs under LANG=zh_CN.UTF-8 (code page 936)";
    ASSERT_EQ(1, column_);
    const std::string parent = Folder("中文目录", true);
    const std::string folder = parent + "\\编辑器";
    StartWizard();
    // Wine hands a typed Chinese character to an ANSI edit as two question marks, so the
    // name is pasted, as a user of a system without that keyboard would.
    PasteFolder(Wide(folder));
    InstallWithLanguage(1);
    EXPECT_TRUE(FileExists(folder + "\\doc"));
    ExpectInstalled(folder, '0', 1, true);
}

// 運 is DF 5C in GBK.
TEST_F(SimplifiedChineseSystem, AFolderEndingInATrailByteOfABackslashKeepsItsNamesInside)
{
    if (GetACP() != 936)
        GTEST_SKIP() << "runs under LANG=zh_CN.UTF-8 (code page 936)";
    KeepNamesInsideFoldersEndingIn5C(L"拓沃運", L"Tovra運", 1);
}

class TraditionalChineseSystem : public ChineseSystemScenario {};

TEST_F(TraditionalChineseSystem, NamesAreBig5AndTheFolderMayHaveBlanks)
{
    if (GetACP() != 950)
        GTEST_SKIP() << "runs under LANG=zh_TW.UTF-8 (code page 950)";
    ASSERT_EQ(2, column_);
    const std::string folder = Folder("Program Files", true) + "\\Tovra Smart Editor";
    StartWizard();
    TypeFolder(Wide(folder));
    InstallWithLanguage(2);
    ExpectInstalled(folder, '0', 2, true);
}

// 功 is A5 5C in Big5.
TEST_F(TraditionalChineseSystem, AFolderEndingInATrailByteOfABackslashKeepsItsNamesInside)
{
    if (GetACP() != 950)
        GTEST_SKIP() << "runs under LANG=zh_TW.UTF-8 (code page 950)";
    KeepNamesInsideFoldersEndingIn5C(L"拓沃功", L"Tovra功", 2);
}

} // namespace
