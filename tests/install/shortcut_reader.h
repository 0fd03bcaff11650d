// Reads a shell link back through the shell's own link object, wide: a link may lie in a
// folder, and lead to a file, that the code page can't spell.
#ifndef TOVRA_SHORTCUT_READER_H
#define TOVRA_SHORTCUT_READER_H

#include <windows.h>
#include <objbase.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <string>

#include "wide_paths.h"

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

// Wide text in the system's code page; what it can't spell comes out as "?", which no
// expected text holds.
inline std::string InCodePage(const std::wstring &text)
{
    char narrow[2048] = "";
    WideCharToMultiByte(CP_ACP, 0, text.c_str(), -1, narrow, sizeof narrow, nullptr, nullptr);
    return narrow;
}

// The link at a path in the system's code page, its fields in that code page.
inline LinkFields ReadShortcut(const std::string &linkPath)
{
    LinkFieldsW wide = ReadShortcutW(Wide(linkPath));
    LinkFields fields;
    fields.loaded = wide.loaded;
    fields.target = InCodePage(wide.target);
    fields.description = InCodePage(wide.description);
    fields.workingFolder = InCodePage(wide.workingFolder);
    fields.iconPath = InCodePage(wide.iconPath);
    fields.iconIndex = wide.iconIndex;
    return fields;
}

#endif
