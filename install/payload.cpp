#include "install/payload.h"

#include <io.h>
#include <stdio.h>
#include <string.h>
#include <zlib.h>

#include "foundation/path_text.h"
#include "wizard/wizard_state.h"

const void *FindPayload(HMODULE module, int identifier, DWORD *size)
{
    *size = 0;
    HRSRC info = FindResourceA(module, MAKEINTRESOURCEA(identifier), "TEXT");
    if (!info)
        return nullptr;
    HGLOBAL loaded = LoadResource(module, info);
    if (!loaded)
        return nullptr;
    *size = SizeofResource(module, info);
    return LockResource(loaded);
}

int InflatePayload(int identifier, void *buffer, unsigned long capacity, unsigned long *length)
{
    DWORD size = 0;
    const void *source = FindPayload(GetModuleHandleA(nullptr), identifier, &size);
    uLongf inflated = capacity;
    /* A missing resource gives an empty source, which uncompress refuses. */
    int status = uncompress(static_cast<Bytef *>(buffer), &inflated,
                            static_cast<const Bytef *>(source), source ? size : 0);
    *length = status == Z_OK ? inflated : 0;
    return status;
}

int JoinPath(char *path, const char *folder, const char *name)
{
    return JoinPathText(path, kPathBytes, folder, name, SystemPathCodePage());
}

static int CopyPath(char *path, const char *source)
{
    size_t length = strlen(source);
    if (length >= kPathBytes)
        return 0;
    memcpy(path, source, length + 1);
    return 1;
}

/* The file may stand there read-only and hidden from an earlier install. */
static void ClearReadOnlyAndHidden(const char *path)
{
    if (_access(path, 0) != 0)
        return;
    DWORD attributes = GetFileAttributesA(path);
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return;
    SetFileAttributesA(path, attributes & ~(FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN));
}

static void AddAttributes(const char *path, int readOnly, int hidden)
{
    DWORD attributes = GetFileAttributesA(path);
    if (readOnly)
        attributes |= FILE_ATTRIBUTE_READONLY;
    if (hidden)
        attributes |= FILE_ATTRIBUTE_HIDDEN;
    SetFileAttributesA(path, attributes);
}

int WriteInstallFile(const char *fileName, const void *data, unsigned long length,
                     int readOnly, int hidden, const char *fullPath)
{
    char path[kPathBytes];
    int fits = fullPath ? CopyPath(path, fullPath) : JoinPath(path, gInstallFolder, fileName);
    if (!fits)
        return 0;

    ClearReadOnlyAndHidden(path);
    FILE *file = fopen(path, "wb");
    if (!file)
        return 0;
    size_t written = fwrite(data, 1, length, file);
    int closed = fclose(file) == 0;
    if (written != length || !closed)
        return 0;

    if (readOnly || hidden)
        AddAttributes(path, readOnly, hidden);
    return 1;
}

int ExtractPayload(int identifier, const char *fileName, void *buffer, unsigned long capacity,
                   int readOnly, int hidden, const char *fullPath)
{
    unsigned long length = 0;
    if (InflatePayload(identifier, buffer, capacity, &length) != Z_OK)
        return 0;
    return WriteInstallFile(fileName, buffer, length, readOnly, hidden, fullPath);
}
