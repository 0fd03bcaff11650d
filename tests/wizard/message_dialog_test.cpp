// The message dialog sizes itself to its lines, centres itself by the width its texts need
// and answers with the identifier of the button pressed.
#include <gtest/gtest.h>

#include <string>

#include "message_answerer.h"
#include "support/caller_line.h"
#include "wizard/message_dialog.h"
#include "wizard_fixture.h"

namespace {

// The fixture's helpers report a failure at the test's line as well as their own.
#define Show(...) Show_(__FILE__, __LINE__, __VA_ARGS__)
#define ExpectLayout(...) ExpectLayout_(__FILE__, __LINE__, __VA_ARGS__)

class MessageDialogTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(1, LoadTestAtlas()); }

    // Shows a message answered by a click on button answer; returns what ShowMessage gave.
    int Show_(const char *file, int line, const char *chinese, const char *english, int type, int answer)
    {
        CallerLine caller(file, line);
        ArmMessageAnswer(kAnswerClick, answer, &seen_);
        int result = ShowMessage(chinese, english, type, nullptr);
        EXPECT_TRUE(seen_.shown);
        return result;
    }

    // Window and controls laid out for a Chinese line of chineseWidth pixels and the given
    // type; chineseBytes decides the margin.
    void ExpectLayout_(const char *file, int line, int type, int chineseWidth, size_t chineseBytes)
    {
        CallerLine caller(file, line);
        ASSERT_TRUE(seen_.shown);
        int bw = seen_.templateButton.cx, bh = seen_.templateButton.cy;
        int ew = seen_.englishExtent.cx, eh = seen_.englishExtent.cy;
        int width = (chineseWidth > ew ? chineseWidth : ew) + 2 * GetSystemMetrics(SM_CXDLGFRAME);
        if (chineseBytes < 81)
            width += 2 * bh;
        int height = 3 * (bh + 16) + 2 * eh;
        int minimum = (type == kMessageOk ? 2 : 3) * bw;

        EXPECT_EQ((GetSystemMetrics(SM_CXSCREEN) - width) / 2, seen_.window.left);
        EXPECT_EQ((GetSystemMetrics(SM_CYSCREEN) - height) / 2, seen_.window.top);
        EXPECT_EQ(width > minimum ? width : minimum, seen_.window.right - seen_.window.left);
        EXPECT_EQ(height + GetSystemMetrics(SM_CYCAPTION), seen_.window.bottom - seen_.window.top);

        int top = height - 2 * bh;
        if (type == kMessageOk) {
            ASSERT_EQ(1u, seen_.buttons.size());
            ExpectRect(seen_.buttons[IDOK], (width - bw) / 2, top, bw, bh, "OK");
        } else {
            int first = type == kMessageYesNo ? IDYES : IDOK;
            int second = type == kMessageYesNo ? IDNO : IDCANCEL;
            ASSERT_EQ(2u, seen_.buttons.size());
            int left = (width - 7 * bw / 3) / 2;
            ExpectRect(seen_.buttons[first], left, top, bw, bh, "first button");
            ExpectRect(seen_.buttons[second], left + 4 * bw / 3, top, bw, bh, "second button");
        }

        ExpectRect(seen_.label, 0, 10, seen_.client.right, 48, "Chinese line");
        EXPECT_EQ(!seen_.english.empty(), seen_.englishShown);
        if (seen_.englishShown)
            ExpectRect(seen_.englishLine, 0, 10 + 48 + 5, seen_.client.right, 2 * eh, "English line");
    }

    static void ExpectRect(const RECT &r, int x, int y, int width, int height, const char *what)
    {
        EXPECT_EQ(x, r.left) << what;
        EXPECT_EQ(y, r.top) << what;
        EXPECT_EQ(width, r.right - r.left) << what;
        EXPECT_EQ(height, r.bottom - r.top) << what;
    }

    SeenMessage seen_;
};

TEST_F(MessageDialogTest, AMessageWithoutEnglishHasOnlyItsChineseLineAndOk)
{
    EXPECT_EQ(IDOK, Show("内存不够", nullptr, kMessageOk, IDOK));
    EXPECT_EQ("内存不够", seen_.chinese);
    ExpectLayout(kMessageOk, 4 * 16, 8);

    EXPECT_EQ(IDOK, Show("内存不够", "", kMessageOk, IDOK));
    EXPECT_FALSE(seen_.englishShown);
    ExpectLayout(kMessageOk, 4 * 16, 8);
}

TEST_F(MessageDialogTest, TheEnglishLineAddsItsHeightUnderTheChineseLine)
{
    EXPECT_EQ(IDOK, Show("内存不够。安装无法继续。", "Memory not enough!", kMessageOk, IDOK));
    EXPECT_EQ("Memory not enough!", seen_.english);
    EXPECT_GT(seen_.englishExtent.cy, 0);
    ExpectLayout(kMessageOk, 12 * 16, 24);
}

TEST_F(MessageDialogTest, TwoButtonsSitAThirdOfAButtonApartInTheMiddle)
{
    EXPECT_EQ(IDCANCEL, Show("下面安装语音模块", "Now install speech module", kMessageOkCancel, IDCANCEL));
    ExpectLayout(kMessageOkCancel, 8 * 16, 16);
    EXPECT_EQ(IDYES, Show("是否安装新词库", "Replace the old word base?", kMessageYesNo, IDYES));
    ExpectLayout(kMessageYesNo, 7 * 16, 14);
    EXPECT_EQ(IDNO, Show("是否安装新词库", nullptr, kMessageYesNo, IDNO));
    ExpectLayout(kMessageYesNo, 7 * 16, 14);
}

// From 81 bytes on the line gets no margin of two button heights.
TEST_F(MessageDialogTest, ALongChineseLineGetsNoMargin)
{
    std::string forty;
    for (int i = 0; i < 40; ++i)
        forty += "长";
    EXPECT_EQ(IDOK, Show(forty.c_str(), nullptr, kMessageOk, IDOK));
    ExpectLayout(kMessageOk, 40 * 16, 80);

    std::string longer = forty + "!";
    HDC dc = GetDC(nullptr);
    SIZE bang;
    GetTextExtentPointA(dc, "!", 1, &bang);
    ReleaseDC(nullptr, dc);
    EXPECT_EQ(IDOK, Show(longer.c_str(), "English", kMessageOkCancel, IDOK));
    ExpectLayout(kMessageOkCancel, 40 * 16 + bang.cx, 81);
}

// Enter, Escape and the close box answer with a button the message shows.
TEST_F(MessageDialogTest, KeysAndTheCloseBoxAnswerWithAShownButton)
{
    struct Case {
        int type;
        AnswerKind kind;
        int value;
        int expected;
    };
    const Case cases[] = {
        {kMessageOk, kAnswerKey, VK_RETURN, IDOK},       {kMessageOk, kAnswerKey, VK_ESCAPE, IDOK},
        {kMessageOk, kAnswerClose, 0, IDOK},             {kMessageOkCancel, kAnswerKey, VK_RETURN, IDOK},
        {kMessageOkCancel, kAnswerKey, VK_ESCAPE, IDCANCEL}, {kMessageOkCancel, kAnswerClose, 0, IDCANCEL},
        {kMessageYesNo, kAnswerKey, VK_RETURN, IDYES},   {kMessageYesNo, kAnswerKey, VK_ESCAPE, IDNO},
        {kMessageYesNo, kAnswerClose, 0, IDNO},
        // Enter presses the focused button, also a focused Cancel or No.
        {kMessageOkCancel, kAnswerEnterOn, IDCANCEL, IDCANCEL}, {kMessageOkCancel, kAnswerEnterOn, IDOK, IDOK},
        {kMessageYesNo, kAnswerEnterOn, IDNO, IDNO},
    };
    for (const Case &c : cases) {
        SeenMessage seen;
        ArmMessageAnswer(c.kind, c.value, &seen);
        EXPECT_EQ(c.expected, ShowMessage("请您回答提问.", "Please select a choice.", c.type, nullptr))
            << "type " << c.type << " answer kind " << c.kind << " value " << c.value;
        EXPECT_TRUE(seen.shown);
    }
}

} // namespace
