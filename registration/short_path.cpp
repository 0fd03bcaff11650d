#include "registration/short_path.h"

#include <windows.h>

#include "wizard/wizard_state.h"

int ShortPathOf(const char *path, char *shortPath)
{
    DWORD length = GetShortPathNameA(path, shortPath, kPathBytes);
    if (length == 0 || length >= DWORD(kPathBytes)) {
        shortPath[0] = '\0';
        return 0;
    }
    return 1;
}
