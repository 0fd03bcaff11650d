// Pictures of the screen as PNG files, for the demonstration run.
#ifndef TOVRA_SCREENSHOT_H
#define TOVRA_SCREENSHOT_H

#include <windows.h>

#include <string>

// Saves the pixels of area (screen coordinates) as an RGB PNG file at path.
bool SaveScreenArea(const RECT &area, const std::string &path);

#endif
