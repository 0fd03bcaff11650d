// A Chinese user of an English Windows: code page 1252, and the user's profile folder named
// 张伟, so that the Desktop, the Start menu and the temporary folder the system gives have
// names the code page can't spell; the machine's common Start menu and desktop too. A
// default install makes every link and the speech package, and the uninstall the
// installed-apps entry names, waited for as a process and nothing more, takes everything
// back.
#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "install/manifest.h"
#include "install/payload_limits.h"
#include "install/shortcut_reader.h"
#include "installed_apps_entry.h"
#include "support/file_reading.h"
#include "test_folder.h"
#include "uninstall_scenario.h"
#include "wide_paths.h"

namespace {

// The folders of pattern in folder, by their full paths.
std::vector<std::wstring> FoldersIn(const std::wstring &folder, const wchar_t *pattern)
{
    std::vector<std::wstring> folders;
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((folder + L"\\" + pattern).c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return folders;
    do
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            folders.push_back(folder + L"\\" + found.cFileName);
    while (FindNextFileW(search, &found));
    FindClose(search);
    return folders;
}

class ForeignProfileScenario : public UninstallScenario {
protected:
    void SetUp() override
    {
        UninstallScenario::SetUp();
        profile_ = L"C:\\users\\\u5f20\u4f1f";
        common_ = L"C:\\users\\Public\\\u516c\u7528";
        for (const std::wstring &folder :
             {profile_, Desktop(), profile_ + L"\\Start Menu", Programs(), Temporary(), common_, CommonDesktop(),
              common_ + L"\\Start Menu", CommonPrograms()})
            CreateDirectoryW(folder.c_str(), nullptr);
        const struct {
            HKEY root;
            const wchar_t *key, *name;
            std::wstring path;
        } redirections[] = {
            {HKEY_CURRENT_USER, kUserShellFolders, L"Desktop", Desktop()},
            {HKEY_CURRENT_USER, kUserShellFolders, L"Programs", Programs()},
            {HKEY_LOCAL_MACHINE, kUserShellFolders, L"Common Desktop", CommonDesktop()},
            {HKEY_LOCAL_MACHINE, kUserShellFolders, L"Common Programs", CommonPrograms()},
            {HKEY_CURRENT_USER, L"Environment", L"TEMP", Temporary()},
            {HKEY_CURRENT_USER, L"Environment", L"TMP", Temporary()},
        };
        for (const auto &redirection : redirections)
            redirected_.emplace_back(
                new RedirectedValue(redirection.root, redirection.key, redirection.name, redirection.path));
        // The program inherits the driver's environment, as it would the user's.
        for (const wchar_t *name : {L"TEMP", L"TMP"}) {
            WCHAR value[MAX_PATH] = L"";
            DWORD length = GetEnvironmentVariableW(name, value, MAX_PATH);
            environment_.push_back(length && length < MAX_PATH ? value : L"");
            SetEnvironmentVariableW(name, Temporary().c_str());
        }
    }
    void TearDown() override
    {
        UninstallScenario::TearDown();
        const wchar_t *names[] = {L"TEMP", L"TMP"};
        for (size_t i = 0; i < environment_.size(); ++i)
            SetEnvironmentVariableW(names[i], environment_[i].empty() ? nullptr : environment_[i].c_str());
        redirected_.clear();
        RemoveWideFolder(profile_);
        RemoveWideFolder(common_);
    }

    std::wstring Desktop() const { return profile_ + L"\\Desktop"; }
    std::wstring Programs() const { return profile_ + L"\\Start Menu\\Programs"; }
    std::wstring Temporary() const { return profile_ + L"\\Temp"; }
    std::wstring CommonDesktop() const { return common_ + L"\\Desktop"; }
    std::wstring CommonPrograms() const { return common_ + L"\\Start Menu\\Programs"; }

    std::wstring Name(int product, int field) const { return Wide(ProductName(product, field, column_)); }
    // Every link an install with desktop icons makes, in the folders where it makes them.
    std::vector<std::wstring> Links(const std::wstring &programs, const std::wstring &desktop) const
    {
        const std::wstring group = programs + L"\\" + Name(kInstalledProduct, kDisplayName);
        return {group + L"\\" + Name(kInstalledProduct, kShortcutName) + L".lnk",
                group + L"\\" + Name(kInstalledProduct, kUninstallName) + L".lnk",
                desktop + L"\\" + Name(kProductNotes, kShortcutName) + L".lnk",
                desktop + L"\\" + Name(kInstalledProduct, kShortcutName) + L".lnk"};
    }

    std::wstring profile_, common_;
    std::vector<std::unique_ptr<RedirectedValue>> redirected_;
    std::vector<std::wstring> environment_;
};

TEST_F(ForeignProfileScenario, EveryLinkAndTheSpeechPackageAndAnUninstallThatCanBeWaitedFor)
{
    ASSERT_EQ(1252u, GetACP()) << "the scenario is an English system's";
    const std::string folder = Folder("Tovra_Editor", false);
    StartWizard();
    ASSERT_TRUE(Checked(Item(IDC_DESKTOP_ICON))) << "the desktop icon is proposed";
    StartedProcesses started(setup_.info.hProcess);
    StartInstallInto(folder);
    ShownMessage success = NextMessage(kInstallWait);
    ExpectMessage(success, kSuccessChinese, kSuccessEnglish, {IDOK});
    ASSERT_TRUE(ClickAnswer(success, IDOK));
    ShownMessage speech = NextMessage();
    ExpectMessage(speech, kSpeechChinese, kSpeechEnglish, {IDOK, IDCANCEL});
    ASSERT_TRUE(ClickAnswer(speech, IDOK));

    // The installer is started on the package in a private folder of the user's own
    // temporary folder, and the wizard ends without a word.
    const std::vector<std::string> programs = started.Wait(kExitWait);
    EXPECT_FALSE(MessageShown(setup_)) << "the wizard told of a failure";
    ExpectExitCode(0);
    for (const std::string &program : programs)
        printf("the wizard started %s\n", program.empty() ? "a program that ended before it was seen" : program.c_str());
    ASSERT_FALSE(programs.empty()) << "the speech module's installer was not started";
    EXPECT_TRUE(programs[0].empty() || IsInstaller(programs[0])) << programs[0];
    const std::vector<std::wstring> packages = FoldersIn(Temporary(), L"TovraSpeech-*");
    ASSERT_EQ(1u, packages.size()) << "private folders in " << Utf8(Temporary());
    const std::wstring package = packages[0] + L"\\" + Wide(TOVRA_SPEECH_PACKAGE_FILE);
    EXPECT_TRUE(WideExists(package)) << Utf8(package);

    // The install is for every user of the machine: its links are in the common folders,
    // none in the user's own, each leading into the install folder.
    for (const std::wstring &link : Links(CommonPrograms(), CommonDesktop()))
        EXPECT_EQ(Wide(folder), ReadShortcutW(link).target.substr(0, folder.size())) << Utf8(link);
    for (const std::wstring &link : Links(Programs(), Desktop()))
        EXPECT_FALSE(WideExists(link)) << Utf8(link);

    const std::string quiet = InstalledAppsText("QuietUninstallString");
    EXPECT_EQ(kAllTakenBack, UninstallQuietly(quiet)) << quiet;
    EXPECT_FALSE(FileExists(folder));
    for (const std::wstring &link : Links(CommonPrograms(), CommonDesktop()))
        EXPECT_FALSE(WideExists(link)) << Utf8(link);
    EXPECT_FALSE(WideExists(CommonPrograms() + L"\\" + Name(kInstalledProduct, kDisplayName)));
    EXPECT_EQ(kMissingValue, InstalledAppsText("DisplayName"));
}

} // namespace
