#include "support/window_finding.h"

namespace {

struct ShownWindows {
    DWORD process;
    std::vector<HWND> windows;
};

BOOL CALLBACK AddWindow(HWND window, LPARAM lParam)
{
    reinterpret_cast<std::vector<HWND> *>(lParam)->push_back(window);
    return TRUE;
}

BOOL CALLBACK AddShownWindow(HWND window, LPARAM lParam)
{
    ShownWindows *shown = reinterpret_cast<ShownWindows *>(lParam);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner == shown->process && IsWindowVisible(window))
        shown->windows.push_back(window);
    return TRUE;
}

std::string ClassOf(HWND window)
{
    char name[256] = "";
    GetClassNameA(window, name, sizeof name);
    return name;
}

} // namespace

std::vector<HWND> ShownWindowsOf(DWORD process)
{
    ShownWindows shown = {process, {}};
    EnumWindows(AddShownWindow, reinterpret_cast<LPARAM>(&shown));
    return shown.windows;
}

HWND FindShownWindowOf(DWORD process, const char *caption)
{
    for (HWND window : ShownWindowsOf(process))
        if (WindowText(window) == caption)
            return window;
    return nullptr;
}

HWND FindShownWindowOfClass(DWORD process, const char *className)
{
    for (HWND window : ShownWindowsOf(process))
        if (lstrcmpiA(ClassOf(window).c_str(), className) == 0)
            return window;
    return nullptr;
}

HWND FindShownDialogOf(DWORD process, int id)
{
    for (HWND window : ShownWindowsOf(process))
        if (GetDlgItem(window, id))
            return window;
    return nullptr;
}

HWND FindThreadWindow(DWORD thread, const char *caption)
{
    std::vector<HWND> windows;
    EnumThreadWindows(thread, AddWindow, reinterpret_cast<LPARAM>(&windows));
    for (HWND window : windows)
        if (WindowText(window) == caption)
            return window;
    return nullptr;
}

std::string WindowText(HWND window)
{
    char text[512] = "";
    GetWindowTextA(window, text, sizeof text);
    return text;
}

std::string ProductText(HWND window)
{
    wchar_t wide[512] = L"";
    char text[1024] = "";
    GetWindowTextW(window, wide, 512);
    WideCharToMultiByte(936, 0, wide, -1, text, sizeof text, nullptr, nullptr);
    return text;
}
