#include "support/registry_reading.h"

#include <stdio.h>
#include <string.h>

#include <vector>

const char kMissingValue[] = "(missing)";
const char kNotText[] = "(not text)";

namespace {

// A value as a snapshot line shows it: text as it is, anything else in hex.
std::string ValueData(DWORD type, const BYTE *data, DWORD size)
{
    if (type == REG_SZ || type == REG_EXPAND_SZ)
        return std::string(reinterpret_cast<const char *>(data), strnlen(reinterpret_cast<const char *>(data), size));
    std::string hex;
    char pair[4];
    for (DWORD i = 0; i < size; ++i) {
        snprintf(pair, sizeof pair, "%02x", data[i]);
        hex += pair;
    }
    return hex;
}

} // namespace

std::string RegistryText(HKEY root, const std::string &key, const char *name)
{
    char text[1024] = "";
    DWORD size = sizeof text, type = 0;
    // RegGetValue ends the text with a zero even when the stored value has none.
    if (RegGetValueA(root, key.c_str(), name, RRF_RT_ANY, &type, text, &size) != ERROR_SUCCESS)
        return kMissingValue;
    return type == REG_SZ ? std::string(text) : kNotText;
}

DWORD RegistryNumber(HKEY root, const std::string &key, const char *name)
{
    DWORD number = 0, size = sizeof number;
    if (RegGetValueA(root, key.c_str(), name, RRF_RT_REG_DWORD, nullptr, &number, &size) != ERROR_SUCCESS)
        return kNoNumber;
    return number;
}

bool RegistryKeyExists(HKEY root, const std::string &key)
{
    HKEY handle;
    if (RegOpenKeyExA(root, key.c_str(), 0, KEY_READ, &handle) != ERROR_SUCCESS)
        return false;
    RegCloseKey(handle);
    return true;
}

void AddRegistryTree(std::set<std::string> *lines, HKEY root, const std::string &rootName, const std::string &path)
{
    HKEY key;
    if (RegOpenKeyExA(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return;
    lines->insert(rootName + "\\" + path);
    char name[256];
    std::vector<BYTE> data(4096);
    for (DWORD i = 0;; ++i) {
        DWORD nameLength = sizeof name, size = DWORD(data.size()), type = 0;
        if (RegEnumValueA(key, i, name, &nameLength, nullptr, &type, data.data(), &size) != ERROR_SUCCESS)
            break;
        lines->insert(rootName + "\\" + path + "|" + name + "|" + std::to_string(type) + "|" +
                      ValueData(type, data.data(), size));
    }
    std::vector<std::string> children;
    for (DWORD i = 0;; ++i) {
        DWORD nameLength = sizeof name;
        if (RegEnumKeyExA(key, i, name, &nameLength, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
            break;
        children.push_back(name);
    }
    RegCloseKey(key);
    for (const std::string &child : children)
        AddRegistryTree(lines, root, rootName, path + "\\" + child);
}

void AddRegistryKeyNames(std::set<std::string> *lines, HKEY root, const std::string &prefix, const char *path)
{
    HKEY key;
    if (RegOpenKeyExA(root, path, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return;
    char name[256];
    for (DWORD i = 0;; ++i) {
        DWORD nameLength = sizeof name;
        if (RegEnumKeyExA(key, i, name, &nameLength, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
            break;
        lines->insert(prefix + name);
    }
    RegCloseKey(key);
}
