#include "install/shortcuts.h"

#include <objbase.h>
#include <shlobj.h>
#include <shobjidl.h>
#include <stdio.h>
#include <string.h>
#include <wchar.h>

#include "foundation/path_text.h"
#include "foundation/wide_text.h"
#include "install/file_replace.h"
#include "install/folder_naming.h"
#include "install/install_record.h"
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

/* folder + "\" + name + ending into path of kPathBytes units; 0, path empty, when it would
   not fit. */
static int JoinWide(WCHAR *path, const WCHAR *folder, const WCHAR *name, const WCHAR *ending)
{
    int written = swprintf(path, kPathBytes, L"%ls\\%ls%ls", folder, name, ending);
    if (written <= 0 || written >= kPathBytes) {
        path[0] = L'\0';
        return 0;
    }
    return 1;
}

/* Names from the product table and paths of the install folder are text in the system's
   code page, and widen exactly. */
static int Widen(const char *text, WCHAR *wide)
{
    return WidenText(text, CP_ACP, wide, kPathBytes);
}

typedef HRESULT(WINAPI *FolderPathReader)(HWND, int, HANDLE, DWORD, LPWSTR);

/* Shell 5 reads a folder's path straight; older shells go through its item list. */
static int ReadFolderPath(WCHAR *path, int folderKind)
{
    FolderPathReader read = SystemProcedure<FolderPathReader>(GetModuleHandleA("shell32.dll"), "SHGetFolderPathW");
    return read && SUCCEEDED(read(nullptr, folderKind, nullptr, 0 /* SHGFP_TYPE_CURRENT */, path));
}

static int LookUpSpecialFolder(WCHAR *path, int folderKind)
{
    if (ReadFolderPath(path, folderKind))
        return 1;
    IMalloc *allocator = nullptr;
    if (FAILED(SHGetMalloc(&allocator)))
        return 0;
    LPITEMIDLIST list = nullptr;
    int found = 0;
    if (SUCCEEDED(SHGetSpecialFolderLocation(nullptr, folderKind, &list))) {
        found = SHGetPathFromIDListW(list, path) ? 1 : 0;
        allocator->Free(list);
    }
    allocator->Release();
    return found;
}

/* Systems of version 3 have no special-folder interface and no common folders: the
   folders stand at known places under the Windows folder, per user on the NT family. */
static int BuildVersion3Folder(WCHAR *path, int folderKind)
{
    char user[257] = "", folder[kPathBytes];
    DWORD userLength = 256;
    if (folderKind != kProgramsFolder && folderKind != kDesktopFolder)
        return 0;
    if (gNtFlag && !GetUserNameA(user, &userLength))
        return 0;
    UINT length = GetWindowsDirectoryA(folder, kPathBytes);
    if (length == 0 || length >= kPathBytes)
        return 0;
    if (!EndsInBackslash(folder, SystemPathCodePage()) && !AppendToPath(folder, "\\"))
        return 0;
    if (gNtFlag && !(AppendToPath(folder, "profiles\\") && AppendToPath(folder, user) && AppendToPath(folder, "\\")))
        return 0;
    return AppendToPath(folder, folderKind == kProgramsFolder ? "start menu\\programs" : "Desktop") &&
           Widen(folder, path);
}

int ShellFolderLookup(WCHAR *path, int folderKind)
{
    if (gVersion3Flag)
        return BuildVersion3Folder(path, folderKind);
    return LookUpSpecialFolder(path, folderKind);
}

int LinkFolderLookup(WCHAR *path, int place, int scope)
{
    if (scope == kForEveryUser &&
        ShellFolderLookup(path, place == kProgramsPlace ? kCommonProgramsFolder : kCommonDesktopFolder))
        return 1;
    return ShellFolderLookup(path, place == kProgramsPlace ? kProgramsFolder : kDesktopFolder);
}

static void SetWorkingFolderOf(IShellLinkW *link, const WCHAR *target)
{
    WCHAR folder[kPathBytes];
    const WCHAR *backslash = wcsrchr(target, L'\\');
    if (!backslash || size_t(backslash - target) >= size_t(kPathBytes))
        return;
    wmemcpy(folder, target, size_t(backslash - target));
    folder[backslash - target] = L'\0';
    link->SetWorkingDirectory(folder);
}

/* The bytes of a saved link stream into a new copy beside linkPath, then in its place;
   event says what the shell is to be told: a link created or one replaced. */
static HRESULT WriteLinkInOneStep(IStream *stream, const WCHAR *linkPath, LONG *event)
{
    HGLOBAL memory = nullptr;
    STATSTG about = {};
    HRESULT result = GetHGlobalFromStream(stream, &memory);
    if (SUCCEEDED(result))
        result = stream->Stat(&about, STATFLAG_NONAME);
    if (FAILED(result))
        return result;
    WCHAR newCopy[kPathBytes];
    if (!CopyPathBesideW(newCopy, linkPath, kNewCopy, 0))
        return E_FAIL;
    const void *bytes = GlobalLock(memory);
    /* A link the user made read-only or hidden stays so. */
    DWORD old = GetFileAttributesW(linkPath);
    int keep = old != INVALID_FILE_ATTRIBUTES;
    DWORD attributes = AttributesForNewFile(old, keep && (old & FILE_ATTRIBUTE_READONLY),
                                            keep && (old & FILE_ATTRIBUTE_HIDDEN));
    int written = bytes && WriteNewCopyW(newCopy, bytes, about.cbSize.LowPart, attributes);
    GlobalUnlock(memory);
    if (!written)
        return E_FAIL;
    /* The shell reads a link it was told of, or saw come, and meanwhile the link can't be
       replaced. */
    if (!PutInPlaceWhenFreeW(newCopy, linkPath, old)) {
        ForceDeleteW(newCopy);
        return E_FAIL;
    }
    *event = old == INVALID_FILE_ATTRIBUTES ? SHCNE_CREATE : SHCNE_UPDATEITEM;
    return S_OK;
}

/* The link's bytes are written beside it and put in its place with one rename, as the
   install's files are: a shortcut being replaced is never left empty or half written. The
   link's own file save would also tell the shell, which costs a parse of the path: the
   callers tell it once per folder or per link. */
static HRESULT SaveLink(IShellLinkW *link, const WCHAR *linkPath, LONG *event)
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
static int SaveShortcut(const WCHAR *target, const WCHAR *linkPath, const WCHAR *description, LONG *event)
{
    if (FAILED(CoInitialize(nullptr)))
        return 0;
    IShellLinkW *link = nullptr;
    HRESULT result = CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
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

int MakeShortcutW(const WCHAR *target, const WCHAR *linkPath, const WCHAR *description)
{
    LONG event = 0;
    if (!SaveShortcut(target, linkPath, description, &event))
        return 0;
    NoteShortcut(linkPath);
    SHChangeNotify(event, SHCNF_PATHW, linkPath, nullptr);
    return 1;
}

int MakeShortcut(const char *target, const char *linkPath, const char *description)
{
    WCHAR wideTarget[kPathBytes], wideLink[kPathBytes], wideDescription[kPathBytes];
    return Widen(target, wideTarget) && Widen(linkPath, wideLink) && Widen(description, wideDescription) &&
           MakeShortcutW(wideTarget, wideLink, wideDescription);
}

/* The target in the install folder and the link path of a shortcut named name in folder. */
static int ShortcutPaths(const WCHAR *folder, const char *name, const char *fileName, WCHAR *linkPath,
                         WCHAR *target, WCHAR *description)
{
    char narrowTarget[kPathBytes];
    return JoinPath(narrowTarget, gInstallFolder, fileName) && Widen(narrowTarget, target) &&
           Widen(name, description) && JoinWide(linkPath, folder, description, L".lnk");
}

void MakeDesktopShortcut(const char *executableFileName, const char *shortcutName)
{
    WCHAR desktop[kPathBytes], linkPath[kPathBytes], target[kPathBytes], description[kPathBytes];
    if (!LinkFolderLookup(desktop, kDesktopPlace, gInstallScope) ||
        !ShortcutPaths(desktop, shortcutName, executableFileName, linkPath, target, description))
        return;
    MakeShortcutW(target, linkPath, description);
}

static int MakeShortcutInGroup(const WCHAR *group, const ShortcutEntry &entry)
{
    WCHAR linkPath[kPathBytes], target[kPathBytes], description[kPathBytes];
    if (!ShortcutPaths(group, entry.shortcutName, entry.fileName, linkPath, target, description))
        return 0;
    LONG event = 0;
    if (!SaveShortcut(target, linkPath, description, &event))
        return 0;
    NoteShortcut(linkPath);
    return 1;
}

/* The folder's path stays out of the message where the code page can't spell it: the
   user would read "?" for its characters. */
static void ShowGroupFailure(const WCHAR *group)
{
    char path[kPathBytes], chinese[kPathBytes + 32];
    if (NarrowText(group, CP_ACP, path, kPathBytes))
        snprintf(chinese, sizeof chinese, "无法建目录(%s)!", path);
    else
        snprintf(chinese, sizeof chinese, "无法建目录!");
    ShowMessage(chinese, kMessageTable[kMessageCannotCreateFolder], kMessageOk, gMainWindow);
}

/* An existing folder is used as it is; only one level is created. */
static int EnsureGroupFolder(const WCHAR *group)
{
    if (GetFileAttributesW(group) != INVALID_FILE_ATTRIBUTES)
        return 1;
    if (CreateDirectoryW(group, nullptr)) {
        NoteMadeFolderW(group);
        return 1;
    }
    ShowGroupFailure(group);
    return 0;
}

int MakeProgramGroup(const char *groupName, const ShortcutEntry *shortcuts)
{
    WCHAR programs[kPathBytes], group[kPathBytes], name[kPathBytes];
    if (!LinkFolderLookup(programs, kProgramsPlace, gInstallScope)) {
        ShowStartMenuFailure();
        return 0;
    }
    wcscpy(group, programs);
    if (groupName[0]) {
        /* A group path that would not fit is a group that can't be made. */
        if (!Widen(groupName, name) || !JoinWide(group, programs, name, L"")) {
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
    SHChangeNotify(SHCNE_UPDATEDIR, SHCNF_PATHW, group, nullptr);
    if (!lastSaved) {
        ShowStartMenuFailure();
        return 0;
    }
    return 1;
}

/* The other scope's Programs and Desktop folders, and what has been taken back there. */
struct OtherPlaces {
    WCHAR folders[2][kPathBytes];
    int count;
    int taken;
};

static int LiesIn(const WCHAR *path, const WCHAR *folder)
{
    size_t length = wcslen(folder);
    return length > 0 && _wcsnicmp(path, folder, length) == 0 && path[length] == L'\\';
}

static int InOtherPlace(const OtherPlaces *places, const WCHAR *path)
{
    for (int i = 0; i < places->count; ++i)
        if (LiesIn(path, places->folders[i]))
            return 1;
    return 0;
}

int ReadLinkTarget(const WCHAR *linkPath, char *target)
{
    IShellLinkW *link = nullptr;
    IPersistFile *file = nullptr;
    WCHAR wide[kPathBytes];
    int read = 0;
    if (SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                   reinterpret_cast<void **>(&link)))) {
        if (SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void **>(&file)))) {
            read = SUCCEEDED(file->Load(linkPath, STGM_READ)) &&
                   SUCCEEDED(link->GetPath(wide, kPathBytes, nullptr, SLGP_RAWPATH)) &&
                   NarrowText(wide, CP_ACP, target, kPathBytes);
            file->Release();
        }
        link->Release();
    }
    if (!read)
        target[0] = '\0';
    return read;
}

/* Whether the link at linkPath leads into the install folder: another install may have
   saved its own under the same name since. */
static int LeadsIntoInstallFolder(const WCHAR *linkPath)
{
    char target[kPathBytes];
    return ReadLinkTarget(linkPath, target) && NamesFolder(target, gInstallFolder);
}

/* The record lists its links before its folders, so a group is empty, when it is, by the
   time its folder line comes. */
static void TakeBackLine(const char *line, void *context)
{
    OtherPlaces *places = static_cast<OtherPlaces *>(context);
    WCHAR path[kPathBytes];
    int link = strncmp(line, "shortcut\t", 9) == 0, folder = strncmp(line, "folder\t", 7) == 0;
    if ((!link && !folder) || !WidenText(strchr(line, '\t') + 1, CP_UTF8, path, kPathBytes) ||
        !InOtherPlace(places, path))
        return;
    if (folder) {
        if (RemoveDirectoryW(path))
            SHChangeNotify(SHCNE_RMDIR, SHCNF_PATHW, path, nullptr);
        return;
    }
    if (!LeadsIntoInstallFolder(path))
        return;
    ForceDeleteW(path);
    if (GetFileAttributesW(path) == INVALID_FILE_ATTRIBUTES) {
        ++places->taken;
        SHChangeNotify(SHCNE_DELETE, SHCNF_PATHW, path, nullptr);
    }
}

/* Where a fallback puts both scopes' links in one folder there is no other place. */
static void AddOtherPlace(OtherPlaces *places, int place)
{
    WCHAR here[kPathBytes];
    WCHAR *other = places->folders[places->count];
    if (LinkFolderLookup(other, place, gInstallScope == kForEveryUser ? kForThisUser : kForEveryUser) &&
        !(LinkFolderLookup(here, place, gInstallScope) && _wcsicmp(here, other) == 0))
        ++places->count;
}

int TakeBackOtherScopeLinks()
{
    OtherPlaces places = {};
    AddOtherPlace(&places, kProgramsPlace);
    AddOtherPlace(&places, kDesktopPlace);
    if (!places.count)
        return 0;
    HRESULT com = CoInitialize(nullptr);
    ReadRecordItems(gInstallFolder, TakeBackLine, &places);
    if (SUCCEEDED(com))
        CoUninitialize();
    return places.taken;
}
