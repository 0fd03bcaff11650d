#include "uninstall/uninstall_run.h"

#include <objbase.h>
#include <stdio.h>
#include <string.h>

#include "foundation/path_text.h"
#include "foundation/wide_text.h"
#include "install/file_replace.h"
#include "install/folder_naming.h"
#include "install/install_record.h"
#include "install/manifest.h"
#include "install/payload.h"
#include "install/shortcuts.h"
#include "wizard/made_items.h"

enum { kRecordBytesMost = 1 << 20, kRecordLineBytes = kMadeItemBytes };

/* The report names the first item that stayed which the system's code page can spell. */
static void NoteStayed(UninstallOutcome *outcome, const char *item)
{
    ++outcome->stayed;
    if (!outcome->firstStayed[0])
        snprintf(outcome->firstStayed, sizeof outcome->firstStayed, "%s", item);
}

static void NoteStayedW(UninstallOutcome *outcome, const WCHAR *item)
{
    char spelled[kPathBytes];
    NoteStayed(outcome, NarrowText(item, CP_ACP, spelled, kPathBytes) ? spelled : "");
}

static void Count(UninstallOutcome *outcome, int removed, const char *item)
{
    if (removed)
        ++outcome->removed;
    else
        NoteStayed(outcome, item);
}

static void CountW(UninstallOutcome *outcome, int removed, const WCHAR *item)
{
    if (removed)
        ++outcome->removed;
    else
        NoteStayedW(outcome, item);
}

static void DeleteAndCount(const char *path, UninstallOutcome *outcome)
{
    ForceDelete(path);
    Count(outcome, GetFileAttributesA(path) == INVALID_FILE_ATTRIBUTES, path);
}

static void DeleteAndCountW(const WCHAR *path, UninstallOutcome *outcome)
{
    ForceDeleteW(path);
    CountW(outcome, GetFileAttributesW(path) == INVALID_FILE_ATTRIBUTES, path);
}

/* A field of the record, in UTF-8, as the system's code page spells it; 0 when it can't:
   such a field never named anything of the install folder, which is text in that code
   page. */
static int InSystemText(const char *utf8, char *text, int capacity)
{
    return RecodeText(utf8, CP_UTF8, CP_ACP, text, capacity);
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

/* The install writes files right into its folder only, under plain names: a name that
   leads elsewhere (up, to a drive, into a folder) came from somebody else's hand. */
static int IsNameInFolder(const char *name)
{
    return name[0] && !strpbrk(name, "\\/:") && strcmp(name, ".") != 0 && strcmp(name, "..") != 0;
}

static void RemoveFile(const char *folder, char *fields, UninstallOutcome *outcome)
{
    unsigned long size = 0, checksum = 0;
    const char *listed = nullptr;
    char name[kPathBytes], path[kPathBytes];
    if (!ReadFileLine(fields, &size, &checksum, &listed) || !InSystemText(listed, name, kPathBytes) ||
        !IsNameInFolder(name) || !JoinPath(path, folder, name)) {
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

/* A shortcut goes when it still leads into the folder: another install may have saved its
   own under the same name since. */
static void RemoveShortcut(const char *folder, const char *utf8Path, UninstallOutcome *outcome)
{
    WCHAR linkPath[kPathBytes];
    if (!WidenText(utf8Path, CP_UTF8, linkPath, kPathBytes) ||
        GetFileAttributesW(linkPath) == INVALID_FILE_ATTRIBUTES)
        return;
    char target[kPathBytes];
    if (!ReadLinkTarget(linkPath, target) || !NamesFolder(target, folder)) {
        NoteStayedW(outcome, linkPath);
        return;
    }
    DeleteAndCountW(linkPath, outcome);
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
    const char *rootName = NextField(&fields), *listed = NextField(&fields);
    HKEY root = rootName ? RootNamed(rootName) : nullptr, key;
    char path[kRecordLineBytes];
    if (!root || !listed || !InSystemText(listed, path, kRecordLineBytes) ||
        RegOpenKeyExA(root, path, 0, KEY_READ, &key) != ERROR_SUCCESS)
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
    const char *rootName = NextField(&fields), *listedPath = NextField(&fields), *listedName = NextField(&fields);
    const char *listedInstalled = NextField(&fields), *listedOld = NextField(&fields);
    HKEY root = rootName ? RootNamed(rootName) : nullptr, key;
    char path[kRecordLineBytes], name[kRecordLineBytes], installed[kRecordLineBytes], old[kRecordLineBytes];
    if (!root || !listedOld || !InSystemText(listedPath, path, kRecordLineBytes) ||
        !InSystemText(listedName, name, kRecordLineBytes) ||
        !InSystemText(listedInstalled, installed, kRecordLineBytes) ||
        !InSystemText(listedOld, old, kRecordLineBytes) ||
        RegOpenKeyExA(root, path, 0, KEY_READ | KEY_SET_VALUE, &key) != ERROR_SUCCESS)
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
    WCHAR path[kPathBytes];
    if (strncmp(line, "folder\t", 7) != 0 || !WidenText(line + 7, CP_UTF8, path, kPathBytes) ||
        GetFileAttributesW(path) == INVALID_FILE_ATTRIBUTES)
        return;
    SetFileAttributesW(path, FILE_ATTRIBUTE_NORMAL);
    CountW(outcome, RemoveDirectoryW(path) != 0, path);
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

static int ReadRecordFile(const char *path, char *text, DWORD capacity)
{
    HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return 0;
    DWORD got = 0;
    BOOL read = ReadFile(file, text, capacity - 1, &got, nullptr);
    CloseHandle(file);
    text[read ? got : 0] = '\0';
    return read;
}

/* The item lines of a record of version, from raw into text in UTF-8, each ended by its
   NUL; lines[0] is the first line. The count, 0 when a line can't be taken into UTF-8. */
static int TakeLinesInUtf8(char **rawLines, int count, int version, char *text, DWORD capacity, char **lines)
{
    DWORD used = 0;
    lines[0] = rawLines[0];
    for (int i = 1; i < count; ++i) {
        char utf8[kMadeItemBytes];
        if (!RecordLineInUtf8(rawLines[i], version, utf8))
            return 0;
        DWORD length = DWORD(strlen(utf8)) + 1;
        if (used + length > capacity)
            return 0;
        memcpy(text + used, utf8, length);
        lines[i] = text + used;
        used += length;
    }
    return count;
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

/* The record of a folder, read and split into lines, in UTF-8. */
struct RecordLines {
    char path[kPathBytes];
    char *raw;
    char *text;
    char **lines;
    int count;
};

/* 0 when folder has no record to go by. */
static int LoadRecord(const char *folder, RecordLines *record)
{
    enum { kLinesMost = 4096 };
    HANDLE heap = GetProcessHeap();
    record->count = 0;
    record->raw = static_cast<char *>(HeapAlloc(heap, 0, kRecordBytesMost));
    record->text = static_cast<char *>(HeapAlloc(heap, 0, 2 * kRecordBytesMost));
    record->lines = static_cast<char **>(HeapAlloc(heap, 0, 2 * kLinesMost * sizeof(char *)));
    if (!record->raw || !record->text || !record->lines ||
        !JoinPath(record->path, folder, TOVRA_INSTALL_RECORD_NAME) ||
        !ReadRecordFile(record->path, record->raw, kRecordBytesMost))
        return 0;
    char **rawLines = record->lines + kLinesMost;
    int count = SplitLines(record->raw, rawLines, kLinesMost);
    int version = count > 0 ? RecordVersion(rawLines[0]) : 0;
    if (!version)
        return 0;
    record->count = TakeLinesInUtf8(rawLines, count, version, record->text, 2 * kRecordBytesMost, record->lines);
    return record->count > 0;
}

static void ReleaseRecord(RecordLines *record)
{
    HANDLE heap = GetProcessHeap();
    if (record->lines)
        HeapFree(heap, 0, record->lines);
    if (record->text)
        HeapFree(heap, 0, record->text);
    if (record->raw)
        HeapFree(heap, 0, record->raw);
}

int HoldsInstallRecord(const char *folder)
{
    RecordLines record = {};
    int held = LoadRecord(folder, &record);
    ReleaseRecord(&record);
    return held;
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
