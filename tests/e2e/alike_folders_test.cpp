// Two installs whose folders begin alike, C:\...\Tovra and C:\...\Tovra_Editor2: the
// uninstall of the one that is not registered last takes only what names its own folder
// as a whole, and the other keeps its classes, its .rtf association, its program group
// and its installed-apps entry.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "install/manifest.h"
#include "scenario.h"
#include "support/caller_line.h"
#include "test_folder.h"

namespace {

// The uninstaller ended with items left: the other install's keys and shortcuts.
const int kUninstalledWithItemsLeft = 3;

// Whether a child of the uninstaller is the copy it started to do the removing: named as
// the uninstaller, or by a temporary name that begins "tvu".
bool IsUninstallerCopy(const std::string &program)
{
    return _strnicmp(program.c_str(), "tvu", 3) == 0 ||
           _stricmp(program.c_str(), ProductName(kInstalledProduct, kUninstallerFile, 0)) == 0;
}

#define InstallInto(...) InstallInto_(__FILE__, __LINE__, __VA_ARGS__)

class AlikeFoldersScenario : public SetupScenario {
protected:
    void InstallInto_(const char *file, int line, const std::string &folder)
    {
        CallerLine caller(file, line);
        StartWizard();
        StartInstallInto(folder);
        FinishSuccessfulInstall(IDCANCEL);
        ExpectExitCode(0);
        EndSetup(&setup_);
    }
    // Runs an install's uninstaller as a package manager does, asking nothing, and waits
    // until it and its copy have ended; the uninstaller's exit code, -1 when it did not end.
    int UninstallQuietly(const std::string &folder)
    {
        std::string line = "\"" + folder + "\\" + ProductName(kInstalledProduct, kUninstallerFile, 0) + "\" /quiet";
        STARTUPINFOA startup = {};
        startup.cb = sizeof startup;
        SetupProcess uninstaller;
        if (!CreateProcessA(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                            &uninstaller.info)) {
            ADD_FAILURE() << "cannot start " << line << " (error " << GetLastError() << ")";
            return -1;
        }
        int code = WaitForExit(&uninstaller, kInstallWait);
        for (const auto &child : ChildrenOf(uninstaller.info.dwProcessId)) {
            if (!IsUninstallerCopy(child.second))
                continue;
            HANDLE copy = OpenProcess(SYNCHRONIZE, FALSE, child.first);
            if (copy) {
                EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(copy, ScaledWait(kInstallWait))) << child.second;
                CloseHandle(copy);
            }
        }
        EndSetup(&uninstaller);
        return code;
    }
    // Installs first and then second, uninstalls first: second keeps what it registered.
    void UninstallTheEarlierOf(const std::string &first, const std::string &second)
    {
        InstallInto(first);
        InstallInto(second);
        ExpectRegistration(second, classes_);
        ASSERT_EQ(kUninstalledWithItemsLeft, UninstallQuietly(first));

        EXPECT_FALSE(FileExists(first));
        EXPECT_TRUE(FileExists(second + "\\TVREdit.exe"));
        ExpectRegistration(second, classes_);
        ExpectInstalledAppsEntry(second, column_);
        ExpectProgramGroup(second, column_);
    }
};

TEST_F(AlikeFoldersScenario, TheFolderWhoseNameBeginsTheOthersIsUninstalledAlone)
{
    UninstallTheEarlierOf(Folder("Tovra", false), Folder("Tovra_Editor2", false));
}

TEST_F(AlikeFoldersScenario, TheFolderWhoseNameExtendsTheOthersIsUninstalledAlone)
{
    UninstallTheEarlierOf(Folder("Tovra_Editor2", false), Folder("Tovra", false));
}

} // namespace
