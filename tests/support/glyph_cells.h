// The glyph atlas as the tests read it themselves, from the inflated payload, to compare
// with what the product paints.
#ifndef TOVRA_GLYPH_CELLS_H
#define TOVRA_GLYPH_CELLS_H

#include <vector>

#include "display/glyph_text.h"

// Ink of pixel (x, y) of cell in the inflated atlas: bit 0 is ink.
bool CellInk(const std::vector<unsigned char> &atlas, GlyphCell cell, int x, int y);

#endif
