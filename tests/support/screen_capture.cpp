#include "support/screen_capture.h"

PixelSurface::PixelSurface(HDC compatible, int across, int down) : width(across), height(down)
{
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = across;
    info.bmiHeader.biHeight = -down; // top row first
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void *bits = nullptr;
    dc = CreateCompatibleDC(compatible);
    bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!bitmap)
        return;
    pixels = static_cast<DWORD *>(bits);
    previous = SelectObject(dc, bitmap);
}

PixelSurface::~PixelSurface()
{
    if (bitmap) {
        SelectObject(dc, previous);
        DeleteObject(bitmap);
    }
    DeleteDC(dc);
}

std::vector<DWORD> CapturePixels(HDC source, int x, int y, int width, int height)
{
    std::vector<DWORD> pixels;
    if (width <= 0 || height <= 0)
        return pixels;
    PixelSurface copy(source, width, height);
    if (!copy.pixels || !BitBlt(copy.dc, 0, 0, width, height, source, x, y, SRCCOPY))
        return pixels;
    // The bitmap's fourth byte is undefined after a copy from a device.
    GdiFlush();
    pixels.assign(copy.pixels, copy.pixels + width * height);
    for (DWORD &pixel : pixels)
        pixel &= 0xFFFFFF;
    return pixels;
}
