// The real wizard dialog in the test process: the executable carries the templates, the
// icon, the glyph atlas and the agreement texts of its own .rc, and each test opens a
// fresh wizard on page 0 and drives it with the messages a user's actions send.
#ifndef TOVRA_WIZARD_FIXTURE_H
#define TOVRA_WIZARD_FIXTURE_H

#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "display/glyph_text.h"
#include "install/payload.h"
#include "support/caller_line.h"
#include "wizard/resource.h"
#include "wizard/startup.h"
#include "wizard/system_libraries.h"
#include "wizard/wizard_dialog.h"
#include "wizard/wizard_state.h"

// Loads the system libraries and the atlas once for the process, as start-up does.
inline int LoadTestAtlas()
{
    static int loaded = -1;
    if (loaded < 0) {
        static SystemLibraries libraries;
        LoadSystemLibraries(&libraries);
        gInstance = GetModuleHandleA(nullptr);
        lstrcpyA(gDefaultFolderName, "Tovra_Editor");
        std::vector<unsigned char> scratch(kAtlasCapacity);
        loaded = LoadGlyphAtlas(scratch.data(), kAtlasCapacity);
    }
    return loaded;
}

inline void PumpMessages()
{
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}

// Reports a failure at the test's line as well as its own.
#define GoToPage(...) GoToPage_(__FILE__, __LINE__, __VA_ARGS__)

class WizardTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_EQ(1, LoadTestAtlas());
        gForcedLanguage = 0;
        gDisplayOkAnswer = 0;
        wizard_ = OpenWizard();
        ASSERT_NE(nullptr, wizard_);
        SetForegroundWindow(wizard_);
        PumpMessages();
    }
    void TearDown() override
    {
        if (wizard_)
            DestroyWindow(wizard_);
        gMainWindow = nullptr;
        PumpMessages();
    }

    HWND Item(int id) const { return GetDlgItem(wizard_, id); }
    bool Visible(int id) const { return IsWindowVisible(Item(id)) != 0; }
    bool Checked(int id) const { return IsDlgButtonChecked(wizard_, id) == BST_CHECKED; }
    void Command(int id) { SendMessageA(wizard_, WM_COMMAND, id, 0); }
    // A mouse click, through the control's own handling and its notification.
    void Click(int id) { SendMessageA(Item(id), BM_CLICK, 0, 0); }

    // Walks from page 0 to page, answering the display check with yes.
    void GoToPage_(const char *file, int line, int page)
    {
        CallerLine caller(file, line);
        for (int p = gPageNumber; p < page; ++p) {
            if (p == 1 && !Checked(IDC_DISPLAY_YES) && !Checked(IDC_DISPLAY_NO))
                Click(IDC_DISPLAY_YES);
            Command(IDC_NEXT);
        }
        ASSERT_EQ(page, gPageNumber);
    }

    // An item of a list or combo box in GBK: the wizard adds its items through the wide
    // entry points, so they read the same on any system.
    static std::string ItemLine(HWND control, bool combo, int index)
    {
        wchar_t wide[kItemBytes] = L"";
        char line[2 * kItemBytes] = "";
        LRESULT length = SendMessageW(control, combo ? CB_GETLBTEXTLEN : LB_GETTEXTLEN, index, 0);
        if (length < 0 || length >= kItemBytes)
            return "(unreadable)";
        SendMessageW(control, combo ? CB_GETLBTEXT : LB_GETTEXT, index, reinterpret_cast<LPARAM>(wide));
        WideCharToMultiByte(936, 0, wide, -1, line, sizeof line, nullptr, nullptr);
        return line;
    }
    std::string ListLine(int index) const { return ItemLine(Item(IDC_AGREEMENT_CHINESE), false, index); }
    int ListCount() const
    {
        return static_cast<int>(SendMessageA(Item(IDC_AGREEMENT_CHINESE), LB_GETCOUNT, 0, 0));
    }

    static const int kItemBytes = 1024;
    HWND wizard_ = nullptr;
};

#endif
