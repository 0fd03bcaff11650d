/* The bilingual message dialog (template 112): every message and question of the system. */
#ifndef TOVRA_MESSAGE_DIALOG_H
#define TOVRA_MESSAGE_DIALOG_H

#include <windows.h>

#include "wizard/wizard_state.h"

enum MessageType { kMessageOk = 0, kMessageOkCancel = 1, kMessageYesNo = 4 };

enum { kSecondTextBytes = 128 };

/* Shows the Chinese line (painted from the glyph atlas) over the English line, modal to
   owner; returns the identifier of the button pressed: IDOK, IDCANCEL, IDYES or IDNO.
   The Chinese line is not copied and must stay valid while the dialog is open: it is
   painted whole from the caller's bytes, and is the name a screen reader reads. */
int ShowMessage(const char *chineseText, const char *englishText, int type, HWND owner);

/* The one message of a buffer that could not be had, with its OK button. Inline, so
   that it goes through whichever ShowMessage the program links. */
inline void ShowOutOfMemory(HWND owner)
{
    ShowMessage(kMessageTable[kMessageOutOfMemoryChinese], kMessageTable[kMessageOutOfMemoryEnglish], kMessageOk,
                owner);
}

INT_PTR CALLBACK MessageDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

#endif
