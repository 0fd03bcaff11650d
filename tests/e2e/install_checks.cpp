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
#include "support/file_reading.h"
#include "test_folder.h"

namespace {

const DWORD kCheckedAttributes =
    FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_DIRECTORY;
const char kSettingsFile[] = "cendraui.ini";
const char kEditorClass[] = "{3C7A1E52-6B0D-4F8E-9A21-7D5E0C4B9F13}";
const char kServerClass[] = "{8E2D4B07-51C3-4A6F-B9E8-2F0C6D1A7B45}";

DWORD AttributesWanted(const ManifestStep &row)
{
    return (row.readOnly ? FILE_ATTRIBUTE_READONLY : 0) | (row.hidden ? FILE_ATTRIBUTE_HIDDEN : 0);
}

std::string ShellFolder(int csidl)
{
    char path[MAX_PATH] = "";
    SHGetFolderPathA(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path);
    return path;
}

std::string GroupFolder(int column)
{
    return ShellFolder(CSIDL_PROGRAMS) + "\\" + ProductName(kInstalledProduct, kDisplayName, column);
}

std::string GroupShortcut(int column, int field)
{
    return GroupFolder(column) + "\\" + ProductName(kInstalledProduct, field, column) + ".lnk";
}

std::string DesktopShortcut(int product, int column)
{
    return ShellFolder(CSIDL_DESKTOPDIRECTORY) + "\\" + ProductName(product, kShortcutName, column) + ".lnk";
}

void ExpectShortcut(const std::string &link, const std::string &target, const std::string &description)
{
    SCOPED_TRACE("shortcut " + link);
    LinkFields fields = ReadShortcut(link);
    ASSERT_TRUE(fields.loaded) << "the shortcut is missing or unreadable";
    EXPECT_EQ(target, fields.target);
    EXPECT_EQ(description, fields.description);
    EXPECT_EQ(target.substr(0, target.rfind('\\')), fields.workingFolder);
    EXPECT_EQ(target, fields.iconPath);
    EXPECT_EQ(0, fields.iconIndex);
}

bool ClassKeyExists(const char *path)
{
    HKEY key;
    if (RegOpenKeyExA(HKEY_CLASSES_ROOT, path, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    RegCloseKey(key);
    return true;
}

// The default or named value of a key under HKEY_CLASSES_ROOT, "(missing)" when absent.
std::string ClassValue(const std::string &path, const char *name = "")
{
    char data[1024] = "";
    DWORD size = sizeof data - 1, type = 0;
    HKEY key;
    if (RegOpenKeyExA(HKEY_CLASSES_ROOT, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return "(missing)";
    LONG result = RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE *>(data), &size);
    RegCloseKey(key);
    if (result != ERROR_SUCCESS)
        return "(missing)";
    if (type != REG_SZ)
        return "(not text)";
    data[size] = '\0';
    return data;
}

std::string ShortPath(const std::string &path)
{
    char shortPath[MAX_PATH] = "";
    DWORD length = GetShortPathNameA(path.c_str(), shortPath, MAX_PATH);
    return length > 0 && length < MAX_PATH ? shortPath : "";
}

void DeleteClassTree(const char *path)
{
    RegDeleteTreeA(HKEY_CLASSES_ROOT, path);
    RegDeleteKeyA(HKEY_CLASSES_ROOT, path);
}

// The products that get a desktop shortcut.
const int kDesktopProducts[] = {kProductNotes, kInstalledProduct};

const char *const kRegisteredKeys[] = {
    "TVREditor.Document",
    "TVREdit.Document",
    "DeVud.Document.1",
    "CLSID\\{3C7A1E52-6B0D-4F8E-9A21-7D5E0C4B9F13}",
    "CLSID\\{8E2D4B07-51C3-4A6F-B9E8-2F0C6D1A7B45}",
};

void CopyShortcut(const std::string &link, const std::string &destination, const std::string &name)
{
    if (FileExists(link))
        CopyFileA(link.c_str(), (destination + "\\" + name).c_str(), FALSE);
}

const char kInstalledAppsList[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall";

std::string ValueData(DWORD type, const BYTE *data, DWORD size)
{
    if (type == REG_SZ || type == REG_EXPAND_SZ)
        return std::string(reinterpret_cast<const char *>(data), strnlen(reinterpret_cast<const char *>(data), size));
    std::string hex;
    char pair[4];
    for (DWORD i = 0; i < size; ++i) {
        snprintf(pair, sizeof pair, "%02x", data[i]);
        hex += pair;
    }
    return hex;
}

// Every key and value of the tree at path, one line each; nothing when it is not there.
void AddTree(std::set<std::string> *lines, HKEY root, const std::string &rootName, const std::string &path)
{
    HKEY key;
    if (RegOpenKeyExA(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return;
    lines->insert(rootName + "\\" + path);
    char name[256];
    std::vector<BYTE> data(4096);
    for (DWORD i = 0;; ++i) {
        DWORD nameLength = sizeof name, size = DWORD(data.size()), type = 0;
        if (RegEnumValueA(key, i, name, &nameLength, nullptr, &type, data.data(), &size) != ERROR_SUCCESS)
            break;
        lines->insert(rootName + "\\" + path + "|" + name + "|" + std::to_string(type) + "|" +
                      ValueData(type, data.data(), size));
    }
    std::vector<std::string> children;
    for (DWORD i = 0;; ++i) {
        DWORD nameLength = sizeof name;
        if (RegEnumKeyExA(key, i, name, &nameLength, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
            break;
        children.push_back(name);
    }
    RegCloseKey(key);
    for (const std::string &child : children)
        AddTree(lines, root, rootName, path + "\\" + child);
}

// The names of the keys right under path.
void AddKeyNames(std::set<std::string> *lines, HKEY root, const std::string &prefix, const char *path)
{
    HKEY key;
    if (RegOpenKeyExA(root, path, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return;
    char name[256];
    for (DWORD i = 0;; ++i) {
        DWORD nameLength = sizeof name;
        if (RegEnumKeyExA(key, i, name, &nameLength, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
            break;
        lines->insert(prefix + name);
    }
    RegCloseKey(key);
}

void AddFiles(std::set<std::string> *lines, const std::string &folder, const std::string &shown)
{
    for (const std::string &name : NamesIn(folder)) {
        std::string path = folder + "\\" + name;
        lines->insert("file " + shown + "\\" + name);
        DWORD attributes = GetFileAttributesA(path.c_str());
        if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY))
            AddFiles(lines, path, shown + "\\" + name);
    }
}

} // namespace

std::set<std::string> SystemSnapshot()
{
    std::set<std::string> lines;
    AddKeyNames(&lines, HKEY_CLASSES_ROOT, "HKCR\\", "");
    AddKeyNames(&lines, HKEY_CLASSES_ROOT, "HKCR\\CLSID\\", "CLSID");
    for (const char *key : kRegisteredKeys)
        AddTree(&lines, HKEY_CLASSES_ROOT, "HKCR", key);
    AddTree(&lines, HKEY_CLASSES_ROOT, "HKCR", ".rtf");
    AddTree(&lines, HKEY_CLASSES_ROOT, "HKCR", "rtffile");
    AddTree(&lines, HKEY_LOCAL_MACHINE, "HKLM", kInstalledAppsList);
    AddTree(&lines, HKEY_CURRENT_USER, "HKCU", kInstalledAppsList);
    AddFiles(&lines, ShellFolder(CSIDL_PROGRAMS), "Programs");
    AddFiles(&lines, ShellFolder(CSIDL_DESKTOPDIRECTORY), "Desktop");
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
    ::testing::ScopedTrace trace(file, line, "");
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
    ::testing::ScopedTrace trace(file, line, "");
    std::string path = InstalledFile(folder, kSettingsFile);
    char value[64] = "";
    GetPrivateProfileStringA("Config", "UseBmpFont", "(missing)", value, sizeof value, path.c_str());
    EXPECT_EQ(std::string(1, useBmpFont), value) << path;
    GetPrivateProfileStringA("Config", "ForceLanguage", "(missing)", value, sizeof value, path.c_str());
    EXPECT_EQ(std::to_string(language), value) << path;
}

void ExpectProgramGroup_(const char *file, int line, const std::string &folder, int column)
{
    ::testing::ScopedTrace trace(file, line, "");
    DWORD group = GetFileAttributesA(GroupFolder(column).c_str());
    ASSERT_TRUE(group != INVALID_FILE_ATTRIBUTES && (group & FILE_ATTRIBUTE_DIRECTORY))
        << "no program group " << GroupFolder(column);
    ExpectShortcut(GroupShortcut(column, kShortcutName),
                   folder + "\\" + ProductName(kInstalledProduct, kExecutableFile, column),
                   ProductName(kInstalledProduct, kShortcutName, column));
    ExpectShortcut(GroupShortcut(column, kUninstallName),
                   folder + "\\" + ProductName(kInstalledProduct, kUninstallerFile, column),
                   ProductName(kInstalledProduct, kUninstallName, column));
}

void ExpectInstalledAppsEntry_(const char *file, int line, const std::string &folder, int column)
{
    ::testing::ScopedTrace trace(file, line, "");
    EXPECT_EQ(ProductName(kInstalledProduct, kShortcutName, column), InstalledAppsText("DisplayName"));
    EXPECT_EQ(folder, InstalledAppsText("InstallLocation"));
    EXPECT_EQ("\"" + folder + "\\" + ProductName(kInstalledProduct, kUninstallerFile, 0) + "\"",
              InstalledAppsText("UninstallString"));
    std::string record = ReadWholeFile(folder + "\\" TOVRA_INSTALL_RECORD_NAME);
    EXPECT_EQ(0u, record.rfind("Tovra install record 1\r\n", 0)) << "no install record";
    EXPECT_NE(std::string::npos, record.find("\tTVREdit.exe\r\n")) << record.substr(0, 200);
}

void ExpectDesktopShortcuts_(const char *file, int line, const std::string &folder, int column)
{
    ::testing::ScopedTrace trace(file, line, "");
    for (int product : kDesktopProducts)
        ExpectShortcut(DesktopShortcut(product, column),
                       folder + "\\" + ProductName(product, kExecutableFile, column),
                       ProductName(product, kShortcutName, column));
}

void ExpectNoDesktopShortcuts_(const char *file, int line, int column)
{
    ::testing::ScopedTrace trace(file, line, "");
    for (int product : kDesktopProducts)
        EXPECT_FALSE(FileExists(DesktopShortcut(product, column))) << DesktopShortcut(product, column);
}

void ExpectNoShortcuts_(const char *file, int line, int column)
{
    ::testing::ScopedTrace trace(file, line, "");
    EXPECT_FALSE(FileExists(GroupFolder(column))) << GroupFolder(column);
    ExpectNoDesktopShortcuts(column);
}

ClassesBefore NoteClasses()
{
    ClassesBefore before;
    before.rtfExisted = ClassKeyExists(".rtf");
    before.rtfType = ClassValue(".rtf");
    before.rtfFileExisted = ClassKeyExists("rtffile");
    return before;
}

void ExpectRegistration(const std::string &folder, const ClassesBefore &before)
{
    std::string editor = ShortPath(folder + "\\tvredit.exe");
    std::string server = ShortPath(folder + "\\DeVud.exe");
    ASSERT_FALSE(editor.empty()) << "the editor is not installed";
    ASSERT_FALSE(server.empty()) << "the DeVud server is not installed";
    std::string editorClass = std::string("CLSID\\") + kEditorClass;
    std::string serverClass = std::string("CLSID\\") + kServerClass;

    // Whether the key is gone, or the driver cannot read the classes at all, is told
    // apart by the errors of two opens.
    if (ClassValue("TVREditor.Document") == "(missing)") {
        HKEY key;
        LONG own = RegOpenKeyExA(HKEY_CLASSES_ROOT, "TVREditor.Document", 0, KEY_READ, &key);
        if (own == ERROR_SUCCESS)
            RegCloseKey(key);
        LONG classes = RegOpenKeyExA(HKEY_CLASSES_ROOT, "CLSID", 0, KEY_READ, &key);
        if (classes == ERROR_SUCCESS)
            RegCloseKey(key);
        ADD_FAILURE() << "no editor type: opening it gave error " << own << ", opening CLSID error " << classes;
    }
    EXPECT_EQ("Tovra Editor Document", ClassValue("TVREditor.Document"));
    EXPECT_EQ("\"" + folder + "\\tvredit.exe\" \"%1\"", ClassValue("TVREditor.Document\\shell\\open\\command"));
    EXPECT_EQ("TVREditor.Document", ClassValue(".rtf"));

    EXPECT_EQ("TVREdit Document", ClassValue("TVREdit.Document"));
    EXPECT_EQ(kEditorClass, ClassValue("TVREdit.Document\\CLSID"));
    // Each command stands the server's path in quotes.
    const std::string quotedEditor = "\"" + editor + "\"", quotedServer = "\"" + server + "\"";
    EXPECT_EQ(quotedEditor + " \"%1\"", ClassValue("TVREdit.Document\\shell\\open\\command"));
    EXPECT_EQ(quotedEditor + " /p \"%1\"", ClassValue("TVREdit.Document\\shell\\print\\command"));
    EXPECT_EQ(quotedEditor + " /pt \"%1\" \"%2\" \"%3\" \"%4\"",
              ClassValue("TVREdit.Document\\shell\\printto\\command"));
    EXPECT_EQ("TVREdit Document", ClassValue(editorClass));
    EXPECT_EQ("TVREdit.Document", ClassValue(editorClass + "\\ProgID"));
    EXPECT_EQ(quotedEditor, ClassValue(editorClass + "\\LocalServer32"));
    EXPECT_EQ("ole32.dll", ClassValue(editorClass + "\\InprocHandler32"));
    EXPECT_EQ(editor + ",1", ClassValue(editorClass + "\\DefaultIcon"));
    EXPECT_EQ("&Open,0,2", ClassValue(editorClass + "\\Verb\\1"));

    EXPECT_EQ("DeVud Document", ClassValue("DeVud.Document.1"));
    EXPECT_EQ(kServerClass, ClassValue("DeVud.Document.1\\CLSID"));
    EXPECT_EQ(quotedServer, ClassValue(serverClass + "\\LocalServer32"));
    EXPECT_EQ(quotedServer + " \"%1\"", ClassValue("DeVud.Document.1\\shell\\open\\command"));

    // A system's own "rtffile" is left alone; without one the editor's takes its place.
    if (!before.rtfFileExisted) {
        EXPECT_EQ("Rich Text Document", ClassValue("rtffile"));
        EXPECT_EQ(quotedEditor + " \"%1\"", ClassValue("rtffile\\shell\\open\\command"));
        EXPECT_EQ(editor + ",1", ClassValue("rtffile\\DefaultIcon"));
    }
    if (!before.rtfExisted) {
        EXPECT_EQ("(missing)", ClassValue(".rtf\\ShellNew", "Data"));
    }
}

void ExpectNoRegistration()
{
    for (const char *key : kRegisteredKeys)
        EXPECT_FALSE(ClassKeyExists(key)) << key;
}

bool RegistrationWritten()
{
    return ClassKeyExists("DeVud.Document.1\\shell\\printto\\command");
}

void RemoveShellItems(int column)
{
    for (int field : {kShortcutName, kUninstallName})
        DeleteFileA(GroupShortcut(column, field).c_str());
    RemoveDirectoryA(GroupFolder(column).c_str());
    for (int product : kDesktopProducts)
        DeleteFileA(DesktopShortcut(product, column).c_str());
    for (const char *key : kRegisteredKeys)
        DeleteClassTree(key);
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, TOVRA_UNINSTALL_KEY);
    RegDeleteKeyA(HKEY_CURRENT_USER, TOVRA_UNINSTALL_KEY);
}

void RestoreClasses(const ClassesBefore &before)
{
    if (!before.rtfExisted)
        DeleteClassTree(".rtf");
    else if (ClassValue(".rtf") != before.rtfType)
        RegSetValueA(HKEY_CLASSES_ROOT, ".rtf", REG_SZ, before.rtfType.c_str(), 0);
    if (!before.rtfFileExisted)
        DeleteClassTree("rtffile");
}

void CopyShortcuts(int column, const std::string &destination)
{
    CreateDirectoryA(destination.c_str(), nullptr);
    for (int field : {kShortcutName, kUninstallName})
        CopyShortcut(GroupShortcut(column, field), destination,
                     std::string("group-") + ProductName(kInstalledProduct, field, column) + ".lnk");
    for (int product : kDesktopProducts)
        CopyShortcut(DesktopShortcut(product, column), destination,
                     std::string("desktop-") + ProductName(product, kShortcutName, column) + ".lnk");
}

static std::string TemporaryFolder()
{
    char temporary[MAX_PATH] = "";
    DWORD length = GetTempPathA(MAX_PATH, temporary);
    return length > 0 && length < MAX_PATH ? temporary : "";
}

std::vector<std::string> SpeechPackageFolders()
{
    std::vector<std::string> folders;
    const std::string temporary = TemporaryFolder();
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((temporary + "TovraSpeech-*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return folders;
    do
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            folders.push_back(temporary + found.cFileName);
    while (FindNextFileA(search, &found));
    FindClose(search);
    return folders;
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
