// Files of an earlier install that another program holds open while the wizard installs
// over them: the user is asked by the file's name, and tries again or gives the file up.
#include "earlier_install.h"
#include "gb2312_text.h"
#include "scenario.h"
#include "support/caller_line.h"
#include "test_folder.h"

namespace {

// Reports a failure at the test's line as well as its own.
#define AnswerInUseQuestion(...) AnswerInUseQuestion_(__FILE__, __LINE__, __VA_ARGS__)

class FileInUseScenario : public SetupScenario {
protected:
    // The question for fileName, answered with answer after whileShown has run.
    void AnswerInUseQuestion_(const char *file, int line, const char *fileName, int answer, HANDLE letGo = nullptr)
    {
        CallerLine caller(file, line);
        SCOPED_TRACE(std::string("the question for ") + fileName);
        ShownMessage question = NextMessage(kInstallWait);
        ASSERT_TRUE(question.dialog);
        ExpectMessage(question, InUseChinese(fileName), InUseEnglish(fileName), {IDOK, IDCANCEL});
        EXPECT_TRUE(AllInGb2312(question.chinese));
        Picture(&setup_, (std::string("message-in-use-") + fileName).c_str());
        if (letGo)
            CloseHandle(letGo);
        ASSERT_TRUE(ClickAnswer(question, answer));
    }
};

TEST_F(FileInUseScenario, AFileInUseIsAskedForByNameThenTriedAgainOrGivenUp)
{
    const std::string folder = Folder("in use", true);
    PlantEarlierInstall(folder);
    const FolderState before = StateOf(folder);
    {
        SCOPED_TRACE("the notes application held and given up: a required file, the install rolls back");
        HANDLE notes = HoldFile(folder + "\\Vardel.exe");
        ASSERT_NE(INVALID_HANDLE_VALUE, notes);
        StartWizard();
        StartInstallInto(folder);
        AnswerInUseQuestion("Vardel.exe", IDCANCEL);
        ShownMessage failure = NextMessage(kInstallWait);
        ASSERT_TRUE(failure.dialog);
        ExpectMessage(failure, kFailureChinese, kFailureEnglish, {IDOK});
        ASSERT_TRUE(ClickAnswer(failure, IDOK));
        ExpectExitCode(2);
        EndSetup(&setup_);
        CloseHandle(notes);
        ExpectFolderAsBefore(folder, before);
        ExpectNoShortcuts(column_);
        ExpectNoRegistration();
    }
    if (HasFatalFailure())
        return;
    {
        SCOPED_TRACE("the editor let go before OK; the pinyin server held and given up: an optional file stays");
        HANDLE editor = HoldFile(folder + "\\TVREdit.exe");
        HANDLE server = HoldFile(folder + "\\DeVud.exe");
        ASSERT_NE(INVALID_HANDLE_VALUE, editor);
        ASSERT_NE(INVALID_HANDLE_VALUE, server);
        StartWizard();
        StartInstallInto(folder);
        AnswerInUseQuestion("TVREdit.exe", IDOK, editor);
        AnswerInUseQuestion("DeVud.exe", IDCANCEL);
        FinishSuccessfulInstall(IDCANCEL);
        ExpectExitCode(0);
        EndSetup(&setup_);
        CloseHandle(server);

        ExpectManifestInstalled(folder, '0', 0, {"DeVud.exe"});
        FolderState after = StateOf(folder);
        EXPECT_TRUE(after["DeVud.exe"] == before.at("DeVud.exe")) << "the pinyin server given up is not as it was";
        EXPECT_TRUE(StrayCopies(folder).empty()) << StrayCopies(folder).front();
        ExpectProgramGroup(folder, column_);
    }
}

} // namespace
