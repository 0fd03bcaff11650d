// Linux programs run from the driver, as root, on the machine that runs Wine: the host
// under the suite, the emulated PC in the 32-bit stage.
#ifndef TOVRA_LINUX_COMMAND_H
#define TOVRA_LINUX_COMMAND_H

#include <string>

// Runs "/bin/sh -c command" and waits for it to end: its exit status, or -1 when it could
// not start or did not end within milliseconds (grown by TOVRA_WAIT_SCALE). What it wrote
// goes to output. The command holds Linux paths and words, and no double quote.
int RunLinuxCommand(const std::string &command, std::string *output, unsigned long milliseconds);

// Runs "/bin/sh script arguments" the same way.
int RunLinuxScript(const std::string &script, const std::string &arguments, std::string *output,
                   unsigned long milliseconds);

#endif
