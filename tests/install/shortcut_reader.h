// Reads a shell link back through the shell's own link object.
#ifndef TOVRA_SHORTCUT_READER_H
#define TOVRA_SHORTCUT_READER_H

#include <windows.h>
#include <objbase.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <string>

struct LinkFields {
    bool loaded = false;
    std::string target, description, workingFolder, iconPath;
    int iconIndex = -1;
};

inline LinkFields ReadShortcut(const std::string &linkPath)
{
    LinkFields fields;
    CoInitialize(nullptr);
    IShellLinkA *link = nullptr;
    IPersistFile *file = nullptr;
    if (SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                   reinterpret_cast<void **>(&link))) &&
        SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void **>(&file)))) {
        WCHAR wide[MAX_PATH];
        MultiByteToWideChar(CP_ACP, 0, linkPath.c_str(), -1, wide, MAX_PATH);
        if (SUCCEEDED(file->Load(wide, STGM_READ))) {
            char text[MAX_PATH] = "";
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
    }
    if (file)
        file->Release();
    if (link)
        link->Release();
    CoUninitialize();
    return fields;
}

#endif
