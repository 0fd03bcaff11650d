/* What one install run changes in the install folder, so that a failed run gives every
   file back and a successful one lets the old files go; and the mending of what a run that
   was stopped half-way left behind. */
#ifndef TOVRA_RUN_JOURNAL_H
#define TOVRA_RUN_JOURNAL_H

#include <windows.h>

/* The slot of a file's copies (file_replace.h): a manifest row's is its payload identifier;
   stale dictionary copy k of the sweep has kStaleCopySlots + k. */
enum { kStaleCopySlots = 65536, kStaleCopyCount = 64 };

enum { kJournalEntries = 256, kJournalNameBytes = 40 };

enum ChangeKind {
    kFileCreated = 0,     /* there was no file: a failed run deletes it */
    kFileReplaced = 1,    /* the old file is kept under its slot until the verdict */
    kStaleCopyKept = 2,   /* the sweep moved the stale copy to its kept name */
};

struct JournalEntry {
    unsigned long slot;
    DWORD oldAttributes;
    int kind;
    char name[kJournalNameBytes];
};

struct RunJournal {
    int count;
    JournalEntry entries[kJournalEntries];
};

/* Stale dictionary copy k of the sweep (0 to 63): the four dictionaries with the empty
   suffix, then with "0001", "0010" and on to "1111". name holds kJournalNameBytes. */
void StaleCopyName(int k, char *name);

/* The file that the copies of slot stand for, into name; 0 for a slot of no file. */
int NameOfSlot(unsigned long slot, char *name);

int JournalHasRoom(const RunJournal *journal);
void NoteChange(RunJournal *journal, int kind, unsigned long slot, const char *name, DWORD oldAttributes);

/* The run succeeded: the kept old files are deleted. */
void LetOldFilesGo(const RunJournal *journal, const char *folder);

/* The run failed: newest change first, every replaced file gets its old file back with its
   attributes, every created file is deleted and every stale copy returns. */
void RollBack(const RunJournal *journal, const char *folder);

/* Before a run writes: new copies an interrupted run left are deleted; a kept copy goes
   back to its file's name when that is empty (the run was stopped between two renames)
   and is deleted otherwise. */
void ClearLeftovers(const char *folder);

#endif
