// Scratch folders for tests that write to disk under Wine.
#ifndef TOVRA_TEST_FOLDER_H
#define TOVRA_TEST_FOLDER_H

#include <windows.h>

#include <string.h>
#include <set>
#include <string>
#include <vector>

const DWORD kReadOnlyHidden = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN;

// A new empty folder under the temporary folder, named after the test and the process.
// Wine numbers processes afresh in each session, so a folder left by a run that was killed
// may carry the same name: the serial moves on past it.
inline bool MakeTestFolder(std::string &folder, const char *name)
{
    char temporary[MAX_PATH];
    DWORD length = GetTempPathA(MAX_PATH, temporary);
    if (length == 0 || length >= MAX_PATH)
        return false;
    static int serial;
    for (int attempt = 0; attempt < 1000; ++attempt) {
        folder = std::string(temporary) + "tovra-" + name + "-" + std::to_string(GetCurrentProcessId()) + "-" +
                 std::to_string(++serial);
        if (CreateDirectoryA(folder.c_str(), nullptr))
            return true;
        if (GetLastError() != ERROR_ALREADY_EXISTS)
            return false;
    }
    return false;
}

inline void RemoveTestFolder(const std::string &folder)
{
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            std::string name = found.cFileName;
            if (name == "." || name == "..")
                continue;
            std::string path = folder + "\\" + name;
            SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                RemoveTestFolder(path);
            else
                DeleteFileA(path.c_str());
        } while (FindNextFileA(search, &found));
        FindClose(search);
    }
    RemoveDirectoryA(folder.c_str());
}

// The names that pattern matches in folder, "." and ".." left out.
inline std::vector<std::string> NamesIn(const std::string &folder, const char *pattern = "*")
{
    std::vector<std::string> names;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((folder + "\\" + pattern).c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return names;
    do
        if (strcmp(found.cFileName, ".") != 0 && strcmp(found.cFileName, "..") != 0)
            names.push_back(found.cFileName);
    while (FindNextFileA(search, &found));
    FindClose(search);
    return names;
}

// The names in folder, files and subfolders, as a set.
inline std::set<std::string> NameSetIn(const std::string &folder)
{
    const std::vector<std::string> names = NamesIn(folder);
    return std::set<std::string>(names.begin(), names.end());
}

inline bool FileExists(const std::string &path)
{
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

#endif
