#include "uninstall/uninstall_run.h"

#include <objbase.h>
#include <shlobj.h>
#include <shobjidl.h>
#include <stdio.h>
#include <string.h>

#include "foundation/path_text.h"
#include "install/file_replace.h"
#include "install/install_record.h"
#include "install/manifest.h"
#include "install/payload.h"

enum { kRecordBytesMost = 1 << 20 };

static void NoteStayed(UninstallOutcome *outcome, const char *item)
{
    if (outcome->stayed++ == 0)
        snprintf(outcome->firstStayed, sizeof outcome->firstStayed, "%s", item);
}

static void Count(UninstallOutcome *outcome, int removed, const char *item)
{
    if (removed)
        ++outcome->removed;
    else
        NoteStayed(outcome, item);
}

static void DeleteAndCount(const char *path, UninstallOutcome *outcome)
{
    ForceDelete(path);
    Count(outcome, GetFileAttributesA(path) == INVALID_FILE_ATTRIBUTES, path);
}

/* Upper case as the system's code page has it: a double-byte character's trail byte is
   not a letter. */
static void UpperCase(char *text)
{
    CharUpperBuffA(text, DWORD(strlen(text)));
}

static int ContainsFolder(const char *text, const char *folder)
{
    char haystack[1024], needle[kPathBytes];
    if (!folder[0])
        return 0;
    snprintf(haystack, sizeof haystack, "%s", text);
    snprintf(needle, sizeof needle, "%s", folder);
    UpperCase(haystack);
    UpperCase(needle);
    return strstr(haystack, needle) != nullptr;
}

int NamesFolder(const char *text, const char *folder)
{
    char shortForm[kPathBytes];
    DWORD length = GetShortPathNameA(folder, shortForm, kPathBytes);
    return ContainsFolder(text, folder) || (length > 0 && length < kPathBytes && ContainsFolder(text, shortForm));
}

/* A file goes when it still has the bytes the install gave it; one the user changed stays. */
static int FileAsInstalled(const char *path, unsigned long size, unsigned long checksum)
{
    unsigned long sizeNow = 0, checksumNow = 0;
    return MeasureFile(path, &sizeNow, &checksumNow) && sizeNow == size && checksumNow == checksum;
}

static int IsWordBaseFile(const char *name)
{
    for (int i = 0; i < kManifestStepCount; ++i)
        if (kManifestSteps[i].kind == kWordBaseRow && _stricmp(kManifestSteps[i].fileName, name) == 0)
            return 1;
    return 0;
}

/* The size, checksum and name of a file line; 0 for a line that is none. */
static int ReadFileLine(const char *fields, unsigned long *size, unsigned long *checksum, const char **name)
{
    unsigned long attributes = 0;
    int consumed = 0;
    if (sscanf(fields, "%lu\t%lx\t%lx\t%n", size, checksum, &attributes, &consumed) != 3 || !consumed)
        return 0;
    *name = fields + consumed;
    return 1;
}

static void RemoveFile(const char *folder, char *fields, UninstallOutcome *outcome)
{
    unsigned long size = 0, checksum = 0;
    const char *name = nullptr;
    char path[kPathBytes];
    if (!ReadFileLine(fields, &size, &checksum, &name) || !JoinPath(path, folder, name)) {
        NoteStayed(outcome, fields);
        return;
    }
    if (GetFileAttributesA(path) == INVALID_FILE_ATTRIBUTES || IsWordBaseFile(name))
        return;
    if (!FileAsInstalled(path, size, checksum)) {
        NoteStayed(outcome, path);
        return;
    }
    DeleteAndCount(path, outcome);
}

/* The target a shell link names; empty when it can't be read. */
static void LinkTarget(const char *linkPath, char *target)
{
    target[0] = '\0';
    IShellLinkA *link = nullptr;
    IPersistFile *file = nullptr;
    WCHAR wide[kPathBytes];
    if (!MultiByteToWideChar(CP_ACP, 0, linkPath, -1, wide, kPathBytes))
        return;
    if (SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                   reinterpret_cast<void **>(&link)))) {
        if (SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void **>(&file)))) {
            if (SUCCEEDED(file->Load(wide, STGM_READ)))
                link->GetPath(target, kPathBytes, nullptr, SLGP_RAWPATH);
            file->Release();
        }
        link->Release();
    }
}

/* A shortcut goes when it still leads into the folder: another install may have saved its
   own under the same name since. */
static void RemoveShortcut(const char *folder, const char *linkPath, UninstallOutcome *outcome)
{
    if (GetFileAttributesA(linkPath) == INVALID_FILE_ATTRIBUTES)
        return;
    char target[kPathBytes];
    LinkTarget(linkPath, target);
    if (!NamesFolder(target, folder)) {
        NoteStayed(outcome, linkPath);
        return;
    }
    DeleteAndCount(linkPath, outcome);
}

static HKEY RootNamed(const char *name)
{
    if (strcmp(name, "HKCR") == 0)
        return HKEY_CLASSES_ROOT;
    if (strcmp(name, "HKLM") == 0)
        return HKEY_LOCAL_MACHINE;
    if (strcmp(name, "HKCU") == 0)
        return HKEY_CURRENT_USER;
    return nullptr;
}

/* Whether a text value of the key or of a key under it names the folder. */
static int KeyNamesFolder(HKEY key, const char *folder)
{
    char name[256], value[1024];
    for (DWORD i = 0;; ++i) {
        DWORD nameLength = sizeof name, valueLength = sizeof value - 1, type = 0;
        LONG status = RegEnumValueA(key, i, name, &nameLength, nullptr, &type, reinterpret_cast<BYTE *>(value),
                                    &valueLength);
        if (status == ERROR_NO_MORE_ITEMS)
            break;
        if (status != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ))
            continue;
        value[valueLength] = '\0';
        if (NamesFolder(value, folder))
            return 1;
    }
    for (DWORD i = 0;; ++i) {
        DWORD nameLength = sizeof name;
        if (RegEnumKeyExA(key, i, name, &nameLength, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
            return 0;
        HKEY child;
        if (RegOpenKeyExA(key, name, 0, KEY_READ, &child) != ERROR_SUCCESS)
            continue;
        int names = KeyNamesFolder(child, folder);
        RegCloseKey(child);
        if (names)
            return 1;
    }
}

/* The system's tree deletion came late (Vista); a key with keys under it is emptied
   first, deepest first. */
static int DeleteKeyTree(HKEY parent, const char *path)
{
    HKEY key;
    if (RegOpenKeyExA(parent, path, 0, KEY_READ | KEY_WRITE, &key) != ERROR_SUCCESS)
        return 0;
    char name[256];
    DWORD nameLength = sizeof name;
    while (RegEnumKeyExA(key, 0, name, &nameLength, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS) {
        if (!DeleteKeyTree(key, name))
            break;
        nameLength = sizeof name;
    }
    RegCloseKey(key);
    return RegDeleteKeyA(parent, path) == ERROR_SUCCESS;
}

static int IsEmptyKey(HKEY key)
{
    DWORD keys = 0, values = 0;
    return RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, &keys, nullptr, nullptr, &values, nullptr, nullptr,
                            nullptr, nullptr) == ERROR_SUCCESS &&
           keys == 0 && values == 0;
}

/* The next tab-ended field of fields, ended in place; null when there is none. */
static char *NextField(char **fields)
{
    if (!*fields)
        return nullptr;
    char *field = *fields, *tab = strchr(field, '\t');
    if (tab)
        *tab = '\0';
    *fields = tab ? tab + 1 : nullptr;
    return field;
}

/* Which of the record's three passes an item is taken back in: files, shortcuts and the
   keys that name the folder first, then the values set in keys the install found, then
   the keys left over, which go only when nothing is left in them. */
enum Pass { kPassItems = 0, kPassValues = 1, kPassLeftKeys = 2 };

static void RemoveKey(const char *folder, char *fields, int pass, UninstallOutcome *outcome)
{
    const char *rootName = NextField(&fields), *path = NextField(&fields);
    HKEY root = rootName ? RootNamed(rootName) : nullptr, key;
    if (!root || !path || RegOpenKeyExA(root, path, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return;
    int goes = pass == kPassItems ? KeyNamesFolder(key, folder) : IsEmptyKey(key);
    RegCloseKey(key);
    if (goes)
        Count(outcome, DeleteKeyTree(root, path), path);
    else if (pass == kPassLeftKeys)
        NoteStayed(outcome, path);
}

/* A class that another install still registers: a value naming it stays. */
static int NamesRegisteredClass(HKEY root, const char *text)
{
    HKEY key;
    if (root != HKEY_CLASSES_ROOT || !text[0] || RegOpenKeyExA(root, text, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return 0;
    RegCloseKey(key);
    return 1;
}

/* A value the install set gets back what it held before, while it still holds what the
   install set (another program may have set it since) and names no class that another
   install still has. */
static void RestoreValue(char *fields, UninstallOutcome *outcome)
{
    const char *rootName = NextField(&fields), *path = NextField(&fields), *name = NextField(&fields);
    const char *installed = NextField(&fields), *old = NextField(&fields);
    HKEY root = rootName ? RootNamed(rootName) : nullptr, key;
    if (!root || !old || RegOpenKeyExA(root, path, 0, KEY_READ | KEY_SET_VALUE, &key) != ERROR_SUCCESS)
        return;
    char now[1024];
    DWORD size = sizeof now - 1, type = 0;
    if (RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE *>(now), &size) == ERROR_SUCCESS &&
        type == REG_SZ) {
        now[size] = '\0';
        if (strcmp(now, installed) != 0 || NamesRegisteredClass(root, installed))
            NoteStayed(outcome, path);
        else if (old[0])
            Count(outcome, RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE *>(old),
                                          DWORD(strlen(old) + 1)) == ERROR_SUCCESS, path);
        else
            Count(outcome, RegDeleteValueA(key, name) == ERROR_SUCCESS, path);
    }
    RegCloseKey(key);
}

enum { kRecordLineBytes = 2048 };

/* Takes back one item of the record in its pass; the line itself stays as it is. */
static void RemoveItem(const char *folder, const char *recordLine, int pass, UninstallOutcome *outcome)
{
    char line[kRecordLineBytes];
    snprintf(line, sizeof line, "%s", recordLine);
    char *fields = line;
    const char *kind = NextField(&fields);
    if (!fields)
        return;
    if (strcmp(kind, "key") == 0)
        RemoveKey(folder, fields, pass, outcome);
    else if (pass == kPassValues && strcmp(kind, "value") == 0)
        RestoreValue(fields, outcome);
    else if (pass == kPassItems && strcmp(kind, "file") == 0)
        RemoveFile(folder, fields, outcome);
    else if (pass == kPassItems && strcmp(kind, "shortcut") == 0)
        RemoveShortcut(folder, fields, outcome);
}

static void RemoveFolderIfEmpty(const char *line, UninstallOutcome *outcome)
{
    if (strncmp(line, "folder\t", 7) != 0)
        return;
    const char *path = line + 7;
    if (GetFileAttributesA(path) == INVALID_FILE_ATTRIBUTES)
        return;
    SetFileAttributesA(path, FILE_ATTRIBUTE_NORMAL);
    Count(outcome, RemoveDirectoryA(path) != 0, path);
}

/* The record's lines, each ended by its NUL in place of the line end; the count. */
static int SplitLines(char *text, char **lines, int capacity)
{
    int count = 0;
    for (char *line = text; *line && count < capacity;) {
        char *end = line + strcspn(line, "\r\n");
        char *next = end + strspn(end, "\r\n");
        *end = '\0';
        lines[count++] = line;
        line = next;
    }
    return count;
}

static int ReadRecord(const char *path, char *text, DWORD capacity)
{
    HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return 0;
    DWORD got = 0;
    BOOL read = ReadFile(file, text, capacity - 1, &got, nullptr);
    CloseHandle(file);
    text[read ? got : 0] = '\0';
    const char first[] = TOVRA_INSTALL_RECORD_FIRST_LINE "\r\n";
    return read && strncmp(text, first, sizeof first - 1) == 0;
}

/* Whether the word-base file name still has the bytes the record lists for it; a file
   the record does not list is the user's, kept at an install. */
static int ListedAsInstalled(const char *folder, const char *name, char *const *lines, int count)
{
    char path[kPathBytes];
    if (!JoinPath(path, folder, name))
        return 0;
    for (int i = 1; i < count; ++i) {
        unsigned long size = 0, checksum = 0;
        const char *listed = nullptr;
        if (strncmp(lines[i], "file\t", 5) == 0 && ReadFileLine(lines[i] + 5, &size, &checksum, &listed) &&
            _stricmp(listed, name) == 0)
            return FileAsInstalled(path, size, checksum);
    }
    return 0;
}

/* Whether manifest row is a file of the word base that folder holds, its path into path. */
static int HoldsWordBaseFile(const ManifestStep &row, const char *folder, char *path)
{
    return row.kind == kWordBaseRow && JoinPath(path, folder, row.fileName) &&
           GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES;
}

/* The word base goes when it is the product's as installed, or when the user said to
   remove the one grown by use too. */
static void RemoveWordBase(const char *folder, char *const *lines, int count, int ownToo, UninstallOutcome *outcome)
{
    for (int i = 0; i < kManifestStepCount; ++i) {
        const ManifestStep &row = kManifestSteps[i];
        char path[kPathBytes];
        if (!HoldsWordBaseFile(row, folder, path))
            continue;
        if (ownToo || ListedAsInstalled(folder, row.fileName, lines, count))
            DeleteAndCount(path, outcome);
        else
            NoteStayed(outcome, path);
    }
}

static void RemoveListed(const char *folder, const char *recordPath, char **lines, int count, int ownWordBase,
                         UninstallOutcome *outcome)
{
    HRESULT com = CoInitialize(nullptr);
    for (int pass = kPassItems; pass <= kPassLeftKeys; ++pass)
        for (int i = count - 1; i > 0; --i)
            RemoveItem(folder, lines[i], pass, outcome);
    if (SUCCEEDED(com))
        CoUninitialize();
    RemoveWordBase(folder, lines, count, ownWordBase, outcome);
    ForceDelete(recordPath);
    for (int i = count - 1; i > 0; --i)
        RemoveFolderIfEmpty(lines[i], outcome);
}

/* The record of a folder, read and split into lines. */
struct RecordLines {
    char path[kPathBytes];
    char *text;
    char **lines;
    int count;
};

/* 0 when folder has no record to go by. */
static int LoadRecord(const char *folder, RecordLines *record)
{
    enum { kLinesMost = 4096 };
    record->count = 0;
    record->text = static_cast<char *>(HeapAlloc(GetProcessHeap(), 0, kRecordBytesMost));
    record->lines = static_cast<char **>(HeapAlloc(GetProcessHeap(), 0, kLinesMost * sizeof(char *)));
    if (!record->text || !record->lines || !JoinPath(record->path, folder, TOVRA_INSTALL_RECORD_NAME) ||
        !ReadRecord(record->path, record->text, kRecordBytesMost))
        return 0;
    record->count = SplitLines(record->text, record->lines, kLinesMost);
    return 1;
}

static void ReleaseRecord(RecordLines *record)
{
    if (record->lines)
        HeapFree(GetProcessHeap(), 0, record->lines);
    if (record->text)
        HeapFree(GetProcessHeap(), 0, record->text);
}

int HoldsOwnWordBase(const char *folder)
{
    RecordLines record = {};
    int own = 0;
    if (LoadRecord(folder, &record)) {
        for (int i = 0; i < kManifestStepCount && !own; ++i) {
            char path[kPathBytes];
            own = HoldsWordBaseFile(kManifestSteps[i], folder, path) &&
                  !ListedAsInstalled(folder, kManifestSteps[i].fileName, record.lines, record.count);
        }
    }
    ReleaseRecord(&record);
    return own;
}

int UninstallRecorded(const char *folder, int ownWordBase, UninstallOutcome *outcome)
{
    outcome->removed = outcome->stayed = 0;
    outcome->firstStayed[0] = '\0';
    RecordLines record = {};
    int done = LoadRecord(folder, &record);
    if (done)
        RemoveListed(folder, record.path, record.lines, record.count, ownWordBase, outcome);
    ReleaseRecord(&record);
    return done;
}
