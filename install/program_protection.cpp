#include "install/program_protection.h"

#include <sddl.h>
#include <stdio.h>
#include <string.h>

#include "wizard/system_libraries.h"
#include "wizard/wizard_state.h"

/* The program files' access list in the system's notation (SDDL): protected from
   inheritance; full access for Administrators and SYSTEM; read and execute for Users. FRFX,
   the file rights of reading and executing, rather than the generic GRGX: an entry set on
   a file keeps generic bits unmapped where the system does not map them. */
static const char kProgramFileAccess[] = "D:P(A;;FA;;;BA)(A;;FA;;;SY)(A;;FRFX;;;BU)";

/* What the system runs or loads as code without asking: programs, libraries, controls,
   control-panel items, screen savers, drivers and filters, input methods, installer
   packages, command scripts; and compiled help, whose pages run script in the local
   machine's zone. */
static const char *const kProgramExtensions[] = {
    ".exe", ".dll", ".ocx", ".cpl", ".scr", ".com", ".sys", ".drv", ".ax", ".ime", ".msi", ".bat", ".cmd", ".chm",
};

/* A name's extension: a dot is never the second byte of a double-byte character. The
   uninstaller is one of the programs. */
int IsProgramFile(const char *name)
{
    const char *extension = strrchr(name, '.');
    if (!extension)
        return 0;
    for (const char *known : kProgramExtensions)
        if (_stricmp(extension, known) == 0)
            return 1;
    return 0;
}

typedef decltype(&ConvertStringSecurityDescriptorToSecurityDescriptorA) DescriptorFromTextProcedure;
typedef decltype(&GetSecurityDescriptorDacl) DaclOfDescriptorProcedure;
typedef decltype(&ConvertStringSidToSidA) SidFromTextProcedure;
typedef decltype(&CheckTokenMembership) TokenMembershipProcedure;

/* Whether the process has the Administrators' rights: a token where the group is only for
   denying (an administrator's before the system's question) has not. */
static int RunsAsAdministrator(HMODULE security)
{
    SidFromTextProcedure sidFromText = SystemProcedure<SidFromTextProcedure>(security, "ConvertStringSidToSidA");
    TokenMembershipProcedure isMember = SystemProcedure<TokenMembershipProcedure>(security, "CheckTokenMembership");
    PSID administrators = nullptr;
    BOOL member = FALSE;
    if (!sidFromText || !isMember || !sidFromText("BA", &administrators))
        return 0;
    if (!isMember(nullptr, administrators, &member))
        member = FALSE;
    LocalFree(administrators);
    return member != FALSE;
}

/* The calls are looked up, not imported: Windows 95, 98, Me and NT 4 lack some of them, and
   would refuse to start a program that imports them. */
int TakeProgramProtection(ProgramProtection *protection)
{
    memset(protection, 0, sizeof *protection);
    HMODULE security = GetModuleHandleA("advapi32.dll");
    DescriptorFromTextProcedure descriptorFromText = SystemProcedure<DescriptorFromTextProcedure>(
        security, "ConvertStringSecurityDescriptorToSecurityDescriptorA");
    DaclOfDescriptorProcedure daclOf = SystemProcedure<DaclOfDescriptorProcedure>(security, "GetSecurityDescriptorDacl");
    SetNamedSecurityProcedure setNamedSecurity =
        SystemProcedure<SetNamedSecurityProcedure>(security, "SetNamedSecurityInfoA");
    if (!gNtFlag || !descriptorFromText || !daclOf || !setNamedSecurity || !RunsAsAdministrator(security) ||
        !descriptorFromText(kProgramFileAccess, SDDL_REVISION_1, &protection->descriptor, nullptr)) {
        protection->descriptor = nullptr;
        return 0;
    }
    BOOL present = FALSE, defaulted = FALSE;
    if (!daclOf(protection->descriptor, &present, &protection->dacl, &defaulted) || !present || !protection->dacl) {
        ReleaseProgramProtection(protection);
        return 0;
    }
    protection->setNamedSecurity = setNamedSecurity;
    return 1;
}

void ReleaseProgramProtection(ProgramProtection *protection)
{
    if (protection->descriptor)
        LocalFree(protection->descriptor);
    memset(protection, 0, sizeof *protection);
}

/* PROTECTED_DACL_SECURITY_INFORMATION: the folder's entries are no longer inherited, so
   what the folder allows every user stops at the program file. Wine keeps a file's
   read-only bit in its Unix mode, which it makes anew from the list: the attributes are
   given back as they were. */
int ProtectProgramFile(const ProgramProtection *protection, const char *path)
{
    char name[kPathBytes];
    DWORD attributes = GetFileAttributesA(path);
    if (!protection->setNamedSecurity || attributes == INVALID_FILE_ATTRIBUTES ||
        snprintf(name, sizeof name, "%s", path) >= int(sizeof name))
        return 0;
    int set = protection->setNamedSecurity(name, SE_FILE_OBJECT,
                                           DACL_SECURITY_INFORMATION | PROTECTED_DACL_SECURITY_INFORMATION, nullptr,
                                           nullptr, protection->dacl, nullptr) == ERROR_SUCCESS;
    if (GetFileAttributesA(path) != attributes)
        SetFileAttributesA(path, attributes);
    return set;
}
