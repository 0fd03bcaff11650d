#include "install/shortcuts.h"

#include <io.h>
#include <objbase.h>
#include <shlobj.h>
#include <shobjidl.h>
#include <stdio.h>
#include <string.h>

#include "foundation/path_text.h"
#include "foundation/wide_text.h"
#include "install/file_replace.h"
#include "install/payload.h"
#include "wizard/made_items.h"
#include "wizard/message_dialog.h"
#include "wizard/system_libraries.h"
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

typedef HRESULT(WINAPI *FolderPathReader)(HWND, int, HANDLE, DWORD, LPSTR);

/* Shell 5 reads a folder's path straight; older shells go through its item list. */
static int ReadFolderPath(char *path, int folderKind)
{
    FolderPathReader read = SystemProcedure<FolderPathReader>(GetModuleHandleA("shell32.dll"), "SHGetFolderPathA");
    return read && SUCCEEDED(read(nullptr, folderKind, nullptr, 0 /* SHGFP_TYPE_CURRENT */, path));
}

static int LookUpSpecialFolder(char *path, int folderKind)
{
    if (ReadFolderPath(path, folderKind))
        return 1;
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

/* The bytes of a saved link stream into a new copy beside linkPath, then in its place;
   event says what the shell is to be told: a link created or one replaced. */
static HRESULT WriteLinkInOneStep(IStream *stream, const char *linkPath, LONG *event)
{
    HGLOBAL memory = nullptr;
    STATSTG about = {};
    HRESULT result = GetHGlobalFromStream(stream, &memory);
    if (SUCCEEDED(result))
        result = stream->Stat(&about, STATFLAG_NONAME);
    if (FAILED(result))
        return result;
    char newCopy[kPathBytes];
    if (!CopyPathBeside(newCopy, linkPath, kNewCopy, 0))
        return E_FAIL;
    const void *bytes = GlobalLock(memory);
    /* A link the user made read-only or hidden stays so. */
    DWORD old = GetFileAttributesA(linkPath);
    int keep = old != INVALID_FILE_ATTRIBUTES;
    DWORD attributes = AttributesForNewFile(old, keep && (old & FILE_ATTRIBUTE_READONLY),
                                            keep && (old & FILE_ATTRIBUTE_HIDDEN));
    int written = bytes && WriteNewCopy(newCopy, bytes, about.cbSize.LowPart, attributes);
    GlobalUnlock(memory);
    if (!written)
        return E_FAIL;
    /* The shell reads a link it was told of, or saw come, and meanwhile the link can't be
       replaced. */
    if (!PutInPlaceWhenFree(newCopy, linkPath, old, nullptr)) {
        ForceDelete(newCopy);
        return E_FAIL;
    }
    *event = old == INVALID_FILE_ATTRIBUTES ? SHCNE_CREATE : SHCNE_UPDATEITEM;
    return S_OK;
}

/* The link's bytes are written beside it and put in its place with one rename, as the
   install's files are: a shortcut being replaced is never left empty or half written. The
   link's own file save would also tell the shell, which costs a parse of the path: the
   callers tell it once per folder or per link. */
static HRESULT SaveLink(IShellLinkA *link, const char *linkPath, LONG *event)
{
    IPersistStream *persist = nullptr;
    IStream *stream = nullptr;
    HRESULT result = link->QueryInterface(IID_IPersistStream, reinterpret_cast<void **>(&persist));
    if (SUCCEEDED(result)) {
        result = CreateStreamOnHGlobal(nullptr, TRUE, &stream);
        if (SUCCEEDED(result))
            result = persist->Save(stream, TRUE);
        persist->Release();
    }
    if (SUCCEEDED(result))
        result = WriteLinkInOneStep(stream, linkPath, event);
    if (stream)
        stream->Release();
    return result;
}

/* COM is initialised around each single shortcut, so nothing is assumed about the
   thread's COM state before or after. */
static int SaveShortcut(const char *target, const char *linkPath, const char *description, LONG *event)
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
            result = SaveLink(link, linkPath, event);
        }
        link->Release();
    }
    CoUninitialize();
    return SUCCEEDED(result) ? 1 : 0;
}

/* The record takes a link's path as the system spells it. */
static void NoteLink(const char *linkPath)
{
    WCHAR wide[kPathBytes];
    if (WidenText(linkPath, CP_ACP, wide, kPathBytes))
        NoteShortcut(wide);
}

int MakeShortcut(const char *target, const char *linkPath, const char *description)
{
    LONG event = 0;
    if (!SaveShortcut(target, linkPath, description, &event))
        return 0;
    NoteLink(linkPath);
    SHChangeNotify(event, SHCNF_PATHA, linkPath, nullptr);
    return 1;
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
    LONG event = 0;
    if (!SaveShortcut(target, linkPath, entry.shortcutName, &event))
        return 0;
    NoteLink(linkPath);
    return 1;
}

/* An existing folder is used as it is; only one level is created. */
static int EnsureGroupFolder(const char *group)
{
    if (_access(group, 0) == 0)
        return 1;
    if (CreateDirectoryA(group, nullptr)) {
        NoteMadeFolder(group);
        return 1;
    }
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
    /* COM held for the whole group: each shortcut's own initialisation is then a count. */
    HRESULT com = CoInitialize(nullptr);
    int lastSaved = 1;
    for (const ShortcutEntry *entry = shortcuts; entry->shortcutName; ++entry)
        lastSaved = MakeShortcutInGroup(group, *entry);
    if (SUCCEEDED(com))
        CoUninitialize();
    SHChangeNotify(SHCNE_UPDATEDIR, SHCNF_PATHA, group, nullptr);
    if (!lastSaved) {
        ShowStartMenuFailure();
        return 0;
    }
    return 1;
}
