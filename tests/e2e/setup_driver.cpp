#include "setup_driver.h"

#include <tlhelp32.h>
#include <winternl.h>

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <vector>

#include "driver_options.h"
#include "real_input.h"
#include "screenshot.h"
#include "support/file_reading.h"

namespace {

const char kWizardCaption[] = "Tovrana Smart Editor Installer";
const char kMessageCaption[] = "Vardel Install Message";
const DWORD kPoll = 20;
// Under full emulation a program takes many seconds to show its first window.
const DWORD kWizardWait = 90000;
const DWORD kAnswerWait = 10000;

bool IsGone(HWND dialog)
{
    return !IsWindow(dialog) || !IsWindowVisible(dialog);
}

// Wine reports no processor times for another process; Linux does, in /proc/PID/stat,
// fields 14 and 15 after the parenthesised name, in ticks of 10 ms. The program's Linux
// process is the one whose command line carries the driver's mark.
long long LinuxProcessorMilliseconds(const std::string &mark)
{
    const std::string nul(1, '\0');
    const std::string wanted = nul + mark + nul; // Linux separates the arguments by NULs
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA("Z:\\proc\\*", &found);
    if (search == INVALID_HANDLE_VALUE)
        return -1;
    long long milliseconds = -1;
    do {
        if (found.cFileName[0] < '1' || found.cFileName[0] > '9')
            continue;
        std::string folder = std::string("Z:\\proc\\") + found.cFileName;
        std::string command, stat;
        if (!ReadWholeFile(folder + "\\cmdline", &command) || command.find(wanted) == std::string::npos ||
            !ReadWholeFile(folder + "\\stat", &stat) || stat.rfind(')') == std::string::npos)
            continue;
        unsigned long long user = 0, system = 0;
        if (sscanf(stat.c_str() + stat.rfind(')') + 1, " %*c %*d %*d %*d %*d %*d %*u %*u %*u %*u %*u %llu %llu", &user,
                   &system) == 2)
            milliseconds = static_cast<long long>((user + system) * 10);
        break;
    } while (FindNextFileA(search, &found));
    FindClose(search);
    return milliseconds;
}

} // namespace

bool HasEnded(const SetupProcess &setup)
{
    return WaitForSingleObject(setup.info.hProcess, 0) == WAIT_OBJECT_0;
}

bool RunningUnderWine()
{
    HMODULE ntdll = GetModuleHandleA("ntdll.dll");
    return ntdll && GetProcAddress(ntdll, "wine_get_version");
}

std::map<DWORD, std::string> ChildrenOf(DWORD process)
{
    std::map<DWORD, std::string> children;
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE)
        return children;
    PROCESSENTRY32 entry = {};
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32First(snapshot, &entry); more; more = Process32Next(snapshot, &entry))
        if (entry.th32ParentProcessID == process)
            children[entry.th32ProcessID] = entry.szExeFile;
    CloseHandle(snapshot);
    return children;
}

bool IsInstaller(const std::string &program)
{
    return lstrcmpiA(program.c_str(), "msiexec.exe") == 0;
}

void StopProcessTree(DWORD process)
{
    for (const auto &child : ChildrenOf(process))
        StopProcessTree(child.first);
    HANDLE handle = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, process);
    if (handle) {
        TerminateProcess(handle, 1);
        WaitForSingleObject(handle, 5000);
        CloseHandle(handle);
    }
}

long long ProcessorMilliseconds(const SetupProcess &setup)
{
    if (RunningUnderWine())
        return LinuxProcessorMilliseconds(setup.mark);
    FILETIME created, ended, kernel, user;
    if (!GetProcessTimes(setup.info.hProcess, &created, &ended, &kernel, &user))
        return -1;
    ULARGE_INTEGER k = {{kernel.dwLowDateTime, kernel.dwHighDateTime}};
    ULARGE_INTEGER u = {{user.dwLowDateTime, user.dwHighDateTime}};
    return static_cast<long long>((k.QuadPart + u.QuadPart) / 10000);
}

bool LaunchProgram(SetupProcess *setup, const std::string &program, const char *currentFolder)
{
    // The program reads no command line; a mark on it names the process for the driver.
    static int serial;
    setup->mark = "e2e-" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(++serial);
    std::string line = "\"" + program + "\" " + setup->mark;
    std::vector<char> command(line.begin(), line.end());
    command.push_back('\0');
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    if (!CreateProcessA(program.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr, currentFolder, &startup,
                        &setup->info)) {
        fprintf(stderr, "e2e: cannot start %s (error %lu)\n", program.c_str(), GetLastError());
        return false;
    }
    return true;
}

bool StartSetup(SetupProcess *setup, const char *currentFolder)
{
    return StartSetupFrom(setup, gOptions.setupProgram, currentFolder);
}

bool StartSetupFrom(SetupProcess *setup, const std::string &program, const char *currentFolder)
{
    if (!LaunchProgram(setup, program, currentFolder))
        return false;
    WaitUntil(
        [setup] {
            setup->wizard = FindShownWindowOf(setup->info.dwProcessId, kWizardCaption);
            return setup->wizard != nullptr || HasEnded(*setup);
        },
        kWizardWait);
    // The first program of a fresh Wine session waits a while on the system before it
    // answers anything.
    if (setup->wizard)
        WaitForInputIdle(setup->info.hProcess, kWizardWait);
    return setup->wizard != nullptr;
}

bool WizardShown(const SetupProcess &setup)
{
    return FindShownWindowOf(setup.info.dwProcessId, kWizardCaption) != nullptr;
}

int WaitForExit(SetupProcess *setup, DWORD milliseconds)
{
    if (!setup->info.hProcess || WaitForSingleObject(setup->info.hProcess, ScaledWait(milliseconds)) != WAIT_OBJECT_0)
        return -1;
    DWORD code = 0;
    GetExitCodeProcess(setup->info.hProcess, &code);
    return static_cast<int>(code);
}

void EndSetup(SetupProcess *setup)
{
    if (setup->info.hProcess) {
        // An installer the program opened is stopped with it; Wine's desktop process,
        // which the first program of a session starts, is left alone.
        for (const auto &child : ChildrenOf(setup->info.dwProcessId))
            if (IsInstaller(child.second))
                StopProcessTree(child.first);
        if (!HasEnded(*setup))
            TerminateProcess(setup->info.hProcess, 99);
        WaitForSingleObject(setup->info.hProcess, 5000);
        CloseHandle(setup->info.hThread);
        CloseHandle(setup->info.hProcess);
    }
    setup->info = PROCESS_INFORMATION();
    setup->wizard = nullptr;
}

// Read from the process's own block of parameters, which any program may do with the
// right to read its memory: the same on Windows and under Wine.
std::string CommandLineOf(DWORD process)
{
    typedef LONG(NTAPI * QueryProcess)(HANDLE, PROCESSINFOCLASS, void *, ULONG, ULONG *);
    QueryProcess query = reinterpret_cast<QueryProcess>(
        reinterpret_cast<void (*)(void)>(GetProcAddress(GetModuleHandleA("ntdll.dll"), "NtQueryInformationProcess")));
    HANDLE handle = query ? OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, process) : nullptr;
    if (!handle)
        return "";
    std::wstring text;
    PROCESS_BASIC_INFORMATION basic = {};
    PEB peb = {};
    RTL_USER_PROCESS_PARAMETERS parameters = {};
    if (query(handle, ProcessBasicInformation, &basic, sizeof basic, nullptr) == 0 &&
        ReadProcessMemory(handle, basic.PebBaseAddress, &peb, sizeof peb, nullptr) &&
        ReadProcessMemory(handle, peb.ProcessParameters, &parameters, sizeof parameters, nullptr)) {
        text.resize(parameters.CommandLine.Length / sizeof(wchar_t));
        if (!ReadProcessMemory(handle, parameters.CommandLine.Buffer, &text[0], parameters.CommandLine.Length, nullptr))
            text.clear();
    }
    CloseHandle(handle);
    char narrow[2048] = "";
    WideCharToMultiByte(CP_ACP, 0, text.c_str(), -1, narrow, sizeof narrow, nullptr, nullptr);
    return narrow;
}

// Under full-system emulation the wizard runs several times slower than the twin does
// natively; the run that starts the driver there names the factor in TOVRA_WAIT_SCALE, and
// every wait grows by it. What a test expects of the wizard stays the same.
DWORD ScaledWait(DWORD milliseconds)
{
    char text[16] = "";
    DWORD length = GetEnvironmentVariableA("TOVRA_WAIT_SCALE", text, sizeof text);
    int scale = length > 0 && length < sizeof text ? atoi(text) : 1;
    return scale > 1 && scale <= 20 ? milliseconds * scale : milliseconds;
}

bool WaitUntil(const std::function<bool()> &condition, DWORD milliseconds)
{
    milliseconds = ScaledWait(milliseconds);
    DWORD start = GetTickCount();
    for (;;) {
        if (condition())
            return true;
        if (GetTickCount() - start >= milliseconds)
            return false;
        Sleep(kPoll);
    }
}

HWND Control(const SetupProcess &setup, int id)
{
    return GetDlgItem(setup.wizard, id);
}

bool Shown(const SetupProcess &setup, int id)
{
    return IsWindowVisible(Control(setup, id)) != 0;
}

bool Checked(HWND control)
{
    DWORD_PTR state = 0;
    SendMessageTimeoutA(control, BM_GETCHECK, 0, 0, SMTO_NORMAL, 10000, &state);
    return state == BST_CHECKED;
}

// Edit controls keep their text to themselves: it is asked for, not read from the window.
std::string ControlText(HWND control)
{
    char text[1024] = "";
    DWORD_PTR length = 0;
    SendMessageTimeoutA(control, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text), SMTO_NORMAL, 10000, &length);
    return text;
}

int FocusedId(HWND window)
{
    GUITHREADINFO thread = {};
    thread.cbSize = sizeof thread;
    if (!GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &thread) || !thread.hwndFocus)
        return 0;
    return GetDlgCtrlID(thread.hwndFocus);
}

int PageShown(const SetupProcess &setup)
{
    static const int kPageMarks[] = {IDC_FOLDER_EDIT, IDC_DISPLAY_YES, IDC_SHOW_ENGLISH, IDC_LANGUAGE_LIST};
    int page = -1;
    for (int p = 0; p < 4; ++p) {
        if (!Shown(setup, kPageMarks[p]))
            continue;
        if (page >= 0)
            return -1;
        page = p;
    }
    return page;
}

// A window's thread answers another thread's message only between its own steps, so an
// answer means what it was doing has returned: the wizard's page set-up, for one. Input
// sent before that could meet a page still loading, which no user's hand is quick enough
// to do.
static bool Answers(HWND window)
{
    DWORD_PTR result = 0;
    return SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 5000, &result) != 0;
}

bool WaitForPage(const SetupProcess &setup, int page)
{
    if (WaitUntil([&setup, page] { return PageShown(setup) == page && Answers(setup.wizard) && PageShown(setup) == page; },
                  kPageWait))
        return true;
    fprintf(stderr, "e2e: page %d did not come: %s\n", page, DescribeProgram(setup).c_str());
    return false;
}

StartedProcesses::StartedProcesses(HANDLE process)
    : job_(CreateJobObjectA(nullptr, nullptr)), port_(CreateIoCompletionPort(INVALID_HANDLE_VALUE, nullptr, 0, 1)),
      program_(GetProcessId(process))
{
    JOBOBJECT_ASSOCIATE_COMPLETION_PORT association = {job_, port_};
    if (!job_ || !port_ ||
        !SetInformationJobObject(job_, JobObjectAssociateCompletionPortInformation, &association, sizeof association) ||
        !AssignProcessToJobObject(job_, process))
        fprintf(stderr, "e2e: the processes the program starts can't be followed (error %lu)\n", GetLastError());
}

StartedProcesses::~StartedProcesses()
{
    if (job_) {
        TerminateJobObject(job_, 99);
        CloseHandle(job_);
    }
    if (port_)
        CloseHandle(port_);
}

DWORD StartedProcesses::Next(DWORD milliseconds)
{
    const DWORD start = GetTickCount();
    DWORD message = 0, elapsed = 0;
    ULONG_PTR key = 0;
    LPOVERLAPPED detail = nullptr;
    while ((elapsed = GetTickCount() - start) < milliseconds &&
           GetQueuedCompletionStatus(port_, &message, &key, &detail, milliseconds - elapsed)) {
        DWORD process = DWORD(reinterpret_cast<ULONG_PTR>(detail));
        if (message == JOB_OBJECT_MSG_ACTIVE_PROCESS_ZERO)
            return 0;
        if (message == JOB_OBJECT_MSG_NEW_PROCESS && process != program_)
            return process;
    }
    return 0;
}

std::vector<std::string> StartedProcesses::Wait(DWORD milliseconds)
{
    std::vector<std::string> names;
    const DWORD start = GetTickCount(), wait = ScaledWait(milliseconds);
    DWORD elapsed = 0, process = 0;
    while ((elapsed = GetTickCount() - start) < wait && (process = Next(wait - elapsed)) != 0) {
        std::string name;
        for (const auto &child : ChildrenOf(program_))
            if (child.first == process)
                name = child.second;
        names.push_back(name);
    }
    return names;
}

bool MessageShown(const SetupProcess &setup)
{
    return FindShownWindowOf(setup.info.dwProcessId, kMessageCaption) != nullptr;
}

bool WaitForMessage(SetupProcess *setup, ShownMessage *message, DWORD milliseconds)
{
    *message = ShownMessage();
    HWND dialog = nullptr;
    WaitUntil(
        [setup, &dialog] {
            dialog = FindShownWindowOf(setup->info.dwProcessId, kMessageCaption);
            return dialog != nullptr || HasEnded(*setup);
        },
        milliseconds);
    if (!dialog) {
        fprintf(stderr, "e2e: no message came: %s\n", DescribeProgram(*setup).c_str());
        return false;
    }
    message->dialog = dialog;
    message->chinese = ProductText(GetDlgItem(dialog, IDC_MESSAGE_CHINESE));
    message->english = WindowText(GetDlgItem(dialog, IDC_MESSAGE_ENGLISH));
    message->englishShown = IsWindowVisible(GetDlgItem(dialog, IDC_MESSAGE_ENGLISH)) != 0;
    for (int id : {IDOK, IDCANCEL, IDYES, IDNO})
        if (IsWindowVisible(GetDlgItem(dialog, id)))
            message->buttons.insert(id);
    message->focus = FocusedId(dialog);
    return true;
}

// The wizard takes the activation back when its message closes; the driver goes on once
// the owner, when it stays, is in front again and answers.
static void WaitForOwnerInFront(HWND owner)
{
    if (!owner)
        return;
    WaitUntil(
        [owner] { return !IsWindowVisible(owner) || (GetForegroundWindow() == owner && Answers(owner)); },
        kAnswerWait);
}

bool ClickAnswer(const ShownMessage &message, int button)
{
    HWND target = GetDlgItem(message.dialog, button);
    RECT area;
    GetWindowRect(target, &area);
    POINT middle = {(area.left + area.right) / 2, (area.top + area.bottom) / 2};
    // A click goes to whatever window lies under the pointer at that moment.
    if (!WaitUntil([target, middle] { return WindowFromPoint(middle) == target; }, kAnswerWait)) {
        fprintf(stderr, "e2e: button %d of the message is not under the pointer's target point\n", button);
        return false;
    }
    return ClickAt(middle) && WaitUntil([&message] { return IsGone(message.dialog); }, kAnswerWait);
}

bool KeyAnswer(const ShownMessage &message, WORD key)
{
    HWND owner = GetWindow(message.dialog, GW_OWNER);
    if (!BringToFront(message.dialog))
        return false;
    PressKey(key);
    if (!WaitUntil([&message] { return IsGone(message.dialog); }, kAnswerWait))
        return false;
    WaitForOwnerInFront(owner);
    return true;
}

bool TabTo(const SetupProcess &setup, int id)
{
    if (!BringToFront(setup.wizard))
        return false;
    for (int presses = 0; presses < 30; ++presses) {
        int before = FocusedId(setup.wizard);
        if (before == id)
            return true;
        PressKey(VK_TAB);
        WaitUntil([&setup, before] { return FocusedId(setup.wizard) != before; }, 2000);
    }
    return FocusedId(setup.wizard) == id;
}

bool TabOnceTo(HWND window, int id)
{
    if (!BringToFront(window))
        return false;
    PressKey(VK_TAB);
    return WaitUntil([window, id] { return FocusedId(window) == id; }, 5000);
}

namespace {

std::string WindowName(HWND window)
{
    if (!window)
        return "none";
    char name[64] = "", text[256];
    GetClassNameA(window, name, sizeof name);
    snprintf(text, sizeof text, "%p %s \"%s\"", static_cast<void *>(window), name, WindowText(window).c_str());
    return text;
}

} // namespace

std::string DescribeProgram(const SetupProcess &setup)
{
    if (!setup.info.hProcess)
        return "the program is not running";
    std::string text;
    DWORD code = 0;
    if (HasEnded(setup) && GetExitCodeProcess(setup.info.hProcess, &code))
        return "the program has ended with exit code " + std::to_string(code);
    text = "the program shows page " + std::to_string(PageShown(setup));
    POINT pointer = {};
    GetCursorPos(&pointer);
    text += ", focus on control " + std::to_string(FocusedId(setup.wizard)) + ", pointer at " +
            std::to_string(pointer.x) + "," + std::to_string(pointer.y) + ", foreground " +
            WindowName(GetForegroundWindow());
    for (HWND window : ShownWindowsOf(setup.info.dwProcessId)) {
        RECT r;
        GetWindowRect(window, &r);
        char area[64];
        snprintf(area, sizeof area, " at %ld,%ld-%ld,%ld", r.left, r.top, r.right, r.bottom);
        text += "\n  window " + WindowName(window) + area + (IsWindowEnabled(window) ? "" : " (disabled)");
    }
    return text;
}

void Picture(SetupProcess *setup, const char *step)
{
    if (gOptions.screenshots.empty() || !setup->info.hProcess)
        return;
    // Pictures are for people: let the program finish painting what it just showed.
    Sleep(400);
    std::vector<HWND> windows = ShownWindowsOf(setup->info.dwProcessId);
    if (windows.empty())
        return;
    RECT shown;
    GetWindowRect(windows.front(), &shown);
    for (HWND window : windows) {
        RECT r;
        GetWindowRect(window, &r);
        UnionRect(&shown, &shown, &r);
    }
    RECT screen = {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    IntersectRect(&shown, &shown, &screen);
    char name[64];
    snprintf(name, sizeof name, "-%02d-", ++setup->pictures);
    std::string path = gOptions.screenshots + "\\" + setup->name + name + step + ".png";
    if (!SaveScreenArea(shown, path))
        fprintf(stderr, "e2e: cannot save the picture %s\n", path.c_str());
}
