// The uninstall with a second program of the same user going for the uninstaller's copy
// in the temporary folder: from the moment the user says OK it tries to put its own
// program in the copy's place, or move the copy away. The uninstall either runs the true
// copy, or refuses and says so; the second program's bytes never run.
#include <atomic>
#include <set>
#include <thread>
#include <vector>

#include "install/manifest.h"
#include "installed_apps_entry.h"
#include "support/file_reading.h"
#include "test_folder.h"
#include "uninstall_scenario.h"

namespace {

const char kNotStartedChinese[] = "无法启动卸载程序，什么也没有删除。";
const char kNotStartedEnglish[] = "The uninstaller could not be started: nothing was removed.";

std::string TemporaryFolder()
{
    char temporary[MAX_PATH] = "";
    DWORD length = GetTempPathA(MAX_PATH, temporary);
    return length > 0 && length < MAX_PATH ? temporary : "";
}

// The uninstaller's private folders in the temporary folder.
std::set<std::string> CopyFolders()
{
    std::set<std::string> folders;
    const std::string temporary = TemporaryFolder();
    for (const std::string &name : NamesIn(temporary.substr(0, temporary.size() - 1), "TovraUninstall-*"))
        folders.insert(temporary + name);
    return folders;
}

// The second program: tries, on every change in the temporary folder and every 10 ms
// besides, to write its own program over each copy that shows up in a new private folder,
// and to move the copy away.
class CopyAttack {
public:
    explicit CopyAttack(HANDLE uninstaller)
        : uninstaller_(uninstaller), earlier_(CopyFolders()), swapped_(ReadWholeFile(SWAPPED_COPY)),
          thread_([this] { Run(); })
    {
    }
    ~CopyAttack() { Stop(); }
    void Stop()
    {
        stop_ = true;
        if (thread_.joinable())
            thread_.join();
    }
    // Read once stopped.
    int Refused() const { return refused_; }
    int Changed() const { return changed_; }
    bool HasSwappedProgram() const { return !swapped_.empty(); }

private:
    void Run()
    {
        const std::string temporary = TemporaryFolder();
        HANDLE change = FindFirstChangeNotificationA(temporary.c_str(), TRUE,
                                                     FILE_NOTIFY_CHANGE_FILE_NAME | FILE_NOTIFY_CHANGE_DIR_NAME |
                                                         FILE_NOTIFY_CHANGE_SIZE | FILE_NOTIFY_CHANGE_LAST_WRITE);
        const std::string name = ProductName(kInstalledProduct, kUninstallerFile, 0);
        while (!stop_) {
            for (const std::string &folder : CopyFolders())
                if (!earlier_.count(folder))
                    Attack(folder + "\\" + name);
            HANDLE waits[2] = {uninstaller_, change};
            DWORD woken = WaitForMultipleObjects(change != INVALID_HANDLE_VALUE ? 2 : 1, waits, FALSE, 10);
            if (woken == WAIT_OBJECT_0)
                break;
            if (woken == WAIT_OBJECT_0 + 1)
                FindNextChangeNotification(change);
        }
        if (change != INVALID_HANDLE_VALUE)
            FindCloseChangeNotification(change);
    }

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

    HANDLE uninstaller_;
    const std::set<std::string> earlier_;
    const std::string swapped_;
    std::atomic<bool> stop_{false};
    int refused_ = 0, changed_ = 0;
    std::thread thread_;
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
