#include "security_call_recorder.h"

#include <aclapi.h>
#include <string.h>

std::vector<SecurityCall> gSecurityCalls;

namespace {

typedef decltype(&GetProcAddress) ProcedureFinder;
typedef decltype(&SetNamedSecurityInfoA) SecuritySetter;

ProcedureFinder gSystemFinder;
FARPROC *gFinderSlot;

// The slot of this program's import table through which it calls dll's procedure name.
FARPROC *ImportSlot(const char *dll, const char *name)
{
    BYTE *base = reinterpret_cast<BYTE *>(GetModuleHandleA(nullptr));
    const IMAGE_NT_HEADERS *headers =
        reinterpret_cast<const IMAGE_NT_HEADERS *>(base + reinterpret_cast<const IMAGE_DOS_HEADER *>(base)->e_lfanew);
    const IMAGE_DATA_DIRECTORY &imports = headers->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    for (auto *entry = reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR *>(base + imports.VirtualAddress); entry->Name;
         ++entry) {
        if (_stricmp(reinterpret_cast<const char *>(base + entry->Name), dll) != 0)
            continue;
        auto *names = reinterpret_cast<const IMAGE_THUNK_DATA *>(base + entry->OriginalFirstThunk);
        auto *slots = reinterpret_cast<IMAGE_THUNK_DATA *>(base + entry->FirstThunk);
        for (; names->u1.AddressOfData; ++names, ++slots) {
            if (IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal))
                continue;
            auto *named = reinterpret_cast<const IMAGE_IMPORT_BY_NAME *>(base + names->u1.AddressOfData);
            if (strcmp(reinterpret_cast<const char *>(named->Name), name) == 0)
                return reinterpret_cast<FARPROC *>(&slots->u1.Function);
        }
    }
    return nullptr;
}

void PutInSlot(FARPROC *slot, FARPROC procedure)
{
    DWORD old = 0;
    VirtualProtect(slot, sizeof *slot, PAGE_READWRITE, &old);
    *slot = procedure;
    VirtualProtect(slot, sizeof *slot, old, &old);
}

template <typename Procedure>
Procedure As(FARPROC found)
{
    return reinterpret_cast<Procedure>(reinterpret_cast<void (*)(void)>(found));
}

template <typename Procedure>
FARPROC AsFound(Procedure procedure)
{
    return reinterpret_cast<FARPROC>(reinterpret_cast<void (*)(void)>(procedure));
}

DWORD WINAPI RecordSecurityCall(LPSTR path, SE_OBJECT_TYPE type, SECURITY_INFORMATION what, PSID owner, PSID group,
                                PACL dacl, PACL sacl)
{
    SecurityCall call = {path, what, {}, ERROR_SUCCESS, ERROR_SUCCESS};
    if (dacl)
        call.dacl.assign(reinterpret_cast<unsigned char *>(dacl), reinterpret_cast<unsigned char *>(dacl) + dacl->AclSize);
    HANDLE file = CreateFileA(path, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        call.openForWriting = GetLastError();
    else
        CloseHandle(file);
    SecuritySetter system = As<SecuritySetter>(gSystemFinder(GetModuleHandleA("advapi32.dll"), "SetNamedSecurityInfoA"));
    call.result = system(path, type, what, owner, group, dacl, sacl);
    gSecurityCalls.push_back(call);
    return call.result;
}

FARPROC WINAPI FindProcedure(HMODULE module, LPCSTR name)
{
    if (reinterpret_cast<UINT_PTR>(name) > 0xFFFF && strcmp(name, "SetNamedSecurityInfoA") == 0)
        return AsFound(&RecordSecurityCall);
    return gSystemFinder(module, name);
}

} // namespace

bool RecordSecurityCalls()
{
    gSecurityCalls.clear();
    gFinderSlot = ImportSlot("kernel32.dll", "GetProcAddress");
    if (!gFinderSlot)
        return false;
    gSystemFinder = As<ProcedureFinder>(*gFinderSlot);
    PutInSlot(gFinderSlot, AsFound(&FindProcedure));
    return true;
}

void StopRecordingSecurityCalls()
{
    if (gFinderSlot)
        PutInSlot(gFinderSlot, AsFound(gSystemFinder));
    gFinderSlot = nullptr;
}
