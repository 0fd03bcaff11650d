/* What this install has made or changed so far: part of the shared state, noted by the
   install engine and the shell registration as they go, for the install record
   (install/install_record.h) to write when the run succeeds. Each item is one whole line
   of that record without its line end, in UTF-8: the shell folders a link or a program
   group lives in may have names the system's code page can't spell. Narrow arguments are
   text in the system's code page. */
#ifndef TOVRA_MADE_ITEMS_H
#define TOVRA_MADE_ITEMS_H

#include "wizard/wizard_state.h"

/* An item is a path and its kind's fields; a character takes up to three bytes in UTF-8
   where it took two in the code page. */
enum { kMadeItemLimit = 128, kMadeItemBytes = 3 * kPathBytes + 16 };

/* Forgets what an earlier run noted: each install run starts afresh. */
void ForgetMadeItems();
/* Notes a line, in UTF-8; one already noted is not noted twice. 0 when the line is too
   long or the list is full. */
int NoteItemLine(const char *line);
/* Notes a folder, shortcut or registry key the run made. */
int NoteMadeFolder(const char *path);
int NoteMadeFolderW(const WCHAR *path);
int NoteShortcut(const WCHAR *path);
int NoteRegistryKey(const char *root, const char *path);
/* Notes a text value set in a key the run did not make, with what it held before; a value
   already noted keeps the old text noted first. */
int NoteRegistryValue(const char *root, const char *path, const char *name, const char *installed,
                      const char *old);
int MadeItemCount();
/* The line of item index, in UTF-8. */
const char *MadeItem(int index);

#endif
