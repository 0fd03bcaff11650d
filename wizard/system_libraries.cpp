#include "wizard/system_libraries.h"

#include <commctrl.h>
#include <string.h>

#include "wizard/wizard_state.h"

typedef BOOL(WINAPI *SetDefaultDllDirectoriesProcedure)(DWORD directoryFlags);
typedef BOOL(WINAPI *InitCommonControlsExProcedure)(const INITCOMMONCONTROLSEX *controls);

/* DLLs that the system's own DLLs load by name while the wizard runs: themes, the desktop
   compositor, version resources, sounds, accessibility, property stores, user profiles,
   device set-up, the compatibility shims, cryptography and security. Loading them first
   from the system folder means a later load by name gets the one already loaded. That is
   the only defence where the search can't be restricted (before Windows 7 with its
   update, and on Vista), and it also holds where a system DLL's deferred imports are
   resolved past the restriction (Wine's loader does that). A name this system lacks is
   simply not loaded. */
static const char *const kPreloadedLibraries[kPreloadedLibraryCount] = {
    "uxtheme.dll", "dwmapi.dll", "version.dll", "winmm.dll", "msimg32.dll",
    "oleacc.dll", "propsys.dll", "userenv.dll", "profapi.dll", "setupapi.dll",
    "apphelp.dll", "cryptbase.dll", "cryptsp.dll", "sspicli.dll", "ntmarta.dll",
};

/* Vista itself: other installers found that there the restriction breaks creating the
   shell link object, which the install needs for its shortcuts. */
static int IsVista(void)
{
    OSVERSIONINFOA version = {};
    version.dwOSVersionInfoSize = sizeof version;
    return GetVersionExA(&version) && version.dwPlatformId == VER_PLATFORM_WIN32_NT &&
           version.dwMajorVersion == 6 && version.dwMinorVersion == 0;
}

/* SetDefaultDllDirectories is looked up, not imported: the product also runs on systems
   without it (before Windows 7 with its update), which would refuse to start it. */
void RestrictDllSearch(void)
{
    SetDefaultDllDirectoriesProcedure restrict = SystemProcedure<SetDefaultDllDirectoriesProcedure>(
        GetModuleHandleA("kernel32.dll"), "SetDefaultDllDirectories");
    if (restrict && !IsVista())
        restrict(LOAD_LIBRARY_SEARCH_SYSTEM32);
}

/* LOAD_WITH_ALTERED_SEARCH_PATH: the DLL's own dependencies are looked for beside it, in
   the system folder, first; also where the search could not be restricted. */
HMODULE LoadSystemLibrary(const char *name)
{
    char path[kPathBytes];
    UINT length = GetSystemDirectoryA(path, kPathBytes);
    if (length == 0 || length + 1 + strlen(name) >= size_t(kPathBytes))
        return nullptr;
    strcat(path, "\\");
    strcat(path, name);
    return LoadLibraryExA(path, nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
}

/* The progress bar of the install run lives in the wizard's template: its class must
   exist before the dialog is made. */
static void RegisterProgressBarClass(HMODULE commonControls)
{
    InitCommonControlsExProcedure initialise =
        SystemProcedure<InitCommonControlsExProcedure>(commonControls, "InitCommonControlsEx");
    INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_PROGRESS_CLASS};
    if (initialise)
        initialise(&controls);
}

void LoadSystemLibraries(SystemLibraries *libraries)
{
    for (int i = 0; i < kPreloadedLibraryCount; ++i)
        libraries->preloaded[i] = LoadSystemLibrary(kPreloadedLibraries[i]);
    libraries->commonControls = LoadSystemLibrary("comctl32.dll");
    RegisterProgressBarClass(libraries->commonControls);
    libraries->commonDialogs = LoadSystemLibrary("comdlg32.dll");
}

void ReleaseSystemLibraries(SystemLibraries *libraries)
{
    if (libraries->commonDialogs)
        FreeLibrary(libraries->commonDialogs);
    if (libraries->commonControls)
        FreeLibrary(libraries->commonControls);
    for (int i = kPreloadedLibraryCount - 1; i >= 0; --i)
        if (libraries->preloaded[i])
            FreeLibrary(libraries->preloaded[i]);
    memset(libraries, 0, sizeof *libraries);
}
