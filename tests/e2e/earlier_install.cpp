#include "earlier_install.h"

#include <gtest/gtest.h>

#include "install/manifest.h"
#include "support/caller_line.h"
#include "support/file_reading.h"
#include "test_folder.h"

namespace {

const DWORD kComparedAttributes =
    FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_DIRECTORY;

std::vector<WIN32_FIND_DATAA> EntriesOf(const std::string &folder)
{
    std::vector<WIN32_FIND_DATAA> entries;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return entries;
    do
        if (strcmp(found.cFileName, ".") != 0 && strcmp(found.cFileName, "..") != 0)
            entries.push_back(found);
    while (FindNextFileA(search, &found));
    FindClose(search);
    return entries;
}

} // namespace

std::string EarlierBytes(const std::string &name)
{
    return "the earlier install's " + name + "\r\n";
}

void PlantEarlierInstall(const std::string &folder)
{
    for (int i = 0; i < kManifestStepCount; ++i) {
        const ManifestStep &row = kManifestSteps[i];
        if (!IsManifestRow(row))
            continue;
        std::string path = folder + "\\" + row.fileName;
        SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileA(path.c_str());
        ASSERT_TRUE(WriteWholeFile(path, EarlierBytes(row.fileName))) << path;
        DWORD attributes = (row.readOnly ? FILE_ATTRIBUTE_READONLY : 0) | (row.hidden ? FILE_ATTRIBUTE_HIDDEN : 0);
        ASSERT_TRUE(SetFileAttributesA(path.c_str(), attributes ? attributes : FILE_ATTRIBUTE_NORMAL)) << path;
    }
}

FolderState StateOf(const std::string &folder)
{
    FolderState state;
    for (const WIN32_FIND_DATAA &entry : EntriesOf(folder)) {
        FileState &file = state[entry.cFileName];
        file.attributes = entry.dwFileAttributes & kComparedAttributes;
        if (!(entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            file.bytes = ReadWholeFile(folder + "\\" + entry.cFileName);
    }
    return state;
}

void ExpectFolderAsBefore_(const char *file, int line, const std::string &folder, const FolderState &before)
{
    CallerLine caller(file, line);
    FolderState now = StateOf(folder);
    for (const auto &entry : before) {
        auto found = now.find(entry.first);
        if (found == now.end()) {
            ADD_FAILURE() << folder << "\\" << entry.first << " is gone";
            continue;
        }
        // Whole files are compared without printing them.
        EXPECT_TRUE(found->second.bytes == entry.second.bytes)
            << folder << "\\" << entry.first << " holds other bytes (" << found->second.bytes.size() << " bytes, "
            << entry.second.bytes.size() << " before)";
        EXPECT_EQ(entry.second.attributes, found->second.attributes) << folder << "\\" << entry.first;
    }
    for (const auto &entry : now)
        EXPECT_TRUE(before.count(entry.first)) << folder << "\\" << entry.first << " was not there before";
}

std::vector<std::string> StrayCopies(const std::string &folder)
{
    std::vector<std::string> names;
    for (const WIN32_FIND_DATAA &entry : EntriesOf(folder))
        if (_strnicmp(entry.cFileName, "~tv", 3) == 0)
            names.push_back(entry.cFileName);
    return names;
}

HANDLE HoldFile(const std::string &path)
{
    return CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
}
