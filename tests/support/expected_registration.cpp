#include "support/expected_registration.h"

#include <windows.h>
#include <shellapi.h>

#include "support/registry_reading.h"

#define EDITOR_CLASS "{3C7A1E52-6B0D-4F8E-9A21-7D5E0C4B9F13}"
#define DEVUD_CLASS "{8E2D4B07-51C3-4A6F-B9E8-2F0C6D1A7B45}"

const char kEditorClassId[] = EDITOR_CLASS;
const char kEditorClassKey[] = "CLSID\\" EDITOR_CLASS;
const char kDevudClassKey[] = "CLSID\\" DEVUD_CLASS;

const char *const kRegisteredKeys[5] = {"TVREditor.Document", "TVREdit.Document", "DeVud.Document.1", kEditorClassKey,
                                        kDevudClassKey};
const char *const kRichTextKeys[2] = {".rtf", "rtffile"};

const char *const kShellInserts[4] = {"C:\\My Documents\\letter one.rtf", "Office Printer", "Printer Driver",
                                      "LPT1: Port"};

namespace {

// One value: under key, the default (name null) or a named value, and its text, in which
// {folder}, {editor} and {devud} stand for the paths of the install; null for a value that
// must not be there.
struct ExpectedValue {
    int when;
    const char *key;
    const char *name;
    const char *text;
};

const ExpectedValue kExpectedValues[] = {
    {kEveryInstall, "TVREditor.Document", nullptr, "Tovra Editor Document"},
    {kEveryInstall, "TVREditor.Document\\shell\\open\\command", nullptr, "\"{folder}\\tvredit.exe\" \"%1\""},
    {kEveryInstall, ".rtf", nullptr, "TVREditor.Document"},
    // The registration made ".rtf" itself, so it gives it no ShellNew.
    {kWithoutRtf, ".rtf\\ShellNew", "Data", nullptr},

    {kEveryInstall, "TVREdit.Document", nullptr, "TVREdit Document"},
    {kEveryInstall, "TVREdit.Document\\Insertable", nullptr, ""},
    {kEveryInstall, "TVREdit.Document\\protocol\\StdFileEditing\\verb\\0", nullptr, "&Edit"},
    {kEveryInstall, "TVREdit.Document\\protocol\\StdFileEditing\\server", nullptr, "{editor}"},
    {kEveryInstall, "TVREdit.Document\\CLSID", nullptr, EDITOR_CLASS},
    // Each command stands the server's path in quotes.
    {kEveryInstall, "TVREdit.Document\\shell\\open\\command", nullptr, "\"{editor}\" \"%1\""},
    {kEveryInstall, "TVREdit.Document\\shell\\print\\command", nullptr, "\"{editor}\" /p \"%1\""},
    {kEveryInstall, "TVREdit.Document\\shell\\printto\\command", nullptr, "\"{editor}\" /pt \"%1\" \"%2\" \"%3\" \"%4\""},

    {kEveryInstall, "CLSID\\" EDITOR_CLASS, nullptr, "TVREdit Document"},
    {kEveryInstall, "CLSID\\" EDITOR_CLASS "\\Verb\\0", nullptr, "&Edit,0,2"},
    {kEveryInstall, "CLSID\\" EDITOR_CLASS "\\Verb\\1", nullptr, "&Open,0,2"},
    {kEveryInstall, "CLSID\\" EDITOR_CLASS "\\MiscStatus", nullptr, "0"},
    {kEveryInstall, "CLSID\\" EDITOR_CLASS "\\ProgID", nullptr, "TVREdit.Document"},
    {kEveryInstall, "CLSID\\" EDITOR_CLASS "\\InprocHandler32", nullptr, "ole32.dll"},
    {kEveryInstall, "CLSID\\" EDITOR_CLASS "\\LocalServer32", nullptr, "\"{editor}\""},
    {kEveryInstall, "CLSID\\" EDITOR_CLASS "\\AuxUserType\\2", nullptr, "TVREdit Document"},
    {kEveryInstall, "CLSID\\" EDITOR_CLASS "\\AuxUserType\\3", nullptr, "TVREdit"},
    {kEveryInstall, "CLSID\\" EDITOR_CLASS "\\DefaultIcon", nullptr, "{editor},1"},

    {kEveryInstall, "DeVud.Document.1", nullptr, "DeVud Document"},
    {kEveryInstall, "DeVud.Document.1\\CLSID", nullptr, DEVUD_CLASS},
    {kEveryInstall, "DeVud.Document.1\\shell\\open\\command", nullptr, "\"{devud}\" \"%1\""},
    {kEveryInstall, "CLSID\\" DEVUD_CLASS "\\LocalServer32", nullptr, "\"{devud}\""},
    {kEveryInstall, "CLSID\\" DEVUD_CLASS "\\AuxUserType\\3", nullptr, "DeVud"},

    // A system's own "rtffile" is left alone; without one the editor's takes its place.
    {kWithoutRtfFile, "rtffile", nullptr, "Rich Text Document"},
    {kWithoutRtfFile, "rtffile\\CLSID", nullptr, EDITOR_CLASS},
    {kWithoutRtfFile, "rtffile\\shell\\open\\command", nullptr, "\"{editor}\" \"%1\""},
    {kWithoutRtfFile, "rtffile\\DefaultIcon", nullptr, "{editor},1"},
};

void ReplaceAll(std::string *text, const std::string &mark, const std::string &value)
{
    for (size_t at = text->find(mark); at != std::string::npos; at = text->find(mark, at + value.size()))
        text->replace(at, mark.size(), value);
}

std::string WithPaths(const char *text, const RegisteredPaths &paths)
{
    if (!text)
        return kMissingValue;
    std::string value = text;
    ReplaceAll(&value, "{folder}", paths.folder);
    ReplaceAll(&value, "{editor}", paths.editor);
    ReplaceAll(&value, "{devud}", paths.devud);
    return value;
}

// The commands of one document type: open, print and print to; and the class's server.
void AddCommandsOf(std::vector<CommandExpectation> *commands, const std::string &progId, const std::string &classKey,
                   const std::string &server)
{
    const std::string document = kShellInserts[0];
    commands->push_back({progId + "\\shell\\open\\command", {server, document}});
    commands->push_back({progId + "\\shell\\print\\command", {server, "/p", document}});
    commands->push_back({progId + "\\shell\\printto\\command",
                         {server, "/pt", document, kShellInserts[1], kShellInserts[2], kShellInserts[3]}});
    if (!classKey.empty())
        commands->push_back({classKey + "\\LocalServer32", {server}});
}

} // namespace

void RemoveClassesTree(const char *key)
{
    RegDeleteTreeA(HKEY_CLASSES_ROOT, key);
    RegDeleteKeyA(HKEY_CLASSES_ROOT, key);
}

void RemoveRegistration(bool richText)
{
    for (const char *key : kRegisteredKeys)
        RemoveClassesTree(key);
    if (!richText)
        return;
    for (const char *key : kRichTextKeys)
        RemoveClassesTree(key);
}

std::string RegistrationDifferences(const RegisteredPaths &paths, int cases)
{
    std::string differences;
    for (const ExpectedValue &row : kExpectedValues) {
        if (!(row.when & cases))
            continue;
        const std::string expected = WithPaths(row.text, paths), found = ClassesText(row.key, row.name);
        if (found != expected)
            differences += std::string("\n  ") + row.key + (row.name ? std::string(" [") + row.name + "]" : "") +
                           ": holds \"" + found + "\", expected \"" + expected + "\"";
    }
    return differences;
}

std::vector<std::string> ArgumentsOf(const std::string &command)
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

std::vector<CommandExpectation> RegisteredCommands(const RegisteredPaths &paths)
{
    std::vector<CommandExpectation> commands;
    AddCommandsOf(&commands, "TVREdit.Document", kEditorClassKey, paths.editor);
    AddCommandsOf(&commands, "rtffile", "", paths.editor);
    AddCommandsOf(&commands, "DeVud.Document.1", kDevudClassKey, paths.devud);
    commands.push_back({"TVREditor.Document\\shell\\open\\command", {paths.folder + "\\tvredit.exe", kShellInserts[0]}});
    return commands;
}
