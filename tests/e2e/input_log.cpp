#include "input_log.h"

#include <windows.h>

#include <stdio.h>

namespace {

struct InputEvent {
    LARGE_INTEGER time;
    bool mouse;
    WPARAM message;
    POINT point;
    DWORD code;
    DWORD flags;
    HWND under;
};

const int kEvents = 4096;
InputEvent gEvents[kEvents];
LONG gCount;
CRITICAL_SECTION gLock;

void Note(bool mouse, WPARAM message, POINT point, DWORD code, DWORD flags)
{
    EnterCriticalSection(&gLock);
    InputEvent &event = gEvents[gCount % kEvents];
    QueryPerformanceCounter(&event.time);
    event.mouse = mouse;
    event.message = message;
    event.point = point;
    event.code = code;
    event.flags = flags;
    event.under = mouse ? WindowFromPoint(point) : GetForegroundWindow();
    ++gCount;
    LeaveCriticalSection(&gLock);
}

LRESULT CALLBACK OnMouse(int code, WPARAM wParam, LPARAM lParam)
{
    if (code == HC_ACTION) {
        const MSLLHOOKSTRUCT *event = reinterpret_cast<const MSLLHOOKSTRUCT *>(lParam);
        Note(true, wParam, event->pt, 0, event->flags);
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

LRESULT CALLBACK OnKey(int code, WPARAM wParam, LPARAM lParam)
{
    if (code == HC_ACTION) {
        const KBDLLHOOKSTRUCT *event = reinterpret_cast<const KBDLLHOOKSTRUCT *>(lParam);
        Note(false, wParam, POINT{0, 0}, event->vkCode, event->flags);
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

DWORD WINAPI WatchInput(LPVOID started)
{
    SetWindowsHookExA(WH_MOUSE_LL, OnMouse, GetModuleHandleA(nullptr), 0);
    SetWindowsHookExA(WH_KEYBOARD_LL, OnKey, GetModuleHandleA(nullptr), 0);
    SetEvent(static_cast<HANDLE>(started));
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0)
        DispatchMessageA(&message);
    return 0;
}

const char *Name(WPARAM message)
{
    switch (message) {
    case WM_MOUSEMOVE: return "move";
    case WM_LBUTTONDOWN: return "down";
    case WM_LBUTTONUP: return "up";
    case WM_KEYDOWN: return "key down";
    case WM_KEYUP: return "key up";
    case WM_SYSKEYDOWN: return "sys key down";
    case WM_SYSKEYUP: return "sys key up";
    }
    return "other";
}

} // namespace

void StartInputLog()
{
    InitializeCriticalSection(&gLock);
    HANDLE started = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    HANDLE thread = CreateThread(nullptr, 0, WatchInput, started, 0, nullptr);
    WaitForSingleObject(started, 5000);
    CloseHandle(started);
    CloseHandle(thread);
}

void PrintInputLog(const char *why)
{
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    EnterCriticalSection(&gLock);
    LONG first = gCount > 60 ? gCount - 60 : 0;
    fprintf(stderr, "e2e: input log (%s), the last %ld of %ld events:\n", why, gCount - first, gCount);
    for (LONG i = first; i < gCount; ++i) {
        const InputEvent &event = gEvents[i % kEvents];
        double ms = 1000.0 * event.time.QuadPart / frequency.QuadPart;
        char under[64] = "";
        GetClassNameA(event.under, under, sizeof under);
        if (event.mouse)
            fprintf(stderr, "  %10.1f %-8s %4ld,%-4ld %-8s under %p %s\n", ms, Name(event.message), event.point.x,
                    event.point.y, (event.flags & LLMHF_INJECTED) ? "driver" : "display",
                    static_cast<void *>(event.under), under);
        else
            fprintf(stderr, "  %10.1f %-8s vk %02lx    %-8s foreground %p %s\n", ms, Name(event.message), event.code,
                    (event.flags & LLKHF_INJECTED) ? "driver" : "display", static_cast<void *>(event.under), under);
    }
    LeaveCriticalSection(&gLock);
}
