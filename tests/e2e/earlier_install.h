// An earlier install that the wizard installs over: every manifest file in a folder,
// holding other bytes than this build's, with the attributes the manifest gives it. And a
// folder's files as they stand, to tell afterwards that nothing in it changed.
#ifndef TOVRA_EARLIER_INSTALL_H
#define TOVRA_EARLIER_INSTALL_H

#include <windows.h>

#include <map>
#include <string>
#include <vector>

// What the earlier install holds in the file of this name.
std::string EarlierBytes(const std::string &name);

// Writes the earlier install into folder, each file made anew.
void PlantEarlierInstall(const std::string &folder);

struct FileState {
    std::string bytes;
    DWORD attributes = 0;             // read-only, hidden, system and folder bits
    bool operator==(const FileState &other) const { return bytes == other.bytes && attributes == other.attributes; }
};
// Every entry of a folder by name, with its bytes and attributes (a folder's bytes empty).
typedef std::map<std::string, FileState> FolderState;

FolderState StateOf(const std::string &folder);
// The folder holds exactly the entries of before, each with its bytes and attributes.
void ExpectFolderAsBefore_(const char *file, int line, const std::string &folder, const FolderState &before);
// Reports a failure at the test's line as well as its own.
#define ExpectFolderAsBefore(...) ExpectFolderAsBefore_(__FILE__, __LINE__, __VA_ARGS__)

// The temporary and kept copies the install makes while it replaces files, left in folder.
std::vector<std::string> StrayCopies(const std::string &folder);

// Opens path as a program does that lets nobody else at the file while it has it open.
HANDLE HoldFile(const std::string &path);

#endif
