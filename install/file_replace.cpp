#include "install/file_replace.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <wchar.h>

#include "foundation/path_text.h"
#include "foundation/wide_text.h"
#include "wizard/system_libraries.h"
#include "wizard/wizard_state.h"

static const char *const kCopyPrefixes[] = {"~tvnew", "~tvold"};
static const char *const kCopyPatterns[] = {"~tvnew*.tmp", "~tvold*.tmp"};
static const char kCopyExtension[] = ".tmp";
enum { kCopyNameBytes = 32 };

/* The old file's bits that stay with the file; read-only and hidden are asked anew. */
static const DWORD kKeptAttributes = FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;

const char *CopyPattern(int kind)
{
    return kCopyPatterns[kind];
}

long SlotOfCopy(const char *name, int kind)
{
    size_t prefix = strlen(kCopyPrefixes[kind]);
    if (_strnicmp(name, kCopyPrefixes[kind], prefix) != 0 || name[prefix] < '0' || name[prefix] > '9')
        return -1;
    char *end = nullptr;
    unsigned long slot = strtoul(name + prefix, &end, 10);
    if (lstrcmpiA(end, kCopyExtension) != 0 || slot > 0x7FFFFFFFUL)
        return -1;
    return long(slot);
}

/* A copy's own name: prefix, slot and extension, all ASCII. */
static void CopyName(char *name, size_t capacity, int kind, unsigned long slot)
{
    snprintf(name, capacity, "%s%lu%s", kCopyPrefixes[kind], slot, kCopyExtension);
}

/* The folder part is found by character: a double-byte name may end in the byte of a
   backslash. */
int CopyPathBeside(char *path, const char *target, int kind, unsigned long slot)
{
    char name[kCopyNameBytes];
    CopyName(name, sizeof name, kind, slot);
    int separator = FindLastBackslash(target, SystemPathCodePage());
    size_t folder = size_t(separator + 1);
    int written = snprintf(path, kPathBytes, "%.*s%s", int(folder), target, name);
    if (written < 0 || written >= kPathBytes) {
        path[0] = '\0';
        return 0;
    }
    return 1;
}

int CopyPathBesideW(WCHAR *path, const WCHAR *target, int kind, unsigned long slot)
{
    char name[kCopyNameBytes];
    WCHAR wideName[kCopyNameBytes];
    CopyName(name, sizeof name, kind, slot);
    const WCHAR *separator = wcsrchr(target, L'\\');
    size_t folder = separator ? size_t(separator + 1 - target) : 0, length = strlen(name);
    path[0] = L'\0';
    if (!WidenText(name, CP_ACP, wideName, kCopyNameBytes) || folder + length >= size_t(kPathBytes))
        return 0;
    wmemcpy(path, target, folder);
    wmemcpy(path + folder, wideName, length + 1);
    return 1;
}

DWORD AttributesForNewFile(DWORD old, int readOnly, int hidden)
{
    DWORD attributes = old == INVALID_FILE_ATTRIBUTES ? 0 : old & kKeptAttributes;
    if (readOnly)
        attributes |= FILE_ATTRIBUTE_READONLY;
    if (hidden)
        attributes |= FILE_ATTRIBUTE_HIDDEN;
    return attributes;
}

void ForceDeleteW(const WCHAR *path)
{
    DWORD attributes = GetFileAttributesW(path);
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return;
    if (attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN))
        SetFileAttributesW(path, attributes & ~(FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN));
    DeleteFileW(path);
}

/* A path of the install folder widens exactly: it is the user's text in the code page. */
void ForceDelete(const char *path)
{
    WCHAR wide[kPathBytes];
    if (WidenText(path, CP_ACP, wide, kPathBytes))
        ForceDeleteW(wide);
}

/* The attributes are given at creation: a file created read-only still takes the writes of
   the handle that created it, and one call less goes to the file system per file. */
HANDLE CreateNewCopy(const char *path, DWORD attributes)
{
    return CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, attributes ? attributes : FILE_ATTRIBUTE_NORMAL,
                       nullptr);
}

int WriteWhole(HANDLE file, const void *data, unsigned long length)
{
    DWORD written = 0;
    if (!WriteFile(file, data, length, &written, nullptr))
        return 0;
    if (written != length) {
        SetLastError(ERROR_DISK_FULL); /* a short write is the disk's end */
        return 0;
    }
    return 1;
}

/* Closes a new copy; the error that spoils it, ERROR_SUCCESS when it is whole. */
static DWORD FinishNewCopy(HANDLE file, int written)
{
    DWORD error = written ? ERROR_SUCCESS : GetLastError();
    if (!written && error == ERROR_SUCCESS)
        error = ERROR_WRITE_FAULT;
    if (!CloseHandle(file) && error == ERROR_SUCCESS)
        error = GetLastError();
    return error;
}

int CloseNewCopy(HANDLE file, const char *path, int written)
{
    DWORD error = FinishNewCopy(file, written);
    if (error == ERROR_SUCCESS)
        return 1;
    ForceDelete(path);
    SetLastError(error);
    return 0;
}

int WriteNewCopy(const char *path, const void *data, unsigned long length, DWORD attributes)
{
    HANDLE file = CreateNewCopy(path, attributes);
    if (file == INVALID_HANDLE_VALUE)
        return 0;
    return CloseNewCopy(file, path, WriteWhole(file, data, length));
}

int WriteNewCopyW(const WCHAR *path, const void *data, unsigned long length, DWORD attributes)
{
    HANDLE file = CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              attributes ? attributes : FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return 0;
    DWORD error = FinishNewCopy(file, WriteWhole(file, data, length));
    if (error == ERROR_SUCCESS)
        return 1;
    ForceDeleteW(path);
    SetLastError(error);
    return 0;
}

/* Windows 95, 98 and Me have MoveFileExA only as a stub; there the old file is deleted just
   before the rename, the nearest those systems come to one step. */
static int MoveReplacing(const char *from, const char *to)
{
    if (MoveFileExA(from, to, MOVEFILE_REPLACE_EXISTING))
        return 1;
    if (GetLastError() != ERROR_CALL_NOT_IMPLEMENTED)
        return 0;
    DeleteFileA(to);
    return MoveFileA(from, to) != 0;
}

typedef BOOL(WINAPI *HardLinkMaker)(LPCSTR link, LPCSTR existing, LPSECURITY_ATTRIBUTES security);

/* Windows 95, 98, Me and NT 4 have no hard links: their kernel32 lacks the call, so it is
   looked up rather than imported. */
static HardLinkMaker FindHardLinkMaker()
{
    return SystemProcedure<HardLinkMaker>(GetModuleHandleA("kernel32.dll"), "CreateHardLinkA");
}

/* Another program that holds the file without letting it be deleted (a scanner reading it,
   the editor with it open) keeps it from being replaced. Asked before the old file gets a
   second name, which such a holder would keep from being taken away again. */
static int HeldByAnother(const char *target)
{
    HANDLE file = CreateFileA(target, DELETE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return IsFileInUse(GetLastError());
    CloseHandle(file);
    return 0;
}

/* The old file stays under keptCopy: a second name of the same file where the system has
   hard links, so that target never goes missing; elsewhere (old systems, FAT drives) it is
   renamed out of the way just before the new copy comes in, and a run stopped between the
   two renames is mended by the next one. */
static int ReplaceKeeping(const char *newCopy, const char *target, const char *keptCopy)
{
    if (HeldByAnother(target))
        return 0;
    HardLinkMaker makeLink = FindHardLinkMaker();
    if (makeLink && makeLink(keptCopy, target, nullptr)) {
        if (MoveFileExA(newCopy, target, MOVEFILE_REPLACE_EXISTING))
            return 1;
        DWORD error = GetLastError();
        DeleteFileA(keptCopy);
        SetLastError(error);
        return 0;
    }
    if (!MoveFileA(target, keptCopy))
        return 0;
    if (MoveFileA(newCopy, target))
        return 1;
    DWORD error = GetLastError();
    MoveFileA(keptCopy, target);
    SetLastError(error);
    return 0;
}

int PutInPlace(const char *newCopy, const char *target, DWORD old, const char *keptCopy)
{
    if (old == INVALID_FILE_ATTRIBUTES)
        return MoveFileA(newCopy, target) != 0;
    /* The system replaces no read-only file. */
    if (old & FILE_ATTRIBUTE_READONLY)
        SetFileAttributesA(target, old & ~FILE_ATTRIBUTE_READONLY);
    int placed = keptCopy ? ReplaceKeeping(newCopy, target, keptCopy) : MoveReplacing(newCopy, target);
    if (!placed && (old & FILE_ATTRIBUTE_READONLY)) {
        DWORD error = GetLastError();
        SetFileAttributesA(target, old);
        SetLastError(error);
    }
    return placed;
}

/* After a failed attempt: 1 when the holder is not to be waited for any longer, else 0
   after a pause. */
static int GivesUpAfter(int attempt)
{
    if (attempt == kInUseTries || !IsFileInUse(GetLastError()))
        return 1;
    Sleep(kInUsePauseMilliseconds);
    return 0;
}

int PutInPlaceWhenFree(const char *newCopy, const char *target, DWORD old, const char *keptCopy)
{
    for (int attempt = 1;; ++attempt) {
        if (PutInPlace(newCopy, target, old, keptCopy))
            return 1;
        if (GivesUpAfter(attempt))
            return 0;
    }
}

/* Only the NT family has the wide calls; it also has MoveFileExW. */
static int PutInPlaceW(const WCHAR *newCopy, const WCHAR *target, DWORD old)
{
    if (old == INVALID_FILE_ATTRIBUTES)
        return MoveFileW(newCopy, target) != 0;
    if (old & FILE_ATTRIBUTE_READONLY)
        SetFileAttributesW(target, old & ~FILE_ATTRIBUTE_READONLY);
    if (MoveFileExW(newCopy, target, MOVEFILE_REPLACE_EXISTING))
        return 1;
    DWORD error = GetLastError();
    if (old & FILE_ATTRIBUTE_READONLY)
        SetFileAttributesW(target, old);
    SetLastError(error);
    return 0;
}

int PutInPlaceWhenFreeW(const WCHAR *newCopy, const WCHAR *target, DWORD old)
{
    for (int attempt = 1;; ++attempt) {
        if (PutInPlaceW(newCopy, target, old))
            return 1;
        if (GivesUpAfter(attempt))
            return 0;
    }
}

int PutBackKept(const char *keptCopy, const char *target, DWORD attributes)
{
    DWORD now = GetFileAttributesA(target);
    if (now != INVALID_FILE_ATTRIBUTES && (now & FILE_ATTRIBUTE_READONLY))
        SetFileAttributesA(target, now & ~FILE_ATTRIBUTE_READONLY);
    if (!MoveReplacing(keptCopy, target))
        return 0;
    /* A kept second name shares the attributes that were changed to replace the file. */
    SetFileAttributesA(target, attributes ? attributes : FILE_ATTRIBUTE_NORMAL);
    return 1;
}

int IsFileInUse(DWORD error)
{
    switch (error) {
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
    case ERROR_ACCESS_DENIED:      /* a running program's own file */
    case ERROR_USER_MAPPED_FILE:
        return 1;
    }
    return 0;
}
