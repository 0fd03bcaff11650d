#include "support/file_reading.h"

#include <windows.h>

#include <stdio.h>

bool ReadWholeFile(const std::string &path, std::string *content)
{
    content->clear();
    FILE *file = fopen(path.c_str(), "rb");
    if (!file)
        return false;
    char chunk[65536];
    size_t got;
    while ((got = fread(chunk, 1, sizeof chunk, file)) > 0)
        content->append(chunk, got);
    fclose(file);
    return true;
}

std::string ReadWholeFile(const std::string &path)
{
    std::string content;
    return ReadWholeFile(path, &content) ? content : "<missing>";
}

std::string ShortPath(const std::string &path)
{
    char shortPath[MAX_PATH] = "";
    DWORD length = GetShortPathNameA(path.c_str(), shortPath, MAX_PATH);
    return length > 0 && length < MAX_PATH ? shortPath : "";
}

bool WriteWholeFile(const std::string &path, const std::string &content)
{
    FILE *file = fopen(path.c_str(), "wb");
    if (!file)
        return false;
    bool ok = fwrite(content.data(), 1, content.size(), file) == content.size();
    return fclose(file) == 0 && ok;
}
