#include "install_checks.h"

#include <gtest/gtest.h>
#include <windows.h>
#include <shlobj.h>

#include "driver_options.h"
#include "install/install_record.h"
#include "install/manifest.h"
#include "install/payload_limits.h"
#include "install/shortcut_reader.h"
#include "installed_apps_entry.h"
#include "temporary_watch.h"
#include "support/caller_line.h"
#include "support/expected_registration.h"
#include "support/file_reading.h"
#include "support/registry_reading.h"
#include "test_folder.h"

namespace {

const DWORD kCheckedAttributes =
    FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_DIRECTORY;
const char kSettingsFile[] = "cendraui.ini";

DWORD AttributesWanted(const ManifestStep &row)
{
    return (row.readOnly ? FILE_ATTRIBUTE_READONLY : 0) | (row.hidden ? FILE_ATTRIBUTE_HIDDEN : 0);
}

std::wstring ShellFolder(int csidl)
{
    WCHAR path[MAX_PATH] = L"";
    SHGetFolderPathW(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path);
    return path;
}

std::wstring GroupShortcut(int column, int field, bool common)
{
    return ProgramGroupFolder(column, common) + L"\\" + Wide(ProductName(kInstalledProduct, field, column)) + L".lnk";
}

void ExpectShortcut(const std::wstring &link, const std::string &target, const std::string &description)
{
    SCOPED_TRACE("shortcut " + Utf8(link));
    LinkFieldsW fields = ReadShortcutW(link);
    ASSERT_TRUE(fields.loaded) << "the shortcut is missing or unreadable";
    EXPECT_EQ(Wide(target), fields.target);
    EXPECT_EQ(Wide(description), fields.description);
    EXPECT_EQ(Wide(target.substr(0, target.rfind('\\'))), fields.workingFolder);
    EXPECT_EQ(Wide(target), fields.iconPath);
    EXPECT_EQ(0, fields.iconIndex);
}

void CopyShortcut(const std::wstring &link, const std::string &destination, const std::string &name)
{
    if (WideExists(link))
        CopyFileW(link.c_str(), Wide(destination + "\\" + name).c_str(), FALSE);
}

const char kInstalledAppsList[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall";

// Lines in UTF-8: a profile's folders may have names the code page can't spell.
void AddFiles(std::set<std::string> *lines, const std::wstring &folder, const std::string &shown)
{
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((folder + L"\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return;
    do {
        const std::wstring name = found.cFileName;
        if (name == L"." || name == L"..")
            continue;
        lines->insert("file " + shown + "\\" + Utf8(name));
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            AddFiles(lines, folder + L"\\" + name, shown + "\\" + Utf8(name));
    } while (FindNextFileW(search, &found));
    FindClose(search);
}

void RemoveShortcutsIn(int column, bool common)
{
    for (int field : {kShortcutName, kUninstallName}) {
        SetFileAttributesW(GroupShortcut(column, field, common).c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileW(GroupShortcut(column, field, common).c_str());
    }
    RemoveDirectoryW(ProgramGroupFolder(column, common).c_str());
    for (int product : kDesktopProducts) {
        SetFileAttributesW(DesktopShortcutPath(product, column, common).c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileW(DesktopShortcutPath(product, column, common).c_str());
    }
}

} // namespace

const int kDesktopProducts[2] = {kProductNotes, kInstalledProduct};

std::wstring ProgramGroupFolder(int column, bool common)
{
    return ShellFolder(common ? CSIDL_COMMON_PROGRAMS : CSIDL_PROGRAMS) + L"\\" +
           Wide(ProductName(kInstalledProduct, kDisplayName, column));
}

std::wstring DesktopShortcutPath(int product, int column, bool common)
{
    return ShellFolder(common ? CSIDL_COMMON_DESKTOPDIRECTORY : CSIDL_DESKTOPDIRECTORY) + L"\\" +
           Wide(ProductName(product, kShortcutName, column)) + L".lnk";
}

std::set<std::string> SystemSnapshot()
{
    std::set<std::string> lines;
    AddRegistryKeyNames(&lines, HKEY_CLASSES_ROOT, "HKCR\\", "");
    AddRegistryKeyNames(&lines, HKEY_CLASSES_ROOT, "HKCR\\CLSID\\", "CLSID");
    for (const char *key : kRegisteredKeys)
        AddRegistryTree(&lines, HKEY_CLASSES_ROOT, "HKCR", key);
    for (const char *key : kRichTextKeys)
        AddRegistryTree(&lines, HKEY_CLASSES_ROOT, "HKCR", key);
    AddRegistryTree(&lines, HKEY_LOCAL_MACHINE, "HKLM", kInstalledAppsList);
    AddRegistryTree(&lines, HKEY_CURRENT_USER, "HKCU", kInstalledAppsList);
    AddFiles(&lines, ShellFolder(CSIDL_PROGRAMS), "Programs");
    AddFiles(&lines, ShellFolder(CSIDL_DESKTOPDIRECTORY), "Desktop");
    AddFiles(&lines, ShellFolder(CSIDL_COMMON_PROGRAMS), "Common Programs");
    AddFiles(&lines, ShellFolder(CSIDL_COMMON_DESKTOPDIRECTORY), "Common Desktop");
    return lines;
}

std::string SnapshotDifference(const std::set<std::string> &before, const std::set<std::string> &after)
{
    std::string difference;
    for (const std::string &line : before)
        if (!after.count(line))
            difference += "\n  gone: " + line;
    for (const std::string &line : after)
        if (!before.count(line))
            difference += "\n  new:  " + line;
    return difference;
}

int SystemNameColumn()
{
    switch (GetACP()) {
    case 936:
        return 1;
    case 950:
        return 2;
    }
    return 0;
}

// The shipped template ends with its "[Config]" section holding "UseBmpFont=0"; the
// update rewrites that value in place and appends the language after two blank lines.
std::string UpdatedSettings(const std::string &shipped, char useBmpFont, int language)
{
    const std::string tail = "[Config]\r\nUseBmpFont=0\r\n\r\n";
    if (shipped.size() < tail.size() || shipped.compare(shipped.size() - tail.size(), tail.size(), tail) != 0)
        return "(the product's settings template does not end in its [Config] section)";
    return shipped.substr(0, shipped.size() - tail.size()) + "[Config]\r\nUseBmpFont=" + useBmpFont +
           "\r\n\r\n\r\nForceLanguage=" + std::to_string(language) + "\r\n";
}

std::string ProductFile(const char *name)
{
    if (!gOptions.uninstaller.empty() && strcmp(name, ProductName(kInstalledProduct, kUninstallerFile, 0)) == 0)
        return gOptions.uninstaller;
    return gOptions.productFiles + "\\" + name;
}

std::string InstalledFile(const std::string &folder, const char *name)
{
    return folder + "\\" + name;
}

void ExpectManifestInstalled_(const char *file, int line, const std::string &folder, char useBmpFont, int language,
                              const std::set<std::string> &skipped)
{
    CallerLine caller(file, line);
    DWORD installed = GetFileAttributesA(folder.c_str());
    ASSERT_TRUE(installed != INVALID_FILE_ATTRIBUTES && (installed & FILE_ATTRIBUTE_DIRECTORY))
        << "no install folder " << folder;
    int rows = 0;
    for (int i = 0; i < kManifestStepCount; ++i) {
        const ManifestStep &row = kManifestSteps[i];
        if (!IsManifestRow(row))
            continue;
        ++rows;
        if (skipped.count(row.fileName))
            continue;
        SCOPED_TRACE(std::string("manifest file ") + row.fileName);
        std::string product, installed;
        ASSERT_TRUE(ReadWholeFile(ProductFile(row.fileName), &product)) << "no product file " << ProductFile(row.fileName);
        if (row.fileName == std::string(kSettingsFile))
            product = UpdatedSettings(product, useBmpFont, language);
        std::string path = InstalledFile(folder, row.fileName);
        if (!ReadWholeFile(path, &installed)) {
            ADD_FAILURE() << "not installed: " << path;
            continue;
        }
        // Whole files are compared without printing them: some are tens of megabytes.
        EXPECT_TRUE(installed == product) << path << " differs from its product file (" << installed.size()
                                          << " bytes installed, " << product.size() << " expected)";
        EXPECT_EQ(AttributesWanted(row), GetFileAttributesA(path.c_str()) & kCheckedAttributes)
            << path << ": read-only 1, hidden 2";
    }
    EXPECT_EQ(124, rows) << "manifest rows";
}

void ExpectSettings_(const char *file, int line, const std::string &folder, char useBmpFont, int language)
{
    CallerLine caller(file, line);
    std::string path = InstalledFile(folder, kSettingsFile);
    char value[64] = "";
    GetPrivateProfileStringA("Config", "UseBmpFont", "(missing)", value, sizeof value, path.c_str());
    EXPECT_EQ(std::string(1, useBmpFont), value) << path;
    GetPrivateProfileStringA("Config", "ForceLanguage", "(missing)", value, sizeof value, path.c_str());
    EXPECT_EQ(std::to_string(language), value) << path;
}

void ExpectProgramGroup_(const char *file, int line, const std::string &folder, int column)
{
    CallerLine caller(file, line);
    DWORD group = GetFileAttributesW(ProgramGroupFolder(column).c_str());
    ASSERT_TRUE(group != INVALID_FILE_ATTRIBUTES && (group & FILE_ATTRIBUTE_DIRECTORY))
        << "no program group " << Utf8(ProgramGroupFolder(column));
    ExpectShortcut(GroupShortcut(column, kShortcutName, true),
                   folder + "\\" + ProductName(kInstalledProduct, kExecutableFile, column),
                   ProductName(kInstalledProduct, kShortcutName, column));
    ExpectShortcut(GroupShortcut(column, kUninstallName, true),
                   folder + "\\" + ProductName(kInstalledProduct, kUninstallerFile, column),
                   ProductName(kInstalledProduct, kUninstallName, column));
}

void ExpectInstalledAppsEntry_(const char *file, int line, const std::string &folder, int column)
{
    CallerLine caller(file, line);
    EXPECT_EQ(ProductName(kInstalledProduct, kShortcutName, column), InstalledAppsText("DisplayName"));
    EXPECT_EQ(folder, InstalledAppsText("InstallLocation"));
    EXPECT_EQ("\"" + folder + "\\" + ProductName(kInstalledProduct, kUninstallerFile, 0) + "\"",
              InstalledAppsText("UninstallString"));
    std::string record = ReadWholeFile(folder + "\\" TOVRA_INSTALL_RECORD_NAME);
    EXPECT_EQ(0u, record.rfind(TOVRA_INSTALL_RECORD_FIRST_LINE "\r\n", 0)) << "no install record";
    EXPECT_NE(std::string::npos, record.find("\tTVREdit.exe\r\n")) << record.substr(0, 200);
}

void ExpectDesktopShortcuts_(const char *file, int line, const std::string &folder, int column)
{
    CallerLine caller(file, line);
    for (int product : kDesktopProducts)
        ExpectShortcut(DesktopShortcutPath(product, column),
                       folder + "\\" + ProductName(product, kExecutableFile, column),
                       ProductName(product, kShortcutName, column));
}

void ExpectNoDesktopShortcuts_(const char *file, int line, int column)
{
    CallerLine caller(file, line);
    for (bool common : {true, false})
        for (int product : kDesktopProducts)
            EXPECT_FALSE(WideExists(DesktopShortcutPath(product, column, common)))
                << Utf8(DesktopShortcutPath(product, column, common));
}

void ExpectNoUserShortcuts_(const char *file, int line, int column)
{
    CallerLine caller(file, line);
    EXPECT_FALSE(WideExists(ProgramGroupFolder(column, false)))
        << Utf8(ProgramGroupFolder(column, false));
    for (int product : kDesktopProducts)
        EXPECT_FALSE(WideExists(DesktopShortcutPath(product, column, false)))
            << Utf8(DesktopShortcutPath(product, column, false));
}

void ExpectNoShortcuts_(const char *file, int line, int column)
{
    CallerLine caller(file, line);
    for (bool common : {true, false})
        EXPECT_FALSE(WideExists(ProgramGroupFolder(column, common)))
            << Utf8(ProgramGroupFolder(column, common));
    ExpectNoDesktopShortcuts(column);
}

ClassesBefore NoteClasses()
{
    ClassesBefore before;
    before.rtfExisted = RegistryKeyExists(HKEY_CLASSES_ROOT, ".rtf");
    before.rtfType = ClassesText(".rtf");
    before.rtfFileExisted = RegistryKeyExists(HKEY_CLASSES_ROOT, "rtffile");
    return before;
}

void ExpectRegistration(const std::string &folder, const ClassesBefore &before)
{
    std::string editor = ShortPath(folder + "\\tvredit.exe");
    std::string server = ShortPath(folder + "\\DeVud.exe");
    ASSERT_FALSE(editor.empty()) << "the editor is not installed";
    ASSERT_FALSE(server.empty()) << "the DeVud server is not installed";

    // Whether the key is gone, or the driver cannot read the classes at all, is told
    // apart by the errors of two opens.
    if (ClassesText("TVREditor.Document") == kMissingValue) {
        HKEY key;
        LONG own = RegOpenKeyExA(HKEY_CLASSES_ROOT, "TVREditor.Document", 0, KEY_READ, &key);
        if (own == ERROR_SUCCESS)
            RegCloseKey(key);
        LONG classes = RegOpenKeyExA(HKEY_CLASSES_ROOT, "CLSID", 0, KEY_READ, &key);
        if (classes == ERROR_SUCCESS)
            RegCloseKey(key);
        ADD_FAILURE() << "no editor type: opening it gave error " << own << ", opening CLSID error " << classes;
    }
    const int cases =
        kEveryInstall | (before.rtfFileExisted ? 0 : kWithoutRtfFile) | (before.rtfExisted ? 0 : kWithoutRtf);
    EXPECT_EQ("", RegistrationDifferences({folder, editor, server}, cases));
}

void ExpectNoRegistration()
{
    for (const char *key : kRegisteredKeys)
        EXPECT_FALSE(RegistryKeyExists(HKEY_CLASSES_ROOT, key)) << key;
}

bool RegistrationWritten()
{
    return RegistryKeyExists(HKEY_CLASSES_ROOT, "DeVud.Document.1\\shell\\printto\\command");
}

void RemoveShellItems(int column)
{
    RemoveShortcutsIn(column, true);
    RemoveShortcutsIn(column, false);
    RemoveRegistration(false);
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, TOVRA_UNINSTALL_KEY);
    RegDeleteKeyA(HKEY_CURRENT_USER, TOVRA_UNINSTALL_KEY);
}

void RestoreClasses(const ClassesBefore &before)
{
    if (!before.rtfExisted)
        RemoveClassesTree(".rtf");
    else if (ClassesText(".rtf") != before.rtfType)
        RegSetValueA(HKEY_CLASSES_ROOT, ".rtf", REG_SZ, before.rtfType.c_str(), 0);
    if (!before.rtfFileExisted)
        RemoveClassesTree("rtffile");
}

void CopyShortcuts(int column, const std::string &destination)
{
    CreateDirectoryA(destination.c_str(), nullptr);
    for (int field : {kShortcutName, kUninstallName})
        CopyShortcut(GroupShortcut(column, field, true), destination,
                     std::string("group-") + ProductName(kInstalledProduct, field, column) + ".lnk");
    for (int product : kDesktopProducts)
        CopyShortcut(DesktopShortcutPath(product, column), destination,
                     std::string("desktop-") + ProductName(product, kShortcutName, column) + ".lnk");
}

std::vector<std::string> SpeechPackageFolders()
{
    const std::set<std::string> folders = TemporaryFoldersOf("TovraSpeech-*");
    return std::vector<std::string>(folders.begin(), folders.end());
}

std::string OldSpeechPackagePath()
{
    return TemporaryFolder() + TOVRA_SPEECH_PACKAGE_FILE;
}

void RemoveSpeechPackages()
{
    for (const std::string &folder : SpeechPackageFolders())
        RemoveTestFolder(folder);
    DeleteFileA(OldSpeechPackagePath().c_str());
}
