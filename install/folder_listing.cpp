#include "install/folder_listing.h"

#include <string.h>

#include "foundation/path_text.h"
#include "install/payload.h"
#include "wizard/wizard_state.h"

void ListFolder(const char *folder, FolderListing *listing)
{
    listing->count = 0;
    listing->complete = 0;
    char pattern[kPathBytes];
    if (!JoinPath(pattern, folder, "*"))
        return;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA(pattern, &found);
    if (search == INVALID_HANDLE_VALUE) {
        listing->complete = GetLastError() == ERROR_FILE_NOT_FOUND;
        return;
    }
    listing->complete = 1;
    do {
        if (strlen(found.cFileName) >= size_t(kListingNameBytes))
            continue;
        if (listing->count == kListingEntries) {
            listing->complete = 0;
            break;
        }
        ListedFile &file = listing->files[listing->count++];
        strcpy(file.name, found.cFileName);
        file.attributes = found.dwFileAttributes;
    } while (FindNextFileA(search, &found));
    FindClose(search);
}

/* File names on the system's drives match without regard to case; the install's own names
   are ASCII. -1 when name is not listed. */
static int IndexOf(const FolderListing *listing, const char *name)
{
    for (int i = 0; i < listing->count; ++i)
        if (_stricmp(listing->files[i].name, name) == 0)
            return i;
    return -1;
}

DWORD ListedAttributes(const FolderListing *listing, const char *folder, const char *name)
{
    if (!listing->complete || strlen(name) >= size_t(kListingNameBytes)) {
        char path[kPathBytes];
        return JoinPath(path, folder, name) ? GetFileAttributesA(path) : INVALID_FILE_ATTRIBUTES;
    }
    int i = IndexOf(listing, name);
    return i < 0 ? INVALID_FILE_ATTRIBUTES : listing->files[i].attributes;
}

const char *ListedName(const FolderListing *listing, const char *name)
{
    int i = IndexOf(listing, name);
    return i < 0 ? name : listing->files[i].name;
}

void ForgetListed(FolderListing *listing, const char *name)
{
    int i = IndexOf(listing, name);
    if (i >= 0)
        listing->files[i].attributes = INVALID_FILE_ATTRIBUTES;
}
