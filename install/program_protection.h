/* Program files that no other user can replace. The install folder keeps what its parent
   gives it (the product grows its word base there and makes its dictionary copies there),
   and a folder made in a drive's root lets every signed-in user modify what lies below
   it. But an administrator later runs the install's programs: the .rtf open command, the
   two COM servers, the uninstaller of the installed-apps list. So each program file gets
   an access list of its own, not inherited from the folder: full control for
   Administrators and SYSTEM, read and execute for Users. Data files keep what they
   inherit. A user can still add files beside the programs: the folder is writable by
   design. */
#ifndef TOVRA_PROGRAM_PROTECTION_H
#define TOVRA_PROGRAM_PROTECTION_H

#include <windows.h>
#include <aclapi.h>

/* Whether a file of the install folder, by its name, is a program: something the system
   loads or runs as code, by its extension (.exe, .dll, .ocx, .cpl, ...); the uninstaller
   too. */
int IsProgramFile(const char *name);

typedef decltype(&SetNamedSecurityInfoA) SetNamedSecurityProcedure;

/* What a run needs to protect its program files, made once per run. */
struct ProgramProtection {
    PSECURITY_DESCRIPTOR descriptor; /* the system's LocalAlloc */
    PACL dacl;                       /* inside descriptor */
    SetNamedSecurityProcedure setNamedSecurity;
};

/* Makes the descriptor where it can be applied: on a system with security (NT) that has
   the calls (Windows 2000 and later), in a process with the Administrators' rights (a
   user's install without them would lock that user out of replacing the files later). 1
   when made; 0 with protection empty, and then nothing is protected. */
int TakeProgramProtection(ProgramProtection *protection);
void ReleaseProgramProtection(ProgramProtection *protection);

/* Gives the file at path the program files' access list; 1 when it is set. A file whose
   list can't be set fails nothing: the install goes on. */
int ProtectProgramFile(const ProgramProtection *protection, const char *path);

#endif
