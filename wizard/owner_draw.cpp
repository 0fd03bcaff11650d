#include "wizard/owner_draw.h"

#include <wchar.h>

#include "display/glyph_text.h"
#include "foundation/code_page.h"
#include "wizard/resource.h"
#include "wizard/wizard_state.h"

/* What the draw button routine shows on each control; a null label means the control's
   own text, its name read back as GBK. The last row answers for every control not listed. */
struct ButtonLabelRow {
    int id;
    const char *label;
    int centred;
    int raisedFrame;
};

static const ButtonLabelRow kButtonLabels[] = {
    /* id                     label                                                     centred  frame */
    {IDOK,                    "确认 OK",                                                  1,       1},
    {IDCANCEL,                "取消 Cancel",                                              1,       1},
    {IDC_BACK,                "退一步 Back",                                              1,       1},
    {IDYES,                   "是 Yes",                                                   1,       1},
    {IDNO,                    "否 No",                                                    1,       1},
    {IDC_NEXT,                "下一步 Next",                                              1,       1},
    {IDC_BROWSE,              "改变 Browse ....",                                         1,       1},
    {IDC_FOLDER_CAPTION,      "安装路径： (Install Path)",                                0,       0},
    {IDC_CHOOSER_FOLDERS_LABEL, "路径 (Directories):",                                    0,       0},
    {IDC_BRAND_CAPTION,       "《拓沃》 Tovra",                                           1,       0},
    {IDC_CHOOSER_DRIVES_LABEL, "磁盘 (Drives):",                                          0,       0},
    {IDC_PRODUCT_CAPTION,     "智能编辑器 Smart Editor",                                  1,       0},
    {IDC_INSTALLER_CAPTION,   "安装程序",                                                 1,       0},
    {IDC_MESSAGE_CHINESE,     nullptr,                                                    1,       0},
    {IDC_LEFT_CAPTION,        nullptr,                                                    0,       0},
    {IDC_DISPLAY_QUESTION,    "以上中文显示正确吗 (Is the Above Chinese Display OK)?",    1,       0},
    {IDC_SAMPLE_LINE,         "日出江花红胜火",                                           1,       0},
    {IDC_BLANK_CAPTION,       "",                                                         1,       0},
    {IDC_BOTTOM_STRIP,        "",                                                         0,       0},
    {IDC_LANGUAGE_CAPTION,    "User Interface Language 用户界面语言",                     1,       0},
    {0,                       nullptr,                                                    1,       1},
};

/* From the language page on, Next starts the install. */
static const char kInstallLabel[] = "同意/安装 Agree/Install";

struct CheckBoxLabelRow {
    int id;
    const char *label;
};

static const CheckBoxLabelRow kCheckBoxLabels[] = {
    {IDC_DESKTOP_ICON, "建立桌面图标？  (Place an icon on Desktop)"},
    {IDC_DISPLAY_YES,  "正确(OK)"},
    {IDC_DISPLAY_NO,   "不正确(NO)"},
    {0,                nullptr},
};

/* All three subclassed check boxes are of one class and share its procedure. */
static WNDPROC gPreviousCheckBoxProcedure;

static const ButtonLabelRow *FindButtonLabel(int id)
{
    const ButtonLabelRow *row = kButtonLabels;
    while (row->id != 0 && row->id != id)
        ++row;
    return row;
}

/* Lenient on purpose: a message's line may carry a path in the system's own code page,
   and one odd character in a name is better than no name. */
int WidenProductText(const char *text, WCHAR *wide, int capacity)
{
    int bytes = lstrlenA(text);
    if (bytes > capacity - 1)
        bytes = capacity - 1;
    int units = bytes ? MultiByteToWideChar(kCodePageGbk, 0, text, bytes, wide, capacity - 1) : 0;
    wide[units] = L'\0';
    return units;
}

int NarrowToProductText(const WCHAR *wide, char *text, int capacity)
{
    if (WideCharToMultiByte(kCodePageGbk, 0, wide, -1, text, capacity, nullptr, nullptr))
        return 1;
    text[0] = '\0';
    return 0;
}

/* Set through the ANSI entry points, the product's GBK would be read in the system's
   code page: "?" for every Chinese character on an English system. */
void NameControl(HWND control, const char *text)
{
    WCHAR name[kNameUnits], current[kNameUnits] = L"";
    WidenProductText(text, name, kNameUnits);
    GetWindowTextW(control, current, kNameUnits);
    if (wcscmp(current, name) != 0)
        SetWindowTextW(control, name);
}

/* The name a control was given, back in GBK (capacity bytes), cut as the old read-back
   with a limit was. */
static void ReadOwnText(HWND control, char *text, int capacity)
{
    WCHAR name[kNameUnits];
    char bytes[2 * kNameUnits];
    if (!GetWindowTextW(control, name, kNameUnits) || !NarrowToProductText(name, bytes, sizeof bytes))
        bytes[0] = '\0';
    lstrcpynA(text, bytes, capacity);
}

/* Fills label (kLabelBytes) with what control shows. */
static void ReadButtonLabel(HWND control, const ButtonLabelRow *row, char *label)
{
    const char *text = row->label;
    if (row->id == IDC_NEXT && gPageNumber >= kLanguagePage)
        text = kInstallLabel;
    if (!text) {
        ReadOwnText(control, label, kLabelLimit);
        return;
    }
    lstrcpynA(label, text, kLabelBytes);
}

/* In the wizard 1008 and 1010 are check boxes, which the label table's captions of the
   same numbers must not name. */
static int IsOwnerDrawn(HWND control)
{
    char className[16] = "";
    GetClassNameA(control, className, sizeof className);
    LONG_PTR style = GetWindowLongPtrA(control, GWL_STYLE);
    if (lstrcmpiA(className, "Button") == 0)
        return (style & BS_TYPEMASK) == BS_OWNERDRAW;
    if (lstrcmpiA(className, "Static") == 0)
        return (style & SS_TYPEMASK) == SS_OWNERDRAW;
    return 0;
}

void NameOwnerDrawnControls(HWND dialog)
{
    char label[kLabelBytes];
    for (const ButtonLabelRow *row = kButtonLabels; row->id != 0; ++row) {
        HWND control = GetDlgItem(dialog, row->id);
        if (!row->label || !control || !IsOwnerDrawn(control))
            continue;
        ReadButtonLabel(control, row, label);
        NameControl(control, label);
    }
}

/* Two rings of light and shadow, swapped while the button is held down; the default
   command gets a black outline instead of the outer shadow line. */
static void DrawRaisedFrame(HDC dc, const RECT *r, int pressed, int isDefault)
{
    COLORREF light = GetSysColor(COLOR_BTNHIGHLIGHT);
    COLORREF dark = GetSysColor(COLOR_BTNSHADOW);
    HPEN upperLeft = CreatePen(PS_SOLID, 1, pressed ? dark : light);
    HPEN lowerRight = CreatePen(PS_SOLID, 1, pressed ? light : dark);
    HGDIOBJ previousPen = SelectObject(dc, upperLeft);

    for (int i = 1; i <= 2; ++i) {
        MoveToEx(dc, r->left + i, r->bottom - i - 1, nullptr);
        LineTo(dc, r->left + i, r->top + i);
        LineTo(dc, r->right - i - 1, r->top + i);
        SelectObject(dc, lowerRight);
        LineTo(dc, r->right - i - 1, r->bottom - i - 1);
        LineTo(dc, r->left + i, r->bottom - i - 1);
        SelectObject(dc, upperLeft);
    }
    if (isDefault) {
        SelectObject(dc, GetStockObject(BLACK_PEN));
        MoveToEx(dc, r->left, r->bottom - 1, nullptr);
        LineTo(dc, r->left, r->top);
        LineTo(dc, r->right - 1, r->top);
        LineTo(dc, r->right - 1, r->bottom - 1);
        LineTo(dc, r->left, r->bottom - 1);
        MoveToEx(dc, r->left + 1, r->bottom - 2, nullptr);
        LineTo(dc, r->right - 2, r->bottom - 2);
        LineTo(dc, r->right - 2, r->top + 1);
    } else {
        SelectObject(dc, lowerRight);
        MoveToEx(dc, r->left + 1, r->bottom - 1, nullptr);
        LineTo(dc, r->right - 1, r->bottom - 1);
        LineTo(dc, r->right - 1, r->top);
    }

    SelectObject(dc, previousPen);
    DeleteObject(upperLeft);
    DeleteObject(lowerRight);
}

static void DrawButtonFace(const DRAWITEMSTRUCT *item, const ButtonLabelRow *row, const char *label)
{
    HDC dc = item->hDC;
    const RECT *r = &item->rcItem;
    int pressed = (item->itemState & ODS_SELECTED) != 0;

    FillRect(dc, r, GetSysColorBrush(COLOR_BTNFACE));
    if (row->raisedFrame)
        DrawRaisedFrame(dc, r, pressed, item->CtlID == kDefaultCommand);

    SIZE size = MeasureGlyphText(dc, label);
    int x = r->left;
    if (row->centred)
        x += (r->right - r->left - size.cx) / 2;
    int y = r->top + (r->bottom - r->top - size.cy) / 2;
    if (pressed) {
        x += 2;
        y += 1;
    }
    /* The sample line is the user's test of the system's own Chinese display. */
    if (item->CtlID == IDC_SAMPLE_LINE)
        DrawSampleText(dc, x, y, label);
    else
        DrawGlyphText(dc, x, y, label, 0);
}

static void DrawButtonFocus(const DRAWITEMSTRUCT *item)
{
    RECT r = item->rcItem;
    int across = (r.right - r.left) / 10;
    int down = (r.bottom - r.top) / 8;
    r.left += across;
    r.right -= across;
    r.top += down;
    r.bottom -= down;
    DrawFocusRect(item->hDC, &r);
}

static int IsButtonOrCaption(const DRAWITEMSTRUCT *item)
{
    return item->CtlType == ODT_BUTTON || item->CtlType == ODT_STATIC;
}

void DrawButton(const DRAWITEMSTRUCT *item)
{
    if (!IsButtonOrCaption(item))
        return;
    char label[kLabelBytes];
    ReadButtonLabel(item->hwndItem, FindButtonLabel(item->CtlID), label);
    DrawLabelledButton(item, label);
}

/* The name is set before the face is painted: naming a shown control has the system
   repaint it at once, and the face painted after covers whatever that left. A change of
   focus alone draws its rectangle by inverting, so it must not meet such a repaint. */
void DrawLabelledButton(const DRAWITEMSTRUCT *item, const char *label)
{
    if (!IsButtonOrCaption(item))
        return;
    int drawsFace = (item->itemAction & (ODA_DRAWENTIRE | ODA_SELECT)) != 0;
    if (drawsFace || (item->itemAction == 0 && !(item->itemState & ODS_FOCUS)))
        NameControl(item->hwndItem, label);
    if (drawsFace)
        DrawButtonFace(item, FindButtonLabel(item->CtlID), label);
    if (item->itemState & ODS_FOCUS)
        DrawButtonFocus(item);
}

/* Fetches item text into text (kItemTextBytes) as the GBK it was added from; 0 when there
   is none or it would not fit. */
static int ReadItemText(const DRAWITEMSTRUCT *item, int isCombo, char *text)
{
    UINT lengthMessage = isCombo ? CB_GETLBTEXTLEN : LB_GETTEXTLEN;
    UINT textMessage = isCombo ? CB_GETLBTEXT : LB_GETTEXT;
    LRESULT length = SendMessageW(item->hwndItem, lengthMessage, item->itemID, 0);
    if (length < 0 || length >= kItemTextBytes)
        return 0;
    WCHAR wide[kItemTextBytes];
    wide[0] = L'\0';
    SendMessageW(item->hwndItem, textMessage, item->itemID, reinterpret_cast<LPARAM>(wide));
    return NarrowToProductText(wide, text, kItemTextBytes);
}

void DrawListItem(const DRAWITEMSTRUCT *item)
{
    HDC dc = item->hDC;
    int saved = SaveDC(dc);
    int selected = (item->itemState & ODS_SELECTED) != 0;
    int isCombo = item->CtlType == ODT_COMBOBOX;

    if (isCombo) {
        COLORREF back = GetSysColor(selected ? COLOR_HIGHLIGHT : COLOR_WINDOW);
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, GetSysColor(selected ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT));
        SetBkColor(dc, back);
        HBRUSH brush = CreateSolidBrush(back);
        FillRect(dc, &item->rcItem, brush);
        DeleteObject(brush);
    } else {
        SetTextColor(dc, RGB(0, 0, 0));
        SetBkColor(dc, GetSysColor(COLOR_WINDOW));
        FillRect(dc, &item->rcItem, GetSysColorBrush(COLOR_WINDOW));
    }

    /* Compared without sign, so the item -1 of an empty control draws no text. */
    LRESULT count = SendMessageA(item->hwndItem, isCombo ? CB_GETCOUNT : LB_GETCOUNT, 0, 0);
    char text[kItemTextBytes];
    if (count > 0 && item->itemID < static_cast<UINT>(count) && ReadItemText(item, isCombo, text)) {
        RECT r = item->rcItem;
        InflateRect(&r, -2, -2);
        DrawGlyphText(dc, r.left, r.top, text, selected);
    }
    RestoreDC(dc, saved);
}

static const char *FindCheckBoxLabel(int id)
{
    const CheckBoxLabelRow *row = kCheckBoxLabels;
    while (row->id != 0 && row->id != id)
        ++row;
    return row->label;
}

void PaintCheckBox(HWND box, HDC dc)
{
    int checked = SendMessageA(box, BM_GETCHECK, 0, 0) == BST_CHECKED;
    RECT r;
    GetClientRect(box, &r);
    InflateRect(&r, 2, 2);
    FillRect(dc, &r, GetSysColorBrush(COLOR_BTNFACE));

    /* The box is a square on the left, trimmed to the size the system's own check box has. */
    int h = r.bottom - r.top;
    RECT b = r;
    b.right = b.left + h;
    LONG_PTR kind = GetWindowLongPtrA(box, GWL_STYLE) & 0xFF;
    UINT state;
    if (kind == BS_CHECKBOX || kind == BS_AUTOCHECKBOX) {
        InflateRect(&b, -(h / 4), -(h / 4));
        b.top -= 1;
        b.left -= h / 8;
        b.right -= h / 7;
        b.bottom -= 3;
        state = DFCS_BUTTONCHECK;
    } else {
        InflateRect(&b, -(h / 12), -(h / 12));
        b.left -= 1;
        b.top += 1;
        b.bottom -= 2;
        b.right -= h / 5;
        state = DFCS_BUTTONRADIO;
    }
    if (checked)
        state |= DFCS_CHECKED;
    if (!IsWindowEnabled(box))
        state |= DFCS_INACTIVE;
    DrawFrameControl(dc, &b, DFC_BUTTON, state);

    char ownText[kCheckBoxLabelLimit];
    const char *label = FindCheckBoxLabel(GetDlgCtrlID(box));
    if (!label) {
        ReadOwnText(box, ownText, kCheckBoxLabelLimit);
        label = ownText;
    }
    SIZE size = MeasureGlyphText(dc, label);
    int x = 2 * b.right - b.left;
    int y = r.top + 3;
    DrawGlyphText(dc, x, y, label, 0);
    if (GetFocus() == box) {
        RECT focus = {x - 1, y - 1, x + size.cx + 3, y + size.cy + 2};
        DrawFocusRect(dc, &focus);
    }
}

static void RepaintCheckBox(HWND box)
{
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(box, &paint);
    if (dc)
        PaintCheckBox(box, dc);
    EndPaint(box, &paint);
}

static LRESULT CALLBACK CheckBoxProcedure(HWND box, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_PAINT:
        RepaintCheckBox(box);
        return 0;
    case WM_LBUTTONDOWN:
        /* The system paints its own look while it handles the press; ours comes back
           with the next paint. */
        InvalidateRect(box, nullptr, TRUE);
        break;
    }
    return CallWindowProcW(gPreviousCheckBoxProcedure, box, message, wParam, lParam);
}

/* Named while the box is still hidden: naming a shown box has the system paint its own
   look over ours. The procedure is a wide one although it handles no text: an ANSI
   procedure would have the system pass every text message, a screen reader's reading of
   the name among them, through the system's code page. */
void SubclassCheckBox(HWND box)
{
    const char *label = FindCheckBoxLabel(GetDlgCtrlID(box));
    if (label)
        NameControl(box, label);
    WNDPROC ours = CheckBoxProcedure;
    LONG_PTR previous = SetWindowLongPtrW(box, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(ours));
    /* A second subclassing must not make the procedure chain to itself. */
    if (previous && reinterpret_cast<WNDPROC>(previous) != ours)
        gPreviousCheckBoxProcedure = reinterpret_cast<WNDPROC>(previous);
}
