// Pixels read back from GDI: a bitmap in memory whose pixels a test reads directly, and
// copies of what a window or the screen shows.
#ifndef TOVRA_SCREEN_CAPTURE_H
#define TOVRA_SCREEN_CAPTURE_H

#include <windows.h>

#include <vector>

// A 32-bit top-down bitmap selected into a memory context compatible with another (null:
// the screen). Each pixel reads 0x00RRGGBB once GdiFlush has returned; pixels is null when
// the bitmap could not be made.
struct PixelSurface {
    HDC dc = nullptr;
    HBITMAP bitmap = nullptr;
    HGDIOBJ previous = nullptr;
    DWORD *pixels = nullptr;
    int width = 0;
    int height = 0;

    PixelSurface(HDC compatible, int across, int down);
    ~PixelSurface();
    PixelSurface(const PixelSurface &) = delete;
    PixelSurface &operator=(const PixelSurface &) = delete;
};

// The pixels of the area at (x, y) of source, top row first, 0x00RRGGBB each; empty when
// the area can't be read.
std::vector<DWORD> CapturePixels(HDC source, int x, int y, int width, int height);

#endif
