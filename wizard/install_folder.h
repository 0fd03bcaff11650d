/* The install folder as the user typed it: made a full path, refused when Windows would
   make another folder than the one named, asked about when it already holds somebody's
   files, and made when it is new. */
#ifndef TOVRA_INSTALL_FOLDER_H
#define TOVRA_INSTALL_FOLDER_H

#include <windows.h>

enum FolderOutcome {
    kFolderRefused = 0,    /* not a folder to install into: the folder message is due */
    kFolderReady = 1,      /* in the install folder, which exists */
    kFolderDeclined = 2,   /* the user answered No to installing among the folder's files */
};

/* Takes typed as the install folder: its full path goes into the install folder of the
   wizard state. An existing folder becomes the process's current folder, a new one is
   made with a "doc" subfolder. The question about a folder with files is owned by
   dialog. */
int PrepareInstallFolder(HWND dialog, const char *typed);

/* A folder PrepareInstallFolder made goes again when no install stays in it: its "doc"
   subfolder and itself, each only when empty. */
void RemoveMadeFolder(const char *folder);

/* An existing folder, not a file. */
int IsExistingFolder(const char *folder);

/* The English line of that question, naming folder; its front gives way to "..." when
   the line would not fit the message's second text. */
void FormatFolderQuestion(char *english, int capacity, const char *folder);

#endif
