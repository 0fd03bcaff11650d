// What a screen reader hears of the wizard, the message dialog and the folder chooser: the
// role and name that the system's accessibility layer (oleacc) gives every control shown,
// under the code page of the locale CTest runs this under (1252 and 936). The expected
// names are wide literals, made by the compiler from this UTF-8 source, not from the
// program's GBK tables.
//
// Wine's layer (8.0) answers the names Windows does for buttons, check boxes, static texts
// and edits (an edit's from the static text before it), but gives every other standard
// control the role of a plain client area and names a combo box or a list after its own
// text. Where it does so, the role and the label are taken from the window structure that
// Windows reads for them: the control's class and style, and the static text before it in
// the tab order.
#include <oleacc.h>
#include <dlgs.h>
#include <stdlib.h>
#include <string.h>

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "support/caller_line.h"
#include "support/window_finding.h"
#include "wizard/message_dialog.h"
#include "wizard_fixture.h"

namespace {

struct Heard {
    bool found = false;
    long role = 0;
    std::wstring name;
};

// Role and name through the accessibility layer, as a screen reader asks for them.
Heard Hear(HWND control)
{
    Heard heard;
    IAccessible *accessible = nullptr;
    if (FAILED(AccessibleObjectFromWindow(control, OBJID_CLIENT, __uuidof(IAccessible),
                                          reinterpret_cast<void **>(&accessible))))
        return heard;
    heard.found = true;
    VARIANT self;
    VariantInit(&self);
    self.vt = VT_I4;
    self.lVal = CHILDID_SELF;
    VARIANT role;
    VariantInit(&role);
    if (SUCCEEDED(accessible->get_accRole(self, &role)) && role.vt == VT_I4)
        heard.role = role.lVal;
    BSTR name = nullptr;
    if (accessible->get_accName(self, &name) == S_OK && name)
        heard.name = name;
    SysFreeString(name);
    accessible->Release();
    return heard;
}

// The label the system's accessibility layer on Windows gives a control without a name
// of its own (an edit, a combo box, a list): the static text found going back in the tab
// order, before any tab stop or group.
HWND LabelBefore(HWND control)
{
    for (HWND window = GetWindow(control, GW_HWNDPREV); window; window = GetWindow(window, GW_HWNDPREV)) {
        if (SendMessageW(window, WM_GETDLGCODE, 0, 0) & DLGC_STATIC)
            return window;
        if (GetWindowLongPtrW(window, GWL_STYLE) & (WS_GROUP | WS_TABSTOP))
            return nullptr;
    }
    return nullptr;
}

// The role Windows gives a standard control, by its class and style.
long RoleByClass(HWND control)
{
    char className[32] = "";
    GetClassNameA(control, className, sizeof className);
    LONG_PTR style = GetWindowLongPtrW(control, GWL_STYLE);
    if (lstrcmpiA(className, "Button") == 0) {
        switch (style & BS_TYPEMASK) {
        case BS_CHECKBOX:
        case BS_AUTOCHECKBOX:
        case BS_3STATE:
        case BS_AUTO3STATE:
            return ROLE_SYSTEM_CHECKBUTTON;
        case BS_RADIOBUTTON:
        case BS_AUTORADIOBUTTON:
            return ROLE_SYSTEM_RADIOBUTTON;
        case BS_GROUPBOX:
            return ROLE_SYSTEM_GROUPING;
        }
        return ROLE_SYSTEM_PUSHBUTTON;
    }
    if (lstrcmpiA(className, "Static") == 0)
        return (style & SS_TYPEMASK) == SS_ICON ? ROLE_SYSTEM_GRAPHIC : ROLE_SYSTEM_STATICTEXT;
    if (lstrcmpiA(className, "Edit") == 0)
        return ROLE_SYSTEM_TEXT;
    if (lstrcmpiA(className, "ComboBox") == 0)
        return ROLE_SYSTEM_COMBOBOX;
    if (lstrcmpiA(className, "ListBox") == 0)
        return ROLE_SYSTEM_LIST;
    return ROLE_SYSTEM_CLIENT;
}

bool IsLabelled(long role)
{
    return role == ROLE_SYSTEM_TEXT || role == ROLE_SYSTEM_COMBOBOX || role == ROLE_SYSTEM_LIST;
}

std::string Utf8(const std::wstring &text)
{
    char bytes[1024] = "";
    WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, bytes, sizeof bytes, nullptr, nullptr);
    return bytes;
}

// What each control should be heard as, by identifier; a null name is not checked (an
// icon, a path the system shows).
struct Expected {
    long role;
    const wchar_t *name;
};
typedef std::map<int, Expected> Expectations;

// Every control shown in dialog must be expected and heard as expected; a push button,
// check box, edit, combo box or list must have a name. Returns the problems found, one a
// line, as UTF-8.
std::string Mismatches(HWND dialog, const Expectations &expected)
{
    std::string problems;
    for (HWND control = GetWindow(dialog, GW_CHILD); control; control = GetWindow(control, GW_HWNDNEXT)) {
        if (!IsWindowVisible(control))
            continue;
        int id = GetDlgCtrlID(control);
        std::string which = "control " + std::to_string(id) + ": ";
        auto row = expected.find(id);
        if (row == expected.end()) {
            problems += which + "shown, but not expected\n";
            continue;
        }
        Heard heard = Hear(control);
        if (!heard.found) {
            problems += which + "no accessible object\n";
            continue;
        }
        long role = heard.role == ROLE_SYSTEM_CLIENT ? RoleByClass(control) : heard.role;
        if (role != row->second.role)
            problems += which + "role " + std::to_string(role) + ", expected " + std::to_string(row->second.role) +
                        "\n";
        std::wstring name = heard.name;
        if (IsLabelled(role) && heard.role == ROLE_SYSTEM_CLIENT) {
            HWND label = LabelBefore(control);
            name = label ? Hear(label).name : L"";
        }
        if (row->second.name && name != row->second.name)
            problems += which + "heard \"" + Utf8(name) + "\", expected \"" + Utf8(row->second.name) + "\"\n";
        if (!row->second.name && name.empty() && row->second.role != ROLE_SYSTEM_GRAPHIC)
            problems += which + "no name\n";
    }
    return problems;
}

// The wizard's controls with what each says; Next changes on the language page.
const Expectations kWizard = {
    {IDC_FOLDER_CAPTION, {ROLE_SYSTEM_STATICTEXT, L"安装路径： (Install Path)"}},
    {IDC_FOLDER_EDIT, {ROLE_SYSTEM_TEXT, L"安装路径： (Install Path)"}},
    {IDC_BROWSE, {ROLE_SYSTEM_PUSHBUTTON, L"改变 Browse ...."}},
    {IDC_DESKTOP_ICON, {ROLE_SYSTEM_CHECKBUTTON, L"建立桌面图标？  (Place an icon on Desktop)"}},
    {IDC_SAMPLE_FRAME, {ROLE_SYSTEM_GROUPING, L""}},
    {IDC_SAMPLE_LINE, {ROLE_SYSTEM_STATICTEXT, L"日出江花红胜火"}},
    {IDC_DISPLAY_QUESTION, {ROLE_SYSTEM_STATICTEXT, L"以上中文显示正确吗 (Is the Above Chinese Display OK)?"}},
    {IDC_DISPLAY_YES, {ROLE_SYSTEM_CHECKBUTTON, L"正确(OK)"}},
    {IDC_DISPLAY_NO, {ROLE_SYSTEM_CHECKBUTTON, L"不正确(NO)"}},
    {IDC_AGREEMENT_CHINESE, {ROLE_SYSTEM_LIST, L"中文用户协议 Chinese User Agreement"}},
    {IDC_AGREEMENT_ENGLISH, {ROLE_SYSTEM_TEXT, L"英文用户协议 English User Agreement"}},
    {IDC_SHOW_ENGLISH, {ROLE_SYSTEM_CHECKBUTTON, L"English"}},
    {IDC_LANGUAGE_CAPTION, {ROLE_SYSTEM_STATICTEXT, L"User Interface Language 用户界面语言"}},
    {IDC_LANGUAGE_LIST, {ROLE_SYSTEM_COMBOBOX, L"User Interface Language 用户界面语言"}},
    {IDC_BACK, {ROLE_SYSTEM_PUSHBUTTON, L"退一步 Back"}},
    {IDC_NEXT, {ROLE_SYSTEM_PUSHBUTTON, L"下一步 Next"}},
    {IDCANCEL, {ROLE_SYSTEM_PUSHBUTTON, L"取消 Cancel"}},
    {IDC_PANEL_PRODUCT, {ROLE_SYSTEM_STATICTEXT, L"Tovrana Smart Editor"}},
    {IDC_ICON_PANEL, {ROLE_SYSTEM_GRAPHIC, nullptr}},
    {IDC_PANEL_INSTALLER, {ROLE_SYSTEM_STATICTEXT, L"Installer"}},
    {IDC_BRAND_CAPTION, {ROLE_SYSTEM_STATICTEXT, L"《拓沃》 Tovra"}},
    {IDC_PRODUCT_CAPTION, {ROLE_SYSTEM_STATICTEXT, L"智能编辑器 Smart Editor"}},
    {IDC_INSTALLER_CAPTION, {ROLE_SYSTEM_STATICTEXT, L"安装程序"}},
    {IDC_BLANK_CAPTION, {ROLE_SYSTEM_STATICTEXT, L""}},
    {IDC_BOTTOM_STRIP, {ROLE_SYSTEM_STATICTEXT, L""}},
    {IDC_SEPARATOR, {ROLE_SYSTEM_STATICTEXT, L""}},
    {IDC_FOOTER, {ROLE_SYSTEM_STATICTEXT, L"www.example.com"}},
};

// The code page Wine takes from LANG, which CTest sets for each run of this executable.
struct LocaleCodePage {
    const char *locale;
    UINT codePage;
};
const LocaleCodePage kLocaleCodePages[] = {{"en_US", 1252}, {"zh_CN", 936}};

#define ExpectHeard(...) ExpectHeard_(__FILE__, __LINE__, __VA_ARGS__)

class AccessibleNamesTest : public WizardTest {
protected:
    void SetUp() override
    {
        const char *lang = getenv("LANG");
        const LocaleCodePage *row = nullptr;
        for (const LocaleCodePage &candidate : kLocaleCodePages)
            if (lang && strncmp(lang, candidate.locale, strlen(candidate.locale)) == 0)
                row = &candidate;
        ASSERT_NE(nullptr, row) << "run under LANG en_US or zh_CN, not " << (lang ? lang : "(none)");
        ASSERT_EQ(row->codePage, GetACP()) << "the locale did not take effect";
        ASSERT_TRUE(SUCCEEDED(CoInitialize(nullptr)));
        WizardTest::SetUp();
    }
    void TearDown() override
    {
        WizardTest::TearDown();
        CoUninitialize();
    }

    void ExpectHeard_(const char *file, int line, HWND dialog, const Expectations &expected)
    {
        CallerLine caller(file, line);
        EXPECT_EQ("", Mismatches(dialog, expected)) << "under code page " << GetACP();
    }
};

TEST_F(AccessibleNamesTest, EveryControlOfEveryPageIsHeardAsItIsShown)
{
    for (int page = 0; page <= kLanguagePage; ++page) {
        SCOPED_TRACE("page " + std::to_string(page));
        GoToPage(page);
        Expectations expected = kWizard;
        if (page == kLanguagePage)
            expected[IDC_NEXT].name = L"同意/安装 Agree/Install";
        ExpectHeard(wizard_, expected);
        if (page == kAgreementPage) {
            Click(IDC_SHOW_ENGLISH);
            ExpectHeard(wizard_, expected);
        }
    }
}

// The language list reads its chosen entry as it is painted: the value Windows gives a
// combo box is its window text, which for a drop-down list is the selected entry's.
TEST_F(AccessibleNamesTest, TheLanguageListReadsItsChosenEntryInChinese)
{
    GoToPage(kLanguagePage);
    HWND list = Item(IDC_LANGUAGE_LIST);
    for (int position = 0; position < 3; ++position) {
        SendMessageA(list, CB_SETCURSEL, position, 0);
        wchar_t value[64] = L"";
        GetWindowTextW(list, value, 64);
        const wchar_t *expected[] = {L"English 英文", L"Chinese(Simplified)  中文简体", L"Chinese(Traditional) 中文繁体"};
        EXPECT_EQ(std::wstring(expected[position]), value) << Utf8(value);
    }
}

// What is amiss in the dialog with caption, heard from a timer of the modal loop that
// open runs; the dialog is then ended by button.
struct ModalVisit {
    const char *caption;
    const Expectations *expected;
    int button;
    std::string problems;
};
ModalVisit gVisit;

void CALLBACK InspectModal(HWND, UINT, UINT_PTR timer, DWORD)
{
    HWND dialog = FindThreadWindow(GetCurrentThreadId(), gVisit.caption);
    if (!dialog || !IsWindowVisible(dialog))
        return;
    KillTimer(nullptr, timer);
    gVisit.problems = Mismatches(dialog, *gVisit.expected);
    PostMessageA(GetDlgItem(dialog, gVisit.button), BM_CLICK, 0, 0);
}

std::string HearModal(const char *caption, const Expectations &expected, int button, const std::function<void()> &open)
{
    gVisit = {caption, &expected, button, "the dialog did not come"};
    UINT_PTR timer = SetTimer(nullptr, 0, 50, InspectModal);
    open();
    KillTimer(nullptr, timer);
    return gVisit.problems;
}

TEST_F(AccessibleNamesTest, AQuestionIsHeardWithItsLinesAndAnswers)
{
    const char kChinese[] = "安装目录有老词库。是否安装新词库(会冲掉老词库)?";
    const char kEnglish[] = "Old CiKu (Word Base) is detected. Replace it with new CiKu?";
    const Expectations expected = {
        {IDC_MESSAGE_CHINESE, {ROLE_SYSTEM_STATICTEXT, L"安装目录有老词库。是否安装新词库(会冲掉老词库)?"}},
        {IDC_MESSAGE_ENGLISH, {ROLE_SYSTEM_STATICTEXT, L"Old CiKu (Word Base) is detected. Replace it with new CiKu?"}},
        {IDYES, {ROLE_SYSTEM_PUSHBUTTON, L"是 Yes"}},
        {IDNO, {ROLE_SYSTEM_PUSHBUTTON, L"否 No"}},
    };
    auto ask = [&] { EXPECT_EQ(IDNO, ShowMessage(kChinese, kEnglish, kMessageYesNo, wizard_)); };
    EXPECT_EQ("", HearModal("Vardel Install Message", expected, IDNO, ask)) << "under code page " << GetACP();
}

TEST_F(AccessibleNamesTest, TheFolderChooserIsHeardWithItsCaptionsAndButtons)
{
    const Expectations expected = {
        {stc1, {ROLE_SYSTEM_STATICTEXT, nullptr}},
        {IDC_CHOOSER_FOLDERS_LABEL, {ROLE_SYSTEM_STATICTEXT, L"路径 (Directories):"}},
        {lst2, {ROLE_SYSTEM_LIST, L"路径 (Directories):"}},
        {IDC_CHOOSER_DRIVES_LABEL, {ROLE_SYSTEM_STATICTEXT, L"磁盘 (Drives):"}},
        {cmb2, {ROLE_SYSTEM_COMBOBOX, L"磁盘 (Drives):"}},
        {IDOK, {ROLE_SYSTEM_PUSHBUTTON, L"OK"}},
        {IDCANCEL, {ROLE_SYSTEM_PUSHBUTTON, L"取消 Cancel"}},
    };
    auto browse = [this] { Click(IDC_BROWSE); };
    EXPECT_EQ("", HearModal("Choose Destination Directory", expected, IDCANCEL, browse)) << "under code page "
                                                                                        << GetACP();
}

} // namespace
