// Host-side generator of the glyph atlas from GNU Unifont's unifont.hex.
//
//   make-atlas UNIFONT_HEX OUT
//
// Layout: four 512 x 944 one-bit bitmaps, 64 bytes a row, top row first, leftmost pixel
// in the top bit, bit 0 ink and 1 paper; 16 x 16 cells, 32 across and 59 down each, cell n
// in bitmap (16 * (n / 32)) / 944. Cells: GB2312 rows 1-5, the row-9 box-drawing pieces
// where the program looks up row 6, row 7, the hanzi rows 16-87, then 0xE946 and 0xA9A4.
#include <iconv.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "install/payload_limits.h"

namespace {

const int kBitmapBytes = 60416;
const int kRowBytes = 64;
const int kBitmapRows = 944;

typedef std::map<unsigned, std::string> Glyphs; // code point -> hex bitmap

bool LoadUnifont(const char *path, Glyphs *glyphs)
{
    FILE *file = std::fopen(path, "r");
    if (!file)
        return false;
    char line[512];
    while (std::fgets(line, sizeof line, file)) {
        char *colon = std::strchr(line, ':');
        if (!colon)
            continue;
        *colon = '\0';
        std::string bits(colon + 1);
        while (!bits.empty() && (bits.back() == '\n' || bits.back() == '\r'))
            bits.pop_back();
        (*glyphs)[std::strtoul(line, nullptr, 16)] = bits;
    }
    std::fclose(file);
    return true;
}

// Code point of a double-byte GBK code, or 0 where the code is not assigned.
unsigned CodePointOf(iconv_t converter, unsigned code)
{
    char in[2] = {char(code >> 8), char(code & 0xFF)};
    unsigned char out[4];
    char *inPointer = in, *outPointer = reinterpret_cast<char *>(out);
    size_t inLeft = 2, outLeft = 4;
    iconv(converter, nullptr, nullptr, nullptr, nullptr);
    if (iconv(converter, &inPointer, &inLeft, &outPointer, &outLeft) == size_t(-1) || outLeft != 0)
        return 0;
    return out[0] | out[1] << 8 | out[2] << 16 | unsigned(out[3]) << 24;
}

// Paints one glyph into cell n: 16 x 16 glyphs as they are, 8 x 16 ones centred.
void PaintCell(std::vector<unsigned char> *atlas, int n, const std::string &bits)
{
    int wide = bits.size() == 64;
    if (!wide && bits.size() != 32)
        return;
    int top = 16 * (n / 32);
    int bitmap = top / kBitmapRows;
    int y = top % kBitmapRows;
    int x = 16 * (n % 32);
    for (int row = 0; row < 16; ++row) {
        unsigned ink;
        if (wide)
            ink = std::strtoul(bits.substr(row * 4, 4).c_str(), nullptr, 16);
        else
            ink = std::strtoul(bits.substr(row * 2, 2).c_str(), nullptr, 16) << 4;
        size_t at = size_t(bitmap) * kBitmapBytes + size_t(y + row) * kRowBytes + x / 8;
        (*atlas)[at] = static_cast<unsigned char>(~(ink >> 8));
        (*atlas)[at + 1] = static_cast<unsigned char>(~ink);
    }
}

void PaintCode(std::vector<unsigned char> *atlas, int n, unsigned code, iconv_t converter, const Glyphs &glyphs)
{
    unsigned codePoint = CodePointOf(converter, code);
    if (!codePoint)
        return;
    Glyphs::const_iterator glyph = glyphs.find(codePoint);
    if (glyph != glyphs.end())
        PaintCell(atlas, n, glyph->second);
}

// Paints the 94 codes of one GB2312 row, lead byte `lead`, from cell `first` on.
void PaintRow(std::vector<unsigned char> *atlas, int first, unsigned lead, iconv_t converter, const Glyphs &glyphs)
{
    for (unsigned trail = 0xA1; trail <= 0xFE; ++trail)
        PaintCode(atlas, first + int(trail - 0xA1), lead << 8 | trail, converter, glyphs);
}

} // namespace

int main(int argc, char **argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: make-atlas UNIFONT_HEX OUT\n");
        return 2;
    }
    Glyphs glyphs;
    if (!LoadUnifont(argv[1], &glyphs)) {
        std::fprintf(stderr, "make-atlas: cannot read %s\n", argv[1]);
        return 1;
    }
    iconv_t converter = iconv_open("UTF-32LE", "GBK");
    if (converter == iconv_t(-1)) {
        std::fprintf(stderr, "make-atlas: no GBK converter\n");
        return 1;
    }

    std::vector<unsigned char> atlas(TOVRA_ATLAS_BYTES, 0xFF); // all paper
    for (unsigned lead = 0xA1; lead <= 0xA5; ++lead)
        PaintRow(&atlas, 94 * int(lead - 0xA1), lead, converter, glyphs);
    PaintRow(&atlas, 470, 0xA9, converter, glyphs); // where the lookup sends row 6
    PaintRow(&atlas, 564, 0xA7, converter, glyphs);
    for (unsigned lead = 0xB0; lead <= 0xF7; ++lead)
        PaintRow(&atlas, 658 + 94 * int(lead - 0xB0), lead, converter, glyphs);
    PaintCode(&atlas, 7456, 0xE946, converter, glyphs);
    PaintCode(&atlas, 7457, 0xA9A4, converter, glyphs);
    iconv_close(converter);

    FILE *out = std::fopen(argv[2], "wb");
    bool ok = out && std::fwrite(atlas.data(), 1, atlas.size(), out) == atlas.size();
    if (out)
        ok = std::fclose(out) == 0 && ok;
    if (!ok) {
        std::fprintf(stderr, "make-atlas: cannot write %s\n", argv[2]);
        return 1;
    }
    return 0;
}
