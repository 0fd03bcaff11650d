// Starts a program, waits until it shows a window of its own, then closes its windows until
// it exits: the smoke run of the 32-bit product in the i386 guest. Exit code 0 only when a
// window was shown and the program then ended by itself with exit code 0.
//   smoke.exe PROGRAM [ARGUMENTS]
#include <windows.h>

#include <stdio.h>
#include <string.h>

// Under full-system emulation a small GUI program takes 12 to 15 s to show its window.
const DWORD kShowMilliseconds = 90000;
const DWORD kCloseMilliseconds = 30000;

static DWORD gProcessId;
static HWND gShown;

static BOOL CALLBACK FindShownWindow(HWND window, LPARAM)
{
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner != gProcessId || !IsWindowVisible(window))
        return TRUE;
    gShown = window;
    return FALSE;
}

static HWND ShownWindow()
{
    gShown = nullptr;
    EnumWindows(FindShownWindow, 0);
    return gShown;
}

// The command line after our own program name, as the program under test should get it.
static char *CommandTail()
{
    char *line = GetCommandLineA();
    bool quoted = false;
    for (; *line && (quoted || (*line != ' ' && *line != '\t')); ++line)
        if (*line == '"')
            quoted = !quoted;
    while (*line == ' ' || *line == '\t')
        ++line;
    return line;
}

static int Fail(PROCESS_INFORMATION &process, const char *why)
{
    printf("smoke: %s\n", why);
    TerminateProcess(process.hProcess, 1);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return 1;
}

int main()
{
    setvbuf(stdout, nullptr, _IONBF, 0);
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    char *command = CommandTail();
    if (!*command || !CreateProcessA(nullptr, command, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                                     &process)) {
        printf("smoke: cannot start \"%s\" (error %lu)\n", command, GetLastError());
        return 1;
    }
    gProcessId = process.dwProcessId;

    DWORD waited = 0;
    HWND window = nullptr;
    while (!(window = ShownWindow()) && waited < kShowMilliseconds) {
        if (WaitForSingleObject(process.hProcess, 200) == WAIT_OBJECT_0)
            return Fail(process, "the program ended without showing a window");
        waited += 200;
    }
    if (!window)
        return Fail(process, "no window shown in time");
    char title[256] = "", kind[64] = "";
    GetWindowTextA(window, title, sizeof title);
    GetClassNameA(window, kind, sizeof kind);
    printf("smoke: window \"%s\" of class %s shown after about %lu ms\n", title, kind, waited);

    // Close is Cancel for the wizard and the answer to a message box; a second window
    // (a confirmation) gets the same.
    for (waited = 0; waited < kCloseMilliseconds; waited += 500) {
        if ((window = ShownWindow()))
            PostMessageA(window, WM_CLOSE, 0, 0);
        if (WaitForSingleObject(process.hProcess, 500) == WAIT_OBJECT_0)
            break;
    }
    if (waited >= kCloseMilliseconds)
        return Fail(process, "the program did not end after its windows were closed");
    DWORD code = 1;
    GetExitCodeProcess(process.hProcess, &code);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    printf("smoke: closed; exit code %lu\n", code);
    return code == 0 ? 0 : 1;
}
