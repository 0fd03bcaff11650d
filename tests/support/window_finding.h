// Top-level windows of another process found as any program may find them: by process,
// visibility, caption, class or a control they hold.
#ifndef TOVRA_WINDOW_FINDING_H
#define TOVRA_WINDOW_FINDING_H

#include <windows.h>

#include <string>
#include <vector>

// The shown top-level windows of process, topmost first.
std::vector<HWND> ShownWindowsOf(DWORD process);

// The first shown top-level window of process with this caption, or null.
HWND FindShownWindowOf(DWORD process, const char *caption);
// The same by window class, named in any case.
HWND FindShownWindowOfClass(DWORD process, const char *className);
// The same by a control with identifier id.
HWND FindShownDialogOf(DWORD process, int id);

// The caption of a window, or the text of a control of this process.
std::string WindowText(HWND window);

#endif
