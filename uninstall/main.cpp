/* The product's uninstaller. Started from the install folder (by the installed-apps list
   or the Start menu), it asks, then hands the work to a copy of itself in a private folder
   of the temporary folder, because a running program's own file can't be deleted, and
   waits for the copy to end: whoever started the uninstaller (a user, a package manager)
   learns how it went when it ends. The copy moves the first program's file out of the
   install folder (a running program's file can still be renamed on its drive), takes back
   what the install record lists, reports once and leaves its own folder to the system's
   next start.

     TVREditUnInstall.exe [/quiet]                   asks, hands over, waits
     <copy> /remove "<install folder>" /from "<first program>" [/wordbase] [/quiet]
                                                     removes and reports

   /wordbase removes the word base the user has grown too; /quiet asks nothing (the user's
   word base stays) and reports nothing. The exit codes are UninstallExit's. */
#include <windows.h>

#include <stdio.h>
#include <string.h>
#include <wchar.h>

#include "display/glyph_text.h"
#include "foundation/wide_text.h"
#include "install/manifest.h"
#include "install/payload.h"
#include "install/private_folder.h"
#include "uninstall/uninstall_run.h"
#include "wizard/message_dialog.h"
#include "wizard/startup.h"
#include "wizard/system_libraries.h"
#include "wizard/wizard_state.h"

/* What the uninstaller's exit code tells whoever waits for it. */
enum UninstallExit {
    kExitAllTakenBack = 0,  /* everything the record lists is gone */
    kExitNothingDone = 1,   /* no record to go by, or no copy could be started */
    kExitCancelled = 2,     /* the user said no at the question */
    kExitItemsStayed = 3,   /* done; some items stayed (the user's, or failed) */
};

struct UninstallArguments {
    int quiet;
    int remove;
    int ownWordBase;
    WCHAR folder[kPathBytes];
    WCHAR first[kPathBytes];
};

static const WCHAR kPrivateFolderPrefix[] = L"TovraUninstall-";
/* The first program's file, moved beside the copy while it still runs. */
static const WCHAR kMovedFirstName[] = L"first.exe";

/* The next argument of a command line, quotes taken off; null at its end. */
static const WCHAR *NextArgument(const WCHAR *line, WCHAR *argument, int capacity)
{
    while (*line == L' ' || *line == L'\t')
        ++line;
    if (!*line)
        return nullptr;
    int quoted = *line == L'"', length = 0;
    line += quoted;
    while (*line && (quoted ? *line != L'"' : (*line != L' ' && *line != L'\t'))) {
        if (length < capacity - 1)
            argument[length++] = *line;
        ++line;
    }
    argument[length] = L'\0';
    return *line ? line + 1 : line;
}

/* The next argument into a path buffer; 0 when there is none or it would not fit. */
static int NextPath(const WCHAR **line, WCHAR *path)
{
    WCHAR argument[kPathBytes + 1];
    *line = NextArgument(*line, argument, kPathBytes + 1);
    if (!*line || wcslen(argument) >= size_t(kPathBytes))
        return 0;
    wcscpy(path, argument);
    return 1;
}

static void ReadArguments(UninstallArguments *arguments)
{
    WCHAR argument[kPathBytes];
    const WCHAR *line = NextArgument(GetCommandLineW(), argument, kPathBytes); /* the program */
    while (line && (line = NextArgument(line, argument, kPathBytes))) {
        if (_wcsicmp(argument, L"/quiet") == 0)
            arguments->quiet = 1;
        else if (_wcsicmp(argument, L"/wordbase") == 0)
            arguments->ownWordBase = 1;
        else if (_wcsicmp(argument, L"/remove") == 0)
            arguments->remove = NextPath(&line, arguments->folder);
        else if (_wcsicmp(argument, L"/from") == 0)
            NextPath(&line, arguments->first);
    }
}

static const char *ProductNameOf(int field)
{
    return ProductName(kInstalledProduct, field, 0);
}

static int AskToUninstall()
{
    char english[kSecondTextBytes];
    snprintf(english, sizeof english, "Remove %s and all of its components?", ProductNameOf(kDisplayName));
    return ShowMessage("确实要卸载拓沃智能编辑器及其全部组件吗？", english, kMessageOkCancel, nullptr) == IDOK;
}

/* The word base grows with every phrase the user types: it goes only when the user says so. */
static int AskAboutOwnWordBase(const char *folder)
{
    return HoldsOwnWordBase(folder) &&
           ShowMessage("您自己的词库也要删除吗？", "Remove your own word base (CiKu) too?", kMessageYesNo, nullptr) ==
               IDYES;
}

static void ReportOutcome(const UninstallOutcome &outcome)
{
    char english[kSecondTextBytes], chinese[80];
    if (outcome.stayed == 0) {
        snprintf(english, sizeof english, "%s has been removed.", ProductNameOf(kDisplayName));
        ShowMessage("拓沃智能编辑器已经卸载。", english, kMessageOk, nullptr);
        return;
    }
    snprintf(chinese, sizeof chinese, "卸载完毕，有 %d 项留下。", outcome.stayed);
    if (outcome.firstStayed[0])
        snprintf(english, sizeof english, "Removed; %d item(s) stayed, such as %s", outcome.stayed,
                 outcome.firstStayed);
    else
        snprintf(english, sizeof english, "Removed; %d item(s) stayed.", outcome.stayed);
    ShowMessage(chinese, english, kMessageOk, nullptr);
}

static void ReportNoRecord()
{
    ShowMessage("找不到安装记录，什么也没有删除。", "The install record is missing: nothing was removed.", kMessageOk,
                nullptr);
}

static void ReportCopyNotStarted()
{
    ShowMessage("无法启动卸载程序，什么也没有删除。", "The uninstaller could not be started: nothing was removed.",
                kMessageOk, nullptr);
}

/* The path of the program's own file. */
static int OwnPath(WCHAR *path)
{
    DWORD length = GetModuleFileNameW(nullptr, path, kPathBytes);
    return length > 0 && length < DWORD(kPathBytes);
}

/* The folder part of path into folder; 0 when it has none. */
static int FolderOf(const WCHAR *path, WCHAR *folder)
{
    wcscpy(folder, path);
    WCHAR *name = wcsrchr(folder, L'\\');
    if (!name)
        return 0;
    *name = L'\0';
    return 1;
}

/* The bytes of the program's own file, in a block of the process heap the caller frees;
   null when they can't be read. */
static void *ReadOwnFile(const WCHAR *path, DWORD *length)
{
    HANDLE file = CreateFileW(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return nullptr;
    LARGE_INTEGER size;
    void *bytes = nullptr;
    if (GetFileSizeEx(file, &size) && size.QuadPart > 0 && size.QuadPart < (1 << 28)) {
        *length = DWORD(size.QuadPart);
        bytes = HeapAlloc(GetProcessHeap(), 0, *length);
        DWORD got = 0;
        if (bytes && (!ReadFile(file, bytes, *length, &got, nullptr) || got != *length)) {
            HeapFree(GetProcessHeap(), 0, bytes);
            bytes = nullptr;
        }
    }
    CloseHandle(file);
    return bytes;
}

/* The copy that does the removing: written into a new private folder of the temporary
   folder and kept read-only, sharing reading only, from the moment its bytes are checked
   until it has ended, so no other program can put its own bytes in its place.
   INVALID_HANDLE_VALUE when no such copy could be made. */
static HANDLE MakeKeptCopy(const WCHAR *self, WCHAR *copy, WCHAR *folder)
{
    WCHAR temporary[kPathBytes];
    DWORD length = 0;
    const WCHAR *name = wcsrchr(self, L'\\');
    void *bytes = FindTemporaryFolder(temporary) ? ReadOwnFile(self, &length) : nullptr;
    HANDLE kept = bytes ? KeepPrivateFile(temporary, kPrivateFolderPrefix, name ? name + 1 : L"uninstall.exe", bytes,
                                          length, copy)
                        : INVALID_HANDLE_VALUE;
    if (bytes)
        HeapFree(GetProcessHeap(), 0, bytes);
    if (kept != INVALID_HANDLE_VALUE)
        FolderOf(copy, folder);
    return kept;
}

/* Starts the copy and waits for it to end; its exit code, or -1 when it could not be
   started. */
static int RunCopy(const WCHAR *copy, const WCHAR *copyFolder, const WCHAR *self, const WCHAR *folder,
                   int ownWordBase, int quiet)
{
    WCHAR command[4 * kPathBytes];
    int written = swprintf(command, sizeof command / sizeof command[0], L"\"%ls\" /remove \"%ls\" /from \"%ls\"%ls%ls",
                           copy, folder, self, ownWordBase ? L" /wordbase" : L"", quiet ? L" /quiet" : L"");
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    if (written <= 0 ||
        !CreateProcessW(copy, command, nullptr, nullptr, FALSE, 0, nullptr, copyFolder, &startup, &process))
        return -1;
    CloseHandle(process.hThread);
    DWORD code = kExitNothingDone;
    if (WaitForSingleObject(process.hProcess, INFINITE) != WAIT_OBJECT_0 || !GetExitCodeProcess(process.hProcess, &code))
        code = kExitNothingDone;
    CloseHandle(process.hProcess);
    return int(code);
}

/* The copy in its private folder does the removing while this program waits. */
static int HandOver(const WCHAR *self, const WCHAR *folder, int ownWordBase, int quiet)
{
    WCHAR copy[kPathBytes], copyFolder[kPathBytes];
    HANDLE kept = MakeKeptCopy(self, copy, copyFolder);
    int code = kept == INVALID_HANDLE_VALUE ? -1 : RunCopy(copy, copyFolder, self, folder, ownWordBase, quiet);
    if (kept != INVALID_HANDLE_VALUE)
        CloseHandle(kept);
    if (code >= 0)
        return code;
    if (kept != INVALID_HANDLE_VALUE) {
        DeleteFileW(copy);
        RemoveDirectoryW(copyFolder);
    }
    if (!quiet)
        ReportCopyNotStarted();
    return kExitNothingDone;
}

/* The first program still runs from its file in the install folder: the file can't be
   deleted, but it can be moved, on its own drive, beside the copy, where it goes with the
   copy's folder. A first program on another drive keeps its file, which then stays. */
static void MoveFirstProgramAway(const WCHAR *first, const WCHAR *copyFolder, WCHAR *moved)
{
    moved[0] = L'\0';
    int written = swprintf(moved, kPathBytes, L"%ls\\%ls", copyFolder, kMovedFirstName);
    if (!first[0] || written <= 0 || written >= kPathBytes || !MoveFileExW(first, moved, 0))
        moved[0] = L'\0';
}

/* The copy's own file, the first program's moved file and their folder go at the system's
   next start: until then the two may still run. */
static void LetCopyFolderGo(const WCHAR *self, const WCHAR *moved)
{
    WCHAR folder[kPathBytes];
    if (moved[0])
        MoveFileExW(moved, nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
    MoveFileExW(self, nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
    if (FolderOf(self, folder))
        MoveFileExW(folder, nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
}

/* Whether path names a file right inside folder. */
static int IsFileOfFolder(const WCHAR *path, const WCHAR *folder)
{
    WCHAR parent[kPathBytes];
    return path[0] && FolderOf(path, parent) && _wcsicmp(parent, folder) == 0;
}

static int Remove(const UninstallArguments &arguments)
{
    WCHAR self[kPathBytes], copyFolder[kPathBytes], moved[kPathBytes] = L"";
    char folder[kPathBytes];
    int own = OwnPath(self) && FolderOf(self, copyFolder);
    int recorded = NarrowText(arguments.folder, CP_ACP, folder, kPathBytes) && HoldsInstallRecord(folder);
    if (own && recorded && IsFileOfFolder(arguments.first, arguments.folder))
        MoveFirstProgramAway(arguments.first, copyFolder, moved);
    UninstallOutcome outcome;
    int done = recorded && UninstallRecorded(folder, arguments.ownWordBase, &outcome);
    if (!arguments.quiet) {
        if (done)
            ReportOutcome(outcome);
        else
            ReportNoRecord();
    }
    if (own)
        LetCopyFolderGo(self, moved);
    if (!done)
        return kExitNothingDone;
    return outcome.stayed ? kExitItemsStayed : kExitAllTakenBack;
}

static int Run(const UninstallArguments &arguments)
{
    if (arguments.remove)
        return Remove(arguments);
    WCHAR self[kPathBytes], folder[kPathBytes];
    char systemFolder[kPathBytes];
    /* The install folder is the user's text in the code page: one the code page can't
       spell holds no record of ours. */
    if (!OwnPath(self) || !FolderOf(self, folder) || !NarrowText(folder, CP_ACP, systemFolder, kPathBytes)) {
        if (!arguments.quiet)
            ReportNoRecord();
        return kExitNothingDone;
    }
    if (!arguments.quiet && !AskToUninstall())
        return kExitCancelled;
    int ownWordBase = !arguments.quiet && AskAboutOwnWordBase(systemFolder);
    return HandOver(self, folder, ownWordBase, arguments.quiet);
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    RestrictDllSearch();
    SystemLibraries libraries = {};
    LoadSystemLibraries(&libraries);
    gInstance = instance;
    DetectSystemChineseVariant();
    UninstallArguments arguments = {};
    ReadArguments(&arguments);
    int exitCode = kExitNothingDone;
    if (arguments.quiet || LoadProgramAtlas())
        exitCode = Run(arguments);
    ReleaseGlyphAtlas();
    ReleaseSystemLibraries(&libraries);
    return exitCode;
}
