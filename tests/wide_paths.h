// Paths the system's code page can't spell, in the tests that make them: wide text from and
// to the narrow text the rest of the suite uses, and a wide folder removed with all it holds.
#ifndef TOVRA_WIDE_PATHS_H
#define TOVRA_WIDE_PATHS_H

#include <windows.h>

#include <memory>
#include <string>

// Text in the system's code page, widened.
inline std::wstring Wide(const std::string &text)
{
    std::wstring wide(text.size() + 1, L'\0');
    wide.resize(size_t(MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, &wide[0], int(wide.size()))) - 1);
    return wide;
}

// Wide text in UTF-8: how a failure message shows it, and how the install record holds it.
inline std::string Utf8(const std::wstring &wide)
{
    std::string text(wide.size() * 3 + 1, '\0');
    text.resize(size_t(WideCharToMultiByte(CP_UTF8, 0, wide.c_str(), -1, &text[0], int(text.size()), nullptr, nullptr)) -
                1);
    return text;
}

inline bool WideExists(const std::wstring &path)
{
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

inline void RemoveWideFolder(const std::wstring &folder)
{
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((folder + L"\\*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            std::wstring name = found.cFileName;
            if (name == L"." || name == L"..")
                continue;
            std::wstring path = folder + L"\\" + name;
            SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                RemoveWideFolder(path);
            else
                DeleteFileW(path.c_str());
        } while (FindNextFileW(search, &found));
        FindClose(search);
    }
    RemoveDirectoryW(folder.c_str());
}

// A text value of the registry set to a wide path for a test (a user's shell folder, the
// temporary folder), and given back as it was when the test is done with it.
class RedirectedValue {
public:
    RedirectedValue(HKEY root, const wchar_t *key, const wchar_t *name, const std::wstring &path) : name_(name)
    {
        if (RegCreateKeyExW(root, key, 0, nullptr, 0, KEY_READ | KEY_SET_VALUE, nullptr, &key_, nullptr) !=
            ERROR_SUCCESS) {
            key_ = nullptr;
            return;
        }
        DWORD size = sizeof saved_ - sizeof(WCHAR);
        had_ = RegQueryValueExW(key_, name, nullptr, &type_, reinterpret_cast<BYTE *>(saved_), &size) == ERROR_SUCCESS;
        Set(REG_EXPAND_SZ, path.c_str());
    }
    ~RedirectedValue()
    {
        if (!key_)
            return;
        if (had_)
            Set(type_, saved_);
        else
            RegDeleteValueW(key_, name_.c_str());
        RegCloseKey(key_);
    }
    RedirectedValue(const RedirectedValue &) = delete;
    RedirectedValue &operator=(const RedirectedValue &) = delete;
    bool Redirected() const { return key_ != nullptr; }

private:
    void Set(DWORD type, const wchar_t *text)
    {
        RegSetValueExW(key_, name_.c_str(), 0, type, reinterpret_cast<const BYTE *>(text),
                       DWORD((wcslen(text) + 1) * sizeof(WCHAR)));
    }

    HKEY key_ = nullptr;
    std::wstring name_;
    bool had_ = false;
    DWORD type_ = REG_SZ;
    wchar_t saved_[MAX_PATH + 1] = L"";
};

// The key of the user's (HKEY_CURRENT_USER) or the machine's common (HKEY_LOCAL_MACHINE)
// shell folders.
const wchar_t kUserShellFolders[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders";

#endif
