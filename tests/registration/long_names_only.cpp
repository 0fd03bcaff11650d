// The system of a volume without short (8.3) names, as it answers the short-name call: with
// the long path, blanks and all. Linked into this test's program ahead of the product's
// own library, so the registration meets such a volume; Wine makes up short names for
// every file and has no such volume to offer.
#include <windows.h>

#include <string.h>

#include "registration/short_path.h"
#include "wizard/wizard_state.h"

int ShortPathOf(const char *path, char *shortPath)
{
    if (GetFileAttributesA(path) == INVALID_FILE_ATTRIBUTES || strlen(path) >= size_t(kPathBytes)) {
        shortPath[0] = '\0';
        return 0;
    }
    strcpy(shortPath, path);
    return 1;
}
