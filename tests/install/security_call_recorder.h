// The access lists the install asks the system to set, recorded on their way. Wine accepts
// an access list for a file but neither stores nor enforces it (a read-back shows its own
// list, made from the file's Unix mode), so what the install asked for is read where it
// asks. The program looks the call up by name; while recording, this test program's own
// import of GetProcAddress answers that name with a recorder, which notes the call and
// passes it on to the system.
#ifndef TOVRA_SECURITY_CALL_RECORDER_H
#define TOVRA_SECURITY_CALL_RECORDER_H

#include <windows.h>

#include <string>
#include <vector>

struct SecurityCall {
    std::string path;
    SECURITY_INFORMATION what;
    std::vector<unsigned char> dacl;  // the list's bytes; empty for none
    DWORD openForWriting;             // the error of opening the file for writing meanwhile
    DWORD result;                     // what the system answered
};

extern std::vector<SecurityCall> gSecurityCalls;

// Records from now until StopRecordingSecurityCalls; false when the import can't be found.
bool RecordSecurityCalls();
void StopRecordingSecurityCalls();

#endif
