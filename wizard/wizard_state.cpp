#include "wizard/wizard_state.h"

HINSTANCE gInstance;
int gNtFlag;
int gVersion3Flag;
int gVersion6Flag;
int gSystemChineseVariant;
int gForcedLanguage;
unsigned gDisplayOkAnswer;
int gDesktopIconFlag;
char gInstallFolder[kPathBytes];
char gDefaultFolderName[kDefaultFolderNameBytes];
HWND gMainWindow;
HICON gWizardIcon;
HFONT gSampleFont;
HBITMAP gAtlasBitmaps[4];
HDC gAtlasDCs[4];
HGDIOBJ gPreviousAtlasObjects[4];
int gPageNumber;

const LanguageEntry kLanguageTable[kLanguageCount] = {
    {"English 英文", kLanguageEnglish},
    {"Chinese(Simplified)  中文简体", kLanguageSimplified},
    {"Chinese(Traditional) 中文繁体", kLanguageTraditional},
};

const char *const kMessageTable[3] = {
    "内存不够。安装无法继续。",
    "Memory not enough!",
    "Cannot create folder!",
};
