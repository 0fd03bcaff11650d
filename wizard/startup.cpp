#include "wizard/startup.h"

#include <commdlg.h>

#include "display/glyph_text.h"
#include "foundation/code_page.h"
#include "install/payload.h"
#include "install/payload_index.h"
#include "wizard/message_dialog.h"
#include "wizard/system_libraries.h"
#include "wizard/wizard_dialog.h"
#include "wizard/wizard_state.h"

#ifndef _WIN64
/* The structures the old platforms know by these sizes; the product is 32-bit. */
static_assert(sizeof(OSVERSIONINFOA) == 148, "OSVERSIONINFOA as the system expects it");
static_assert(sizeof(LOGFONTA) == 60, "LOGFONTA as the system expects it");
static_assert(sizeof(OPENFILENAMEA) == 88, "OPENFILENAMEA as the system expects it");
#endif

enum { kClassNameBytes = 100 };

static const char kDefaultFolderName[] = "Tovra_Editor";

static void DetectPlatform(void)
{
    OSVERSIONINFOA version = {};
    version.dwOSVersionInfoSize = sizeof version;
    if (!GetVersionExA(&version))
        return;
    int nt = version.dwPlatformId == VER_PLATFORM_WIN32_NT;
    gNtFlag = nt;
    gVersion3Flag = version.dwMajorVersion == 3;
    gVersion6Flag = nt && version.dwMajorVersion >= 6;
}

/* A Taiwan language on code page 936 still reads GBK, and a Chinese language on code page
   65001 reads GBK bytes as broken UTF-8: only 936 and 950 say which names can be read. */
int ChineseVariantOf(UINT codePage, LANGID language)
{
    if (PRIMARYLANGID(language) != LANG_CHINESE)
        return 0;
    switch (codePage) {
    case kCodePageGbk:
        return 1;
    case kCodePageBig5:
        return 2;
    }
    return 0;
}

void DetectSystemChineseVariant(void)
{
    gSystemChineseVariant = ChineseVariantOf(GetACP(), GetSystemDefaultLangID());
}

/* A fixed-pitch GB2312 font for the sample line: the system's own Chinese display is
   what the user is asked to judge. */
static void CreateSampleFont(void)
{
    LOGFONTA font;
    if (!GetObjectA(GetStockObject(SYSTEM_FONT), sizeof font, &font))
        return;
    lstrcpynA(font.lfFaceName, "Courier New", LF_FACESIZE);
    font.lfHeight = 16;
    font.lfWidth = 8;
    font.lfWeight = FW_NORMAL;
    font.lfPitchAndFamily = FF_MODERN | FIXED_PITCH;
    font.lfCharSet = GB2312_CHARSET;
    gSampleFont = CreateFontIndirectA(&font);
}

int LoadGlyphAtlas(void *buffer, unsigned long capacity)
{
    unsigned long length = 0;
    return InflatePayload(IDR_GLYPH_ATLAS, buffer, capacity, &length) == 0 && MakeGlyphAtlas(buffer, length);
}

int LoadProgramAtlas(void)
{
    void *buffer = HeapAlloc(GetProcessHeap(), 0, kAtlasCapacity);
    if (!buffer) {
        ShowOutOfMemory(nullptr);
        return 0;
    }
    int loaded = LoadGlyphAtlas(buffer, kAtlasCapacity);
    HeapFree(GetProcessHeap(), 0, buffer);
    return loaded;
}

/* A setup file damaged on its way to the user would fail half-way through the install;
   every payload is checked against the build's checksums before the wizard shows. */
static int SetupFileIntact(void)
{
    if (PayloadIntact())
        return 1;
    ShowMessage("安装文件已损坏，请重新下载。", "The setup file is damaged. Please download it again.", kMessageOk,
                nullptr);
    return 0;
}

/* Check boxes, radio buttons and three-state boxes (low style byte 2, 3, 4, 5, 6, 9)
   are not pressed by Enter. */
static int IsPushStyleButton(HWND window)
{
    char className[kClassNameBytes] = "";
    GetClassNameA(window, className, kClassNameBytes);
    className[kClassNameBytes - 1] = '\0';
    if (lstrcmpiA(className, "button") != 0)
        return 0;
    switch (GetWindowLongPtrA(window, GWL_STYLE) & 0xFF) {
    case BS_CHECKBOX:
    case BS_AUTOCHECKBOX:
    case BS_RADIOBUTTON:
    case BS_3STATE:
    case BS_AUTO3STATE:
    case BS_AUTORADIOBUTTON:
        return 0;
    }
    return 1;
}

/* An open drop-down list takes Enter itself, to close on the entry the keys have
   highlighted, as it takes Escape; the wizard's buttons must not act on either. */
static int IsOpenDropDownList(HWND window)
{
    char className[kClassNameBytes] = "";
    GetClassNameA(window, className, kClassNameBytes);
    className[kClassNameBytes - 1] = '\0';
    return lstrcmpiA(className, "combobox") == 0 && SendMessageA(window, CB_GETDROPPEDSTATE, 0, 0);
}

int RouteEnterKey(HWND mainWindow)
{
    HWND focus = GetFocus();
    if (focus && IsOpenDropDownList(focus))
        return 1;
    if (focus && IsPushStyleButton(focus)) {
        WPARAM id = static_cast<WPARAM>(GetWindowLongPtrA(focus, GWLP_ID) & 0xFFFF);
        PostMessageA(mainWindow, WM_COMMAND, id, 0);
        return 0;
    }
    PostMessageA(mainWindow, WM_COMMAND, kDefaultCommand, 0);
    return 1;
}

void HandleLoopMessage(MSG *message)
{
    if (message->message == WM_KEYDOWN && message->wParam == VK_RETURN && !RouteEnterKey(gMainWindow))
        return;
    if (!IsDialogMessageA(gMainWindow, message)) {
        TranslateMessage(message);
        DispatchMessageA(message);
    }
}

/* The page number is the run flag: Cancel sets it to -1 and the loop ends before it
   waits for another message. */
static void RunMainLoop(void)
{
    MSG message;
    while (gPageNumber > kPageFinished && GetMessageA(&message, nullptr, 0, 0) > 0)
        HandleLoopMessage(&message);
}

int RunSetup(HINSTANCE instance, HINSTANCE previousInstance)
{
    if (previousInstance)
        return 0;
    SystemLibraries libraries = {};
    LoadSystemLibraries(&libraries);
    SetCursor(LoadCursorA(nullptr, IDC_WAIT));
    DetectPlatform();
    DetectSystemChineseVariant();
    gForcedLanguage = kLanguageEnglish;
    gInstance = instance;
    CreateSampleFont();
    lstrcpynA(gDefaultFolderName, kDefaultFolderName, kDefaultFolderNameBytes);

    int exitCode = 1;
    if (LoadProgramAtlas() && SetupFileIntact() && OpenWizard()) {
        RunMainLoop();
        DestroyWindow(gMainWindow);
        gMainWindow = nullptr;
        exitCode = gInstallFailed ? 2 : 0;
    }
    ReleaseGlyphAtlas();
    ReleaseSystemLibraries(&libraries);
    return exitCode;
}
