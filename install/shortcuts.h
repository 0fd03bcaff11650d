/* The Start-menu program group, desktop shortcuts and the shell folders they live in. */
#ifndef TOVRA_SHORTCUTS_H
#define TOVRA_SHORTCUTS_H

#include <windows.h>

enum FolderKind { kDesktopFolder = 0 /* CSIDL_DESKTOP */, kProgramsFolder = 2 /* CSIDL_PROGRAMS */ };

/* One shortcut of a program group; a list ends with an entry of null names. */
struct ShortcutEntry {
    const char *shortcutName;   /* link file base name and description */
    const char *fileName;       /* target in the install folder */
};

/* The Desktop or Programs folder into path (kPathBytes); 1 or 0. */
int ShellFolderLookup(char *path, int folderKind);

/* A shell link at linkPath to target, with its icon and working folder; 1 or 0. */
int MakeShortcut(const char *target, const char *linkPath, const char *description);

/* A desktop shortcut to a file of the install folder; failures are silent. */
void MakeDesktopShortcut(const char *executableFileName, const char *shortcutName);

/* The group folder under Programs with a shortcut for each entry of the list. Shows its
   own messages; 1 when the last shortcut of the list was saved. */
int MakeProgramGroup(const char *groupName, const ShortcutEntry *shortcuts);

#endif
