// Glyph-atlas text against the atlas itself: this executable carries the product's atlas
// (payload 110, glyph_text_test.rc) and compares what draw text paints, pixel by pixel,
// with the atlas bits inflated independently.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "display/glyph_text.h"
#include "install/payload.h"
#include "support/caller_line.h"
#include "support/glyph_cells.h"
#include "support/screen_capture.h"
#include "wizard/resource.h"
#include "wizard/wizard_state.h"

namespace {

const int kCanvasWidth = 240;
const int kCanvasHeight = 40;
const COLORREF kWhite = RGB(255, 255, 255);
const COLORREF kBlack = RGB(0, 0, 0);

std::vector<unsigned char> gAtlasBits;

// A white canvas with a font, whose pixels are read back directly.
struct Canvas {
    PixelSurface surface;
    HDC dc;
    const DWORD *pixels;
    HFONT font;
    HGDIOBJ previousFont;

    explicit Canvas(const char *face = "Tahoma", int height = -13)
        : surface(nullptr, kCanvasWidth, kCanvasHeight), dc(surface.dc), pixels(surface.pixels)
    {
        font = CreateFontA(height, 0, 0, 0, FW_NORMAL, 0, 0, 0, ANSI_CHARSET, 0, 0, 0, 0, face);
        previousFont = SelectObject(dc, font);
        SetTextColor(dc, kBlack);
        SetBkColor(dc, kWhite);
        Fill(kWhite);
    }
    ~Canvas()
    {
        SelectObject(dc, previousFont);
        DeleteObject(font);
    }
    void Fill(COLORREF colour)
    {
        HBRUSH brush = CreateSolidBrush(colour);
        RECT all = {0, 0, kCanvasWidth, kCanvasHeight};
        FillRect(dc, &all, brush);
        DeleteObject(brush);
        GdiFlush();
    }
    COLORREF At(int x, int y) const
    {
        GdiFlush();
        DWORD p = pixels[y * kCanvasWidth + x];
        return RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF);
    }
    bool SameAs(const Canvas &other) const
    {
        GdiFlush();
        for (int i = 0; i < kCanvasWidth * kCanvasHeight; ++i)
            if ((pixels[i] & 0xFFFFFF) != (other.pixels[i] & 0xFFFFFF))
                return false;
        return true;
    }
    bool AllOf(COLORREF colour) const
    {
        for (int y = 0; y < kCanvasHeight; ++y)
            for (int x = 0; x < kCanvasWidth; ++x)
                if (At(x, y) != colour)
                    return false;
        return true;
    }
};

class GlyphTextTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        gInstance = GetModuleHandleA(nullptr);
        gAtlasBits.assign(kAtlasCapacity, 0);
        unsigned long length = 0;
        InflatePayload(IDR_GLYPH_ATLAS, gAtlasBits.data(), kAtlasCapacity, &length);
        gAtlasBits.resize(length);
        loaded_ = MakeGlyphAtlas(gAtlasBits.data(), length);
    }
    static void TearDownTestSuite() { ReleaseGlyphAtlas(); }

    void SetUp() override
    {
        ASSERT_EQ(1, loaded_);
        ASSERT_EQ(kAtlasBytes, gAtlasBits.size());
    }

    // Every pixel of the 16 x 16 cell at (x, y) of the canvas is black exactly where the
    // atlas cell of code has ink.
    static void ExpectCellAt_(const char *file, int line, const Canvas &canvas, int x, int y, unsigned code)
    {
        CallerLine caller(file, line);
        GlyphCell cell = LocateGlyphCell(code);
        int wrong = 0, ink = 0;
        for (int j = 0; j < kGlyphSize; ++j)
            for (int i = 0; i < kGlyphSize; ++i) {
                bool expected = CellInk(gAtlasBits, cell, i, j);
                ink += expected;
                wrong += (canvas.At(x + i, y + j) == kBlack) != expected;
            }
        EXPECT_EQ(0, wrong) << "cell of code " << std::hex << code;
        EXPECT_GT(ink, 0) << "cell of code " << std::hex << code << " is blank";
    }

    static int loaded_;
};
int GlyphTextTest::loaded_;
// Reports a failure at the test's line as well as its own.
#define ExpectCellAt(...) ExpectCellAt_(__FILE__, __LINE__, __VA_ARGS__)

struct CellRow {
    unsigned code;
    int bitmap, x, y;
};

TEST_F(GlyphTextTest, CodesSelectTheCellsOfTheAtlasLayout)
{
    const CellRow kCells[] = {
        {0xA1A1, 0, 0, 0},   {0xA3C1, 0, 448, 96}, {0xB0A1, 0, 288, 320}, {0xA8A1, 0, 288, 320},
        {0xD7F9, 2, 448, 304}, {0xF7FE, 3, 16, 880}, {0xE946, 3, 0, 896},   {0xA9A4, 3, 16, 896},
        {0x8140, 3, 496, 160},
    };
    for (const CellRow &row : kCells) {
        GlyphCell cell = LocateGlyphCell(row.code);
        EXPECT_EQ(row.bitmap, cell.bitmap) << std::hex << row.code;
        EXPECT_EQ(row.x, cell.x) << std::hex << row.code;
        EXPECT_EQ(row.y, cell.y) << std::hex << row.code;
    }

    // GB2312 rows 1 to 7 and 16 to 87 fill the cells in order, 94 to a row.
    for (unsigned row = 1; row <= 87; ++row) {
        if (row >= 8 && row <= 15)
            continue;
        for (unsigned column = 1; column <= 94; ++column) {
            unsigned code = (0xA0 + row) << 8 | (0xA0 + column);
            unsigned expected = row <= 7 ? 94 * (row - 1) + column - 1 : 658 + 94 * (row - 16) + column - 1;
            ASSERT_EQ(expected, GlyphCellIndex(code)) << std::hex << code;
        }
    }
}

TEST_F(GlyphTextTest, EveryCodeSelectsACellInsideTheAtlas)
{
    for (unsigned code = 0; code <= 0xFFFF; ++code) {
        GlyphCell cell = LocateGlyphCell(code);
        ASSERT_TRUE(cell.bitmap >= 0 && cell.bitmap < kAtlasBitmapCount) << std::hex << code;
        ASSERT_TRUE(cell.x >= 0 && cell.x + kGlyphSize <= kAtlasWidth && cell.x % kGlyphSize == 0) << std::hex << code;
        ASSERT_TRUE(cell.y >= 0 && cell.y + kGlyphSize <= kAtlasHeight && cell.y % kGlyphSize == 0) << std::hex << code;
    }
}

TEST_F(GlyphTextTest, DrawsEachDoubleByteCharacterAsItsAtlasCell)
{
    Canvas canvas;
    // 啊 (0xB0A1), the GBK-only 0xE946, the box piece 0xA9A4 and a row-8 code.
    const char text[] = "啊\xE9\x46\xA9\xA4\xA8\xA1";
    SIZE extent = DrawGlyphText(canvas.dc, 5, 7, text, 0);
    EXPECT_EQ(4 * kGlyphSize, extent.cx);
    EXPECT_EQ(kGlyphSize, extent.cy);
    ExpectCellAt(canvas, 5, 7, 0xB0A1);
    ExpectCellAt(canvas, 21, 7, 0xE946);
    ExpectCellAt(canvas, 37, 7, 0xA9A4);
    // A row-8 code has no cell of its own: it shows the first hanzi.
    ExpectCellAt(canvas, 53, 7, 0xB0A1);
    for (int x = 0; x < kCanvasWidth; ++x) {
        EXPECT_EQ(kWhite, canvas.At(x, 6)) << "ink above the cells at x " << x;
        EXPECT_EQ(kWhite, canvas.At(x, 23)) << "ink below the cells at x " << x;
    }
}

TEST_F(GlyphTextTest, SingleBytesSitOnePixelBelowTheCellTop)
{
    Canvas drawn, expected, unshifted;
    DrawGlyphText(drawn.dc, 10, 10, "Ag", 0);
    SetBkMode(expected.dc, TRANSPARENT);
    TextOutA(expected.dc, 10, 11, "A", 1);
    SIZE a;
    GetTextExtentPointA(expected.dc, "A", 1, &a);
    TextOutA(expected.dc, 10 + a.cx, 11, "g", 1);
    EXPECT_TRUE(drawn.SameAs(expected));

    SetBkMode(unshifted.dc, TRANSPARENT);
    TextOutA(unshifted.dc, 10, 10, "Ag", 2);
    EXPECT_FALSE(drawn.SameAs(unshifted));
}

// With the flag the cell is combined with the destination by OR, without it by AND; ink
// takes the text colour, paper the background colour.
TEST_F(GlyphTextTest, HighlightCombinesByOrAndPlainTextByAnd)
{
    const COLORREF destination = RGB(0x35, 0x6A, 0x9C);
    const COLORREF text = RGB(0xC3, 0x0F, 0x50);
    const COLORREF paper = RGB(0x5A, 0xF0, 0x0C);
    GlyphCell cell = LocateGlyphCell(0xB0A1);
    for (int highlight = 0; highlight <= 1; ++highlight) {
        Canvas canvas;
        canvas.Fill(destination);
        SetTextColor(canvas.dc, text);
        SetBkColor(canvas.dc, paper);
        DrawGlyphText(canvas.dc, 0, 0, "啊", highlight);
        int wrong = 0;
        for (int j = 0; j < kGlyphSize; ++j)
            for (int i = 0; i < kGlyphSize; ++i) {
                COLORREF source = CellInk(gAtlasBits, cell, i, j) ? text : paper;
                COLORREF expected = highlight ? (destination | source) : (destination & source);
                wrong += canvas.At(i, j) != expected;
            }
        EXPECT_EQ(0, wrong) << "highlight " << highlight;
        EXPECT_EQ(destination, canvas.At(kGlyphSize, 0)) << "drawn beyond the cell";
    }
}

TEST_F(GlyphTextTest, MeasureGivesTheAdvanceDrawTextMakes)
{
    const char *const texts[] = {"", "A", "Agree/Install", "下一步 Next", "同意/安装 Agree/Install",
                                 "il1 WM", "x\xB0"};
    for (const char *face : {"Tahoma", "Courier New"}) {
        Canvas canvas(face);
        for (const char *text : texts) {
            SIZE measured = MeasureGlyphText(canvas.dc, text);
            SIZE drawn = DrawGlyphText(canvas.dc, 0, 0, text, 0);
            EXPECT_EQ(drawn.cx, measured.cx) << face << " \"" << text << "\"";
            EXPECT_EQ(16, measured.cy);
            EXPECT_EQ(16, drawn.cy);
        }
        EXPECT_EQ(4 * kGlyphSize, MeasureGlyphText(canvas.dc, "同意安装").cx) << face;
    }

    // The advance is where the next character really starts.
    Canvas canvas;
    SIZE prefix = MeasureGlyphText(canvas.dc, "Agree ");
    canvas.Fill(kWhite);
    DrawGlyphText(canvas.dc, 3, 4, "Agree 啊", 0);
    RECT cover = {0, 0, 3 + prefix.cx, kCanvasHeight};
    FillRect(canvas.dc, &cover, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    ExpectCellAt(canvas, 3 + prefix.cx, 4, 0xB0A1);
}

TEST_F(GlyphTextTest, LeadByteAtTheEndDrawsTheCellOfLeadTimes256)
{
    Canvas canvas;
    SIZE x = MeasureGlyphText(canvas.dc, "x");
    SIZE extent = DrawGlyphText(canvas.dc, 0, 2, "x\xC4", 0);
    EXPECT_EQ(x.cx + kGlyphSize, extent.cx);
    RECT cover = {0, 0, x.cx, kCanvasHeight};
    FillRect(canvas.dc, &cover, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    ExpectCellAt(canvas, x.cx, 2, 0xC400);
}

TEST_F(GlyphTextTest, DrawsTransparentlyAndLeavesTheBackgroundModeAsItWas)
{
    Canvas canvas;
    SetBkMode(canvas.dc, OPAQUE);
    SetBkColor(canvas.dc, RGB(255, 0, 0));
    SIZE empty = DrawGlyphText(canvas.dc, 0, 0, "", 0);
    EXPECT_EQ(0, empty.cx);
    EXPECT_EQ(16, empty.cy);
    EXPECT_EQ(OPAQUE, GetBkMode(canvas.dc));
    EXPECT_TRUE(canvas.AllOf(kWhite));

    // An opaque mode would fill the letters' boxes with red.
    DrawGlyphText(canvas.dc, 0, 0, "Tovra", 0);
    EXPECT_EQ(OPAQUE, GetBkMode(canvas.dc));
    int red = 0;
    for (int y = 0; y < kCanvasHeight; ++y)
        for (int x = 0; x < kCanvasWidth; ++x)
            red += canvas.At(x, y) == RGB(255, 0, 0);
    EXPECT_EQ(0, red);
}

// The sample line goes through the system's own text output with the sample font: the
// narrow call on the NT family, the wide one elsewhere, and the two paint alike.
TEST_F(GlyphTextTest, SampleTextUsesTheSampleFontOnBothPlatforms)
{
    const char sample[] = "日出江花红胜火";
    HFONT saved = gSampleFont;
    int savedNt = gNtFlag;

    gSampleFont = nullptr;
    Canvas none;
    DrawSampleText(none.dc, 4, 4, sample);
    EXPECT_TRUE(none.AllOf(kWhite)) << "drawn without a sample font";

    gSampleFont = CreateFontA(16, 8, 0, 0, FW_NORMAL, 0, 0, 0, GB2312_CHARSET, 0, 0, 0, FF_MODERN | FIXED_PITCH,
                              "Courier New");
    ASSERT_NE(nullptr, gSampleFont);
    Canvas narrow, wide;
    SetBkMode(narrow.dc, TRANSPARENT);
    SetBkMode(wide.dc, TRANSPARENT);
    gNtFlag = 1;
    DrawSampleText(narrow.dc, 4, 4, sample);
    gNtFlag = 0;
    DrawSampleText(wide.dc, 4, 4, sample);
    EXPECT_FALSE(narrow.AllOf(kWhite));
    EXPECT_TRUE(narrow.SameAs(wide));
    EXPECT_EQ(GetCurrentObject(narrow.dc, OBJ_FONT), narrow.font) << "the previous font is not back";

    // Wider than the 300-unit buffer: converts to nothing and draws nothing.
    std::string tooLong;
    for (int i = 0; i < kSampleTextUnits + 1; ++i)
        tooLong += "日";
    Canvas overflow;
    DrawSampleText(overflow.dc, 4, 4, tooLong.c_str());
    EXPECT_TRUE(overflow.AllOf(kWhite));

    DeleteObject(gSampleFont);
    gSampleFont = saved;
    gNtFlag = savedNt;
}

} // namespace
