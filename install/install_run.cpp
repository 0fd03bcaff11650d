#include "install/install_run.h"

#include <windows.h>
#include <commctrl.h>
#include <stdio.h>

#include "foundation/path_text.h"
#include "install/file_replace.h"
#include "install/folder_listing.h"
#include "install/install_record.h"
#include "install/manifest.h"
#include "install/payload.h"
#include "install/program_protection.h"
#include "install/run_journal.h"
#include "install/settings_file.h"
#include "install/shortcuts.h"
#include "install/uninstall_entry.h"
#include "registration/registration.h"
#include "wizard/made_items.h"
#include "wizard/message_dialog.h"
#include "wizard/resource.h"
#include "wizard/wizard_state.h"

/* The piece of a file inflated and written at a time: the largest file, tens of megabytes,
   is never held whole. */
enum { kInflateChunkBytes = 262144 };

/* Set only by the user's answer to the word-base question; word-base rows are skipped
   while it is set. */
static int gKeepOldWordBase;

/* The access list of the run's program files; empty where there is none to give. */
static ProgramProtection gProgramProtection;

/* No message loop turns during the run, so each step repaints the bar itself. */
static void SetProgress(int position)
{
    HWND progress = GetDlgItem(gMainWindow, IDC_PROGRESS);
    SendMessageA(progress, PBM_SETPOS, position, 0);
    UpdateWindow(progress);
}

static void ShowProgress()
{
    ShowWindow(GetDlgItem(gMainWindow, IDC_PROGRESS), SW_SHOW);
    SetProgress(10);
}

/* An index whose first byte has its top bit set belongs to a word base the user has
   been building; replacing it loses the user's words. */
static int HasOldWordBase(const FolderListing *listing)
{
    char index[kPathBytes];
    if (ListedAttributes(listing, gInstallFolder, "CiZuFlat.igb") == INVALID_FILE_ATTRIBUTES)
        return -1;
    if (!JoinPath(index, gInstallFolder, "pycizudic.idx"))
        return 0;
    FILE *file = fopen(index, "rb");
    if (!file)
        return 0;
    int first = fgetc(file);
    fclose(file);
    return first != EOF && (first & 0x80) ? 1 : 0;
}

static void AskAboutOldWordBase(const FolderListing *listing)
{
    int present = HasOldWordBase(listing);
    if (present < 0)
        return;
    if (present &&
        ShowMessage("安装目录有老词库。是否安装新词库(会冲掉老词库)?",
                    "Old CiKu (Word Base) is detected. Replace it with new CiKu?", kMessageYesNo,
                    gMainWindow) != IDYES)
        gKeepOldWordBase = 1;
    SetCursor(LoadCursorA(nullptr, IDC_WAIT));
}

/* Earlier versions left numbered copies of their dictionaries beside them; stale copies
   would be loaded instead of the new dictionaries. They are moved to their kept names, to
   be deleted with the other old files once the run has succeeded. */
static void SweepStaleCopies(FolderListing *listing, RunJournal *journal)
{
    for (int k = 0; k < kStaleCopyCount; ++k) {
        char name[kJournalNameBytes], path[kPathBytes], kept[kPathBytes];
        StaleCopyName(k, name);
        unsigned long slot = kStaleCopySlots + k;
        DWORD attributes = ListedAttributes(listing, gInstallFolder, name);
        /* A failed run gives the copy back under the name it had, "gbkflat.dic" for the
           sweep's "Gbkflat.dic" say: on a drive that tells case apart it is another name. */
        const char *found = ListedName(listing, name);
        if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY) ||
            !JournalHasRoom(journal) || !JoinPath(path, gInstallFolder, found) ||
            !CopyPathBeside(kept, path, kKeptCopy, slot))
            continue;
        if (MoveFileA(path, kept)) {
            NoteChange(journal, kStaleCopyKept, slot, found, attributes);
            ForgetListed(listing, name);
        }
    }
}

/* OK tries again, Cancel gives the file up. */
static int AskToTryAgain(const char *fileName)
{
    char chinese[80], english[kSecondTextBytes];
    snprintf(chinese, sizeof chinese, "%s 正被其他程序使用。确认重试，取消放弃。", fileName);
    snprintf(english, sizeof english,
             "%s is in use by another program. Close it and press OK to try again, or Cancel to give up.", fileName);
    int answer = ShowMessage(chinese, english, kMessageOkCancel, gMainWindow);
    SetCursor(LoadCursorA(nullptr, IDC_WAIT));
    return answer == IDOK;
}

/* A file that has come since the folder was listed is replaced like any old file: it is
   read again and kept. 0 when it can't be, a folder having come instead. */
static int ReadTargetAgain(const char *target, DWORD *old)
{
    *old = GetFileAttributesA(target);
    return *old != INVALID_FILE_ATTRIBUTES && !(*old & FILE_ATTRIBUTE_DIRECTORY);
}

/* Another program may hold the file for a moment (a scanner reading it) or until the user
   closes it (the editor still running): it is tried for about two seconds, then the user
   is asked. 1 when the new copy is in place; *old then says what it replaced. */
static int PutRowInPlace(const char *newCopy, const char *target, DWORD *old, const char *kept, const char *fileName)
{
    for (;;) {
        if (PutInPlaceWhenFree(newCopy, target, *old, kept))
            return 1;
        DWORD error = GetLastError();
        if (*old == INVALID_FILE_ATTRIBUTES && (error == ERROR_ALREADY_EXISTS || error == ERROR_FILE_EXISTS)) {
            if (!ReadTargetAgain(target, old))
                return 0;
            continue;
        }
        if (!IsFileInUse(error) || !AskToTryAgain(fileName))
            return 0;
    }
}

/* The row's payload inflated into its new copy; a damaged payload leaves no copy. A
   program file gets its access list while the run alone holds the new copy: from its
   first byte no other user can open it for writing, not even to keep a handle until the
   list is there. The one-step replace renames the copy, and the list goes with it, into a
   fresh install as over an earlier one. A file whose list can't be set fails nothing. */
static int WriteRowCopy(const char *newCopy, const ManifestStep &step, DWORD attributes, void *chunk)
{
    HANDLE file = CreateNewCopy(newCopy, attributes);
    if (file == INVALID_HANDLE_VALUE)
        return 0;
    if (IsProgramFile(step.fileName))
        ProtectProgramFile(&gProgramProtection, newCopy);
    return CloseNewCopy(file, newCopy, InflatePayloadInto(file, step.identifier, chunk, kInflateChunkBytes));
}

/* One row through a new copy; 1 when its file is in place. A row that fails leaves its old
   file as it was. */
static int WriteRow(const ManifestStep &step, void *chunk, const FolderListing *listing, RunJournal *journal)
{
    char target[kPathBytes], newCopy[kPathBytes], kept[kPathBytes];
    if (!JournalHasRoom(journal) || !JoinPath(target, gInstallFolder, step.fileName) ||
        !CopyPathBeside(newCopy, target, kNewCopy, step.identifier) ||
        !CopyPathBeside(kept, target, kKeptCopy, step.identifier))
        return 0;
    DWORD old = ListedAttributes(listing, gInstallFolder, step.fileName);
    if (old != INVALID_FILE_ATTRIBUTES && (old & FILE_ATTRIBUTE_DIRECTORY))
        return 0;
    if (!WriteRowCopy(newCopy, step, AttributesForNewFile(old, step.readOnly, step.hidden), chunk))
        return 0;
    if (!PutRowInPlace(newCopy, target, &old, kept, step.fileName)) {
        ForceDelete(newCopy);
        return 0;
    }
    NoteChange(journal, old == INVALID_FILE_ATTRIBUTES ? kFileCreated : kFileReplaced, step.identifier, step.fileName,
               old);
    return 1;
}

/* Writes the manifest rows in order; 0 as soon as a required row fails. */
static int WriteManifest(void *chunk, const FolderListing *listing, RunJournal *journal)
{
    for (int i = 0; i < kManifestStepCount; ++i) {
        const ManifestStep &step = kManifestSteps[i];
        if (!IsManifestRow(step)) {
            if (i > 0)
                SetProgress(step.progress);
            continue;
        }
        if (step.kind == kWordBaseRow && gKeepOldWordBase)
            continue;
        if (!WriteRow(step, chunk, listing, journal) && IsRequiredRow(step))
            return 0;
    }
    return 1;
}

static const char *NameOf(int product, int field)
{
    return ProductName(product, field, gSystemChineseVariant);
}

static void MakeEditorGroup()
{
    const ShortcutEntry shortcuts[] = {
        {NameOf(kInstalledProduct, kShortcutName), NameOf(kInstalledProduct, kExecutableFile)},
        {NameOf(kInstalledProduct, kUninstallName), NameOf(kInstalledProduct, kUninstallerFile)},
        {nullptr, nullptr},
    };
    MakeProgramGroup(NameOf(kInstalledProduct, kDisplayName), shortcuts);
}

static void MakeDesktopShortcuts()
{
    MakeDesktopShortcut(NameOf(kProductNotes, kExecutableFile), NameOf(kProductNotes, kShortcutName));
    MakeDesktopShortcut(NameOf(kInstalledProduct, kExecutableFile), NameOf(kInstalledProduct, kShortcutName));
}

/* What the install made, for its uninstaller: the installed-apps entry and the record,
   both from the sizes of the payload index. */
static void RecordInstall(const RunJournal *journal)
{
    static PayloadIndex index;
    int indexed = LoadPayloadIndex(&index);
    WriteUninstallEntry(indexed ? KilobytesWritten(journal, &index) : 0);
    if (indexed)
        WriteInstallRecord(journal, &index, &gProgramProtection);
}

/* A new record; the folders this setup or an earlier one made for the install are its
   first items. */
static void NoteMadeFolders()
{
    ForgetMadeItems();
    CarryEarlierRecord();
    char documents[kPathBytes];
    if (!gInstallFolderMade)
        return;
    NoteMadeFolder(gInstallFolder);
    if (JoinPath(documents, gInstallFolder, "doc"))
        NoteMadeFolder(documents);
}

int InstallRun()
{
    return InstallRunFor(DecideInstallScope());
}

int InstallRunFor(int scope)
{
    gInstallScope = scope;
    void *chunk = HeapAlloc(GetProcessHeap(), 0, kInflateChunkBytes);
    if (!chunk) {
        ShowOutOfMemory(gMainWindow);
        return 0;
    }
    ShowProgress();
    /* Without it (an old system, no administrator) the program files keep what they inherit. */
    TakeProgramProtection(&gProgramProtection);
    NoteMadeFolders();
    ClearLeftovers(gInstallFolder);
    FolderListing listing;
    ListFolder(gInstallFolder, &listing);
    gKeepOldWordBase = 0;
    AskAboutOldWordBase(&listing);

    /* Every file the walk replaces keeps its old file until the verdict: a failed run
       leaves the folder as it found it. */
    RunJournal journal;
    journal.count = 0;
    SweepStaleCopies(&listing, &journal);
    int success = WriteManifest(chunk, &listing, &journal);
    if (success)
        LetOldFilesGo(&journal, gInstallFolder);
    else
        RollBack(&journal, gInstallFolder);
    if (success) {
        UpdateSettingsFile();
        TakeBackOtherScopeLinks();
        MakeEditorGroup();
        SetProgress(94);
        if (gDesktopIconFlag)
            MakeDesktopShortcuts();
        SetProgress(97);
    }
    HeapFree(GetProcessHeap(), 0, chunk);

    if (success && gVersion6Flag)
        RegisterDocumentTypes();
    if (success) {
        RecordInstall(&journal);
        SetProgress(100);
    }
    ReleaseProgramProtection(&gProgramProtection);
    return success;
}
