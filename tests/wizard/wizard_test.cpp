// The wizard's pages, navigation, agreement texts, Enter routing and painting, on the real
// dialog (wizard_test.rc: the templates, the product's atlas and English agreement, and a
// Chinese agreement of 600 CR LF lines "Agreement line 001" to "Agreement line 600").
#include <string.h>

#include <string>
#include <vector>

#include "message_answerer.h"
#include "support/caller_line.h"
#include "support/file_reading.h"
#include "support/glyph_cells.h"
#include "support/screen_capture.h"
#include "support/window_finding.h"
#include "test_folder.h"
#include "wizard/install_folder.h"
#include "wizard/message_dialog.h"
#include "wizard/startup.h"
#include "wizard_fixture.h"

namespace {

// The controls each page shows, as the design's page table lists them.
const int kPageControls[4][6] = {
    {IDC_DESKTOP_ICON, IDC_FOLDER_EDIT, IDC_FOLDER_CAPTION, IDC_BROWSE, 0},
    {IDC_SAMPLE_FRAME, IDC_DISPLAY_QUESTION, IDC_SAMPLE_LINE, IDC_DISPLAY_YES, IDC_DISPLAY_NO, 0},
    {IDC_SHOW_ENGLISH, 0},
    {IDC_LANGUAGE_CAPTION, IDC_LANGUAGE_LIST, 0},
};

// On screen whatever the page.
const int kAlwaysShown[] = {IDC_NEXT, IDCANCEL, IDC_BRAND_CAPTION, IDC_PRODUCT_CAPTION, IDC_INSTALLER_CAPTION,
                            IDC_ICON_PANEL, IDC_PANEL_PRODUCT, IDC_PANEL_INSTALLER, IDC_SEPARATOR, IDC_FOOTER};

// Reports a failure at the test's line as well as its own.
#define ExpectPage(...) ExpectPage_(__FILE__, __LINE__, __VA_ARGS__)

class WizardPagesTest : public WizardTest {
protected:
    void ExpectPage_(const char *file, int line, int page)
    {
        CallerLine caller(file, line);
        SCOPED_TRACE("page " + std::to_string(page));
        EXPECT_EQ(page, gPageNumber);
        for (int row = 0; row < 4; ++row)
            for (const int *id = kPageControls[row]; *id; ++id)
                EXPECT_EQ(row == page, Visible(*id)) << "control " << *id;
        for (int id : kAlwaysShown)
            EXPECT_TRUE(Visible(id)) << "control " << id;
        EXPECT_FALSE(Visible(IDC_PROGRESS));
        EXPECT_FALSE(Visible(IDC_WAIT_CAPTION));
        EXPECT_EQ(page != 0, Visible(IDC_BACK));
        EXPECT_EQ(page != 0, IsWindowEnabled(Item(IDC_BACK)) != 0);
        if (page == 2) {
            EXPECT_EQ(Checked(IDC_SHOW_ENGLISH), Visible(IDC_AGREEMENT_ENGLISH));
            EXPECT_EQ(!Checked(IDC_SHOW_ENGLISH), Visible(IDC_AGREEMENT_CHINESE));
        } else {
            EXPECT_FALSE(Visible(IDC_AGREEMENT_ENGLISH));
            EXPECT_FALSE(Visible(IDC_AGREEMENT_CHINESE));
        }
    }
};

TEST_F(WizardPagesTest, EachPageShowsItsOwnControlsAndBackFollows)
{
    ExpectPage(0);
    GoToPage(1);
    ExpectPage(1);
    GoToPage(2);
    ExpectPage(2);
    GoToPage(3);
    ExpectPage(3);
    for (int page = 2; page >= 0; --page) {
        Command(IDC_BACK);
        ExpectPage(page);
    }
    Command(IDC_BACK);
    ExpectPage(0);
}

TEST_F(WizardPagesTest, AFolderThatCannotBeMadeLeadsBackToTheLanguagePage)
{
    GoToPage(3);
    SetDlgItemTextA(wizard_, IDC_FOLDER_EDIT, "C:\\no such parent\\Tovra_Editor");
    SeenMessage seen;
    ArmMessageAnswer(kAnswerClick, IDOK, &seen);
    Command(IDC_NEXT);
    ASSERT_TRUE(seen.shown);
    EXPECT_EQ("无法建目录。请检查所列目录是否合法（注意：子目录只能在已存在的目录下建）。", seen.chinese);
    EXPECT_EQ("Cannot create folder! Please check folder path.", seen.english);
    ExpectPage(3);
    EXPECT_TRUE(Visible(IDC_NEXT) && Visible(IDC_BACK) && Visible(IDCANCEL));
    Command(IDC_BACK);
    ExpectPage(2);

    // A folder whose files would not fit the path buffers gets the same message, before
    // anything is made.
    GoToPage(3);
    std::string deep = "C:\\" + std::string(230, 'd');
    SetDlgItemTextA(wizard_, IDC_FOLDER_EDIT, deep.c_str());
    SeenMessage again;
    ArmMessageAnswer(kAnswerClick, IDOK, &again);
    Command(IDC_NEXT);
    EXPECT_EQ("Cannot create folder! Please check folder path.", again.english);
    ExpectPage(3);
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(deep.c_str()));
}

// The names in folder, files and subfolders, as "name" or "name=content" for a file.
std::vector<std::string> Contents(const std::string &folder)
{
    std::vector<std::string> names;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return names;
    do {
        std::string name = found.cFileName;
        if (name == "." || name == "..")
            continue;
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            name += "=" + ReadWholeFile(folder + "\\" + name);
        names.push_back(name);
    } while (FindNextFileA(search, &found));
    FindClose(search);
    return names;
}

// A text that names no folder from a root, or a name whose blank or dot Windows would drop,
// gets the folder message; nothing is made where the wizard stands or where the text points.
TEST_F(WizardPagesTest, AFolderTextThatIsNotAFullPathIsRefusedBeforeAnythingIsMade)
{
    std::string scratch;
    ASSERT_TRUE(MakeTestFolder(scratch, "refused"));
    char previous[MAX_PATH];
    GetCurrentDirectoryA(MAX_PATH, previous);
    ASSERT_TRUE(SetCurrentDirectoryA(scratch.c_str()));
    GoToPage(3);
    for (const std::string &typed :
         {std::string("RelTovra"), std::string("RelTovra\\doc"), std::string("\\RelTovra"),
          scratch.substr(0, 2) + "RelTovra", scratch + "\\Trail ", scratch + "\\Trail.", scratch + "\\Trail \\Tovra",
          scratch + "\\Trail...", "\\\\?\\" + scratch + "\\Device"}) {
        SCOPED_TRACE("typed \"" + typed + "\"");
        SetDlgItemTextA(wizard_, IDC_FOLDER_EDIT, typed.c_str());
        SeenMessage seen;
        ArmMessageAnswer(kAnswerClick, IDOK, &seen);
        Command(IDC_NEXT);
        EXPECT_EQ("Cannot create folder! Please check folder path.", seen.english);
        ExpectPage(3);
    }
    EXPECT_EQ(std::vector<std::string>(), Contents(scratch));
    SetCurrentDirectoryA(previous);
    RemoveTestFolder(scratch);
}

// The user's own files in an existing folder: a Yes/No question naming the folder comes
// before anything is written; No, or the close box, keeps them and the language page.
TEST_F(WizardPagesTest, AFolderWithTheUsersOwnFilesIsAskedAboutAndNoKeepsThem)
{
    std::string folder;
    ASSERT_TRUE(MakeTestFolder(folder, "own"));
    ASSERT_TRUE(WriteWholeFile(folder + "\\readme.txt", "my readme"));
    ASSERT_TRUE(WriteWholeFile(folder + "\\license.txt", "my licence"));
    const std::vector<std::string> before = Contents(folder);
    GoToPage(3);
    SetDlgItemTextA(wizard_, IDC_FOLDER_EDIT, folder.c_str());

    SeenMessage seen;
    ArmMessageAnswer(kAnswerClick, IDNO, &seen);
    Command(IDC_NEXT);
    ASSERT_TRUE(seen.shown);
    EXPECT_EQ("所列目录中已有文件，同名文件将被替换。仍要安装吗？", seen.chinese);
    EXPECT_EQ(folder + " already holds files; files of the same name get replaced. Install?", seen.english);
    EXPECT_EQ(2u, seen.buttons.size());
    EXPECT_TRUE(seen.buttons.count(IDYES) && seen.buttons.count(IDNO));
    ExpectPage(3);
    EXPECT_TRUE(Visible(IDC_NEXT) && Visible(IDC_BACK) && Visible(IDCANCEL));
    EXPECT_EQ(before, Contents(folder));

    SeenMessage closed;
    ArmMessageAnswer(kAnswerClose, 0, &closed);
    Command(IDC_NEXT);
    ASSERT_TRUE(closed.shown);
    ExpectPage(3);
    EXPECT_EQ(before, Contents(folder));
    RemoveTestFolder(folder);
}

// A folder too long for the message's English line keeps its end, cut at a character.
TEST(FolderQuestion, ALongFolderKeepsItsEnd)
{
    const std::string folder = "C:\\" + std::string(150, 'a') + "\\MyDocs";
    char english[kSecondTextBytes];
    FormatFolderQuestion(english, sizeof english, folder.c_str());
    const std::string line = english, end = " already holds files; files of the same name get replaced. Install?";
    EXPECT_EQ(size_t(kSecondTextBytes - 1), line.size());
    EXPECT_EQ("...", line.substr(0, 3));
    EXPECT_EQ(end, line.substr(line.size() - end.size()));
    const std::string kept = line.substr(3, line.size() - 3 - end.size());
    EXPECT_EQ(folder.substr(folder.size() - kept.size()), kept);
}

TEST_F(WizardPagesTest, OpensWithTheProposedFolderADesktopIconAndTheLanguageList)
{
    char windows[MAX_PATH];
    GetWindowsDirectoryA(windows, MAX_PATH);
    char folder[MAX_PATH] = "";
    GetDlgItemTextA(wizard_, IDC_FOLDER_EDIT, folder, MAX_PATH);
    EXPECT_EQ(std::string(1, windows[0]) + ":\\Tovra_Editor", folder);
    EXPECT_TRUE(Checked(IDC_DESKTOP_ICON));

    HWND list = Item(IDC_LANGUAGE_LIST);
    ASSERT_EQ(3, SendMessageA(list, CB_GETCOUNT, 0, 0));
    const char *names[] = {"English 英文", "Chinese(Simplified)  中文简体", "Chinese(Traditional) 中文繁体"};
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(names[i], ItemLine(list, true, i));
        EXPECT_EQ(i, SendMessageA(list, CB_GETITEMDATA, i, 0));
    }
    EXPECT_EQ(0, SendMessageA(list, CB_GETCURSEL, 0, 0));
}

TEST_F(WizardPagesTest, TheForcedLanguageComesFirstInTheList)
{
    DestroyWindow(wizard_);
    gForcedLanguage = 2;
    wizard_ = OpenWizard();
    ASSERT_NE(nullptr, wizard_);
    HWND list = Item(IDC_LANGUAGE_LIST);
    const int order[] = {2, 0, 1};
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(order[i], SendMessageA(list, CB_GETITEMDATA, i, 0)) << "position " << i;
    EXPECT_EQ(0, SendMessageA(list, CB_GETCURSEL, 0, 0));
}

TEST_F(WizardPagesTest, NextWithoutAnAnswerAsksAndStays)
{
    GoToPage(1);
    SeenMessage seen;
    ArmMessageAnswer(kAnswerClick, IDOK, &seen);
    Command(IDC_NEXT);
    ASSERT_TRUE(seen.shown);
    EXPECT_EQ("请您回答提问.", seen.chinese);
    EXPECT_EQ("Please select a choice.", seen.english);
    EXPECT_EQ(1u, seen.buttons.size());
    EXPECT_EQ(1u, seen.buttons.count(IDOK));
    ExpectPage(1);
    EXPECT_EQ(0u, gDisplayOkAnswer);
}

TEST_F(WizardPagesTest, TheTwoAnswersExcludeEachOther)
{
    GoToPage(1);
    Click(IDC_DISPLAY_YES);
    EXPECT_TRUE(Checked(IDC_DISPLAY_YES));
    EXPECT_FALSE(Checked(IDC_DISPLAY_NO));
    Click(IDC_DISPLAY_NO);
    EXPECT_FALSE(Checked(IDC_DISPLAY_YES));
    EXPECT_TRUE(Checked(IDC_DISPLAY_NO));
    Click(IDC_DISPLAY_YES);
    EXPECT_TRUE(Checked(IDC_DISPLAY_YES));
    EXPECT_FALSE(Checked(IDC_DISPLAY_NO));
    Click(IDC_DISPLAY_YES);
    EXPECT_FALSE(Checked(IDC_DISPLAY_YES));
    EXPECT_FALSE(Checked(IDC_DISPLAY_NO));

    Click(IDC_DISPLAY_NO);
    Command(IDC_NEXT);
    EXPECT_EQ(2, gPageNumber);
    EXPECT_EQ(0u, gDisplayOkAnswer);
    Command(IDC_BACK);
    Click(IDC_DISPLAY_YES);
    Command(IDC_NEXT);
    EXPECT_EQ(1u, gDisplayOkAnswer);
}

TEST_F(WizardPagesTest, ComingFromTheFolderPageStartsWithoutAnAnswer)
{
    GoToPage(2);
    Command(IDC_BACK);
    EXPECT_TRUE(Checked(IDC_DISPLAY_YES)) << "Back from the agreement keeps the answer";
    Command(IDC_BACK);
    Command(IDC_NEXT);
    EXPECT_EQ(1, gPageNumber);
    EXPECT_FALSE(Checked(IDC_DISPLAY_YES));
    EXPECT_FALSE(Checked(IDC_DISPLAY_NO));
}

TEST_F(WizardPagesTest, NextFromTheDisplayCheckTicksEnglishAgain)
{
    GoToPage(2);
    EXPECT_TRUE(Checked(IDC_SHOW_ENGLISH));
    EXPECT_TRUE(Visible(IDC_AGREEMENT_ENGLISH));
    Click(IDC_SHOW_ENGLISH);
    EXPECT_FALSE(Checked(IDC_SHOW_ENGLISH));
    EXPECT_TRUE(Visible(IDC_AGREEMENT_CHINESE));
    EXPECT_FALSE(Visible(IDC_AGREEMENT_ENGLISH));

    Command(IDC_BACK);
    Command(IDC_NEXT);
    EXPECT_TRUE(Checked(IDC_SHOW_ENGLISH));
    ExpectPage(2);

    // A Chinese interface keeps the agreement in Chinese.
    Click(IDC_SHOW_ENGLISH);
    Command(IDC_BACK);
    gForcedLanguage = 1;
    Command(IDC_NEXT);
    EXPECT_FALSE(Checked(IDC_SHOW_ENGLISH));
    EXPECT_TRUE(Visible(IDC_AGREEMENT_CHINESE));
}

TEST_F(WizardPagesTest, TheChineseAgreementIsListedOnceUpTo500Lines)
{
    GoToPage(2);
    EXPECT_EQ(1, gAgreementTextFlag);
    ASSERT_EQ(500, ListCount());
    EXPECT_EQ("Agreement line 001", ListLine(0));
    EXPECT_EQ("Agreement line 500", ListLine(499));

    Click(IDC_SHOW_ENGLISH);
    Click(IDC_SHOW_ENGLISH);
    Command(IDC_BACK);
    Command(IDC_NEXT);
    Command(IDC_NEXT);
    Command(IDC_BACK);
    EXPECT_EQ(2, gPageNumber);
    EXPECT_EQ(500, ListCount());

    std::vector<char> english(kAgreementCapacity);
    unsigned long length = 0;
    ASSERT_EQ(0, InflatePayload(IDR_AGREEMENT_ENGLISH, english.data(), kAgreementCapacity - 1, &length));
    english[length] = '\0';
    std::vector<char> shown(kAgreementCapacity);
    GetDlgItemTextA(wizard_, IDC_AGREEMENT_ENGLISH, shown.data(), kAgreementCapacity);
    EXPECT_GT(length, 0u);
    EXPECT_STREQ(english.data(), shown.data());
}

class AgreementLinesTest : public WizardTest {
protected:
    std::vector<std::string> Lines(std::string text)
    {
        std::vector<char> buffer(text.begin(), text.end());
        buffer.push_back('\0');
        AddAgreementLines(Item(IDC_AGREEMENT_CHINESE), buffer.data());
        std::vector<std::string> lines;
        for (int i = 0; i < ListCount(); ++i)
            lines.push_back(ListLine(i));
        return lines;
    }
};

TEST_F(AgreementLinesTest, CutsAtEachCarriageReturnAndKeepsTheLastLine)
{
    typedef std::vector<std::string> Lines_;
    EXPECT_EQ(Lines_({"一", "二", "三"}), Lines("一\r\n二\r\n三\r\n"));
    EXPECT_EQ(Lines_({"一", "", "三"}), Lines("一\r\n\r\n三\r\n"));
    EXPECT_EQ(Lines_({"a", "b\nc"}), Lines("a\rb\nc\r"));
    // The text after the last CR is a line of its own.
    EXPECT_EQ(Lines_({"first", "last words"}), Lines("first\r\nlast words"));
    EXPECT_EQ(Lines_(), Lines(""));
}

TEST_F(AgreementLinesTest, ListsAtMost500Lines)
{
    std::string text;
    for (int i = 1; i <= 501; ++i)
        text += "line " + std::to_string(i) + (i < 501 ? "\r\n" : "");
    std::vector<std::string> lines = Lines(text);
    ASSERT_EQ(500u, lines.size());
    EXPECT_EQ("line 500", lines.back());
}

// An item is drawn from a 260-byte buffer: a longer line is listed in pieces that fit
// it, never cutting a double-byte character in two.
TEST_F(AgreementLinesTest, ListsALongLineInPiecesThatFitAnItem)
{
    std::string line;
    for (int i = 0; i < 300; ++i)
        line += "协";
    line = "x" + line;
    std::vector<std::string> lines = Lines(line + "\r\nnext\r\n");
    ASSERT_EQ(4u, lines.size());
    EXPECT_EQ(259u, lines[0].size());
    EXPECT_EQ(258u, lines[1].size());
    EXPECT_EQ(line, lines[0] + lines[1] + lines[2]);
    EXPECT_EQ("next", lines[3]);
}

// Reports a failure at the test's line as well as its own.
#define PressEnterOn(...) PressEnterOn_(__FILE__, __LINE__, __VA_ARGS__)

// Enter presses the focused push button and means Next everywhere else; the posted
// commands are caught before anything handles them, and a hook sees whether the dialog
// manager acted on the key too.
class EnterRoutingTest : public WizardTest {
protected:
    void SetUp() override
    {
        WizardTest::SetUp();
        hook_ = SetWindowsHookExA(WH_CALLWNDPROC, NoteSentCommand, nullptr, GetCurrentThreadId());
        ASSERT_NE(nullptr, hook_);
    }
    void TearDown() override
    {
        UnhookWindowsHookEx(hook_);
        WizardTest::TearDown();
    }

    static LRESULT CALLBACK NoteSentCommand(int code, WPARAM wParam, LPARAM lParam)
    {
        const CWPSTRUCT *sent = reinterpret_cast<const CWPSTRUCT *>(lParam);
        if (code == HC_ACTION && sent->message == WM_COMMAND && sent->hwnd == gMainWindow)
            sentCommands_.push_back(LOWORD(sent->wParam));
        return CallNextHookEx(nullptr, code, wParam, lParam);
    }

    // Presses Enter with the focus on control id; returns the commands posted to the wizard.
    std::vector<int> PressEnterOn_(const char *file, int line, int id)
    {
        CallerLine caller(file, line);
        SetFocus(Item(id));
        EXPECT_EQ(Item(id), GetFocus());
        PumpMessages();
        sentCommands_.clear();
        MSG key = {GetFocus(), WM_KEYDOWN, VK_RETURN, 0x001C0001, 0, {0, 0}};
        HandleLoopMessage(&key);
        std::vector<int> posted;
        MSG message;
        while (PeekMessageA(&message, wizard_, WM_COMMAND, WM_COMMAND, PM_REMOVE))
            posted.push_back(LOWORD(message.wParam));
        return posted;
    }

    HHOOK hook_ = nullptr;
    static std::vector<int> sentCommands_;
};
std::vector<int> EnterRoutingTest::sentCommands_;

TEST_F(EnterRoutingTest, EnterOnAPushButtonPressesThatButtonOnly)
{
    EXPECT_EQ(std::vector<int>({IDC_BROWSE}), PressEnterOn(IDC_BROWSE));
    EXPECT_TRUE(sentCommands_.empty()) << "the key reached the dialog manager";
    EXPECT_EQ(std::vector<int>({IDC_NEXT}), PressEnterOn(IDC_NEXT));
    EXPECT_TRUE(sentCommands_.empty());
}

TEST_F(EnterRoutingTest, EnterOnACheckBoxOrTheFolderEditMeansNext)
{
    EXPECT_EQ(std::vector<int>({IDC_NEXT}), PressEnterOn(IDC_DESKTOP_ICON));
    EXPECT_EQ(1u, sentCommands_.size()) << "the key did not reach the dialog manager";
    EXPECT_EQ(std::vector<int>({IDC_NEXT}), PressEnterOn(IDC_FOLDER_EDIT));
    EXPECT_EQ(1u, sentCommands_.size()) << "the key did not reach the dialog manager";
}

// The English box reports losing the focus as it is hidden on the way to the language
// page; that must not bring the agreement page's controls back.
TEST_F(EnterRoutingTest, EnterOnTheEnglishBoxLeavesTheAgreementPageBehind)
{
    GoToPage(2);
    SetFocus(Item(IDC_SHOW_ENGLISH));
    MSG key = {GetFocus(), WM_KEYDOWN, VK_RETURN, 0x001C0001, 0, {0, 0}};
    HandleLoopMessage(&key);
    PumpMessages();
    EXPECT_EQ(3, gPageNumber);
    EXPECT_FALSE(Visible(IDC_SHOW_ENGLISH));
    EXPECT_FALSE(Visible(IDC_AGREEMENT_ENGLISH));
    EXPECT_FALSE(Visible(IDC_AGREEMENT_CHINESE));
    EXPECT_TRUE(Visible(IDC_LANGUAGE_LIST));
}

// An open drop-down list takes Enter itself and closes on its entry; the install waits.
TEST_F(EnterRoutingTest, EnterInAnOpenLanguageListClosesItWithoutInstalling)
{
    GoToPage(kLanguagePage);
    HWND list = Item(IDC_LANGUAGE_LIST);
    SetFocus(list);
    SendMessageA(list, CB_SHOWDROPDOWN, TRUE, 0);
    ASSERT_TRUE(SendMessageA(list, CB_GETDROPPEDSTATE, 0, 0));
    MSG key = {list, WM_KEYDOWN, VK_RETURN, 0x001C0001, 0, {0, 0}};
    HandleLoopMessage(&key);
    MSG posted;
    EXPECT_FALSE(PeekMessageA(&posted, wizard_, WM_COMMAND, WM_COMMAND, PM_NOREMOVE)) << "a command was posted";
    EXPECT_FALSE(SendMessageA(list, CB_GETDROPPEDSTATE, 0, 0)) << "the list stayed open";
    EXPECT_EQ(kLanguagePage, gPageNumber);
}

TEST_F(EnterRoutingTest, EscapeCancelsTheWizard)
{
    GoToPage(kLanguagePage);
    SetFocus(Item(IDC_LANGUAGE_LIST));
    MSG key = {GetFocus(), WM_KEYDOWN, VK_ESCAPE, 0x00010001, 0, {0, 0}};
    HandleLoopMessage(&key);
    PumpMessages();
    EXPECT_EQ(kPageFinished, gPageNumber);
}

// Tab, as the main loop hands it to the dialog manager, moves the focus onto each
// owner-drawn button and check box in turn, and the control shows it: read from the screen.
TEST_F(EnterRoutingTest, TheKeyboardFocusIsDrawnOnTheButtonsAndTheCheckBox)
{
    const int kTabbed[] = {IDC_BROWSE, IDC_DESKTOP_ICON, IDC_NEXT, IDCANCEL};
    auto capture = [this](int id) {
        RECT client;
        GetClientRect(Item(id), &client);
        HDC dc = GetDC(Item(id));
        std::vector<DWORD> pixels = CapturePixels(dc, 0, 0, client.right, client.bottom);
        ReleaseDC(Item(id), dc);
        return pixels;
    };
    ASSERT_EQ(Item(IDC_FOLDER_EDIT), GetFocus());
    std::vector<std::vector<DWORD>> unfocused;
    for (int id : kTabbed)
        unfocused.push_back(capture(id));
    for (size_t i = 0; i < unfocused.size(); ++i) {
        MSG key = {GetFocus(), WM_KEYDOWN, VK_TAB, 0x000F0001, 0, {0, 0}};
        HandleLoopMessage(&key);
        PumpMessages();
        ASSERT_EQ(Item(kTabbed[i]), GetFocus()) << "Tab number " << i + 1;
        ASSERT_FALSE(unfocused[i].empty()) << "the screen could not be read";
        EXPECT_NE(unfocused[i], capture(kTabbed[i])) << "no focus shown on control " << kTabbed[i];
    }
}

TEST_F(WizardPagesTest, CancelEndsTheRunFromAnyPage)
{
    GoToPage(2);
    Command(IDCANCEL);
    EXPECT_EQ(kPageFinished, gPageNumber);
}

// Reports a failure at the test's line as well as its own.
#define ExpectNextButtonShows(...) ExpectNextButtonShows_(__FILE__, __LINE__, __VA_ARGS__)

// The label area of the Next button holds what draw text paints for label there: the
// screen is read, then draw text paints label on the button face in the same place and
// the screen is read again.
void ExpectNextButtonShows_(const char *file, int line, HWND button, const char *label)
{
    CallerLine caller(file, line);
    RedrawWindow(GetParent(button), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    RECT client;
    GetClientRect(button, &client);
    HDC dc = GetDC(button);
    HGDIOBJ previousFont = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageA(button, WM_GETFONT, 0, 0)));
    SIZE size = MeasureGlyphText(dc, label);
    int x = (client.right - size.cx) / 2;
    int y = (client.bottom - size.cy) / 2;
    std::vector<DWORD> shown = CapturePixels(dc, x, y, size.cx, size.cy);

    RECT area = {x, y, x + size.cx, y + size.cy};
    FillRect(dc, &area, GetSysColorBrush(COLOR_BTNFACE));
    SetTextColor(dc, RGB(0, 0, 0));
    SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
    DrawGlyphText(dc, x, y, label, 0);
    std::vector<DWORD> painted = CapturePixels(dc, x, y, size.cx, size.cy);
    SelectObject(dc, previousFont);
    ReleaseDC(button, dc);
    InvalidateRect(button, nullptr, TRUE);
    ASSERT_FALSE(shown.empty()) << "the screen could not be read";
    ASSERT_EQ(shown.size(), painted.size());

    int ink = 0, different = 0;
    for (size_t i = 0; i < painted.size(); ++i) {
        ink += painted[i] == 0;
        different += painted[i] != shown[i];
    }
    EXPECT_GT(ink, 50) << label;
    EXPECT_EQ(0, different) << "pixels of \"" << label << "\" differ";
}

TEST_F(WizardPagesTest, NextReadsAgreeInstallOnTheLanguagePage)
{
    ExpectNextButtonShows(Item(IDC_NEXT), "下一步 Next");
    GoToPage(3);
    ExpectNextButtonShows(Item(IDC_NEXT), "同意/安装 Agree/Install");
}

// Whether the 16 x 16 block at (x, y) of pixels (width across) is the atlas cell of code
// whole: one colour wherever the cell has ink and another wherever it has none, whatever
// the two colours of a selected or unselected item are.
bool ShowsCell(const std::vector<DWORD> &pixels, int width, int x, int y, const std::vector<unsigned char> &atlas,
               unsigned code)
{
    GlyphCell cell = LocateGlyphCell(code);
    DWORD ink = 0, paper = 0;
    bool inkSeen = false, paperSeen = false;
    for (int row = 0; row < kGlyphSize; ++row) {
        for (int column = 0; column < kGlyphSize; ++column) {
            DWORD pixel = pixels[(y + row) * width + x + column];
            bool isInk = CellInk(atlas, cell, column, row);
            DWORD &expected = isInk ? ink : paper;
            bool &seen = isInk ? inkSeen : paperSeen;
            if (!seen) {
                expected = pixel;
                seen = true;
            } else if (pixel != expected) {
                return false;
            }
        }
    }
    return inkSeen && paperSeen && ink != paper;
}

// The closed box shows its selection, "English 英文", as a list item does: the two
// characters as their atlas cells, side by side and whole. Read from the screen.
TEST_F(WizardPagesTest, TheClosedLanguageBoxShowsItsChineseWhole)
{
    std::vector<unsigned char> atlas(kAtlasCapacity);
    unsigned long length = 0;
    ASSERT_EQ(0, InflatePayload(IDR_GLYPH_ATLAS, atlas.data(), kAtlasCapacity, &length));
    GoToPage(kLanguagePage);
    HWND box = Item(IDC_LANGUAGE_LIST);
    RedrawWindow(box, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
    RECT client;
    GetClientRect(box, &client);
    HDC dc = GetDC(box);
    std::vector<DWORD> shown = CapturePixels(dc, 0, 0, client.right, client.bottom);
    ReleaseDC(box, dc);
    ASSERT_FALSE(shown.empty()) << "the screen could not be read";

    int found = 0;
    for (int y = 0; y + kGlyphSize <= client.bottom && !found; ++y)
        for (int x = 0; x + 2 * kGlyphSize <= client.right && !found; ++x)
            found = ShowsCell(shown, client.right, x, y, atlas, 0xD3A2) &&
                    ShowsCell(shown, client.right, x + kGlyphSize, y, atlas, 0xCEC4);
    EXPECT_TRUE(found) << "the closed box, " << client.bottom << " pixels high, with a selection field of "
                       << SendMessageA(box, CB_GETITEMHEIGHT, static_cast<WPARAM>(-1), 0)
                       << " and items of " << SendMessageA(box, CB_GETITEMHEIGHT, 0, 0);
}

// The real program, started beside this test executable.
class SetupProgramTest : public ::testing::Test {
protected:
    static std::string BesideTest(const char *relative)
    {
        char path[MAX_PATH];
        GetModuleFileNameA(nullptr, path, MAX_PATH);
        *strrchr(path, '\\') = '\0';
        return std::string(path) + "\\" + relative;
    }

    bool Start(const std::string &program)
    {
        STARTUPINFOA startup = {};
        startup.cb = sizeof startup;
        std::vector<char> command(program.begin(), program.end());
        command.push_back('\0');
        return CreateProcessA(program.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                              &process_) != 0;
    }

    // The wizard once it is on screen; under full emulation a program takes many seconds
    // to show its window.
    HWND WaitForWizard()
    {
        for (int waited = 0; !wizard_ && waited < 90000; waited += 100) {
            wizard_ = FindShownWindowOf(process_.dwProcessId, "Tovrana Smart Editor Installer");
            if (!wizard_ && WaitForSingleObject(process_.hProcess, 100) == WAIT_OBJECT_0)
                break;
        }
        return wizard_;
    }

    // The exit code, or -1 when the program did not end in time (it is then stopped).
    int ExitCode(DWORD milliseconds)
    {
        if (WaitForSingleObject(process_.hProcess, milliseconds) != WAIT_OBJECT_0) {
            TerminateProcess(process_.hProcess, 99);
            return -1;
        }
        DWORD code = 0;
        GetExitCodeProcess(process_.hProcess, &code);
        return static_cast<int>(code);
    }

    void TearDown() override
    {
        if (process_.hProcess) {
            CloseHandle(process_.hThread);
            CloseHandle(process_.hProcess);
        }
    }

    PROCESS_INFORMATION process_ = {};
    HWND wizard_ = nullptr;
};

TEST_F(SetupProgramTest, OpensOnTheFolderPageAndCancelEndsItWithExitCodeZero)
{
    ASSERT_TRUE(Start(BesideTest("..\\..\\TovraSetup.exe")));
    ASSERT_NE(nullptr, WaitForWizard());
    EXPECT_TRUE(IsWindowVisible(GetDlgItem(wizard_, IDC_FOLDER_EDIT)));
    EXPECT_FALSE(IsWindowVisible(GetDlgItem(wizard_, IDC_DISPLAY_QUESTION)));
    // The close box is the dialog's Cancel.
    PostMessageA(wizard_, WM_CLOSE, 0, 0);
    EXPECT_EQ(0, ExitCode(60000));
}

// The program built without its glyph atlas: it ends at once, with no message to wait on.
TEST_F(SetupProgramTest, WithoutItsAtlasTheProgramEndsWithExitCodeOne)
{
    ASSERT_TRUE(Start(BesideTest("setup_without_atlas.exe")));
    EXPECT_EQ(1, ExitCode(60000));
    EXPECT_EQ(nullptr, WaitForWizard());
}

} // namespace
