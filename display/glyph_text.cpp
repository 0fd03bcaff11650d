#include "display/glyph_text.h"

#include "wizard/wizard_state.h"

enum {
    kOutsideGb2312Code = 0xE946, /* the one GBK character outside GB2312 that the atlas holds */
    kOutsideGb2312Cell = 7456,
    kBoxCornerCode = 0xA9A4,     /* the one row-9 box piece with a cell of its own */
    kBoxCornerCell = 7457,
    kFirstHanziCode = 0xB0A1,
    kCellsAcross = kAtlasWidth / kGlyphSize,
};

/* Converted text of the sample line; process-wide so that painting allocates nothing. */
static WCHAR gSampleTextUnits[kSampleTextUnits];

int MakeGlyphAtlas(const void *atlas, unsigned long length)
{
    /* A short atlas would leave the last bitmaps with whatever the buffer held before. */
    if (length < kAtlasBitmapCount * kAtlasBitmapBytes)
        return 0;

    const unsigned char *bits = static_cast<const unsigned char *>(atlas);
    for (int k = 0; k < kAtlasBitmapCount; ++k) {
        gAtlasBitmaps[k] = CreateBitmap(kAtlasWidth, kAtlasHeight, 1, 1, bits + k * kAtlasBitmapBytes);
        if (!gAtlasBitmaps[k])
            return 0;
        gAtlasDCs[k] = CreateCompatibleDC(nullptr);
        if (!gAtlasDCs[k])
            return 0;
        gPreviousAtlasObjects[k] = SelectObject(gAtlasDCs[k], gAtlasBitmaps[k]);
    }
    return 1;
}

void ReleaseGlyphAtlas(void)
{
    for (int k = 0; k < kAtlasBitmapCount; ++k) {
        if (gAtlasDCs[k]) {
            SelectObject(gAtlasDCs[k], gPreviousAtlasObjects[k]);
            DeleteDC(gAtlasDCs[k]);
            gAtlasDCs[k] = nullptr;
        }
        if (gAtlasBitmaps[k]) {
            DeleteObject(gAtlasBitmaps[k]);
            gAtlasBitmaps[k] = nullptr;
        }
        gPreviousAtlasObjects[k] = nullptr;
    }
    if (gSampleFont) {
        DeleteObject(gSampleFont);
        gSampleFont = nullptr;
    }
}

/* The arithmetic wraps at 16 bits on purpose: that is what keeps every code, including
   the ones outside GB2312, on a cell inside the atlas. */
unsigned GlyphCellIndex(unsigned code)
{
    code &= 0xFFFF;
    if (code == kOutsideGb2312Code)
        return kOutsideGb2312Cell;
    if (code == kBoxCornerCode)
        return kBoxCornerCell;

    unsigned t = (code - 0xA0A0) & 0xFFFF;
    unsigned row = t >> 8;
    unsigned column = t & 0xFF;
    unsigned v = (96 * row + column) & 0xFFFF;
    int base = 97;
    int offset = 0;
    if (code >= kFirstHanziCode) {
        base = 1537;
        offset = 658;
    }
    int k = static_cast<int>(v) - base;
    int q = k / 96;
    return static_cast<unsigned>(offset + k - 2 * q) & 0xFFFF;
}

GlyphCell LocateGlyphCell(unsigned code)
{
    unsigned n = GlyphCellIndex(code);
    unsigned top = kGlyphSize * (n / kCellsAcross);
    GlyphCell cell;
    cell.bitmap = static_cast<int>(top / kAtlasHeight);
    if (cell.bitmap > kAtlasBitmapCount - 1)
        cell.bitmap = kAtlasBitmapCount - 1;
    cell.y = static_cast<int>(top % kAtlasHeight);
    cell.x = static_cast<int>(kGlyphSize * (n % kCellsAcross));
    return cell;
}

static int SingleByteWidth(HDC dc, const char *character)
{
    SIZE size;
    if (!GetTextExtentPointA(dc, character, 1, &size))
        return 0;
    return size.cx;
}

/* One walk for drawing and measuring, so that the two can never disagree. A lead byte
   takes the byte after it as it stands, even the terminator: the cell of lead x 256 is
   drawn and the walk ends. */
static SIZE WalkGlyphText(HDC dc, int x, int y, const char *text, int highlight, int draw)
{
    const unsigned char *p = reinterpret_cast<const unsigned char *>(text);
    int advance = 0;
    while (*p) {
        if (*p & 0x80) {
            if (draw) {
                GlyphCell cell = LocateGlyphCell(p[0] << 8 | p[1]);
                BitBlt(dc, x + advance, y, kGlyphSize, kGlyphSize, gAtlasDCs[cell.bitmap],
                       cell.x, cell.y, highlight ? SRCPAINT : SRCAND);
            }
            advance += kGlyphSize;
            if (!p[1])
                break;
            p += 2;
        } else {
            const char *character = reinterpret_cast<const char *>(p);
            int width = SingleByteWidth(dc, character);
            /* The font's letters sit one pixel lower to line up with the glyph cells. */
            if (draw)
                TextOutA(dc, x + advance, y + 1, character, 1);
            advance += width;
            ++p;
        }
    }
    SIZE extent = {advance, kGlyphSize};
    return extent;
}

SIZE DrawGlyphText(HDC dc, int x, int y, const char *text, int highlight)
{
    int previousMode = SetBkMode(dc, TRANSPARENT);
    SIZE extent = WalkGlyphText(dc, x, y, text, highlight, 1);
    SetBkMode(dc, previousMode);
    return extent;
}

SIZE MeasureGlyphText(HDC dc, const char *text)
{
    return WalkGlyphText(dc, 0, 0, text, 0, 0);
}

void DrawSampleText(HDC dc, int x, int y, const char *text)
{
    if (!gSampleFont)
        return;
    HGDIOBJ previousFont = SelectObject(dc, gSampleFont);
    if (gNtFlag) {
        TextOutA(dc, x, y, text, lstrlenA(text));
    } else {
        /* The old platform draws narrow text in its own code page only, so the GBK
           line goes through wide text; one that does not fit converts to nothing. */
        int units = MultiByteToWideChar(936, 0, text, lstrlenA(text), gSampleTextUnits, kSampleTextUnits);
        TextOutW(dc, x, y, gSampleTextUnits, units);
    }
    SelectObject(dc, previousFont);
}
