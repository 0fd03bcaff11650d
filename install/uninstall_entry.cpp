#include "install/uninstall_entry.h"

#include <windows.h>

#include <stdio.h>
#include <string.h>

#include "foundation/path_text.h"
#include "install/manifest.h"
#include "install/payload.h"
#include "wizard/made_items.h"
#include "wizard/wizard_state.h"

#ifndef TOVRA_PRODUCT_VERSION
#define TOVRA_PRODUCT_VERSION "0.0.0"
#endif
#ifndef TOVRA_PUBLISHER
#define TOVRA_PUBLISHER ""
#endif

static int SetText(HKEY key, const char *name, const char *text)
{
    return RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE *>(text), DWORD(strlen(text) + 1)) ==
           ERROR_SUCCESS;
}

static int SetNumber(HKEY key, const char *name, DWORD number)
{
    return RegSetValueExA(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE *>(&number), sizeof number) ==
           ERROR_SUCCESS;
}

/* The uninstaller's command: its path in quotes, as the system runs it. */
static int UninstallCommand(char *command)
{
    char path[kPathBytes];
    if (!JoinPath(path, gInstallFolder, ProductName(kInstalledProduct, kUninstallerFile, 0)))
        return 0;
    return snprintf(command, kPathBytes + 2, "\"%s\"", path) < kPathBytes + 2;
}

static int SetEntryValues(HKEY key, unsigned long kilobytes)
{
    char icon[kPathBytes], command[kPathBytes + 2], quiet[kPathBytes + 10];
    if (!JoinPath(icon, gInstallFolder, ProductName(kInstalledProduct, kExecutableFile, 0)) ||
        !UninstallCommand(command))
        return 0;
    snprintf(quiet, sizeof quiet, "%s /quiet", command);
    return SetText(key, "DisplayName", ProductName(kInstalledProduct, kShortcutName, gSystemChineseVariant)) &&
           SetText(key, "DisplayIcon", icon) && SetText(key, "DisplayVersion", TOVRA_PRODUCT_VERSION) &&
           SetText(key, "Publisher", TOVRA_PUBLISHER) && SetText(key, "InstallLocation", gInstallFolder) &&
           SetNumber(key, "EstimatedSize", DWORD(kilobytes)) && SetNumber(key, "NoModify", 1) &&
           SetNumber(key, "NoRepair", 1) && SetText(key, "UninstallString", command) &&
           SetText(key, "QuietUninstallString", quiet);
}

static int WriteEntryUnder(HKEY root, unsigned long kilobytes)
{
    HKEY key;
    if (RegCreateKeyExA(root, TOVRA_UNINSTALL_KEY, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr) !=
        ERROR_SUCCESS)
        return 0;
    int written = SetEntryValues(key, kilobytes);
    RegCloseKey(key);
    if (!written)
        RegDeleteKeyA(root, TOVRA_UNINSTALL_KEY);
    return written;
}

/* Writing the entry makes a key in the list; opening the list for that right asks the
   same of the system and makes nothing. */
int DecideInstallScope()
{
    HKEY list;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, TOVRA_INSTALLED_APPS_KEY, 0, KEY_CREATE_SUB_KEY, &list) != ERROR_SUCCESS)
        return kForThisUser;
    RegCloseKey(list);
    return kForEveryUser;
}

/* The entry an earlier install of the same folder wrote under the other root: the list
   shows both roots' entries, and one install is one entry. */
static void TakeBackEntryUnder(HKEY root)
{
    HKEY key;
    if (RegOpenKeyExA(root, TOVRA_UNINSTALL_KEY, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
        return;
    char location[kPathBytes];
    DWORD size = sizeof location - 1, type = 0;
    int ours = RegQueryValueExA(key, "InstallLocation", nullptr, &type, reinterpret_cast<BYTE *>(location),
                                &size) == ERROR_SUCCESS &&
               type == REG_SZ;
    RegCloseKey(key);
    location[ours ? size : 0] = '\0';
    if (ours && lstrcmpiA(location, gInstallFolder) == 0)
        RegDeleteKeyA(root, TOVRA_UNINSTALL_KEY);
}

static int WriteEntryInPlaceOf(HKEY root, const char *rootName, HKEY other, unsigned long kilobytes)
{
    if (!WriteEntryUnder(root, kilobytes))
        return 0;
    TakeBackEntryUnder(other);
    return NoteRegistryKey(rootName, TOVRA_UNINSTALL_KEY);
}

int WriteUninstallEntry(unsigned long kilobytes)
{
    return (gInstallScope == kForEveryUser &&
            WriteEntryInPlaceOf(HKEY_LOCAL_MACHINE, "HKLM", HKEY_CURRENT_USER, kilobytes)) ||
           WriteEntryInPlaceOf(HKEY_CURRENT_USER, "HKCU", HKEY_LOCAL_MACHINE, kilobytes);
}
