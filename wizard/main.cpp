#include <windows.h>

#include "install/payload.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    MessageBoxA(nullptr, "The setup wizard is not built yet: only the payload is in place.",
                "Tovrana Smart Editor Installer", MB_OK);
    return 0;
}
