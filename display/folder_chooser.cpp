#include "display/folder_chooser.h"

#include <commdlg.h>
#include <direct.h>
#include <dlgs.h>
#include <string.h>

#include "foundation/path_text.h"
#include "wizard/resource.h"
#include "wizard/system_libraries.h"
#include "wizard/wizard_state.h"

enum { kFileBufferCapacity = 128 };
static const char kChooserCaption[] = "Choose Destination Directory";

/* The painter of the chooser now open; the dialog is modal, so there is one at a time. */
static ButtonPainter gPaintButton;

/* The controls the painter draws: the two captions and Cancel. */
static const int kPaintedControls[] = {IDC_CHOOSER_FOLDERS_LABEL, IDC_CHOOSER_DRIVES_LABEL, IDCANCEL};

/* The system makes the template's captions in its own code page, which spells their
   Chinese as "?" on an English system; the painter names each control after the label it
   paints, and an item with nothing to draw has it do only that, before the chooser shows. */
static void NameChooserControls(HWND dialog)
{
    for (int id : kPaintedControls) {
        DRAWITEMSTRUCT item = {};
        item.CtlType = id == IDCANCEL ? ODT_BUTTON : ODT_STATIC;
        item.CtlID = static_cast<UINT>(id);
        item.hwndItem = GetDlgItem(dialog, id);
        gPaintButton(&item);
    }
}

/* The system titles the dialog "Open File" over the template's caption, which tells the
   user what is asked. The Cancel button is painted like the wizard's own buttons, with
   its bilingual label. */
static BOOL InitChooser(HWND dialog)
{
    SetWindowTextA(dialog, kChooserCaption);
    HWND cancel = GetDlgItem(dialog, IDCANCEL);
    SetWindowLongPtrA(cancel, GWL_STYLE, GetWindowLongPtrA(cancel, GWL_STYLE) | BS_OWNERDRAW);
    NameChooserControls(dialog);
    SetFocus(GetDlgItem(dialog, lst2)); /* the folder list */
    return TRUE;
}

static BOOL DrawChooserItem(const DRAWITEMSTRUCT *item)
{
    for (int id : kPaintedControls) {
        if (item->CtlID == static_cast<UINT>(id)) {
            gPaintButton(item);
            return TRUE;
        }
    }
    return FALSE;
}

/* The old-style dialog keeps the process's current folder on the folder the user has
   opened in its lists, so OK answers with that folder, not with a file. */
static BOOL ConfirmCurrentFolder(HWND dialog)
{
    char folder[kPathBytes];
    if (!_getcwd(folder, kPathBytes))
        return FALSE;
    RemoveLastBackslash(folder, SystemPathCodePage());
    strcpy(gInstallFolder, folder);
    EndDialog(dialog, 1);
    return TRUE;
}

UINT_PTR CALLBACK FolderChooserHook(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG:
        return InitChooser(dialog);
    case WM_DRAWITEM:
        return DrawChooserItem(reinterpret_cast<const DRAWITEMSTRUCT *>(lParam));
    case WM_COMMAND:
        if (LOWORD(wParam) == IDOK)
            return ConfirmCurrentFolder(dialog);
        return FALSE;
    }
    return FALSE;
}

typedef BOOL(WINAPI *GetOpenFileNameProcedure)(OPENFILENAMEA *request);

/* The common dialogs are not imported: start-up loads them from the system folder. */
int ChooseFolder(HWND owner, ButtonPainter paintButton)
{
    GetOpenFileNameProcedure getOpenFileName =
        SystemProcedure<GetOpenFileNameProcedure>(GetModuleHandleA("comdlg32.dll"), "GetOpenFileNameA");
    if (!getOpenFileName)
        return 0;
    char file[kPathBytes] = "";
    OPENFILENAMEA request;
    memset(&request, 0, sizeof request);
    request.lStructSize = sizeof request;
    request.hwndOwner = owner;
    request.lpstrFile = file;
    request.nMaxFile = kFileBufferCapacity;
    request.Flags = OFN_HIDEREADONLY | OFN_NOCHANGEDIR | OFN_ENABLEHOOK | OFN_ENABLETEMPLATE | OFN_PATHMUSTEXIST;
    request.lpfnHook = FolderChooserHook;
    request.lpTemplateName = MAKEINTRESOURCEA(IDD_FOLDER_CHOOSER);
    gPaintButton = paintButton;
    return getOpenFileName(&request) ? 1 : 0;
}
