/* Files that only this program made and that nobody can change until it lets them go:
   the speech-module package and the uninstaller's copy, both started from the user's
   temporary folder, which every program of the user can write. The paths are wide: the
   system may put the temporary folder under a profile whose name its code page can't
   spell. */
#ifndef TOVRA_PRIVATE_FOLDER_H
#define TOVRA_PRIVATE_FOLDER_H

#include <windows.h>

/* The temporary folder, ending in a backslash, into a buffer of kPathBytes units; 0 when
   the system names none that fits. Without one nothing is written: a file never goes
   into a drive's root instead. */
int FindTemporaryFolder(WCHAR *folder);

/* Makes a new folder inside parent (which ends in a backslash), its name prefix and
   characters nobody can know in advance, and puts its path into a buffer of kPathBytes
   units. 0 when none could be made. */
int MakePrivateFolder(const WCHAR *parent, const WCHAR *prefix, WCHAR *folder);

/* Writes data as a new file at path and keeps it: the handle returned reads only and
   shares reading only, so while it is open nobody can write, replace or delete the file.
   INVALID_HANDLE_VALUE when the file exists already, can't be written, or no longer holds
   exactly data when it is opened again. */
HANDLE WriteAndKeepFile(const WCHAR *path, const void *data, DWORD length);

/* The second half of WriteAndKeepFile: keeps the file at path if it holds exactly data,
   else INVALID_HANDLE_VALUE. */
HANDLE KeepWrittenFile(const WCHAR *path, const void *data, DWORD length);

/* MakePrivateFolder in parent, then WriteAndKeepFile of data as name in it; the path of
   the file into path (kPathBytes units). On any failure INVALID_HANDLE_VALUE, and the
   file and the folder taken away again (a file another program moved aside stays, and
   with it the folder). */
HANDLE KeepPrivateFile(const WCHAR *parent, const WCHAR *prefix, const WCHAR *name, const void *data, DWORD length,
                       WCHAR *path);

#endif
