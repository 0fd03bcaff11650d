#include "linux_command.h"

#include <windows.h>

#include <stdio.h>
#include <stdlib.h>
#include <vector>

#include "setup_driver.h"
#include "test_folder.h"

// Wine starts a Linux program without a process to wait for, so the shell writes the exit
// status to a file when the script is done, and the driver waits for the file.
int RunLinuxScript(const std::string &script, const std::string &arguments, std::string *output,
                   unsigned long milliseconds)
{
    const std::string base = "/tmp/tovra-e2e-script-" + std::to_string(GetCurrentProcessId());
    const std::string done = base + ".status", said = base + ".output";
    DeleteFileA(("Z:" + done).c_str());
    std::string line = "/bin/sh -c \"/bin/sh " + script + " " + arguments + " >" + said + " 2>&1; echo $? >" + done +
                       ".new && mv " + done + ".new " + done + "\"";
    std::vector<char> command(line.begin(), line.end());
    command.push_back('\0');
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    if (!CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process)) {
        fprintf(stderr, "e2e: cannot run %s (error %lu)\n", line.c_str(), GetLastError());
        return -1;
    }
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    if (!WaitUntil([&done] { return FileExists("Z:" + done); }, milliseconds)) {
        fprintf(stderr, "e2e: %s %s did not end\n", script.c_str(), arguments.c_str());
        return -1;
    }
    std::string status = ReadWholeFile("Z:" + done);
    *output = ReadWholeFile("Z:" + said);
    DeleteFileA(("Z:" + done).c_str());
    DeleteFileA(("Z:" + said).c_str());
    return atoi(status.c_str());
}
