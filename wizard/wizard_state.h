/* The shared wizard state: the process-wide variables through which the wizard pages,
   the install engine, the shell registration and the text display talk to each other.
   One thread reads and writes them; there is no lock. */
#ifndef TOVRA_WIZARD_STATE_H
#define TOVRA_WIZARD_STATE_H

#include <windows.h>

#include "wizard/resource.h"

enum { kPathBytes = MAX_PATH };          /* every path is built in a buffer of this size */
enum { kDefaultFolderNameBytes = 300 };

enum Language { kLanguageEnglish = 0, kLanguageSimplified = 1, kLanguageTraditional = 2 };

/* Whom an install is for: the user who runs it, or every user of the machine. */
enum InstallScope { kForThisUser = 0, kForEveryUser = 1 };

/* Page numbers: the four pages, then the install and the end */
enum {
    kFolderPage = 0,
    kDisplayCheckPage = 1,
    kAgreementPage = 2,
    kLanguagePage = 3,
    kPageInstalling = 99,
    kPageFinished = -1,
};

extern HINSTANCE gInstance;
extern int gNtFlag;                       /* VER_PLATFORM_WIN32_NT */
extern int gVersion3Flag;                 /* major version 3 */
extern int gVersion6Flag;                 /* NT and major version 6 or later */
extern int gSystemChineseVariant;         /* 0 none, 1 simplified, 2 traditional */
extern int gForcedLanguage;               /* Language chosen on page 3 */
extern unsigned gDisplayOkAnswer;         /* 1: the sample line displayed correctly */
extern int gDesktopIconFlag;
extern char gInstallFolder[kPathBytes];
extern int gInstallFolderMade;            /* this setup made the install folder */
extern int gInstallScope;                 /* InstallScope: where the links and the
                                             installed-apps entry go, decided once a run */
extern char gDefaultFolderName[kDefaultFolderNameBytes];
extern HWND gMainWindow;
extern HICON gWizardIcon;
extern HFONT gSampleFont;
extern HBITMAP gAtlasBitmaps[4];
extern HDC gAtlasDCs[4];
extern HGDIOBJ gPreviousAtlasObjects[4];
extern int gPageNumber;                   /* also the main loop's run flag */
extern int gInstallFailed;                /* the install ran and failed: exit code 2 */
extern int gAgreementTextFlag;            /* both agreement texts are in their controls */

/* Static tables */
enum { kDefaultCommand = IDC_NEXT };

struct LanguageEntry {
    const char *name;
    int value;
};
enum { kLanguageCount = 3 };
extern const LanguageEntry kLanguageTable[kLanguageCount];

/* Controls of each wizard page: a row of at most 16 identifiers ended by 0 per page,
   the rows one after the other, an all-zero row at the end. */
enum { kPageControlRowLength = 17 };
extern const int kPageControlTable[][kPageControlRowLength];

enum { kMessageOutOfMemoryChinese = 0, kMessageOutOfMemoryEnglish = 1, kMessageCannotCreateFolder = 2 };
extern const char *const kMessageTable[3];

#endif
