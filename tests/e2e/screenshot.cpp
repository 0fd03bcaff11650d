#include "screenshot.h"

#include <zlib.h>

#include <vector>

#include "support/file_reading.h"
#include "support/screen_capture.h"

namespace {

typedef std::vector<unsigned char> Bytes;

void PutBigEndian(Bytes *out, unsigned long value)
{
    for (int shift = 24; shift >= 0; shift -= 8)
        out->push_back(static_cast<unsigned char>(value >> shift));
}

// A chunk: length, type, data, and the CRC of type and data.
void PutChunk(Bytes *out, const char *type, const Bytes &data)
{
    PutBigEndian(out, static_cast<unsigned long>(data.size()));
    size_t start = out->size();
    out->insert(out->end(), type, type + 4);
    out->insert(out->end(), data.begin(), data.end());
    PutBigEndian(out, crc32(0, out->data() + start, static_cast<uInt>(out->size() - start)));
}

// Rows of the area, top row first, each behind its filter byte, three bytes a pixel;
// empty when the screen can't be read.
Bytes ReadScreenRows(const RECT &area, int width, int height)
{
    HDC screen = GetDC(nullptr);
    std::vector<DWORD> pixels = CapturePixels(screen, area.left, area.top, width, height);
    ReleaseDC(nullptr, screen);
    Bytes rows;
    if (pixels.empty())
        return rows;
    rows.reserve(static_cast<size_t>(height) * (3 * width + 1));
    const DWORD *pixel = pixels.data();
    for (int y = 0; y < height; ++y) {
        rows.push_back(0); // no filter
        for (int x = 0; x < width; ++x, ++pixel) {
            rows.push_back(static_cast<unsigned char>(*pixel >> 16));
            rows.push_back(static_cast<unsigned char>(*pixel >> 8));
            rows.push_back(static_cast<unsigned char>(*pixel));
        }
    }
    return rows;
}

} // namespace

bool SaveScreenArea(const RECT &area, const std::string &path)
{
    int width = area.right - area.left, height = area.bottom - area.top;
    if (width <= 0 || height <= 0)
        return false;
    Bytes rows = ReadScreenRows(area, width, height);
    if (rows.empty())
        return false;
    uLongf packedLength = compressBound(static_cast<uLong>(rows.size()));
    Bytes packed(packedLength);
    if (compress2(packed.data(), &packedLength, rows.data(), static_cast<uLong>(rows.size()), 9) != Z_OK)
        return false;
    packed.resize(packedLength);

    Bytes header;
    PutBigEndian(&header, width);
    PutBigEndian(&header, height);
    header.insert(header.end(), {8, 2, 0, 0, 0}); // 8 bits a sample, RGB, deflate, no filter, no interlace
    static const unsigned char kSignature[] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    Bytes file(kSignature, kSignature + sizeof kSignature);
    PutChunk(&file, "IHDR", header);
    PutChunk(&file, "IDAT", packed);
    PutChunk(&file, "IEND", Bytes());

    return WriteWholeFile(path, std::string(file.begin(), file.end()));
}
