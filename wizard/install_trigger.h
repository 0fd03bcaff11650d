/* What happens when the user presses Agree/Install on the last page, and Browse. */
#ifndef TOVRA_INSTALL_TRIGGER_H
#define TOVRA_INSTALL_TRIGGER_H

#include <windows.h>

enum { kMinimumInstallSeconds = 5 };

/* Browse: lets the user pick the folder; the folder edit gets it with the default folder
   name. */
void BrowseForFolder(HWND dialog);

/* Agree/Install: takes the folder and the choices, runs the install, reports, offers the
   speech module (when there is a temporary folder to put it in) and ends the wizard. A
   folder that can't be made, or one with files of the user's that the user would rather
   keep, sends the user back to the language page instead. */
void TriggerInstall(HWND dialog);

#endif
