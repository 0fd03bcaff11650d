// The product's entry in the installed-apps list, read back through the registry API for
// the suites that check it.
#ifndef TOVRA_INSTALLED_APPS_ENTRY_H
#define TOVRA_INSTALLED_APPS_ENTRY_H

#include <string>

#include "install/uninstall_entry.h"
#include "support/registry_reading.h"

// A text value of the entry under HKEY_LOCAL_MACHINE; kMissingValue, or kNotText.
inline std::string InstalledAppsText(const char *name)
{
    return RegistryText(HKEY_LOCAL_MACHINE, TOVRA_UNINSTALL_KEY, name);
}

// A number of the entry; kNoNumber when it is missing or no number.
inline DWORD InstalledAppsNumber(const char *name)
{
    return RegistryNumber(HKEY_LOCAL_MACHINE, TOVRA_UNINSTALL_KEY, name);
}

#endif
