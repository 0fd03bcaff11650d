// A program that imports the DLLs the product may import (tests/build/check-product-pe),
// and nothing else, and ends at its entry. Whatever planted DLL it loads, the system loaded by its own imports before
// any code of a program ran.
#include <windows.h>
#include <shellapi.h>
#include <objbase.h>
#include <oleauto.h>

#include <stdlib.h>

namespace {

// One function of each DLL, so that the linker keeps its import.
const void *const volatile kImports[] = {
    reinterpret_cast<const void *>(&GetStockObject),      // gdi32
    reinterpret_cast<const void *>(&GetMessageA),         // user32
    reinterpret_cast<const void *>(&RegCloseKey),         // advapi32
    reinterpret_cast<const void *>(&ShellExecuteA),       // shell32
    reinterpret_cast<const void *>(&CoInitialize),        // ole32
    reinterpret_cast<const void *>(&SysAllocString),      // oleaut32
    reinterpret_cast<const void *>(&malloc),              // msvcrt
};

} // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    return kImports[0] ? 0 : 1;
}
