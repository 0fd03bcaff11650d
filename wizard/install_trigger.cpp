#include "wizard/install_trigger.h"

#include <stdio.h>
#include <string.h>
#include <time.h>

#include "display/folder_chooser.h"
#include "foundation/path_text.h"
#include "install/disk_space.h"
#include "install/install_run.h"
#include "install/payload.h"
#include "install/private_folder.h"
#include "wizard/install_folder.h"
#include "wizard/message_dialog.h"
#include "wizard/owner_draw.h"
#include "wizard/resource.h"
#include "wizard/speech_module.h"
#include "wizard/wizard_dialog.h"
#include "wizard/wizard_state.h"

void BrowseForFolder(HWND dialog)
{
    if (!ChooseFolder(dialog, DrawButton))
        return;
    char text[kPathBytes + kDefaultFolderNameBytes];
    if (JoinPathText(text, sizeof text, gInstallFolder, gDefaultFolderName, SystemPathCodePage()))
        SetDlgItemTextA(dialog, IDC_FOLDER_EDIT, text);
}

static void ReportBadFolder(HWND dialog)
{
    char english[128];
    snprintf(english, sizeof english, "%s Please check folder path.", kMessageTable[kMessageCannotCreateFolder]);
    ShowMessage("无法建目录。请检查所列目录是否合法（注意：子目录只能在已存在的目录下建）。", english, kMessageOk,
                dialog);
}

/* Back on the language page with its buttons, so the user can correct the folder. */
static void ReturnToLanguagePage(HWND dialog)
{
    gPageNumber = kLanguagePage;
    SetUpPage(dialog, kLanguagePage);
}

static void TakeChoices(HWND dialog)
{
    gDesktopIconFlag = IsDlgButtonChecked(dialog, IDC_DESKTOP_ICON) == BST_CHECKED;
    HWND languages = GetDlgItem(dialog, IDC_LANGUAGE_LIST);
    LRESULT selected = SendMessageA(languages, CB_GETCURSEL, 0, 0);
    gForcedLanguage = int(SendMessageA(languages, CB_GETITEMDATA, WPARAM(selected), 0));
}

static void HideButtons(HWND dialog)
{
    static const int kHidden[] = {IDC_NEXT, IDC_BACK, IDCANCEL, IDC_BOTTOM_STRIP};
    for (int id : kHidden) {
        HWND control = GetDlgItem(dialog, id);
        ShowWindow(control, SW_HIDE);
        UpdateWindow(control);
    }
}

/* The wait cursor only shows over our own window, so the pointer is brought there. */
static void ShowBusy()
{
    SetCursor(LoadCursorA(nullptr, IDC_WAIT));
    RECT window;
    POINT pointer;
    if (!GetWindowRect(gMainWindow, &window) || !GetCursorPos(&pointer))
        return;
    if (!PtInRect(&window, pointer))
        SetCursorPos(window.left + (window.right - window.left) / 2, window.top + (window.bottom - window.top) / 2);
}

/* Even a quick install keeps the wizard busy for a few seconds, so the user sees the
   progress before the closing message. Sleeping between the clock readings leaves the
   processor to others. */
static void WaitForMinimumTime(time_t start)
{
    while (difftime(time(nullptr), start) < double(kMinimumInstallSeconds))
        Sleep(50);
}

static void ReportResult(HWND dialog, int installed)
{
    if (!installed) {
        ShowMessage("安装失败！请检查一下系统后，再重新安装。谢谢！",
                    "Installation failed. Please check your system (quit all Tovra applications) and try again.",
                    kMessageOk, dialog);
        gInstallFailed = 1;
        return;
    }
    ShowMessage("祝贺您：安装顺利完成！", "Congratulations! Installation Success!", kMessageOk, dialog);
    WCHAR temporary[kPathBytes];
    if (!FindTemporaryFolder(temporary))
        return;
    if (ShowMessage("下面安装微软的语音模块 SAPI5.1.(安装时最好有系统管理员权限)",
                    "Now install speech module SAPI5.1 from Microsoft. (Install with Administrator Right is "
                    "Recommended)",
                    kMessageOkCancel, gMainWindow) == IDOK)
        OfferSpeechModule(temporary);
}

void TriggerInstall(HWND dialog)
{
    char typed[kPathBytes];
    GetDlgItemTextA(dialog, IDC_FOLDER_EDIT, typed, kPathBytes);
    int folderExisted = IsExistingFolder(typed);
    int folder = PrepareInstallFolder(dialog, typed);
    if (folder != kFolderReady) {
        if (folder == kFolderRefused)
            ReportBadFolder(dialog);
        ReturnToLanguagePage(dialog);
        return;
    }
    if (!HasRoomToInstall(dialog)) {
        if (!folderExisted)
            RemoveMadeFolder(gInstallFolder);
        ReturnToLanguagePage(dialog);
        return;
    }
    TakeChoices(dialog);
    gInstallFolderMade = !folderExisted;
    HideButtons(dialog);
    time_t start = time(nullptr);
    ShowBusy();
    int installed = InstallRun();
    if (!installed && !folderExisted)
        RemoveMadeFolder(gInstallFolder);
    WaitForMinimumTime(start);
    ReportResult(dialog, installed);
    gPageNumber = kPageFinished;
}
