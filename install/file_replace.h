/* Files replaced in one step. A file's new bytes are written under a temporary name beside
   it and put in its place with one rename, so that the file never holds anything but its
   old bytes or its new bytes, whenever the program is stopped. The old file can be kept
   beside it until the install's verdict.

   Both copies have names no product file has, "~tvnew<slot>.tmp" for the new bytes and
   "~tvold<slot>.tmp" for the old file, so nothing loads them by mistake and a later run
   finds what an interrupted one left; the slot tells which file a copy stands for. */
#ifndef TOVRA_FILE_REPLACE_H
#define TOVRA_FILE_REPLACE_H

#include <windows.h>

enum CopyKind { kNewCopy = 0, kKeptCopy = 1 };

/* A file in use is tried again this often, this long apart: about two seconds. */
enum { kInUseTries = 20, kInUsePauseMilliseconds = 100 };

/* The name pattern of every copy of kind, for a folder search. */
const char *CopyPattern(int kind);

/* The slot of a copy's file name, or -1 when the name is no copy of kind. */
long SlotOfCopy(const char *name, int kind);

/* The path of the copy of kind with slot, in target's folder; 0 when it would not fit. */
int CopyPathBeside(char *path, const char *target, int kind, unsigned long slot);
int CopyPathBesideW(WCHAR *path, const WCHAR *target, int kind, unsigned long slot);

/* The attributes a file gets: the asked read-only and hidden bits on top of the other bits
   its old file had (old is INVALID_FILE_ATTRIBUTES when there is none). */
DWORD AttributesForNewFile(DWORD old, int readOnly, int hidden);

/* A new file at path, created with attributes and open for writing; INVALID_HANDLE_VALUE
   with the system's error. */
HANDLE CreateNewCopy(const char *path, DWORD attributes);

/* Writes length bytes of data to file; 0 with the system's error, ERROR_DISK_FULL for a
   short write. */
int WriteWhole(HANDLE file, const void *data, unsigned long length);

/* Closes the new copy at path; written is non-zero when every write to it succeeded. 1 when
   the file is whole and closed; otherwise 0, the part-written file removed (on a full disk
   it holds the last free space) and the system's error kept. */
int CloseNewCopy(HANDLE file, const char *path, int written);

/* CreateNewCopy, WriteWhole and CloseNewCopy in one. */
int WriteNewCopy(const char *path, const void *data, unsigned long length, DWORD attributes);
int WriteNewCopyW(const WCHAR *path, const void *data, unsigned long length, DWORD attributes);

/* Puts newCopy in the place of target in one rename. old is target's attributes as read
   before, INVALID_FILE_ATTRIBUTES when there was no target: a target that has come since
   is then not replaced but fails with ERROR_ALREADY_EXISTS. With keptCopy, an old file
   stays there with the same bytes. 1 on success; 0 with the system's error and target as it
   was, attributes included. */
int PutInPlace(const char *newCopy, const char *target, DWORD old, const char *keptCopy);

/* PutInPlace, tried again for about two seconds while another program holds target (a
   scanner or the shell reading it); then 0 with the system's error. */
int PutInPlaceWhenFree(const char *newCopy, const char *target, DWORD old, const char *keptCopy);
/* The same for paths the code page may not spell (a shell folder's), keeping no old file. */
int PutInPlaceWhenFreeW(const WCHAR *newCopy, const WCHAR *target, DWORD old);

/* Gives target its old file back from keptCopy, with attributes; 0 with the system's error. */
int PutBackKept(const char *keptCopy, const char *target, DWORD attributes);

/* A failure that passes when another program lets go of the file. */
int IsFileInUse(DWORD error);

/* Deletes a file even when it is read-only or hidden; a missing file is passed over. */
void ForceDelete(const char *path);
void ForceDeleteW(const WCHAR *path);

#endif
