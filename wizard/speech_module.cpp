#include "wizard/speech_module.h"

#include <shellapi.h>

#include "install/payload.h"
#include "install/private_folder.h"
#include "wizard/message_dialog.h"
#include "wizard/resource.h"
#include "wizard/wizard_state.h"

/* Long enough for msiexec to open the package and show its first window. */
enum { kInstallerStartMilliseconds = 20000 };

static const WCHAR kPrivateFolderPrefix[] = L"TovraSpeech-";

/* The package's name in its private folder, as the payload names it. */
#define TOVRA_WIDE_TEXT(text) L"" text
static const WCHAR kPackageName[] = TOVRA_WIDE_TEXT(TOVRA_SPEECH_PACKAGE_FILE);

/* The wizard ends soon after; until the installer has opened the package and shows its
   first window (or the wait runs out) the package must not change. */
static int StartInstaller(const WCHAR *path)
{
    SHELLEXECUTEINFOW request = {};
    request.cbSize = sizeof request;
    request.fMask = SEE_MASK_NOCLOSEPROCESS;
    request.lpVerb = L"open";
    request.lpFile = path;
    request.nShow = SW_SHOWNORMAL;
    if (!ShellExecuteExW(&request))
        return 0;
    if (request.hProcess) {
        WaitForInputIdle(request.hProcess, kInstallerStartMilliseconds);
        CloseHandle(request.hProcess);
    }
    return 1;
}

static void ReportInstallerNotStarted()
{
    ShowMessage("语音模块的安装程序无法启动。", "The speech module's installer could not be started.", kMessageOk,
                gMainWindow);
}

/* The package inflated, written into a new private folder and kept; INVALID_HANDLE_VALUE
   when any step fails, the path of the package into path otherwise. */
static HANDLE WritePackage(const WCHAR *temporary, void *buffer, WCHAR *path)
{
    unsigned long length = 0;
    if (InflatePayload(IDR_SPEECH_PACKAGE, buffer, kSpeechPackageCapacity, &length) != 0)
        return INVALID_HANDLE_VALUE;
    return KeepPrivateFile(temporary, kPrivateFolderPrefix, kPackageName, buffer, length, path);
}

void OfferSpeechModule(const WCHAR *temporary)
{
    void *buffer = HeapAlloc(GetProcessHeap(), 0, kSpeechPackageCapacity);
    if (!buffer) {
        ShowOutOfMemory(gMainWindow);
        return;
    }
    WCHAR path[kPathBytes];
    HANDLE package = WritePackage(temporary, buffer, path);
    HeapFree(GetProcessHeap(), 0, buffer);
    int started = package != INVALID_HANDLE_VALUE && StartInstaller(path);
    if (package != INVALID_HANDLE_VALUE)
        CloseHandle(package);
    if (!started)
        ReportInstallerNotStarted();
}
