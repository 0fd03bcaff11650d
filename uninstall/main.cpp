/* The product's uninstaller. Started from the install folder (by the installed-apps list
   or the Start menu), it asks, then hands the work to a copy of itself in the temporary
   folder and ends: a running program's own file can't be deleted. The copy waits for it
   to end, takes back what the install record lists, reports once and leaves its own file
   to the system's next start.

     TVREditUnInstall.exe [/quiet]                   asks, then hands over
     <copy> /remove "<install folder>" /after <process id> [/wordbase] [/quiet]
                                                     removes and reports

   /wordbase removes the word base the user has grown too; /quiet asks nothing (the user's
   word base stays) and reports nothing. Exit code 0 when done or cancelled, 1 when
   there was nothing to go by or the copy could not be started. */
#include <windows.h>

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "display/glyph_text.h"
#include "install/manifest.h"
#include "install/payload.h"
#include "uninstall/uninstall_run.h"
#include "wizard/message_dialog.h"
#include "wizard/startup.h"
#include "wizard/system_libraries.h"
#include "wizard/wizard_state.h"

struct UninstallArguments {
    int quiet;
    int remove;
    int ownWordBase;
    char folder[kPathBytes];
    DWORD after;
};

/* The next argument of a command line, quotes taken off; null at its end. */
static const char *NextArgument(const char *line, char *argument, int capacity)
{
    while (*line == ' ' || *line == '\t')
        ++line;
    if (!*line)
        return nullptr;
    int quoted = *line == '"', length = 0;
    line += quoted;
    while (*line && (quoted ? *line != '"' : (*line != ' ' && *line != '\t'))) {
        if (length < capacity - 1)
            argument[length++] = *line;
        ++line;
    }
    argument[length] = '\0';
    return *line ? line + 1 : line;
}

static void ReadArguments(UninstallArguments *arguments)
{
    char argument[kPathBytes];
    const char *line = NextArgument(GetCommandLineA(), argument, kPathBytes); /* the program */
    while (line && (line = NextArgument(line, argument, kPathBytes))) {
        if (_stricmp(argument, "/quiet") == 0)
            arguments->quiet = 1;
        else if (_stricmp(argument, "/wordbase") == 0)
            arguments->ownWordBase = 1;
        else if (_stricmp(argument, "/remove") == 0 && (line = NextArgument(line, argument, kPathBytes)))
            arguments->remove = snprintf(arguments->folder, kPathBytes, "%s", argument) < kPathBytes;
        else if (_stricmp(argument, "/after") == 0 && (line = NextArgument(line, argument, kPathBytes)))
            arguments->after = strtoul(argument, nullptr, 10);
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
static int AskAboutOwnWordBase()
{
    return ShowMessage("您自己的词库也要删除吗？", "Remove your own word base (CiKu) too?", kMessageYesNo, nullptr) ==
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
    snprintf(english, sizeof english, "Removed; %d item(s) stayed, such as %s", outcome.stayed, outcome.firstStayed);
    ShowMessage(chinese, english, kMessageOk, nullptr);
}

static void ReportNoRecord()
{
    ShowMessage("找不到安装记录，什么也没有删除。", "The install record is missing: nothing was removed.", kMessageOk,
                nullptr);
}

/* The path of the program's own file. */
static int OwnPath(char *path)
{
    DWORD length = GetModuleFileNameA(nullptr, path, kPathBytes);
    return length > 0 && length < kPathBytes;
}

/* The copy in the temporary folder, started to do the removing; 0 when it can't be. */
static int HandOver(const char *folder, int ownWordBase, int quiet)
{
    char self[kPathBytes], temporary[kPathBytes], copy[kPathBytes], command[3 * kPathBytes];
    if (!OwnPath(self) || !GetTempPathA(kPathBytes, temporary) ||
        !GetTempFileNameA(temporary, "tvu", 0, copy) || !CopyFileA(self, copy, FALSE))
        return 0;
    snprintf(command, sizeof command, "\"%s\" /remove \"%s\" /after %lu%s%s", copy, folder,
             static_cast<unsigned long>(GetCurrentProcessId()), ownWordBase ? " /wordbase" : "", quiet ? " /quiet" : "");
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    if (!CreateProcessA(copy, command, nullptr, nullptr, FALSE, 0, nullptr, temporary, &startup, &process)) {
        DeleteFileA(copy);
        return 0;
    }
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return 1;
}

/* The folder of the program's own file. */
static int OwnFolder(char *folder)
{
    if (!OwnPath(folder))
        return 0;
    char *name = strrchr(folder, '\\');
    if (!name)
        return 0;
    *name = '\0';
    return 1;
}

static void WaitForEnd(DWORD processId)
{
    HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, processId);
    if (!process)
        return;
    WaitForSingleObject(process, 30000);
    CloseHandle(process);
}

static int Remove(const UninstallArguments &arguments)
{
    if (arguments.after)
        WaitForEnd(arguments.after);
    UninstallOutcome outcome;
    int done = UninstallRecorded(arguments.folder, arguments.ownWordBase, &outcome);
    if (!arguments.quiet) {
        if (done)
            ReportOutcome(outcome);
        else
            ReportNoRecord();
    }
    char self[kPathBytes];
    if (OwnPath(self))
        MoveFileExA(self, nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
    return done ? 0 : 1;
}

static int Run(const UninstallArguments &arguments)
{
    if (arguments.remove)
        return Remove(arguments);
    char folder[kPathBytes];
    if (!OwnFolder(folder))
        return 1;
    if (!arguments.quiet && !AskToUninstall())
        return 0;
    int ownWordBase = !arguments.quiet && HoldsOwnWordBase(folder) && AskAboutOwnWordBase();
    return HandOver(folder, ownWordBase, arguments.quiet) ? 0 : 1;
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
    int exitCode = 1;
    if (arguments.quiet || LoadProgramAtlas())
        exitCode = Run(arguments);
    ReleaseGlyphAtlas();
    ReleaseSystemLibraries(&libraries);
    return exitCode;
}
