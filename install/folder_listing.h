/* One look at the install folder instead of one per name: which of the files the install
   run asks about are there, with their attributes. Under Wine every look-up of a missing
   name reads the whole folder to match it without regard to case, so a fresh install
   asked name by name read its folder some two hundred times. */
#ifndef TOVRA_FOLDER_LISTING_H
#define TOVRA_FOLDER_LISTING_H

#include <windows.h>

/* Only names shorter than this are kept: no file the install asks about has a longer one. */
enum { kListingEntries = 512, kListingNameBytes = 40 };

struct ListedFile {
    char name[kListingNameBytes];
    DWORD attributes;
};

struct FolderListing {
    int count;
    int complete;       /* 0 when the folder had more names than there is room for */
    ListedFile files[kListingEntries];
};

void ListFolder(const char *folder, FolderListing *listing);

/* The attributes of name in folder, INVALID_FILE_ATTRIBUTES when it is not there; asked of
   the system itself when the listing is not complete. */
DWORD ListedAttributes(const FolderListing *listing, const char *folder, const char *name);

/* name as the folder spells it, which may differ in case; name itself when not listed. */
const char *ListedName(const FolderListing *listing, const char *name);

/* name is no longer there: the run has moved it away. */
void ForgetListed(FolderListing *listing, const char *name);

#endif
