/* The folder chooser: the system's old-style file-open dialog with a template of our own
   (168) that leaves only the folder list, the drive list, OK and Cancel. */
#ifndef TOVRA_FOLDER_CHOOSER_H
#define TOVRA_FOLDER_CHOOSER_H

#include <windows.h>

/* Paints one of the chooser's owner-drawn labels or buttons and names it after what it
   paints; an item with no action only names it. The wizard's own button painting, handed
   in by the wizard, which is drawn above this layer. */
typedef void (*ButtonPainter)(const DRAWITEMSTRUCT *item);

/* Lets the user pick a folder. 1 when confirmed, with the folder (no trailing backslash)
   in the install folder of the wizard state; 0 when cancelled, or when the common dialogs
   are not loaded, with nothing changed. */
int ChooseFolder(HWND owner, ButtonPainter paintButton);

UINT_PTR CALLBACK FolderChooserHook(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

#endif
