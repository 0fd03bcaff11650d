#include "install/private_folder.h"

#include <stdio.h>
#include <string.h>
#include <wchar.h>

#include "wizard/system_libraries.h"
#include "wizard/wizard_state.h"

typedef BOOLEAN(WINAPI *RtlGenRandomProcedure)(void *buffer, ULONG length);

enum { kPrivateFolderAttempts = 16, kRandomNameBytes = 8, kCompareChunk = 16384 };

int FindTemporaryFolder(WCHAR *folder)
{
    DWORD length = GetTempPathW(kPathBytes, folder);
    if (length == 0 || length >= DWORD(kPathBytes)) {
        folder[0] = L'\0';
        return 0;
    }
    return 1;
}

/* The system's random generator, looked up rather than imported: advapi32 forwards it to
   cryptbase, a DLL that is not protected as a known DLL, and an imported forward would be
   resolved before the DLL search is restricted. */
static int RandomText(WCHAR *text, size_t units)
{
    HMODULE advapi = LoadSystemLibrary("advapi32.dll");
    RtlGenRandomProcedure generate = SystemProcedure<RtlGenRandomProcedure>(advapi, "SystemFunction036");
    unsigned char random[kRandomNameBytes];
    int made = generate && generate(random, sizeof random) && units >= 2 * sizeof random + 1;
    if (advapi)
        FreeLibrary(advapi);
    if (!made)
        return 0;
    static const WCHAR kDigits[] = L"0123456789abcdef";
    for (size_t i = 0; i < sizeof random; ++i) {
        text[2 * i] = kDigits[random[i] >> 4];
        text[2 * i + 1] = kDigits[random[i] & 15];
    }
    text[2 * sizeof random] = L'\0';
    return 1;
}

/* CreateDirectoryW fails on a name that exists, whoever made it, so a folder it makes is
   new and ours; a clash only costs another name. */
int MakePrivateFolder(const WCHAR *parent, const WCHAR *prefix, WCHAR *folder)
{
    for (int attempt = 0; attempt < kPrivateFolderAttempts; ++attempt) {
        WCHAR name[2 * kRandomNameBytes + 1];
        if (!RandomText(name, sizeof name / sizeof name[0]))
            return 0;
        int written = swprintf(folder, kPathBytes, L"%ls%ls%ls", parent, prefix, name);
        if (written <= 0 || written >= kPathBytes)
            return 0;
        if (CreateDirectoryW(folder, nullptr))
            return 1;
        if (GetLastError() != ERROR_ALREADY_EXISTS)
            return 0;
    }
    return 0;
}

static int HoldsExactly(HANDLE file, const void *data, DWORD length)
{
    LARGE_INTEGER size;
    if (!GetFileSizeEx(file, &size) || size.QuadPart != LONGLONG(length))
        return 0;
    const char *expected = static_cast<const char *>(data);
    char chunk[kCompareChunk];
    for (DWORD at = 0; at < length;) {
        DWORD wanted = length - at < DWORD(kCompareChunk) ? length - at : DWORD(kCompareChunk);
        DWORD got = 0;
        if (!ReadFile(file, chunk, wanted, &got, nullptr) || got != wanted || memcmp(chunk, expected + at, got) != 0)
            return 0;
        at += got;
    }
    return 1;
}

/* A handle that keeps the file must itself be read-only: the program started from it
   opens it sharing reading only, which a handle of ours with write access would refuse.
   No sharing mode turns a writing handle into a reading one, so the file is written
   through one handle and opened again; between the two nobody holds it. The second open
   shares reading only and fails while anybody else holds the file for writing or
   deleting, and what it finds is compared with what was written, so a change slipped in
   between the two is caught. */
HANDLE KeepWrittenFile(const WCHAR *path, const void *data, DWORD length)
{
    HANDLE kept = CreateFileW(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (kept != INVALID_HANDLE_VALUE && !HoldsExactly(kept, data, length)) {
        CloseHandle(kept);
        return INVALID_HANDLE_VALUE;
    }
    return kept;
}

HANDLE KeepPrivateFile(const WCHAR *parent, const WCHAR *prefix, const WCHAR *name, const void *data, DWORD length,
                       WCHAR *path)
{
    WCHAR folder[kPathBytes];
    if (!MakePrivateFolder(parent, prefix, folder))
        return INVALID_HANDLE_VALUE;
    int written = swprintf(path, kPathBytes, L"%ls\\%ls", folder, name);
    HANDLE kept = written > 0 && written < kPathBytes ? WriteAndKeepFile(path, data, length) : INVALID_HANDLE_VALUE;
    if (kept == INVALID_HANDLE_VALUE) {
        if (written > 0 && written < kPathBytes)
            DeleteFileW(path);
        RemoveDirectoryW(folder);
    }
    return kept;
}

HANDLE WriteAndKeepFile(const WCHAR *path, const void *data, DWORD length)
{
    HANDLE file = CreateFileW(path, GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return INVALID_HANDLE_VALUE;
    DWORD written = 0;
    int ok = WriteFile(file, data, length, &written, nullptr) && written == length;
    ok = CloseHandle(file) && ok;
    if (!ok)
        return INVALID_HANDLE_VALUE;
    return KeepWrittenFile(path, data, length);
}
