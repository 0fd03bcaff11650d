/* Room on the install folder's drive, asked before an install writes anything. */
#ifndef TOVRA_DISK_SPACE_H
#define TOVRA_DISK_SPACE_H

#include <windows.h>

/* Room for what the install writes beside the manifest files: the settings file's new
   copy, the folder's own entries. */
enum : unsigned long { kRoomBesideFiles = 1048576 };

/* Bytes an install writes into its folder: every manifest row at its inflated size rounded
   up to whole clusters, and kRoomBesideFiles. The old files it replaces are kept until its
   verdict, so they make no room. 0 when the payload index can't be read. */
unsigned long long InstallBytesNeeded(unsigned long clusterBytes);

/* The bytes this user may still write on folder's drive, and the drive's cluster size;
   0 when the system can't tell. */
int FreeSpaceOf(const char *folder, unsigned long long *freeBytes, unsigned long *clusterBytes);

/* 1 when an install fits the drive of the install folder, or its room can't be read.
   Otherwise the user is told how many megabytes it needs and how many are free, and 0.
   What a stopped run left there is cleared first: it is no part of the user's files. */
int HasRoomToInstall(HWND owner);

#endif
