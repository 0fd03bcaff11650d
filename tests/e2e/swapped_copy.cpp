// What a second program of the user tries to run in place of the uninstaller's copy: if it
// ever runs, it leaves a mark the scenario looks for, and claims success.
#include <windows.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    HANDLE mark = CreateFileA(SWAPPED_COPY_MARK, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (mark != INVALID_HANDLE_VALUE)
        CloseHandle(mark);
    return 0;
}
