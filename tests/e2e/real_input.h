// Keys and mouse clicks that reach the program through the system's input queue, as a
// user's do: the program's own main loop fetches them, routes Enter and hands Tab and
// Space to the dialog manager. Keys go to the foreground window, so a caller brings the
// window to the front first; a click goes to whatever window lies under the point.
// Under Wine the suite runs in a virtual desktop, where Wine alone decides which window
// is in front (tools/test-prefix.reg).
#ifndef TOVRA_REAL_INPUT_H
#define TOVRA_REAL_INPUT_H

#include <windows.h>

// Makes window the foreground window; false when the system does not let it.
bool BringToFront(HWND window);

void PressKey(WORD key);
void PressKeyWith(WORD modifier, WORD key);

// Types text character by character (each a key press of that character).
void TypeText(const wchar_t *text);

// Puts text on the clipboard and presses Ctrl+V: the way a user enters a name that the
// keyboard layout cannot type.
bool PasteText(const wchar_t *text);

// The pointer and its left button; false when the input could not be sent. Under Wine
// they go through the display (see real_input.cpp).
bool MoveMouseTo(POINT screen);
bool ClickAt(POINT screen);
// A left click in the middle of window.
bool ClickWindow(HWND window);

#endif
