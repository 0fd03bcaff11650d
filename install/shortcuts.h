/* The Start-menu program group, desktop shortcuts and the shell folders they live in. The
   shell folders are taken wide: the system may put them under a profile whose name its
   code page can't spell. An install for every user (gInstallScope) puts its links in the
   common folders, one for this user in the user's own. */
#ifndef TOVRA_SHORTCUTS_H
#define TOVRA_SHORTCUTS_H

#include <windows.h>

enum FolderKind {
    kDesktopFolder = 0,          /* CSIDL_DESKTOP */
    kProgramsFolder = 2,         /* CSIDL_PROGRAMS */
    kCommonProgramsFolder = 23,  /* CSIDL_COMMON_PROGRAMS */
    kCommonDesktopFolder = 25,   /* CSIDL_COMMON_DESKTOPDIRECTORY */
};

/* Where a link of the install goes. */
enum LinkPlace { kProgramsPlace = 0, kDesktopPlace = 1 };

/* One shortcut of a program group; a list ends with an entry of null names. */
struct ShortcutEntry {
    const char *shortcutName;   /* link file base name and description */
    const char *fileName;       /* target in the install folder */
};

/* The folder of kind into path (kPathBytes units); 1 or 0. */
int ShellFolderLookup(WCHAR *path, int folderKind);

/* The folder of place for an install of scope into path (kPathBytes units): the common
   folder for every user, the user's own for this user, and the user's own also where the
   system has no common folder (every user of it shares the one profile). 1 or 0. */
int LinkFolderLookup(WCHAR *path, int place, int scope);

/* A shell link at linkPath to target, with its icon and working folder, noted for the
   install record; 1 or 0. The narrow form takes text in the system's code page. */
int MakeShortcutW(const WCHAR *target, const WCHAR *linkPath, const WCHAR *description);
int MakeShortcut(const char *target, const char *linkPath, const char *description);

/* The target of the shell link at linkPath as the system's code page spells it, into
   target (kPathBytes); 0, target empty, when it can't be read or spelled: a target the
   code page can't spell lies in no install folder, which is text in that code page. COM
   is the caller's. */
int ReadLinkTarget(const WCHAR *linkPath, char *target);

/* A desktop shortcut to a file of the install folder; failures are silent. */
void MakeDesktopShortcut(const char *executableFileName, const char *shortcutName);

/* The group folder under Programs with a shortcut for each entry of the list. Shows its
   own messages; 1 when the last shortcut of the list was saved. */
int MakeProgramGroup(const char *groupName, const ShortcutEntry *shortcuts);

/* Links an earlier install of the install folder made for the other scope, as its record
   lists them, while they still lead into the install folder: a reinstall for every user
   over one for this user (or the other way round) leaves one set. The group folder they
   leave empty goes too. The number of links taken back. */
int TakeBackOtherScopeLinks();

#endif
