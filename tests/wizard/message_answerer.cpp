#include "message_answerer.h"

#include "support/window_finding.h"
#include "wizard/resource.h"

namespace {

const char kMessageCaption[] = "Vardel Install Message";
const UINT kTickMilliseconds = 50;
const int kGiveUpTicks = 400;

AnswerKind gKind;
int gValue;
SeenMessage *gSeen;
int gTicks;

RECT ChildRect(HWND dialog, HWND child)
{
    RECT r;
    GetWindowRect(child, &r);
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT *>(&r), 2);
    return r;
}

void Note(HWND dialog, SeenMessage *seen)
{
    seen->shown = true;
    seen->chinese = ProductText(GetDlgItem(dialog, IDC_MESSAGE_CHINESE));
    seen->english = WindowText(GetDlgItem(dialog, IDC_MESSAGE_ENGLISH));
    seen->englishShown = IsWindowVisible(GetDlgItem(dialog, IDC_MESSAGE_ENGLISH)) != 0;
    GetWindowRect(dialog, &seen->window);
    GetClientRect(dialog, &seen->client);
    seen->label = ChildRect(dialog, GetDlgItem(dialog, IDC_MESSAGE_CHINESE));
    seen->englishLine = ChildRect(dialog, GetDlgItem(dialog, IDC_MESSAGE_ENGLISH));
    seen->buttons.clear();
    for (int id : {IDOK, IDCANCEL, IDYES, IDNO}) {
        HWND button = GetDlgItem(dialog, id);
        if (IsWindowVisible(button))
            seen->buttons[id] = ChildRect(dialog, button);
    }
    RECT units = {0, 0, 73, 18};
    MapDialogRect(dialog, &units);
    seen->templateButton.cx = units.right;
    seen->templateButton.cy = units.bottom;
    HDC dc = GetDC(dialog);
    SIZE extent = {0, 0};
    if (!seen->english.empty())
        GetTextExtentPointA(dc, seen->english.c_str(), static_cast<int>(seen->english.size()), &extent);
    seen->englishExtent = extent;
    ReleaseDC(dialog, dc);
    seen->focus = GetDlgCtrlID(GetFocus());
}

VOID CALLBACK AnswerOnTick(HWND, UINT, UINT_PTR timer, DWORD)
{
    HWND dialog = FindThreadWindow(GetCurrentThreadId(), kMessageCaption);
    if (!dialog || !IsWindowVisible(dialog)) {
        if (++gTicks > kGiveUpTicks)
            KillTimer(nullptr, timer);
        return;
    }
    KillTimer(nullptr, timer);
    Note(dialog, gSeen);
    switch (gKind) {
    case kAnswerClick:
        PostMessageA(GetDlgItem(dialog, gValue), BM_CLICK, 0, 0);
        break;
    case kAnswerKey:
        PostMessageA(GetFocus(), WM_KEYDOWN, gValue, 1);
        break;
    case kAnswerClose:
        PostMessageA(dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
        break;
    case kAnswerEnterOn:
        SendMessageA(dialog, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(GetDlgItem(dialog, gValue)), TRUE);
        PostMessageA(GetFocus(), WM_KEYDOWN, VK_RETURN, 1);
        break;
    }
}

} // namespace

void ArmMessageAnswer(AnswerKind kind, int value, SeenMessage *seen)
{
    gKind = kind;
    gValue = value;
    gSeen = seen;
    gTicks = 0;
    SetTimer(nullptr, 0, kTickMilliseconds, AnswerOnTick);
}
