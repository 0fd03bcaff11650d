// The speech module accepted, with a second program of the same user going for its
// package: the package goes into a new folder of its own in the temporary folder, and the
// installer opens exactly the product's package or, when the second program changed it
// before the wizard kept it, is not started at all.
#include <set>
#include <vector>

#include "install/payload_limits.h"
#include "scenario.h"
#include "temporary_watch.h"
#include "support/file_reading.h"
#include "test_folder.h"

namespace {

const char kSpeechNotStartedChinese[] = "语音模块的安装程序无法启动。";
const char kSpeechNotStartedEnglish[] = "The speech module's installer could not be started.";

std::string Lower(std::string text)
{
    CharLowerBuffA(&text[0], DWORD(text.size()));
    return text;
}

ULONGLONG Now()
{
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    return (ULONGLONG(now.dwHighDateTime) << 32) | now.dwLowDateTime;
}

// When process started, in the units of Now(); 0 when the system doesn't say.
ULONGLONG StartOf(HANDLE process)
{
    FILETIME created = {}, ended, kernel, user;
    bool known = process && GetProcessTimes(process, &created, &ended, &kernel, &user);
    return known ? (ULONGLONG(created.dwHighDateTime) << 32) | created.dwLowDateTime : 0;
}

// What became of a process: "running", or the code it ended with.
std::string StateOf(HANDLE process)
{
    DWORD code = 0;
    if (!process || !GetExitCodeProcess(process, &code))
        return "unknown";
    return code == STILL_ACTIVE ? "running" : "ended with " + std::to_string(code);
}

// The second program: from the moment the user accepts the offer until it is stopped or
// the wizard has ended, it tries to write into, and to move away, every package that
// shows up in a new folder of the wizard's own (an earlier run's is no longer kept).
class PackageAttack {
public:
    struct Attempt {
        ULONGLONG started;
        bool changed;       // the package was written or moved away
        bool refused;       // both were refused for sharing
    };

    explicit PackageAttack(HANDLE wizard)
        : watch_(wizard, "TovraSpeech-*", [this](const std::string &folder) {
              Attack(folder + "\\" + TOVRA_SPEECH_PACKAGE_FILE);
          })
    {
    }
    void Stop() { watch_.Stop(); }
    // Read once stopped.
    const std::vector<Attempt> &Attempts() const { return attempts_; }
    const std::set<std::string> &Packages() const { return packages_; }

private:
    void Attack(const std::string &package)
    {
        if (!FileExists(package))
            return;
        packages_.insert(package);
        Attempt attempt = {Now(), false, false};
        HANDLE file = CreateFileA(package.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                  nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        bool writeRefused = file == INVALID_HANDLE_VALUE && GetLastError() == ERROR_SHARING_VIOLATION;
        if (file != INVALID_HANDLE_VALUE) {
            DWORD written = 0;
            WriteFile(file, "somebody else's package", 23, &written, nullptr);
            CloseHandle(file);
            attempt.changed = true;
        }
        bool moved = MoveFileExA(package.c_str(), (package + ".away").c_str(), 0) != 0;
        bool moveRefused = !moved && GetLastError() == ERROR_SHARING_VIOLATION;
        attempt.changed = attempt.changed || moved;
        attempt.refused = writeRefused && moveRefused;
        attempts_.push_back(attempt);
    }

    std::vector<Attempt> attempts_;
    std::set<std::string> packages_;
    // Last: the watch calls Attack from its thread as soon as it is made.
    TemporaryWatch watch_;
};

class SpeechModuleScenario : public SetupScenario {
protected:
    // One install into folder whose speech-module offer is accepted while the attack
    // runs. Gives the package the wizard wrote, after checking it: the one the installer
    // was started on, or (installerRan false) one refused and taken away again.
    std::string InstallAndAcceptTheSpeechModule(const std::string &folder, bool *installerRan)
    {
        // A second run finds the first run's registration; the checks start from it.
        const ClassesBefore before = NoteClasses();
        StartWizard();
        StartInstallInto(folder);
        ShownMessage success = NextMessage(kInstallWait);
        EXPECT_TRUE(success.dialog && ClickAnswer(success, IDOK));
        ShownMessage speech = NextMessage();
        EXPECT_TRUE(speech.dialog);
        if (HasFailure())
            return "";
        ExpectMessage(speech, kSpeechChinese, kSpeechEnglish, {IDOK, IDCANCEL});

        std::string installerCommand, names, installerState;
        DWORD installer = 0;
        // Held from the moment the installer is seen: the sample package installs in a few
        // seconds, and its start time must stay known after it has ended.
        HANDLE installerProcess = nullptr;
        ULONGLONG installerStarted = 0;
        PackageAttack attack(setup_.info.hProcess);
        StartedProcesses starting(setup_.info.hProcess);
        EXPECT_TRUE(ClickAnswer(speech, IDOK));
        // The wizard waits for the installer to start, not to finish. The system reports
        // each process the wizard starts as it starts, however soon it ends; the installer
        // is the one named so (Wine's desktop process may be started too), or the wizard
        // ends without one, or tells that it could not start one.
        std::set<std::string> started;
        WaitUntil(
            [&] {
                for (DWORD process; !installer && (process = starting.Next(10)) != 0;) {
                    const std::map<DWORD, std::string> children = ChildrenOf(setup_.info.dwProcessId);
                    auto child = children.find(process);
                    started.insert(child != children.end() ? child->second : "?");
                    if (child != children.end() && IsInstaller(child->second)) {
                        installer = process;
                        installerProcess =
                            OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION | SYNCHRONIZE, FALSE, installer);
                        installerCommand = CommandLineOf(installer);
                    }
                }
                return installer != 0 || HasEnded(setup_) || MessageShown(setup_);
            },
            kExitWait);
        attack.Stop();
        // A package changed before it was kept starts nothing, and the user is told.
        ShownMessage notStarted;
        if (!installer && MessageShown(setup_) && WaitForMessage(&setup_, &notStarted, kPageWait)) {
            ExpectMessage(notStarted, kSpeechNotStartedChinese, kSpeechNotStartedEnglish, {IDOK});
            EXPECT_TRUE(ClickAnswer(notStarted, IDOK));
        }
        for (const std::string &name : started)
            names += " " + name;
        if (installer) {
            // Under Wine a new process sets up its own block of parameters as it starts, so
            // the snapshot may show it before its command line can be read.
            WaitUntil([&] { return !installerCommand.empty() || !(installerCommand = CommandLineOf(installer)).empty(); },
                      kPageWait);
            installerStarted = StartOf(installerProcess);
            installerState = StateOf(installerProcess);
            StopProcessTree(installer);
            if (installerProcess)
                CloseHandle(installerProcess);
        }
        ExpectExitCode(0);
        EndSetup(&setup_);

        const std::set<std::string> &packages = attack.Packages();
        EXPECT_EQ(1u, packages.size()) << "packages in folders of the wizard's own";
        if (packages.size() != 1)
            return "";
        const std::string package = *packages.begin();
        int refused = 0, changedBeforeInstaller = 0;
        for (const PackageAttack::Attempt &attempt : attack.Attempts()) {
            refused += attempt.refused;
            changedBeforeInstaller += attempt.changed && (!installerStarted || attempt.started < installerStarted);
        }
        printf("%zu attempts on the package, %d refused for sharing, %d changed it; installer %s\n",
               attack.Attempts().size(), refused, changedBeforeInstaller, installer ? "started" : "not started");
        if (installer) {
            // Every attempt before the installer started must have failed; one refused for
            // sharing shows that the second program met the package while it was kept.
            EXPECT_GT(refused, 0) << "the second program never met " << package << " while it was kept";
            EXPECT_EQ(0, changedBeforeInstaller) << "the installer was started on a package that " << package
                                                 << " had been changed or moved before";
            EXPECT_NE(std::string::npos, Lower(installerCommand).find(Lower(package)))
                << "the installer was started with " << installerCommand << " (" << installerState << ")";
            std::string bytes = ReadWholeFile(package);
            EXPECT_TRUE(bytes == ReadWholeFile(ProductFile(TOVRA_SPEECH_PACKAGE_FILE)))
                << package << " is not the product's package (" << bytes.size() << " bytes)";
        } else {
            // Between the end of its write and the opening of the handle that keeps it, the
            // package is held by nobody: no sharing mode can turn a writing handle into a
            // reading one. A second program that gets in there changes it, and the wizard,
            // which compares what it keeps with what it wrote, must then start nothing.
            EXPECT_GT(changedBeforeInstaller, 0)
                << "no installer was started, yet nobody changed the package; the wizard started:" << names;
        }
        SCOPED_TRACE("installed in " + folder);
        ExpectManifestInstalled(folder, '0', 0);
        ExpectRegistration(folder, before);
        *installerRan = installer != 0;
        return package;
    }
};

TEST_F(SpeechModuleScenario, EachRunWritesThePackageIntoAFolderOfItsOwnThatNobodyElseCanChange)
{
    // Somebody else's file waits where the package once went, held open by its program
    // with every kind of sharing.
    const std::string planted = "somebody else's package at the old name";
    ASSERT_TRUE(WriteWholeFile(OldSpeechPackagePath(), planted));
    HANDLE held = CreateFileA(OldSpeechPackagePath().c_str(), GENERIC_READ | GENERIC_WRITE,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, held);

    std::string first, second;
    bool firstStarted = false, secondStarted = false;
    {
        SCOPED_TRACE("first run");
        first = InstallAndAcceptTheSpeechModule(Folder("speech one", false), &firstStarted);
    }
    {
        SCOPED_TRACE("second run");
        second = InstallAndAcceptTheSpeechModule(Folder("speech two", false), &secondStarted);
    }
    CloseHandle(held);

    EXPECT_FALSE(first.empty() || second.empty());
    EXPECT_NE(first.substr(0, first.rfind('\\')), second.substr(0, second.rfind('\\')))
        << "two runs wrote into one folder";
    // A package the installer was started on stays for it; a refused one is taken away
    // (what the second program moved aside is its own).
    EXPECT_EQ(firstStarted, FileExists(first)) << first;
    EXPECT_EQ(secondStarted, FileExists(second)) << second;
    EXPECT_TRUE(ReadWholeFile(OldSpeechPackagePath()) == planted) << "the file at the old name was overwritten";
}

} // namespace
