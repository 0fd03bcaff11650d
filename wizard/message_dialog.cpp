#include "wizard/message_dialog.h"

#include "display/glyph_text.h"
#include "wizard/owner_draw.h"
#include "wizard/resource.h"
#include "wizard/wizard_state.h"

enum {
    kShortChineseLine = 81,      /* lines shorter than this get a margin of two button heights */
    kMissingButtonWidth = 82,
    kMissingButtonHeight = 12,
};

/* Handed from ShowMessage to the dialog's initialisation; overwritten by the next call. */
static int gMessageType;
static char gSecondText[kSecondTextBytes];

int ShowMessage(const char *chineseText, const char *englishText, int type, HWND owner)
{
    gMessageType = type;
    lstrcpynA(gSecondText, englishText ? englishText : "", kSecondTextBytes);
    const char *chinese = chineseText ? chineseText : "";
    return static_cast<int>(DialogBoxParamA(gInstance, MAKEINTRESOURCEA(IDD_MESSAGE), owner, MessageDialogProc,
                                            reinterpret_cast<LPARAM>(chinese)));
}

static int Larger(int a, int b)
{
    return a > b ? a : b;
}

static void PlaceButton(HWND dialog, int id, int x, int y, int width, int height)
{
    HWND button = GetDlgItem(dialog, id);
    ShowWindow(button, SW_SHOW);
    MoveWindow(button, x, y, width, height, TRUE);
}

/* Sizes the dialog to its two lines, centres it on the screen and lays out the label,
   the English line and the buttons. All divisions truncate. */
static void LayOutMessage(HWND dialog, const char *chinese)
{
    int first = IDOK, second = IDCANCEL;
    if (gMessageType == kMessageYesNo) {
        first = IDYES;
        second = IDNO;
    }

    /* The English line is measured in the window's own context, without the dialog font. */
    HDC dc = GetDC(dialog);
    SIZE text = MeasureGlyphText(dc, chinese);
    SIZE english = {0, 0};
    if (gSecondText[0] && !GetTextExtentPointA(dc, gSecondText, lstrlenA(gSecondText), &english))
        english.cx = english.cy = 0;
    ReleaseDC(dialog, dc);

    int bw = kMissingButtonWidth, bh = kMissingButtonHeight;
    HWND firstButton = GetDlgItem(dialog, first);
    if (firstButton) {
        RECT button;
        GetClientRect(firstButton, &button);
        bw = button.right;
        bh = button.bottom;
    }

    int minimum = (gMessageType == kMessageOk ? 2 : 3) * bw;
    int width = Larger(text.cx, english.cx) + 2 * GetSystemMetrics(SM_CXDLGFRAME);
    if (lstrlenA(chinese) < kShortChineseLine)
        width += 2 * bh;
    int height = 3 * (bh + text.cy) + 2 * english.cy;
    /* Centred by the width the texts need, even when the buttons make the window wider. */
    SetWindowPos(dialog, nullptr, (GetSystemMetrics(SM_CXSCREEN) - width) / 2,
                 (GetSystemMetrics(SM_CYSCREEN) - height) / 2, Larger(width, minimum),
                 height + GetSystemMetrics(SM_CYCAPTION), SWP_NOZORDER);
    RECT client;
    GetClientRect(dialog, &client);

    int buttonTop = height - 2 * bh;
    if (gMessageType == kMessageOk) {
        PlaceButton(dialog, IDOK, (width - bw) / 2, buttonTop, bw, bh);
    } else {
        int left = (width - 7 * bw / 3) / 2;
        PlaceButton(dialog, first, left, buttonTop, bw, bh);
        PlaceButton(dialog, second, left + 4 * bw / 3, buttonTop, bw, bh);
    }

    int labelTop = 2 * text.cy / 3;
    HWND label = GetDlgItem(dialog, IDC_MESSAGE_CHINESE);
    NameControl(label, chinese);
    MoveWindow(label, client.left, labelTop, client.right, 3 * text.cy, TRUE);

    HWND englishLine = GetDlgItem(dialog, IDC_MESSAGE_ENGLISH);
    if (gSecondText[0]) {
        SetWindowTextA(englishLine, gSecondText);
        MoveWindow(englishLine, client.left, labelTop + 3 * text.cy + 5, client.right, 2 * english.cy, TRUE);
    } else {
        ShowWindow(englishLine, SW_HIDE);
    }
}

static int IsButtonShown(HWND dialog, int id)
{
    HWND button = GetDlgItem(dialog, id);
    return button && (GetWindowLongPtrA(button, GWL_STYLE) & WS_VISIBLE);
}

static int IsAnswerButton(int id)
{
    return id == IDOK || id == IDCANCEL || id == IDYES || id == IDNO;
}

/* The answer a command gives, or 0 for none. The dialog manager turns Enter into IDOK
   whichever owner-drawn button has the focus, so IDOK answers with the focused button
   when that is another shown one: Enter on a focused Cancel must not mean OK. A click
   moves the focus onto its button first, so a click on OK still answers OK. Escape or the
   close box (IDCANCEL) on a message without Cancel takes the answer that changes
   nothing (No, or the OK of a plain message). */
static int AnswerOfCommand(HWND dialog, int command)
{
    if (!IsAnswerButton(command))
        return 0;
    if (command == IDOK) {
        int focus = GetDlgCtrlID(GetFocus());
        if (focus != IDOK && IsAnswerButton(focus) && IsButtonShown(dialog, focus))
            return focus;
        return IsButtonShown(dialog, IDOK) ? IDOK : 0;
    }
    if (IsButtonShown(dialog, command))
        return command;
    if (command == IDCANCEL)
        return IsButtonShown(dialog, IDNO) ? IDNO : IDOK;
    return 0;
}

static void AnswerMessage(HWND dialog, int command)
{
    int answer = AnswerOfCommand(dialog, command);
    if (answer)
        EndDialog(dialog, answer);
}

/* The dialog keeps its Chinese line, which the caller holds for as long as the dialog is
   open, so that the line is painted from the product's own bytes. */
static void InitMessage(HWND dialog, const char *chinese)
{
    SetWindowLongPtrA(dialog, DWLP_USER, reinterpret_cast<LONG_PTR>(chinese));
    NameOwnerDrawnControls(dialog);
    LayOutMessage(dialog, chinese);
}

static void DrawMessageItem(HWND dialog, const DRAWITEMSTRUCT *item)
{
    const char *chinese = reinterpret_cast<const char *>(GetWindowLongPtrA(dialog, DWLP_USER));
    if (item->CtlID == IDC_MESSAGE_CHINESE && chinese)
        DrawLabelledButton(item, chinese);
    else
        DrawButton(item);
}

INT_PTR CALLBACK MessageDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG:
        InitMessage(dialog, reinterpret_cast<const char *>(lParam));
        return TRUE;
    case WM_DRAWITEM:
        DrawMessageItem(dialog, reinterpret_cast<const DRAWITEMSTRUCT *>(lParam));
        return TRUE;
    case WM_COMMAND:
        AnswerMessage(dialog, LOWORD(wParam));
        return FALSE;
    }
    return FALSE;
}
