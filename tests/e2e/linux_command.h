// Linux programs run from the driver, as root, on the machine that runs Wine: the host
// under the suite, the emulated PC in the 32-bit stage.
#ifndef TOVRA_LINUX_COMMAND_H
#define TOVRA_LINUX_COMMAND_H

#include <string>

// Runs "/bin/sh script arguments" and waits for it to end; its exit status, or -1 when it
// could not start or did not end within milliseconds (grown by TOVRA_WAIT_SCALE). What it
// wrote goes to output. Script and arguments are Linux paths and words without blanks.
int RunLinuxScript(const std::string &script, const std::string &arguments, std::string *output,
                   unsigned long milliseconds);

#endif
