/* The product's entry in the system's list of installed apps: the key the system reads
   its name, icon, version, publisher, size and uninstall command from. */
#ifndef TOVRA_UNINSTALL_ENTRY_H
#define TOVRA_UNINSTALL_ENTRY_H

#define TOVRA_UNINSTALL_KEY "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Tovra Smart Editor"

/* Writes the entry for the install folder under HKEY_LOCAL_MACHINE, or under
   HKEY_CURRENT_USER when the machine's key can't be written, and notes the key in the
   install record. kilobytes is what the install wrote. 1 or 0. */
int WriteUninstallEntry(unsigned long kilobytes);

#endif
