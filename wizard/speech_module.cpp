#include "wizard/speech_module.h"

#include <shellapi.h>
#include <stdio.h>
#include <string.h>

#include "foundation/path_text.h"
#include "install/payload.h"
#include "wizard/message_dialog.h"
#include "wizard/resource.h"
#include "wizard/system_libraries.h"
#include "wizard/wizard_state.h"

typedef BOOLEAN(WINAPI *RtlGenRandomProcedure)(void *buffer, ULONG length);

enum { kPrivateFolderAttempts = 16, kRandomNameBytes = 8, kCompareChunk = 16384 };
/* Long enough for msiexec to open the package and show its first window. */
enum { kInstallerStartMilliseconds = 20000 };

static const char kPrivateFolderPrefix[] = "TovraSpeech-";

int FindTemporaryFolder(char *folder)
{
    DWORD length = GetTempPathA(kPathBytes, folder);
    if (length == 0 || length >= DWORD(kPathBytes)) {
        folder[0] = '\0';
        return 0;
    }
    return 1;
}

/* The system's random generator, looked up rather than imported: advapi32 forwards it to
   cryptbase, a DLL that is not protected as a known DLL, and an imported forward would be
   resolved before the DLL search is restricted. */
static int RandomText(char *text, size_t bytes)
{
    RtlGenRandomProcedure generate =
        SystemProcedure<RtlGenRandomProcedure>(GetModuleHandleA("advapi32.dll"), "SystemFunction036");
    unsigned char random[kRandomNameBytes];
    if (!generate || !generate(random, sizeof random) || bytes < 2 * sizeof random + 1)
        return 0;
    for (size_t i = 0; i < sizeof random; ++i)
        snprintf(text + 2 * i, 3, "%02x", random[i]);
    return 1;
}

/* CreateDirectoryA fails on a name that exists, whoever made it, so a folder it makes is
   new and ours; a clash only costs another name. */
int MakePrivateFolder(const char *parent, char *folder)
{
    for (int attempt = 0; attempt < kPrivateFolderAttempts; ++attempt) {
        char name[2 * kRandomNameBytes + 1];
        if (!RandomText(name, sizeof name))
            return 0;
        int written = snprintf(folder, kPathBytes, "%s%s%s", parent, kPrivateFolderPrefix, name);
        if (written <= 0 || written >= kPathBytes)
            return 0;
        if (CreateDirectoryA(folder, nullptr))
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

/* A handle that keeps the file must itself be read-only: the installer opens the
   package sharing reading only, which a handle of ours with write access would refuse.
   No sharing mode turns a writing handle into a reading one, so the file is written
   through one handle and opened again; between the two nobody holds it. The second open
   shares reading only and fails while anybody else holds the file for writing or
   deleting, and what it finds is compared with what was written, so a change slipped in
   between the two is caught. */
HANDLE KeepWrittenFile(const char *path, const void *data, DWORD length)
{
    HANDLE kept = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (kept != INVALID_HANDLE_VALUE && !HoldsExactly(kept, data, length)) {
        CloseHandle(kept);
        return INVALID_HANDLE_VALUE;
    }
    return kept;
}

HANDLE WriteAndKeepFile(const char *path, const void *data, DWORD length)
{
    HANDLE file = CreateFileA(path, GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return INVALID_HANDLE_VALUE;
    DWORD written = 0;
    int ok = WriteFile(file, data, length, &written, nullptr) && written == length;
    ok = CloseHandle(file) && ok;
    if (!ok)
        return INVALID_HANDLE_VALUE;
    return KeepWrittenFile(path, data, length);
}

/* The wizard ends soon after; until the installer has opened the package and shows its
   first window (or the wait runs out) the package must not change. */
static void StartInstaller(const char *path)
{
    SHELLEXECUTEINFOA request = {};
    request.cbSize = sizeof request;
    request.fMask = SEE_MASK_NOCLOSEPROCESS;
    request.lpVerb = "open";
    request.lpFile = path;
    request.nShow = SW_SHOWNORMAL;
    if (!ShellExecuteExA(&request) || !request.hProcess)
        return;
    WaitForInputIdle(request.hProcess, kInstallerStartMilliseconds);
    CloseHandle(request.hProcess);
}

void OfferSpeechModule(const char *temporary)
{
    void *buffer = HeapAlloc(GetProcessHeap(), 0, kSpeechPackageCapacity);
    if (!buffer) {
        ShowOutOfMemory(gMainWindow);
        return;
    }
    unsigned long length = 0;
    char folder[kPathBytes], path[kPathBytes];
    HANDLE package = INVALID_HANDLE_VALUE;
    if (InflatePayload(IDR_SPEECH_PACKAGE, buffer, kSpeechPackageCapacity, &length) == 0 &&
        MakePrivateFolder(temporary, folder) && JoinPath(path, folder, TOVRA_SPEECH_PACKAGE_FILE))
        package = WriteAndKeepFile(path, buffer, length);
    HeapFree(GetProcessHeap(), 0, buffer);
    if (package == INVALID_HANDLE_VALUE)
        return;
    StartInstaller(path);
    CloseHandle(package);
}
