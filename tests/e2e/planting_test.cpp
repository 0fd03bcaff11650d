// The program started from a download folder into which somebody has planted DLLs under
// the names of system DLLs. Windows looks for a DLL named without a path in the program's
// folder first; under Wine, overrides make it do the same for the planted names
// (native,builtin: the file wherever the search finds it, before Wine's own).
#include <set>
#include <vector>

#include "driver_options.h"
#include "scenario.h"
#include "test_folder.h"

#ifndef PLANTED_DLLS
#define PLANTED_DLLS ""
#endif
#ifndef PLANTING_PROBE
#define PLANTING_PROBE ""
#endif
#ifndef PLANTED_COUNT
#define PLANTED_COUNT 0
#endif

namespace {

// DLLs that Windows 7 and later protect as known DLLs: they, and what they import, come
// from the system folder whatever lies beside the program.
const char *const kKnownDlls[] = {
    "advapi32.dll", "clbcatq.dll", "comdlg32.dll", "gdi32.dll",  "imagehlp.dll", "imm32.dll", "kernel32.dll",
    "msctf.dll",    "msvcrt.dll",  "normaliz.dll", "nsi.dll",    "ole32.dll",    "oleaut32.dll", "psapi.dll",
    "rpcrt4.dll",   "sechost.dll", "setupapi.dll", "shell32.dll", "shlwapi.dll", "user32.dll", "wldap32.dll",
    "ws2_32.dll",
};

const char kMarkSuffix[] = ".loaded";
// The names a browser gives a download that is saved a second time, and the probe's.
const char kDownloadedSetup[] = "TovraSetup (1).exe";
const char kProbe[] = "probe.exe";

std::string Lower(std::string text)
{
    CharLowerBuffA(&text[0], DWORD(text.size()));
    return text;
}

// The planted DLLs that something loaded, by their marks.
std::set<std::string> LoadedFrom(const std::string &folder)
{
    std::set<std::string> loaded;
    for (const std::string &mark : NamesIn(folder, "*.loaded"))
        loaded.insert(Lower(mark.substr(0, mark.size() - strlen(kMarkSuffix))));
    return loaded;
}

std::string Listed(const std::set<std::string> &names)
{
    std::string text;
    for (const std::string &name : names)
        text += " " + name;
    return text.empty() ? " none" : text;
}

// Wine takes a process's WINEDLLOVERRIDES from its own Unix environment, which no Windows
// program can hand to a program it starts; Wine's overrides for one program by its file
// name, in the registry, are the same setting. native,builtin for every planted name.
class NativeFirst {
public:
    NativeFirst(const std::string &program, const std::vector<std::string> &planted)
        : key_("Software\\Wine\\AppDefaults\\" + program)
    {
        RegDeleteTreeA(HKEY_CURRENT_USER, key_.c_str());
        HKEY overrides;
        if (RegCreateKeyExA(HKEY_CURRENT_USER, (key_ + "\\DllOverrides").c_str(), 0, nullptr, 0, KEY_SET_VALUE,
                            nullptr, &overrides, nullptr) != ERROR_SUCCESS)
            return;
        static const char kNativeFirst[] = "native,builtin";
        for (const std::string &file : planted) {
            // Wine names a module without ".dll", and with any other extension.
            std::string name = Lower(file);
            if (name.size() > 4 && name.compare(name.size() - 4, 4, ".dll") == 0)
                name.resize(name.size() - 4);
            set_ = RegSetValueExA(overrides, name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE *>(kNativeFirst),
                                  sizeof kNativeFirst) == ERROR_SUCCESS;
            if (!set_)
                break;
        }
        RegCloseKey(overrides);
    }
    ~NativeFirst() { RegDeleteTreeA(HKEY_CURRENT_USER, key_.c_str()); }
    bool Set() const { return set_; }

private:
    std::string key_;
    bool set_ = false;
};

bool CopyInto(const std::string &file, const std::string &folder, const std::string &name)
{
    return CopyFileA(file.c_str(), (folder + "\\" + name).c_str(), FALSE) != 0;
}

// Runs the probe from folder and waits for it to end.
bool RunProbe(const std::string &folder)
{
    std::string probe = folder + "\\" + kProbe;
    std::string line = "\"" + probe + "\"";
    std::vector<char> command(line.begin(), line.end());
    command.push_back('\0');
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info = {};
    if (!CreateProcessA(probe.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info))
        return false;
    bool ended = WaitUntil([&info] { return WaitForSingleObject(info.hProcess, 0) == WAIT_OBJECT_0; }, 60000);
    if (!ended)
        TerminateProcess(info.hProcess, 1);
    CloseHandle(info.hThread);
    CloseHandle(info.hProcess);
    return ended;
}

class PlantingScenario : public SetupScenario {};

TEST_F(PlantingScenario, NoDllOfTheDownloadFolderIsLoaded)
{
    const std::string downloads = Folder("Downloads", true);
    std::vector<std::string> planted = NamesIn(PLANTED_DLLS, "*.d*");
    ASSERT_EQ(size_t(PLANTED_COUNT), planted.size()) << "planted DLLs in " << PLANTED_DLLS;
    for (const std::string &file : planted)
        ASSERT_TRUE(CopyInto(std::string(PLANTED_DLLS) + "\\" + file, downloads, file)) << file;
    NativeFirst probeOverrides(kProbe, planted), setupOverrides(kDownloadedSetup, planted);
    ASSERT_TRUE(probeOverrides.Set() && setupOverrides.Set()) << "Wine's per-program overrides can't be written";

    // What the system loads by its own imports before any code of a program runs is out
    // of any program's reach (Wine's user32 imports version.dll): those are taken away
    // again, so that the wizard meets only what it could defend itself against.
    ASSERT_TRUE(CopyInto(PLANTING_PROBE, downloads, kProbe));
    ASSERT_TRUE(RunProbe(downloads)) << "the probe did not end";
    std::set<std::string> beforeAnyCode = LoadedFrom(downloads);
    printf("loaded by the system before any code of a program ran:%s\n", Listed(beforeAnyCode).c_str());
    for (const std::string &mark : NamesIn(downloads, "*.loaded"))
        DeleteFileA((downloads + "\\" + mark).c_str());
    for (const std::string &file : beforeAnyCode)
        DeleteFileA((downloads + "\\" + file).c_str());
    ASSERT_EQ(0u, beforeAnyCode.count("comctl32.dll")) << "the common controls can't be planted for the wizard here";
    ASSERT_LT(beforeAnyCode.size() * 4, planted.size()) << "the system itself loads most planted DLLs";

    const std::string copy = downloads + "\\" + kDownloadedSetup;
    ASSERT_TRUE(CopyInto(gOptions.setupProgram, downloads, kDownloadedSetup));
    bool walked = [&] {
        EXPECT_TRUE(StartSetupFrom(&setup_, copy, nullptr))
            << "the wizard did not open from the download folder: " << DescribeProgram(setup_);
        if (HasFailure())
            return false;
        SCOPED_TRACE("walked from the download folder");
        WalkToLanguagePage(IDC_DISPLAY_YES);
        if (HasFailure())
            return false;
        EXPECT_TRUE(ClickWindow(Item(IDCANCEL)));
        EXPECT_EQ(0, WaitForExit(&setup_, kExitWait));
        return !HasFailure();
    }();
    EndSetup(&setup_);

    std::set<std::string> loaded = LoadedFrom(downloads);
    std::set<std::string> unprotected;
    for (const std::string &name : loaded) {
        bool known = false;
        for (const char *dll : kKnownDlls)
            known = known || name == dll;
        if (!known)
            unprotected.insert(name);
    }
    EXPECT_TRUE(unprotected.empty()) << "loaded from the download folder:" << Listed(unprotected);
    EXPECT_TRUE(walked);
}

} // namespace
