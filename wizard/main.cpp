#include <windows.h>

#include "wizard/startup.h"
#include "wizard/system_libraries.h"

/* The command line and the show command are not used: every choice comes from the
   wizard's pages. */
int WINAPI WinMain(HINSTANCE instance, HINSTANCE previousInstance, LPSTR, int)
{
    RestrictDllSearch();
    return RunSetup(instance, previousInstance);
}
