/* Which DLLs the program loads, and from where. It is started from wherever the user
   saved it, usually a download folder that any web page can drop files into, and Windows
   looks for a DLL named without a path in the program's own folder before the system
   folder. So the program imports only DLLs that Windows protects as known DLLs, and loads
   every other one from the system folder by its full path. */
#ifndef TOVRA_SYSTEM_LIBRARIES_H
#define TOVRA_SYSTEM_LIBRARIES_H

#include <windows.h>

/* The first thing the entry does: DLLs loaded by name come from the system folder only,
   where the system lets the program say so. */
void RestrictDllSearch(void);

enum { kPreloadedLibraryCount = 15 };

/* What start-up loads and releases again at the end. */
struct SystemLibraries {
    HMODULE commonControls;
    HMODULE commonDialogs;
    HMODULE preloaded[kPreloadedLibraryCount];
};

/* Loads the common controls (registering the progress bar's class), the common dialogs
   and the DLLs that the system's own DLLs load by name, each from the system folder.
   A library missing from this system stays null. */
void LoadSystemLibraries(SystemLibraries *libraries);
void ReleaseSystemLibraries(SystemLibraries *libraries);

/* A DLL of the system folder by its full path; null when it can't be loaded. */
HMODULE LoadSystemLibrary(const char *name);

/* GetProcAddress answers with a procedure of no particular type; the caller names the
   real one. Null when the module is null or lacks the name. */
template <typename Procedure>
Procedure SystemProcedure(HMODULE module, const char *name)
{
    FARPROC found = module ? GetProcAddress(module, name) : nullptr;
    return reinterpret_cast<Procedure>(reinterpret_cast<void (*)(void)>(found));
}

#endif
