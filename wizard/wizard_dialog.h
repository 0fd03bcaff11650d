/* The setup wizard: one modeless dialog (template 114) whose four pages share the right
   side. Changing the page shows one page's controls and hides the others'. */
#ifndef TOVRA_WIZARD_DIALOG_H
#define TOVRA_WIZARD_DIALOG_H

#include <windows.h>

enum { kAgreementLineLimit = 500 };

/* Sets the page number to 0, loads the wizard icon and creates the wizard, which shows at
   once on page 0. The progress bar's class must be registered first (start-up does it
   when it loads the common controls). Returns the main window, null when it can't be
   created. */
HWND OpenWizard(void);

INT_PTR CALLBACK WizardDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

/* Shows page (after the page number has been changed). */
void SetUpPage(HWND dialog, int page);

/* Cuts a CR-ended GBK text into the lines of list, at most kAgreementLineLimit; the text
   is cut in place. */
void AddAgreementLines(HWND list, char *text);

#endif
