#include <windows.h>

#include "wizard/startup.h"

/* The command line and the show command are not used: every choice comes from the
   wizard's pages. */
int WINAPI WinMain(HINSTANCE instance, HINSTANCE previousInstance, LPSTR, int)
{
    return RunSetup(instance, previousInstance);
}
