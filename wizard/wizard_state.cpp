#include "wizard/wizard_state.h"

#include "wizard/resource.h"

HINSTANCE gInstance;
int gNtFlag;
int gVersion3Flag;
int gVersion6Flag;
int gSystemChineseVariant;
int gForcedLanguage;
unsigned gDisplayOkAnswer;
int gDesktopIconFlag;
int gInstallFolderMade;
int gInstallScope;
char gInstallFolder[kPathBytes];
char gDefaultFolderName[kDefaultFolderNameBytes];
HWND gMainWindow;
HICON gWizardIcon;
HFONT gSampleFont;
HBITMAP gAtlasBitmaps[4];
HDC gAtlasDCs[4];
HGDIOBJ gPreviousAtlasObjects[4];
int gPageNumber;
int gInstallFailed;
int gAgreementTextFlag;

const LanguageEntry kLanguageTable[kLanguageCount] = {
    {"English 英文", kLanguageEnglish},
    {"Chinese(Simplified)  中文简体", kLanguageSimplified},
    {"Chinese(Traditional) 中文繁体", kLanguageTraditional},
};

const int kPageControlTable[][kPageControlRowLength] = {
    /* 0 install folder */ {IDC_DESKTOP_ICON, IDC_PAGE0_MISSING, IDC_FOLDER_EDIT, IDC_FOLDER_CAPTION, IDC_BROWSE, 0},
    /* 1 display check  */ {IDC_SAMPLE_FRAME, IDC_DISPLAY_QUESTION, IDC_SAMPLE_LINE, IDC_DISPLAY_YES, IDC_DISPLAY_NO, 0},
    /* 2 agreement      */ {IDC_SHOW_ENGLISH, IDC_AGREEMENT_CHINESE, IDC_AGREEMENT_ENGLISH, 0},
    /* 3 language       */ {IDC_LANGUAGE_CAPTION, IDC_LANGUAGE_LIST, 0},
    {0},
};

const char *const kMessageTable[3] = {
    "内存不够。安装无法继续。",
    "Memory not enough!",
    "Cannot create folder!",
};
