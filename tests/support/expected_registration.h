// The registration as an install leaves it under HKEY_CLASSES_ROOT, written out once for
// the registration's own tests and the end-to-end runs: the editor's document types, the
// rich-text type, the editor's and the DeVud server's classes, and how a program started
// by one of their commands finds its arguments.
#ifndef TOVRA_EXPECTED_REGISTRATION_H
#define TOVRA_EXPECTED_REGISTRATION_H

#include <string>
#include <vector>

// The editor's class identifier, "{...}".
extern const char kEditorClassId[];
// The classes' keys, "CLSID\\{...}".
extern const char kEditorClassKey[];
extern const char kDevudClassKey[];

// The keys that only the registration writes; and the rich-text type's two, which a
// system may have of its own.
extern const char *const kRegisteredKeys[5];
extern const char *const kRichTextKeys[2];
// Removes a key under HKEY_CLASSES_ROOT with all below it.
void RemoveClassesTree(const char *key);
// Removes the registration's own keys, and with richText the rich-text type's too: for a
// test that stands for a system without one.
void RemoveRegistration(bool richText);

// Where an install put its servers: the folder, and the editor's and the DeVud server's
// paths as the registration names them (short, where the volume has short names).
struct RegisteredPaths {
    std::string folder;
    std::string editor;
    std::string devud;
};

// Which values to check: those of every install, and those an install writes only when it
// found no "rtffile" type, or no ".rtf" extension, before it. Added together.
enum RegistrationCases { kEveryInstall = 1, kWithoutRtfFile = 2, kWithoutRtf = 4 };

// Every value of those cases that the registry does not hold as expected, one line each;
// empty when all are there.
std::string RegistrationDifferences(const RegisteredPaths &paths, int cases);

// What the shell puts for %1 to %4 of a command: the document, and for printto the
// printer, its driver and its port. Blanks in each, as users' names have them.
extern const char *const kShellInserts[4];

// The command with the shell's inserts in place, split as the started program's C runtime
// splits its command line (the system's own rule, CommandLineToArgvW, for these quotes).
std::vector<std::string> ArgumentsOf(const std::string &command);

// Every command of the document types, and each class's server as COM starts it, leads to
// its server with the shell's inserts as separate arguments.
struct CommandExpectation {
    std::string key;
    std::vector<std::string> arguments;
};
std::vector<CommandExpectation> RegisteredCommands(const RegisteredPaths &paths);

#endif
