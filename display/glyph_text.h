/* Narrow GBK text painted by the wizard itself: bytes below 0x80 with the context's
   current font, every double-byte character as a 16 x 16 cell of the glyph atlas, so
   that Chinese reads correctly on a system without a Chinese font. */
#ifndef TOVRA_GLYPH_TEXT_H
#define TOVRA_GLYPH_TEXT_H

#include <windows.h>

/* The atlas: four monochrome bitmaps of 512 x 944 pixels, 16 x 16 cells, 32 across and
   59 down, bit 0 ink and bit 1 paper. */
enum {
    kAtlasBitmapCount = 4,
    kAtlasWidth = 512,
    kAtlasHeight = 944,
    kAtlasBitmapBytes = kAtlasWidth / 8 * kAtlasHeight,
    kGlyphSize = 16,
    kSampleTextUnits = 300,
};

/* Where a double-byte code's glyph lies in the atlas. */
struct GlyphCell {
    int bitmap;
    int x;
    int y;
};

/* Makes the four bitmaps and their memory contexts from the atlas's bits, the four
   bitmaps one after the other. 1 on success; on failure 0, with whatever was made left
   for ReleaseGlyphAtlas. */
int MakeGlyphAtlas(const void *atlas, unsigned long length);

/* Frees the atlas contexts and bitmaps and then the sample font; safe after a partial load. */
void ReleaseGlyphAtlas(void);

/* Cell index of a double-byte code (lead byte x 256 + trail byte); every 16-bit value,
   valid GBK or not, gives a cell inside the atlas. */
unsigned GlyphCellIndex(unsigned code);
GlyphCell LocateGlyphCell(unsigned code);

/* Draws text with the top left of its first glyph cell at (x, y); highlight combines the
   glyphs with the destination by OR (a selected item), otherwise by AND. The extent's
   height is always 16. Leaves the context's background mode as it found it. */
SIZE DrawGlyphText(HDC dc, int x, int y, const char *text, int highlight);

/* The extent DrawGlyphText would advance by, drawing nothing. */
SIZE MeasureGlyphText(HDC dc, const char *text);

/* Draws GBK text with the sample font through the system's own text output; nothing
   without a sample font. The one text the wizard does not take from the atlas. */
void DrawSampleText(HDC dc, int x, int y, const char *text);

#endif
