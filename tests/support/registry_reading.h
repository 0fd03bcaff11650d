// Registry values read back through the system's own API, for the suites that check what
// the program wrote. One spelling for a value that is not there, one for a value that is
// not text, so that every check compares against the same words.
#ifndef TOVRA_REGISTRY_READING_H
#define TOVRA_REGISTRY_READING_H

#include <windows.h>

#include <set>
#include <string>

// What RegistryText gives for a key or value that is not there, and for a value that is
// there but is no REG_SZ.
extern const char kMissingValue[];
extern const char kNotText[];
// What RegistryNumber gives for a number that is missing or no REG_DWORD.
const DWORD kNoNumber = 0xFFFFFFFF;

// The default value of the key (name null or "") or its named value.
std::string RegistryText(HKEY root, const std::string &key, const char *name = nullptr);
DWORD RegistryNumber(HKEY root, const std::string &key, const char *name);
bool RegistryKeyExists(HKEY root, const std::string &key);

// The value of a key below HKEY_CLASSES_ROOT, where the registration writes.
inline std::string ClassesText(const std::string &key, const char *name = nullptr)
{
    return RegistryText(HKEY_CLASSES_ROOT, key, name);
}

// For a snapshot of what a run leaves: every key and value of the tree at path, one line
// each, named from rootName ("HKCR" and so on); nothing when it is not there.
void AddRegistryTree(std::set<std::string> *lines, HKEY root, const std::string &rootName, const std::string &path);
// The names of the keys right under path, each after prefix.
void AddRegistryKeyNames(std::set<std::string> *lines, HKEY root, const std::string &prefix, const char *path);

#endif
