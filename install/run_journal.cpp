#include "install/run_journal.h"

#include <stdio.h>
#include <string.h>

#include "foundation/path_text.h"
#include "install/file_replace.h"
#include "install/manifest.h"
#include "install/payload.h"
#include "wizard/wizard_state.h"

void StaleCopyName(int k, char *name)
{
    static const char *const kDictionaries[] = {"pykeys.dic", "Gbkflat.dic", "flatAuto.dic", "flatAdjust.dic"};
    int counter = k / 4;
    char suffix[8] = "";
    if (counter)
        snprintf(suffix, sizeof suffix, "%1d%1d%1d%1d", counter >> 3 & 1, counter >> 2 & 1, counter >> 1 & 1,
                 counter & 1);
    snprintf(name, kJournalNameBytes, "%s%s", kDictionaries[k % 4], suffix);
}

int NameOfSlot(unsigned long slot, char *name)
{
    if (slot >= kStaleCopySlots && slot < kStaleCopySlots + kStaleCopyCount) {
        StaleCopyName(int(slot - kStaleCopySlots), name);
        return 1;
    }
    for (int i = 0; i < kManifestStepCount; ++i) {
        const ManifestStep &step = kManifestSteps[i];
        if (IsManifestRow(step) && unsigned(step.identifier) == slot) {
            int written = snprintf(name, kJournalNameBytes, "%s", step.fileName);
            return written > 0 && written < kJournalNameBytes;
        }
    }
    return 0;
}

int JournalHasRoom(const RunJournal *journal)
{
    return journal->count < kJournalEntries;
}

void NoteChange(RunJournal *journal, int kind, unsigned long slot, const char *name, DWORD oldAttributes)
{
    JournalEntry &entry = journal->entries[journal->count++];
    entry.kind = kind;
    entry.slot = slot;
    entry.oldAttributes = oldAttributes;
    lstrcpynA(entry.name, name, kJournalNameBytes);
}

static int PathsOf(const JournalEntry &entry, const char *folder, char *target, char *kept)
{
    return JoinPath(target, folder, entry.name) && CopyPathBeside(kept, target, kKeptCopy, entry.slot);
}

void LetOldFilesGo(const RunJournal *journal, const char *folder)
{
    for (int i = 0; i < journal->count; ++i) {
        const JournalEntry &entry = journal->entries[i];
        char target[kPathBytes], kept[kPathBytes];
        /* The replace took the read-only bit off before the old file was kept, so the
           delete is tried first, without asking for attributes; a swept copy may keep
           the bit. */
        if (entry.kind != kFileCreated && PathsOf(entry, folder, target, kept) && !DeleteFileA(kept))
            ForceDelete(kept);
    }
}

/* A program may have opened the new file in the meantime; it is waited for as long as the
   run waits for a file in use before it asks. */
static void PutBackWhileInUse(const char *kept, const char *target, DWORD attributes)
{
    for (int attempt = 0; attempt < kInUseTries; ++attempt) {
        if (PutBackKept(kept, target, attributes) || !IsFileInUse(GetLastError()))
            return;
        Sleep(kInUsePauseMilliseconds);
    }
}

void RollBack(const RunJournal *journal, const char *folder)
{
    for (int i = journal->count - 1; i >= 0; --i) {
        const JournalEntry &entry = journal->entries[i];
        char target[kPathBytes], kept[kPathBytes];
        if (!PathsOf(entry, folder, target, kept))
            continue;
        switch (entry.kind) {
        case kFileCreated:
            ForceDelete(target);
            break;
        case kFileReplaced:
            PutBackWhileInUse(kept, target, entry.oldAttributes);
            break;
        case kStaleCopyKept:
            MoveFileA(kept, target);
            break;
        }
    }
}

static void ClearCopies(const char *folder, int kind)
{
    char pattern[kPathBytes];
    if (!JoinPath(pattern, folder, CopyPattern(kind)))
        return;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA(pattern, &found);
    if (search == INVALID_HANDLE_VALUE)
        return;
    do {
        long slot = SlotOfCopy(found.cFileName, kind);
        char copy[kPathBytes], name[kJournalNameBytes], target[kPathBytes];
        if (slot < 0 || (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) || !JoinPath(copy, folder, found.cFileName))
            continue;
        if (kind == kKeptCopy && NameOfSlot(static_cast<unsigned long>(slot), name) && JoinPath(target, folder, name) &&
            GetFileAttributesA(target) == INVALID_FILE_ATTRIBUTES && MoveFileA(copy, target))
            continue;
        ForceDelete(copy);
    } while (FindNextFileA(search, &found));
    FindClose(search);
}

void ClearLeftovers(const char *folder)
{
    ClearCopies(folder, kNewCopy);
    ClearCopies(folder, kKeptCopy);
}
