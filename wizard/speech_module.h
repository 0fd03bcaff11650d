/* The speech-module package that the wizard offers after a successful install: written
   into a folder of its own inside the temporary folder and opened with the shell. */
#ifndef TOVRA_SPEECH_MODULE_H
#define TOVRA_SPEECH_MODULE_H

#include <windows.h>

/* The temporary folder, ending in a backslash, into a buffer of kPathBytes; 0 when the
   system names none that fits. Without one the module is not offered at all: its package
   never goes into a drive's root instead. */
int FindTemporaryFolder(char *folder);

/* Makes a new folder inside parent (which ends in a backslash) with a name nobody can
   know in advance, and puts its path into a buffer of kPathBytes. 0 when none could be
   made. */
int MakePrivateFolder(const char *parent, char *folder);

/* Writes data as a new file at path and keeps it: the handle returned reads only and
   shares reading only, so while it is open nobody can write, replace or delete the file.
   INVALID_HANDLE_VALUE when the file exists already, can't be written, or no longer holds
   exactly data when it is opened again. */
HANDLE WriteAndKeepFile(const char *path, const void *data, DWORD length);

/* The second half of WriteAndKeepFile: keeps the file at path if it holds exactly data,
   else INVALID_HANDLE_VALUE. */
HANDLE KeepWrittenFile(const char *path, const void *data, DWORD length);

/* Writes payload 1029 into a private folder inside temporary and opens it with the
   shell; the package stays unchangeable until the installer has started. Nothing is
   reported but a lack of memory. */
void OfferSpeechModule(const char *temporary);

#endif
