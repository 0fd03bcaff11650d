// Reads a shell link back through the shell's own link object, wide: a link may lie in a
// folder, and lead to a file, that the code page can't spell.
#ifndef TOVRA_SHORTCUT_READER_H
#define TOVRA_SHORTCUT_READER_H

#include <windows.h>
#include <objbase.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <string>

struct LinkFieldsW {
    bool loaded = false;
    std::wstring target, description, workingFolder, iconPath;
    int iconIndex = -1;
};

struct LinkFields {
    bool loaded = false;
    std::string target, description, workingFolder, iconPath;
    int iconIndex = -1;
};

inline LinkFieldsW ReadShortcutW(const std::wstring &linkPath)
{
    LinkFieldsW fields;
    CoInitialize(nullptr);
    IShellLinkW *link = nullptr;
    IPersistFile *file = nullptr;
    if (SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                   reinterpret_cast<void **>(&link))) &&
        SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void **>(&file))) &&
        SUCCEEDED(file->Load(linkPath.c_str(), STGM_READ))) {
        WCHAR text[MAX_PATH] = L"";
        fields.loaded = true;
        link->GetPath(text, MAX_PATH, nullptr, SLGP_RAWPATH);
        fields.target = text;
        text[0] = 0;
        link->GetDescription(text, MAX_PATH);
        fields.description = text;
        text[0] = 0;
        link->GetWorkingDirectory(text, MAX_PATH);
        fields.workingFolder = text;
        text[0] = 0;
        link->GetIconLocation(text, MAX_PATH, &fields.iconIndex);
        fields.iconPath = text;
    }
    if (file)
        file->Release();
    if (link)
        link->Release();
    CoUninitialize();
    return fields;
}

inline std::wstring WideOf(const std::string &text, UINT codePage = CP_ACP)
{
    WCHAR wide[1024] = L"";
    MultiByteToWideChar(codePage, 0, text.c_str(), -1, wide, 1024);
    return wide;
}

inline std::string NarrowOf(const std::wstring &text, UINT codePage = CP_ACP)
{
    char narrow[2048] = "";
    WideCharToMultiByte(codePage, 0, text.c_str(), -1, narrow, sizeof narrow, nullptr, nullptr);
    return narrow;
}

// The link at a path in the system's code page, its fields in that code page.
inline LinkFields ReadShortcut(const std::string &linkPath)
{
    LinkFieldsW wide = ReadShortcutW(WideOf(linkPath));
    LinkFields fields;
    fields.loaded = wide.loaded;
    fields.target = NarrowOf(wide.target);
    fields.description = NarrowOf(wide.description);
    fields.workingFolder = NarrowOf(wide.workingFolder);
    fields.iconPath = NarrowOf(wide.iconPath);
    fields.iconIndex = wide.iconIndex;
    return fields;
}

#endif
