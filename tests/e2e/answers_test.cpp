// The user's answers as the installed product sees them: the display check and the
// language in the settings file, the old word base kept or replaced. (The speech module
// accepted: speech_package_test.cpp.)
#include <map>

#include "scenario.h"
#include "support/caller_line.h"
#include "support/file_reading.h"
#include "test_folder.h"

namespace {

class AnswersScenario : public SetupScenario {
protected:
    // Starts the program and installs into folder once more, up to the question about
    // the old word base.
    ShownMessage WordBaseQuestion_(const char *file, int line, const std::string &folder)
    {
        CallerLine caller(file, line);
        StartWizard();
        StartInstallInto(folder);
        ShownMessage question = NextMessage(kInstallWait);
        if (question.dialog)
            ExpectMessage(question, kWordBaseChinese, kWordBaseEnglish, {IDYES, IDNO});
        return question;
    }
};
#define WordBaseQuestion(...) WordBaseQuestion_(__FILE__, __LINE__, __VA_ARGS__)

TEST_F(AnswersScenario, DisplayAnswerNoAndTraditionalChineseReachTheSettingsWithoutDesktopIcons)
{
    const std::string folder = Folder("traditional", false);
    StartWizard();
    TypeFolder(std::wstring(folder.begin(), folder.end()));
    ClickWindow(Item(IDC_DESKTOP_ICON));
    ASSERT_TRUE(WaitUntil([this] { return !Checked(Item(IDC_DESKTOP_ICON)); }, 5000));
    ClickNext(1);
    ClickWindow(Item(IDC_DISPLAY_NO));
    ASSERT_TRUE(WaitUntil([this] { return Checked(Item(IDC_DISPLAY_NO)); }, 5000));
    EXPECT_FALSE(Checked(Item(IDC_DISPLAY_YES)));
    ClickNext(2);
    ClickNext(3);
    ChooseLanguageByClick(2);
    Picture(&setup_, "page3-traditional-chosen");
    ClickInstall();
    FinishSuccessfulInstall(IDCANCEL);
    ExpectExitCode(0);

    SCOPED_TRACE("installed in " + folder);
    ExpectManifestInstalled(folder, '1', 2);
    ExpectSettings(folder, '1', 2);
    ExpectProgramGroup(folder, column_);
    ExpectNoDesktopShortcuts(column_);
    ExpectRegistration(folder, classes_);
}

// The user's word base: the three files a user's own words live in, grown past what the
// product ships (the index's first byte has its top bit set).
const char *const kWordBaseFiles[] = {"CiZuFlat.igb", "pycizudic.idx", "py2_3ZiCi1stZuMu.idx"};

TEST_F(AnswersScenario, ASecondInstallKeepsTheOldWordBaseOnNoAndReplacesItOnYes)
{
    const std::string folder = Folder("word base", false);
    StartWizard();
    StartInstallInto(folder);
    FinishSuccessfulInstall(IDCANCEL);
    ExpectExitCode(0);
    EndSetup(&setup_);

    std::map<std::string, std::string> userFiles;
    for (const char *name : kWordBaseFiles) {
        userFiles[name] = std::string("\xC1 the user's own words in ") + name;
        ASSERT_TRUE(WriteWholeFile(InstalledFile(folder, name), userFiles[name]));
    }
    // Stale numbered copies of a dictionary go; a name outside the numbering stays.
    ASSERT_TRUE(WriteWholeFile(InstalledFile(folder, "pykeys.dic0101"), "stale"));
    SetFileAttributesA(InstalledFile(folder, "pykeys.dic0101").c_str(), kReadOnlyHidden);
    ASSERT_TRUE(WriteWholeFile(InstalledFile(folder, "pykeys.dic0000"), "not a copy"));

    {
        SCOPED_TRACE("answered No");
        ShownMessage question = WordBaseQuestion(folder);
        ASSERT_TRUE(question.dialog);
        Picture(&setup_, "message-old-word-base");
        ASSERT_TRUE(ClickAnswer(question, IDNO));
        FinishSuccessfulInstall(IDCANCEL);
        ExpectExitCode(0);
        EndSetup(&setup_);
        for (const char *name : kWordBaseFiles)
            EXPECT_EQ(userFiles[name], ReadWholeFile(InstalledFile(folder, name))) << name;
        EXPECT_FALSE(FileExists(InstalledFile(folder, "pykeys.dic0101")));
        EXPECT_EQ("not a copy", ReadWholeFile(InstalledFile(folder, "pykeys.dic0000")));
        ExpectManifestInstalled(folder, '0', 0, std::set<std::string>(std::begin(kWordBaseFiles), std::end(kWordBaseFiles)));
    }
    {
        SCOPED_TRACE("answered Yes, by Enter on the focused Yes");
        ShownMessage question = WordBaseQuestion(folder);
        ASSERT_TRUE(question.dialog);
        EXPECT_EQ(IDYES, question.focus);
        ASSERT_TRUE(KeyAnswer(question, VK_RETURN));
        FinishSuccessfulInstall(IDCANCEL);
        ExpectExitCode(0);
        ExpectInstalled(folder, '0', 0, true);
    }
}

} // namespace
