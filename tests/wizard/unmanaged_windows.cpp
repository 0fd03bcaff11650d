// The test display has no window manager, and Wine waits two seconds for one each time a
// managed top-level window is hidden or destroyed: every wizard and message dialog a test
// closes would cost that. Before Wine's display driver loads (it loads with the first
// window), this executable's windows are made unmanaged, in the disposable test prefix.
#include <windows.h>

#include <string.h>

namespace {

bool RunningUnderWine()
{
    HMODULE ntdll = GetModuleHandleA("ntdll.dll");
    return ntdll && GetProcAddress(ntdll, "wine_get_version");
}

struct UnmanagedWindows {
    UnmanagedWindows()
    {
        if (!RunningUnderWine())
            return;
        char path[MAX_PATH];
        if (!GetModuleFileNameA(nullptr, path, MAX_PATH))
            return;
        const char *name = strrchr(path, '\\') ? strrchr(path, '\\') + 1 : path;
        char key[MAX_PATH + 64];
        lstrcpyA(key, "Software\\Wine\\AppDefaults\\");
        lstrcatA(key, name);
        lstrcatA(key, "\\X11 Driver");
        HKEY options;
        if (RegCreateKeyExA(HKEY_CURRENT_USER, key, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &options, nullptr) != 0)
            return;
        RegSetValueExA(options, "Managed", 0, REG_SZ, reinterpret_cast<const BYTE *>("N"), 2);
        RegCloseKey(options);
    }
} gUnmanagedWindows;

} // namespace
