#include "install/install_run.h"

#include <windows.h>
#include <commctrl.h>
#include <io.h>
#include <stdio.h>

#include "install/manifest.h"
#include "install/payload.h"
#include "install/settings_file.h"
#include "install/shortcuts.h"
#include "registration/registration.h"
#include "wizard/message_dialog.h"
#include "wizard/resource.h"
#include "wizard/wizard_state.h"

/* Set only by the user's answer to the word-base question; word-base rows are skipped
   while it is set. */
static int gKeepOldWordBase;

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

void ForceDelete(const char *path)
{
    DWORD attributes = GetFileAttributesA(path);
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return;
    if (attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN))
        SetFileAttributesA(path, attributes & ~(FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN));
    DeleteFileA(path);
}

/* An index whose first byte has its top bit set belongs to a word base the user has
   been building; replacing it loses the user's words. */
static int HasOldWordBase()
{
    char phrases[kPathBytes], index[kPathBytes];
    if (!JoinPath(phrases, gInstallFolder, "CiZuFlat.igb") || _access(phrases, 0) != 0)
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

static void AskAboutOldWordBase()
{
    int present = HasOldWordBase();
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
   would be loaded instead of the new dictionaries. */
static void SweepStaleCopies()
{
    static const char *const kDictionaries[] = {"pykeys.dic", "Gbkflat.dic", "flatAuto.dic", "flatAdjust.dic"};
    for (int counter = 0; counter < 16; ++counter) {
        char suffix[8] = "";
        if (counter)
            snprintf(suffix, sizeof suffix, "%1d%1d%1d%1d", counter >> 3 & 1, counter >> 2 & 1, counter >> 1 & 1,
                     counter & 1);
        for (const char *dictionary : kDictionaries) {
            char name[32], path[kPathBytes];
            snprintf(name, sizeof name, "%s%s", dictionary, suffix);
            if (JoinPath(path, gInstallFolder, name))
                ForceDelete(path);
        }
    }
}

/* Writes the manifest rows in order; 0 as soon as a required row fails. */
static int WriteManifest(void *scratch)
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
        int written = ExtractPayload(step.identifier, step.fileName, scratch, kScratchBytes, step.readOnly,
                                     step.hidden, nullptr);
        if (!written && IsRequiredRow(step))
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

int InstallRun()
{
    void *scratch = HeapAlloc(GetProcessHeap(), 0, kScratchBytes);
    if (!scratch) {
        ShowMessage(kMessageTable[kMessageOutOfMemoryChinese], kMessageTable[kMessageOutOfMemoryEnglish], kMessageOk,
                    gMainWindow);
        return 0;
    }
    ShowProgress();
    gKeepOldWordBase = 0;
    AskAboutOldWordBase();
    SweepStaleCopies();

    int success = WriteManifest(scratch);
    if (success) {
        UpdateSettingsFile();
        MakeEditorGroup();
        SetProgress(94);
        if (gDesktopIconFlag)
            MakeDesktopShortcuts();
        SetProgress(97);
        SetProgress(100);
    }
    HeapFree(GetProcessHeap(), 0, scratch);

    if (success && gVersion6Flag)
        RegisterDocumentTypes();
    return success;
}
