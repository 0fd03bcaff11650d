/* The product's entry in the system's list of installed apps: the key the system reads
   its name, icon, version, publisher, size and uninstall command from. */
#ifndef TOVRA_UNINSTALL_ENTRY_H
#define TOVRA_UNINSTALL_ENTRY_H

#define TOVRA_INSTALLED_APPS_KEY "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall"
#define TOVRA_UNINSTALL_KEY TOVRA_INSTALLED_APPS_KEY "\\Tovra Smart Editor"

/* Whom an install is for (InstallScope): every user when the machine's list of installed
   apps can take the entry, else this user. Asked of the list's own key, so nothing is
   made or left. */
int DecideInstallScope();

/* Writes the entry for the install folder, and notes its key in the install record: for
   every user (gInstallScope) under HKEY_LOCAL_MACHINE, or under HKEY_CURRENT_USER should
   that fail after all; for this user under HKEY_CURRENT_USER. kilobytes is what the
   install wrote. 1 or 0. */
int WriteUninstallEntry(unsigned long kilobytes);

#endif
