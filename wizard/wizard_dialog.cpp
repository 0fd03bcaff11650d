#include "wizard/wizard_dialog.h"

#include <stdio.h>

#include "foundation/code_page.h"
#include "install/payload.h"
#include "wizard/install_trigger.h"
#include "wizard/message_dialog.h"
#include "wizard/owner_draw.h"
#include "wizard/resource.h"
#include "wizard/wizard_state.h"

HWND OpenWizard(void)
{
    gPageNumber = kFolderPage;
    gWizardIcon = LoadIconA(gInstance, MAKEINTRESOURCEA(IDI_WIZARD));
    gMainWindow = CreateDialogParamA(gInstance, MAKEINTRESOURCEA(IDD_WIZARD), nullptr, WizardDialogProc, 0);
    return gMainWindow;
}

/* The proposed folder lies on the drive of the Windows folder: "C:\Tovra_Editor" on most
   systems. */
static void ProposeInstallFolder(HWND dialog)
{
    char windows[kPathBytes];
    UINT length = GetWindowsDirectoryA(windows, kPathBytes);
    char drive = length > 0 && length < kPathBytes ? windows[0] : 'C';
    char folder[kPathBytes];
    snprintf(folder, sizeof folder, "%c:\\%s", drive, gDefaultFolderName);
    SetDlgItemTextA(dialog, IDC_FOLDER_EDIT, folder);
}

/* The forced language comes first and is selected; the others follow in table order.
   The names go in through the wide entry points, so that a screen reader reads their
   Chinese on any system. */
static void FillLanguageList(HWND dialog)
{
    HWND list = GetDlgItem(dialog, IDC_LANGUAGE_LIST);
    for (int i = 0; i < kLanguageCount; ++i) {
        const LanguageEntry *entry = &kLanguageTable[i];
        WCHAR name[kItemTextBytes];
        WidenProductText(entry->name, name, kItemTextBytes);
        LPARAM text = reinterpret_cast<LPARAM>(name);
        LRESULT position = entry->value == gForcedLanguage ? SendMessageW(list, CB_INSERTSTRING, 0, text)
                                                           : SendMessageW(list, CB_ADDSTRING, 0, text);
        SendMessageA(list, CB_SETITEMDATA, position, entry->value);
    }
    SendMessageA(list, CB_SETCURSEL, 0, 0);
}

/* The agreements show no caption; a screen reader names each after the hidden label
   just before it. */
struct HiddenLabelRow {
    int id;
    const char *label;
};

static const HiddenLabelRow kHiddenLabels[] = {
    {IDC_CHINESE_AGREEMENT_NAME, "中文用户协议 Chinese User Agreement"},
    {IDC_ENGLISH_AGREEMENT_NAME, "英文用户协议 English User Agreement"},
};

static void NameHiddenLabels(HWND dialog)
{
    for (const HiddenLabelRow &row : kHiddenLabels)
        NameControl(GetDlgItem(dialog, row.id), row.label);
}

/* The closed box's selection field (item -1) is as high as the list's items. Answering
   its measure message is not enough: the box asks once, while the dialog is being made,
   and under Wine the WM_SETFONT the dialog manager sends right after puts the field back
   to the font's height (17 for the template's font), which cuts the bottom rows off the
   selection's Chinese. Set once the dialog stands, the height holds on Windows and Wine. */
static void SizeLanguageSelectionField(HWND dialog)
{
    SendMessageA(GetDlgItem(dialog, IDC_LANGUAGE_LIST), CB_SETITEMHEIGHT, static_cast<WPARAM>(-1), kListItemHeight);
}

static void ShowBack(HWND dialog, int shown)
{
    HWND back = GetDlgItem(dialog, IDC_BACK);
    ShowWindow(back, shown ? SW_SHOW : SW_HIDE);
    EnableWindow(back, shown);
}

static void InitWizard(HWND dialog)
{
    /* The agreement controls of a new dialog are empty. */
    gAgreementTextFlag = 0;
    SendMessageA(dialog, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(gWizardIcon));
    SendMessageA(dialog, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(gWizardIcon));
    NameOwnerDrawnControls(dialog);
    NameHiddenLabels(dialog);
    ProposeInstallFolder(dialog);
    CheckDlgButton(dialog, IDC_DESKTOP_ICON, BST_CHECKED);
    ShowBack(dialog, 0);
    FillLanguageList(dialog);
    SizeLanguageSelectionField(dialog);
    SubclassCheckBox(GetDlgItem(dialog, IDC_DESKTOP_ICON));
    SubclassCheckBox(GetDlgItem(dialog, IDC_DISPLAY_YES));
    SubclassCheckBox(GetDlgItem(dialog, IDC_DISPLAY_NO));
}

/* End of the longest piece of line that fits an item of the list (kItemTextBytes with
   its terminator) without splitting a double-byte character. */
static char *AgreementPieceEnd(char *line)
{
    char *end = line;
    while (*end) {
        int step = (*end & 0x80) && end[1] ? 2 : 1;
        if (end + step - line > kItemTextBytes - 1)
            break;
        end += step;
    }
    return end;
}

/* Adds line as list items: one, or several when it is too long for one item (the item
   drawing reads an item into a buffer of kItemTextBytes). Returns the number added, at
   most room. Through the wide entry points, as the language names. */
static int AddAgreementLine(HWND list, char *line, int room)
{
    int added = 0;
    WCHAR piece[kItemTextBytes];
    do {
        char *end = AgreementPieceEnd(line);
        char kept = *end;
        *end = '\0';
        WidenProductText(line, piece, kItemTextBytes);
        SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(piece));
        *end = kept;
        line = end;
        ++added;
    } while (*line && added < room);
    return added;
}

void AddAgreementLines(HWND list, char *text)
{
    /* A load that failed half-way is retried from the start: no line is listed twice. */
    SendMessageA(list, LB_RESETCONTENT, 0, 0);
    int lines = 0;
    char *line = text;
    char *p = text;
    while (*p && lines < kAgreementLineLimit) {
        if (*p == '\r') {
            *p = '\0';
            lines += AddAgreementLine(list, line, kAgreementLineLimit - lines);
            if (p[1] == '\n')
                ++p;
            line = p + 1;
        }
        ++p;
    }
    /* A text whose last line has no CR still shows that line. */
    if (*line && lines < kAgreementLineLimit)
        AddAgreementLine(list, line, kAgreementLineLimit - lines);
}

/* Inflates agreement identifier into its control; 0 on failure. One byte of the buffer
   is kept for the terminator, so a text of the buffer's full size is refused. */
static int LoadAgreementText(HWND dialog, int identifier)
{
    char *text = static_cast<char *>(HeapAlloc(GetProcessHeap(), 0, kAgreementCapacity));
    if (!text) {
        ShowOutOfMemory(gMainWindow);
        return 0;
    }
    unsigned long length = 0;
    int loaded = InflatePayload(identifier, text, kAgreementCapacity - 1, &length) == 0;
    if (loaded) {
        text[length] = '\0';
        if (identifier == IDR_AGREEMENT_CHINESE)
            AddAgreementLines(GetDlgItem(dialog, IDC_AGREEMENT_CHINESE), text);
        else
            SetDlgItemTextA(dialog, IDC_AGREEMENT_ENGLISH, text);
    }
    HeapFree(GetProcessHeap(), 0, text);
    return loaded;
}

static int LoadAgreementTexts(HWND dialog)
{
    if (!LoadAgreementText(dialog, IDR_AGREEMENT_CHINESE) || !LoadAgreementText(dialog, IDR_AGREEMENT_ENGLISH))
        return 0;
    gAgreementTextFlag = 1;
    return 1;
}

static void ShowPageControls(HWND dialog, int page)
{
    for (int row = 0; kPageControlTable[row][0] != 0; ++row) {
        for (const int *id = kPageControlTable[row]; *id != 0; ++id) {
            HWND control = GetDlgItem(dialog, *id);
            if (control)
                ShowWindow(control, row == page ? SW_SHOW : SW_HIDE);
        }
    }
}

void SetUpPage(HWND dialog, int page)
{
    ShowPageControls(dialog, page);
    /* Without its texts the agreement page shows neither agreement; the next visit to
       the page tries again. */
    int agreementReady = 1;
    if (page == kAgreementPage && !gAgreementTextFlag)
        agreementReady = LoadAgreementTexts(dialog);

    ShowWindow(GetDlgItem(dialog, IDC_AGREEMENT_CHINESE), SW_HIDE);
    ShowWindow(GetDlgItem(dialog, IDC_AGREEMENT_ENGLISH), SW_HIDE);
    if (page == kAgreementPage && agreementReady) {
        int english = IsDlgButtonChecked(dialog, IDC_SHOW_ENGLISH) == BST_CHECKED;
        ShowWindow(GetDlgItem(dialog, english ? IDC_AGREEMENT_ENGLISH : IDC_AGREEMENT_CHINESE), SW_SHOW);
    }
    /* While installing and when finished, Back keeps the state the install gave it. */
    if (gPageNumber >= kFolderPage && gPageNumber < kPageInstalling)
        ShowBack(dialog, page != kFolderPage);
    InvalidateRect(dialog, nullptr, TRUE);
    UpdateWindow(dialog);
}

static void GoBack(HWND dialog)
{
    if (gPageNumber <= kFolderPage)
        return;
    --gPageNumber;
    SetUpPage(dialog, gPageNumber);
}

/* Every arrival on the display check from the folder page starts without an answer. */
static void LeaveFolderPage(HWND dialog)
{
    gPageNumber = kDisplayCheckPage;
    SetUpPage(dialog, kDisplayCheckPage);
    CheckDlgButton(dialog, IDC_DISPLAY_YES, BST_UNCHECKED);
    CheckDlgButton(dialog, IDC_DISPLAY_NO, BST_UNCHECKED);
}

static void LeaveDisplayCheckPage(HWND dialog)
{
    int yes = IsDlgButtonChecked(dialog, IDC_DISPLAY_YES) == BST_CHECKED;
    int no = IsDlgButtonChecked(dialog, IDC_DISPLAY_NO) == BST_CHECKED;
    gDisplayOkAnswer = yes;
    if (!yes && !no) {
        ShowMessage("请您回答提问.", "Please select a choice.", kMessageOk, dialog);
        return;
    }
    /* The agreement opens in English unless a Chinese interface was chosen (the language
       numbers are the script codes). */
    if (IsNotDoubleByteScript(gForcedLanguage))
        CheckDlgButton(dialog, IDC_SHOW_ENGLISH, BST_CHECKED);
    gPageNumber = kAgreementPage;
    SetUpPage(dialog, kAgreementPage);
}

/* The language page stays up while the install runs; the page number marks the run. */
static void StartInstall(HWND dialog)
{
    SetUpPage(dialog, gPageNumber);
    gPageNumber = kPageInstalling;
    TriggerInstall(dialog);
}

static void GoNext(HWND dialog)
{
    switch (gPageNumber) {
    case kFolderPage:
        LeaveFolderPage(dialog);
        break;
    case kDisplayCheckPage:
        LeaveDisplayCheckPage(dialog);
        break;
    case kAgreementPage:
        gPageNumber = kLanguagePage;
        SetUpPage(dialog, kLanguagePage);
        break;
    default:
        StartInstall(dialog);
        break;
    }
}

static void CancelWizard(void)
{
    gPageNumber = kPageFinished;
}

static void RepaintControl(HWND dialog, int id)
{
    InvalidateRect(GetDlgItem(dialog, id), nullptr, FALSE);
}

/* The two answers of the display check exclude each other; both may be unticked. The
   system has just painted the clicked box its own way, so both are painted again. */
static void AnswerDisplayCheck(HWND dialog, int clicked, int other)
{
    if (IsDlgButtonChecked(dialog, clicked) == BST_CHECKED)
        CheckDlgButton(dialog, other, BST_UNCHECKED);
    RepaintControl(dialog, IDC_DISPLAY_YES);
    RepaintControl(dialog, IDC_DISPLAY_NO);
}

/* The English box also reports losing the focus, which happens as it is hidden on the
   way to another page: only on its own page does it switch the agreements. */
static void SwitchAgreementLanguage(HWND dialog)
{
    if (gPageNumber == kAgreementPage)
        SetUpPage(dialog, kAgreementPage);
}

/* Only the control identifier counts: the check boxes' focus notifications run the same
   actions as their clicks, which repaints them after the system's own focus painting. */
static void RunWizardCommand(HWND dialog, int command)
{
    switch (command) {
    case IDC_BACK:
        GoBack(dialog);
        break;
    case IDC_NEXT:
        GoNext(dialog);
        break;
    case IDCANCEL:
        CancelWizard();
        break;
    case IDC_BROWSE:
        BrowseForFolder(dialog);
        break;
    case IDC_DESKTOP_ICON:
        RepaintControl(dialog, IDC_DESKTOP_ICON);
        break;
    case IDC_DISPLAY_YES:
        AnswerDisplayCheck(dialog, IDC_DISPLAY_YES, IDC_DISPLAY_NO);
        break;
    case IDC_DISPLAY_NO:
        AnswerDisplayCheck(dialog, IDC_DISPLAY_NO, IDC_DISPLAY_YES);
        break;
    case IDC_SHOW_ENGLISH:
        SwitchAgreementLanguage(dialog);
        break;
    }
}

static INT_PTR MeasureWizardItem(MEASUREITEMSTRUCT *item)
{
    if (item->CtlID != IDC_AGREEMENT_CHINESE && item->CtlID != IDC_LANGUAGE_LIST)
        return FALSE;
    item->itemHeight = kListItemHeight;
    item->itemWidth = kListItemWidth;
    return TRUE;
}

static void DrawWizardItem(const DRAWITEMSTRUCT *item)
{
    if (item->CtlID == IDC_AGREEMENT_CHINESE || item->CtlID == IDC_LANGUAGE_LIST)
        DrawListItem(item);
    else
        DrawButton(item);
}

INT_PTR CALLBACK WizardDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG:
        InitWizard(dialog);
        return TRUE;
    case WM_MEASUREITEM:
        return MeasureWizardItem(reinterpret_cast<MEASUREITEMSTRUCT *>(lParam));
    case WM_DRAWITEM:
        DrawWizardItem(reinterpret_cast<const DRAWITEMSTRUCT *>(lParam));
        return TRUE;
    case WM_COMMAND:
        RunWizardCommand(dialog, LOWORD(wParam));
        return FALSE;
    }
    return FALSE;
}
