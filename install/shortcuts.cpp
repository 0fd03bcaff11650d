#include "install/shortcuts.h"

#include <io.h>
#include <objbase.h>
#include <shlobj.h>
#include <shobjidl.h>
#include <stdio.h>
#include <string.h>

#include "foundation/path_text.h"
#include "install/payload.h"
#include "wizard/message_dialog.h"
#include "wizard/wizard_state.h"

static void ShowStartMenuFailure()
{
    ShowMessage("无法在 Start 菜单中为本程序建立一个条目。很抱歉，只好请您以后自已建立了。",
                "Failed to create an entry on Start Menu.", kMessageOk, gMainWindow);
}

/* Appends text to a path buffer of kPathBytes; 0 (path unchanged) when it would not fit. */
static int AppendToPath(char *path, const char *text)
{
    size_t length = strlen(path), more = strlen(text);
    if (length + more >= kPathBytes)
        return 0;
    memcpy(path + length, text, more + 1);
    return 1;
}

static int LookUpSpecialFolder(char *path, int folderKind)
{
    IMalloc *allocator = nullptr;
    if (FAILED(SHGetMalloc(&allocator)))
        return 0;
    LPITEMIDLIST list = nullptr;
    int found = 0;
    if (SUCCEEDED(SHGetSpecialFolderLocation(nullptr, folderKind, &list))) {
        found = SHGetPathFromIDListA(list, path) ? 1 : 0;
        allocator->Free(list);
    }
    allocator->Release();
    return found;
}

/* Systems of version 3 have no special-folder interface: the folders stand at known
   places under the Windows folder, per user on the NT family. */
static int BuildVersion3Folder(char *path, int folderKind)
{
    char user[257] = "";
    DWORD userLength = 256;
    if (gNtFlag && !GetUserNameA(user, &userLength))
        return 0;
    UINT length = GetWindowsDirectoryA(path, kPathBytes);
    if (length == 0 || length >= kPathBytes)
        return 0;
    if (!EndsInBackslash(path, SystemPathCodePage()) && !AppendToPath(path, "\\"))
        return 0;
    if (gNtFlag && !(AppendToPath(path, "profiles\\") && AppendToPath(path, user) && AppendToPath(path, "\\")))
        return 0;
    return AppendToPath(path, folderKind == kProgramsFolder ? "start menu\\programs" : "Desktop");
}

int ShellFolderLookup(char *path, int folderKind)
{
    if (gVersion3Flag)
        return BuildVersion3Folder(path, folderKind);
    return LookUpSpecialFolder(path, folderKind);
}

static void SetWorkingFolderOf(IShellLinkA *link, const char *target)
{
    char folder[kPathBytes];
    snprintf(folder, sizeof folder, "%s", target);
    int backslash = FindLastBackslash(folder, SystemPathCodePage());
    if (backslash < 0)
        return;
    folder[backslash] = '\0';
    link->SetWorkingDirectory(folder);
}

static HRESULT SaveLink(IShellLinkA *link, const char *linkPath)
{
    IPersistFile *file = nullptr;
    HRESULT result = link->QueryInterface(IID_IPersistFile, reinterpret_cast<void **>(&file));
    if (FAILED(result))
        return result;
    WCHAR widePath[kPathBytes];
    if (!MultiByteToWideChar(CP_ACP, 0, linkPath, -1, widePath, kPathBytes))
        widePath[0] = 0;
    result = file->Save(widePath, TRUE);
    file->Release();
    return result;
}

/* COM is initialised around each single shortcut, so nothing is assumed about the
   thread's COM state before or after. */
int MakeShortcut(const char *target, const char *linkPath, const char *description)
{
    if (FAILED(CoInitialize(nullptr)))
        return 0;
    IShellLinkA *link = nullptr;
    HRESULT result = CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                      reinterpret_cast<void **>(&link));
    if (SUCCEEDED(result)) {
        result = link->SetPath(target);
        if (SUCCEEDED(result)) {
            link->SetDescription(description);
            link->SetIconLocation(target, 0);
            SetWorkingFolderOf(link, target);
            result = SaveLink(link, linkPath);
        }
        link->Release();
    }
    CoUninitialize();
    return SUCCEEDED(result) ? 1 : 0;
}

/* folder + "\" + name + ".lnk", refused when it would not fit the path buffer. */
static int BuildLinkPath(char *linkPath, const char *folder, const char *name)
{
    char linkName[kPathBytes];
    int written = snprintf(linkName, sizeof linkName, "%s.lnk", name);
    return written > 0 && written < kPathBytes && JoinPath(linkPath, folder, linkName);
}

void MakeDesktopShortcut(const char *executableFileName, const char *shortcutName)
{
    char target[kPathBytes], desktop[kPathBytes], linkPath[kPathBytes];
    if (!JoinPath(target, gInstallFolder, executableFileName))
        return;
    if (!ShellFolderLookup(desktop, kDesktopFolder))
        return;
    if (!BuildLinkPath(linkPath, desktop, shortcutName))
        return;
    MakeShortcut(target, linkPath, shortcutName);
}

static int MakeShortcutInGroup(const char *group, const ShortcutEntry &entry)
{
    char target[kPathBytes], linkPath[kPathBytes];
    if (!BuildLinkPath(linkPath, group, entry.shortcutName) || !JoinPath(target, gInstallFolder, entry.fileName))
        return 0;
    return MakeShortcut(target, linkPath, entry.shortcutName);
}

/* An existing folder is used as it is; only one level is created. */
static int EnsureGroupFolder(const char *group)
{
    if (_access(group, 0) == 0 || CreateDirectoryA(group, nullptr))
        return 1;
    char chinese[kPathBytes + 32];
    snprintf(chinese, sizeof chinese, "无法建目录(%s)!", group);
    ShowMessage(chinese, kMessageTable[kMessageCannotCreateFolder], kMessageOk, gMainWindow);
    return 0;
}

int MakeProgramGroup(const char *groupName, const ShortcutEntry *shortcuts)
{
    char programs[kPathBytes], group[kPathBytes];
    if (!ShellFolderLookup(programs, kProgramsFolder)) {
        ShowStartMenuFailure();
        return 0;
    }
    strcpy(group, programs);
    if (groupName[0]) {
        /* A group path that would not fit is a group that can't be made. */
        if (!JoinPath(group, programs, groupName)) {
            ShowStartMenuFailure();
            return 0;
        }
        if (!EnsureGroupFolder(group))
            return 0;
    }
    int lastSaved = 1;
    for (const ShortcutEntry *entry = shortcuts; entry->shortcutName; ++entry)
        lastSaved = MakeShortcutInGroup(group, *entry);
    if (!lastSaved) {
        ShowStartMenuFailure();
        return 0;
    }
    return 1;
}
