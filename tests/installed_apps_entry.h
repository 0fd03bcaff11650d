// The product's entry in the installed-apps list, read back through the registry API for
// the suites that check it.
#ifndef TOVRA_INSTALLED_APPS_ENTRY_H
#define TOVRA_INSTALLED_APPS_ENTRY_H

#include <windows.h>

#include <string>

#include "install/uninstall_entry.h"

// A text value of the entry under HKEY_LOCAL_MACHINE; "(missing)", or "(not text)".
inline std::string InstalledAppsText(const char *name)
{
    char text[1024] = "";
    DWORD size = sizeof text, type = 0;
    if (RegGetValueA(HKEY_LOCAL_MACHINE, TOVRA_UNINSTALL_KEY, name, RRF_RT_ANY, &type, text, &size) != ERROR_SUCCESS)
        return "(missing)";
    return type == REG_SZ ? std::string(text) : "(not text)";
}

// A number of the entry; 0xFFFFFFFF when it is missing or no number.
inline DWORD InstalledAppsNumber(const char *name)
{
    DWORD number = 0, size = sizeof number;
    if (RegGetValueA(HKEY_LOCAL_MACHINE, TOVRA_UNINSTALL_KEY, name, RRF_RT_REG_DWORD, nullptr, &number, &size) !=
        ERROR_SUCCESS)
        return 0xFFFFFFFF;
    return number;
}

#endif
