// Top-level windows found as any program may find them: those of another process by
// visibility, caption, class or a control they hold; those of a thread by caption.
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

// The first top-level window of thread with this caption, shown or not yet; or null. A
// dialog that a modal loop runs is found from a timer of that loop.
HWND FindThreadWindow(DWORD thread, const char *caption);

// The caption of a window, or the text of a control of this process.
std::string WindowText(HWND window);
// The same read through the wide entry points and spelt in GBK, the code page of the
// program's own texts, whatever the system's: how a control named by the program reads
// as the bytes it was named with.
std::string ProductText(HWND window);

#endif
