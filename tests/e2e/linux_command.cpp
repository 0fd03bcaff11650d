#include "linux_command.h"

#include <windows.h>

#include <stdio.h>
#include <stdlib.h>
#include <vector>

#include "setup_driver.h"
#include "support/file_reading.h"
#include "test_folder.h"

namespace {

// Often enough that a click through the display costs little more than the click.
const DWORD kStatusPoll = 5;

// Wine starts a Linux program without a process to wait for, and what it leaves in the
// process information is not ours: measured under Wine 8, no process handle, a thread
// "handle" that is an address (0x21fb00, 0x340000) and made-up identifiers, whatever the
// caller put there first. Closing such a value would close whatever handle of the
// driver's own it happened to match, so none of it is touched. The shell writes the exit
// status to a file when the command is done instead, and the driver waits for that file.
bool StartLinuxShell(const std::string &line)
{
    std::vector<char> command(line.begin(), line.end());
    command.push_back('\0');
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION ignored = {};
    if (!CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &ignored)) {
        fprintf(stderr, "e2e: cannot run %s (error %lu)\n", line.c_str(), GetLastError());
        return false;
    }
    return true;
}

} // namespace

int RunLinuxCommand(const std::string &command, std::string *output, unsigned long milliseconds)
{
    const std::string base = "/tmp/tovra-e2e-linux-" + std::to_string(GetCurrentProcessId());
    const std::string done = base + ".status", said = base + ".output";
    const std::string doneHere = "Z:" + done, saidHere = "Z:" + said;
    DeleteFileA(doneHere.c_str());
    if (!StartLinuxShell("/bin/sh -c \"" + command + " >" + said + " 2>&1; echo $? >" + done + ".new && mv " + done +
                         ".new " + done + "\""))
        return -1;
    const DWORD limit = ScaledWait(milliseconds), start = GetTickCount();
    while (!FileExists(doneHere)) {
        if (GetTickCount() - start >= limit) {
            fprintf(stderr, "e2e: %s did not end\n", command.c_str());
            return -1;
        }
        Sleep(kStatusPoll);
    }
    std::string status = ReadWholeFile(doneHere);
    *output = ReadWholeFile(saidHere);
    DeleteFileA(doneHere.c_str());
    DeleteFileA(saidHere.c_str());
    return status.empty() ? -1 : atoi(status.c_str());
}

int RunLinuxScript(const std::string &script, const std::string &arguments, std::string *output,
                   unsigned long milliseconds)
{
    return RunLinuxCommand("/bin/sh " + script + " " + arguments, output, milliseconds);
}
