#include "real_input.h"

#include "linux_command.h"
#include "setup_driver.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <string>
#include <vector>

namespace {

// A click sent through the system's input queue is three events, a move, a press and a
// release, and the press and the release happen wherever the shared pointer is when each
// is taken. Under Wine other moves come between them: Wine makes the display's crossing
// events into moves on the program's own thread, late when the machine is busy, and the
// program moves the pointer itself. In a failed run the release of a click on the open
// language list landed on the box where the click before it had been, and the list never
// saw its click. So under Wine the driver moves and presses the display's own pointer,
// through the X server's test extension (xdotool), as a user's mouse does: each press and
// release then reaches the program with the position it happened at.
//
// The driver waits for xdotool to end, so that one input has reached the display before
// the next is sent.
bool RunDisplayInput(const std::string &arguments)
{
    std::string said;
    int status = RunLinuxCommand("/usr/bin/xdotool " + arguments, &said, 30000);
    if (status != 0)
        fprintf(stderr, "e2e: xdotool %s failed (exit status %d): %s\n", arguments.c_str(), status, said.c_str());
    return status == 0;
}

std::string PointerTo(POINT screen)
{
    return "mousemove " + std::to_string(screen.x) + " " + std::to_string(screen.y);
}

INPUT KeyInput(WORD key, DWORD flags)
{
    INPUT input = {};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = key;
    input.ki.wScan = static_cast<WORD>(MapVirtualKeyA(key, MAPVK_VK_TO_VSC));
    input.ki.dwFlags = flags;
    return input;
}

INPUT CharacterInput(wchar_t character, DWORD flags)
{
    INPUT input = {};
    input.type = INPUT_KEYBOARD;
    input.ki.wScan = character;
    input.ki.dwFlags = KEYEVENTF_UNICODE | flags;
    return input;
}

INPUT MouseInput(DWORD flags, LONG x = 0, LONG y = 0)
{
    INPUT input = {};
    input.type = INPUT_MOUSE;
    input.mi.dx = x;
    input.mi.dy = y;
    input.mi.dwFlags = flags;
    return input;
}

// Absolute mouse positions are given in 65,536ths of the screen.
INPUT MoveInput(POINT screen)
{
    int width = GetSystemMetrics(SM_CXSCREEN), height = GetSystemMetrics(SM_CYSCREEN);
    return MouseInput(MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE, (screen.x * 65536 + width - 1) / width,
                      (screen.y * 65536 + height - 1) / height);
}

// Two clicks close in time and place make a double click, which a check box with the
// notify style reports instead of toggling; a user's separate clicks are further apart.
// The time counts from the end of the last click: a click through the display happens
// whenever xdotool gets to run, late when the machine is busy, and counted from its start
// two clicks 600 ms apart were once 453 ms apart at the X server, and the second was lost.
struct LastClick {
    DWORD time;
    POINT point;
};
LastClick gLastClick = {0, {-1000, -1000}};

void KeepClicksApart(POINT screen)
{
    DWORD apart = GetDoubleClickTime() + 100;
    bool nearby = abs(screen.x - gLastClick.point.x) <= GetSystemMetrics(SM_CXDOUBLECLK) &&
                  abs(screen.y - gLastClick.point.y) <= GetSystemMetrics(SM_CYDOUBLECLK);
    DWORD since = GetTickCount() - gLastClick.time;
    if (nearby && since < apart)
        Sleep(apart - since);
}

bool NoteClick(POINT screen, bool clicked)
{
    gLastClick.time = GetTickCount();
    gLastClick.point = screen;
    return clicked;
}

} // namespace

bool BringToFront(HWND window)
{
    for (int tries = 0; tries < 100; ++tries) {
        if (GetForegroundWindow() == window)
            return true;
        SetForegroundWindow(window);
        Sleep(20);
    }
    return GetForegroundWindow() == window;
}

void PressKey(WORD key)
{
    INPUT inputs[] = {KeyInput(key, 0), KeyInput(key, KEYEVENTF_KEYUP)};
    SendInput(2, inputs, sizeof(INPUT));
}

void PressKeyWith(WORD modifier, WORD key)
{
    INPUT inputs[] = {KeyInput(modifier, 0), KeyInput(key, 0), KeyInput(key, KEYEVENTF_KEYUP),
                      KeyInput(modifier, KEYEVENTF_KEYUP)};
    SendInput(4, inputs, sizeof(INPUT));
}

void TypeText(const wchar_t *text)
{
    for (const wchar_t *c = text; *c; ++c) {
        INPUT inputs[] = {CharacterInput(*c, 0), CharacterInput(*c, KEYEVENTF_KEYUP)};
        SendInput(2, inputs, sizeof(INPUT));
    }
}

bool PasteText(const wchar_t *text)
{
    size_t bytes = (wcslen(text) + 1) * sizeof(wchar_t);
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, bytes);
    if (!block)
        return false;
    memcpy(GlobalLock(block), text, bytes);
    GlobalUnlock(block);
    if (!OpenClipboard(nullptr)) {
        GlobalFree(block);
        return false;
    }
    EmptyClipboard();
    bool placed = SetClipboardData(CF_UNICODETEXT, block) != nullptr;
    CloseClipboard();
    if (!placed) {
        GlobalFree(block);
        return false;
    }
    PressKeyWith(VK_CONTROL, 'V');
    return true;
}

bool MoveMouseTo(POINT screen)
{
    if (RunningUnderWine())
        return RunDisplayInput(PointerTo(screen));
    INPUT move = MoveInput(screen);
    return SendInput(1, &move, sizeof(INPUT)) == 1;
}

bool ClickAt(POINT screen)
{
    KeepClicksApart(screen);
    if (RunningUnderWine())
        return NoteClick(screen, RunDisplayInput(PointerTo(screen) + " click 1"));
    INPUT inputs[] = {MoveInput(screen), MouseInput(MOUSEEVENTF_LEFTDOWN), MouseInput(MOUSEEVENTF_LEFTUP)};
    return NoteClick(screen, SendInput(3, inputs, sizeof(INPUT)) == 3);
}

bool ClickWindow(HWND window)
{
    RECT area;
    if (!GetWindowRect(window, &area)) {
        fprintf(stderr, "e2e: no window %p to click\n", static_cast<void *>(window));
        return false;
    }
    return ClickAt({(area.left + area.right) / 2, (area.top + area.bottom) / 2});
}
