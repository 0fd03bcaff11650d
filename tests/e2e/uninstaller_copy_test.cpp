// The uninstall with a second program of the same user going for the uninstaller's copy
// in the temporary folder: from the moment the user says OK it tries to put its own
// program in the copy's place, or move the copy away. The uninstall either runs the true
// copy, or refuses and says so; the second program's bytes never run.
#include "install/manifest.h"
#include "installed_apps_entry.h"
#include "support/file_reading.h"
#include "test_folder.h"
#include "temporary_watch.h"
#include "uninstall_scenario.h"

namespace {

const char kNotStartedChinese[] = "无法启动卸载程序，什么也没有删除。";
const char kNotStartedEnglish[] = "The uninstaller could not be started: nothing was removed.";

// The second program: tries to write its own program over each copy that shows up in a new
// private folder, and to move the copy away.
class CopyAttack {
public:
    explicit CopyAttack(HANDLE uninstaller)
        : swapped_(ReadWholeFile(SWAPPED_COPY)),
          watch_(uninstaller, "TovraUninstall-*", [this](const std::string &folder) {
              Attack(folder + "\\" + ProductName(kInstalledProduct, kUninstallerFile, 0));
          })
    {
    }
    void Stop() { watch_.Stop(); }
    // Read once stopped.
    int Refused() const { return refused_; }
    int Changed() const { return changed_; }
    bool HasSwappedProgram() const { return !swapped_.empty(); }

private:
    void Attack(const std::string &copy)
    {
        if (!FileExists(copy))
            return;
        HANDLE file = CreateFileA(copy.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                  nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        bool writeRefused = file == INVALID_HANDLE_VALUE && GetLastError() == ERROR_SHARING_VIOLATION;
        if (file != INVALID_HANDLE_VALUE) {
            DWORD written = 0;
            WriteFile(file, swapped_.data(), DWORD(swapped_.size()), &written, nullptr);
            SetEndOfFile(file);
            CloseHandle(file);
            ++changed_;
        }
        bool moved = MoveFileExA(copy.c_str(), (copy + ".away").c_str(), 0) != 0;
        if (moved) {
            ++changed_;
            CopyFileA(SWAPPED_COPY, copy.c_str(), TRUE);
        }
        refused_ += writeRefused && !moved && GetLastError() == ERROR_SHARING_VIOLATION;
    }

    const std::string swapped_;
    int refused_ = 0, changed_ = 0;
    // Last: the watch calls Attack from its thread as soon as it is made.
    TemporaryWatch watch_;
};

class UninstallerCopyScenario : public UninstallScenario {};

TEST_F(UninstallerCopyScenario, ASecondProgramNeverGetsItsBytesRunInPlaceOfTheCopy)
{
    DeleteFileA(SWAPPED_COPY_MARK);
    const std::string folder = Folder("Tovra_Editor", false);
    Install(folder);

    ASSERT_TRUE(StartCommand(&uninstaller_, InstalledAppsText("UninstallString")));
    ShownMessage question;
    ASSERT_TRUE(WaitForMessage(&uninstaller_, &question, kPageWait)) << "the uninstaller asks nothing";
    CopyAttack attack(uninstaller_.info.hProcess);
    ASSERT_TRUE(attack.HasSwappedProgram());
    ASSERT_TRUE(ClickAnswer(question, IDOK));

    // Either the copy reports, or the uninstaller itself says it could not start one.
    SetupProcess *from = nullptr;
    WaitUntil(
        [&] {
            if (MessageShown(uninstaller_))
                from = &uninstaller_;
            else if ((copy_.info.hProcess || FindCopy(uninstaller_, &copy_, 0)) && MessageShown(copy_))
                from = &copy_;
            return from != nullptr || HasEnded(uninstaller_);
        },
        kInstallWait);
    ShownMessage shown;
    if (from)
        WaitForMessage(from, &shown, kPageWait);
    attack.Stop();
    printf("%d attempts refused for sharing, %d changed the copy; %s\n", attack.Refused(), attack.Changed(),
           from == &copy_ ? "the copy reported" : "the uninstaller refused");
    ASSERT_TRUE(from) << "neither a report nor a refusal came";
    if (from == &copy_) {
        EXPECT_EQ("拓沃智能编辑器已经卸载。", shown.chinese) << shown.english;
        EXPECT_GT(attack.Refused(), 0) << "the second program never met the copy while it was kept";
        CloseReport(shown, kAllTakenBack);
        EXPECT_FALSE(FileExists(folder));
    } else {
        ExpectMessage(shown, kNotStartedChinese, kNotStartedEnglish, {IDOK});
        EXPECT_GT(attack.Changed(), 0) << "the uninstaller refused a copy nobody changed";
        ASSERT_TRUE(ClickAnswer(shown, IDOK));
        EXPECT_EQ(kNothingDone, WaitForExit(&uninstaller_, kExitWait));
        EXPECT_TRUE(FileExists(folder + "\\" + ProductName(kInstalledProduct, kUninstallerFile, 0)));
    }
    EXPECT_FALSE(FileExists(SWAPPED_COPY_MARK)) << "the second program's bytes were run";
}

} // namespace
