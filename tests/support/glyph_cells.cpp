#include "support/glyph_cells.h"

bool CellInk(const std::vector<unsigned char> &atlas, GlyphCell cell, int x, int y)
{
    size_t at = static_cast<size_t>(cell.bitmap) * kAtlasBitmapBytes + (cell.y + y) * (kAtlasWidth / 8) +
                (cell.x + x) / 8;
    return !(atlas[at] & (0x80 >> ((cell.x + x) % 8)));
}
