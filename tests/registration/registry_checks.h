// What the registration left under HKEY_CLASSES_ROOT, and how a program started by one of
// its commands finds its arguments.
#ifndef TOVRA_REGISTRY_CHECKS_H
#define TOVRA_REGISTRY_CHECKS_H

#include <windows.h>
#include <shellapi.h>

#include <string.h>
#include <string>
#include <vector>

// The value of a key below HKEY_CLASSES_ROOT, or "<none>".
inline std::string ClassesValue(const std::string &key, const char *name = nullptr)
{
    char value[1024];
    DWORD size = sizeof value;
    if (RegGetValueA(HKEY_CLASSES_ROOT, key.c_str(), name, RRF_RT_REG_SZ, nullptr, value, &size) != ERROR_SUCCESS)
        return "<none>";
    return value;
}

// What the shell puts for %1 to %4 of a command: the document, and for printto the
// printer, its driver and its port. Blanks in each, as users' names have them.
const char *const kShellInserts[] = {"C:\\My Documents\\letter one.rtf", "Office Printer", "Printer Driver",
                                     "LPT1: Port"};

// The command with the shell's inserts in place, split as the started program's C runtime
// splits its command line (the system's own rule, CommandLineToArgvW, for these quotes).
inline std::vector<std::string> ArgumentsOf(const std::string &command)
{
    std::string line;
    for (size_t at = 0; at < command.size(); ++at) {
        if (command[at] == '%' && at + 1 < command.size() && command[at + 1] >= '1' && command[at + 1] <= '4') {
            line += kShellInserts[command[at + 1] - '1'];
            ++at;
        } else {
            line += command[at];
        }
    }
    std::vector<std::string> arguments;
    std::wstring wide(line.begin(), line.end());
    int count = 0;
    LPWSTR *split = CommandLineToArgvW(wide.c_str(), &count);
    if (!split)
        return arguments;
    for (int i = 0; i < count; ++i) {
        char narrow[1024] = "";
        WideCharToMultiByte(CP_ACP, 0, split[i], -1, narrow, sizeof narrow, nullptr, nullptr);
        arguments.push_back(narrow);
    }
    LocalFree(split);
    return arguments;
}

// Every command of a document class, and the class's server as COM starts it, lead to
// server with the shell's inserts as separate arguments.
struct CommandExpectation {
    std::string key;
    std::vector<std::string> arguments;
};

inline std::vector<CommandExpectation> CommandsOf(const std::string &progId, const std::string &classKey,
                                                  const std::string &server)
{
    const std::string document = kShellInserts[0];
    std::vector<CommandExpectation> commands = {
        {progId + "\\shell\\open\\command", {server, document}},
        {progId + "\\shell\\print\\command", {server, "/p", document}},
        {progId + "\\shell\\printto\\command",
         {server, "/pt", document, kShellInserts[1], kShellInserts[2], kShellInserts[3]}},
    };
    if (!classKey.empty())
        commands.push_back({classKey + "\\LocalServer32", {server}});
    return commands;
}

#endif
